// The about dialog's texts, its link and its placement.
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/CAboutDlg.gui.h"
#include "CommonGUI/GuiTestSupport.h"

namespace {

TEST(AboutDialog, ShowsItsTextsOpensTheHomePageAndIsCentredAndFixed) {
  gui::TRecordingShell shell;
  TFormAbout form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("关于."));
  EXPECT_EQ(form.findChild<QLabel*>("lblTitle")->text(), "zuDIVidizavo2.2.0.2");
  EXPECT_EQ(form.findChild<QLabel*>("lblText")->text(),
            QStringLiteral("如果你喜欢本软件，请告诉你的朋友\n或者写到你的博客，QQ签名帮忙推广下。谢谢"));
  auto* link = form.findChild<QLabel*>("lblHomePage");
  EXPECT_EQ(link->text(), kHomePageAddress);
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  auto* ok = form.findChild<QPushButton*>("btnOk");
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());

  form.show();
  QTest::mouseClick(link, Qt::LeftButton);
  EXPECT_EQ(shell.Opened, QStringList{kHomePageAddress});
  EXPECT_EQ(form.frameGeometry().center(), form.screen()->availableGeometry().center());
  EXPECT_EQ(form.minimumSize(), form.maximumSize());

  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

}  // namespace
