// The category dialog's confirmation rule and trimmed results.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "CommonGUI/CCategoryDlg.gui.h"
#include "CommonGUI/GuiTestSupport.h"

namespace {

TEST(CategoryDialog, OkIsEnabledOnlyWithANameAndAFolderThatAreNotBlank) {
  TFormCategory form;
  form.show();
  auto* name = form.findChild<QLineEdit*>("edtName");
  auto* folder = form.findChild<QLineEdit*>("edtFolder");
  auto* ok = form.findChild<QPushButton*>("btnOk");
  EXPECT_EQ(ok->text(), "确定");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(form.findChild<QPushButton*>("btnCancel")->text(), "放弃");
  QStringList labels;
  for (QLabel* l : form.findChildren<QLabel*>()) labels << l->text();
  EXPECT_EQ(labels, (QStringList{"名称:", "路径:"}));

  struct TCase {
    const char* Name;
    const char* Folder;
    bool Enabled;
  };
  for (const TCase& c : {TCase{"", "", false}, TCase{"   ", "/tmp/x", false},
                         TCase{"Movies", "", false}, TCase{"Movies", " \t ", false},
                         TCase{"Movies", "/tmp/x", true}, TCase{" 电影 ", " /tmp/x ", true}}) {
    SCOPED_TRACE(std::string(c.Name) + "|" + c.Folder);
    name->setText(QString::fromUtf8(c.Name));
    folder->setText(QString::fromUtf8(c.Folder));
    gui::WaitIdle();
    EXPECT_EQ(ok->isEnabled(), c.Enabled);
  }
  // Typing is re-evaluated too.
  name->clear();
  gui::WaitIdle();
  EXPECT_FALSE(ok->isEnabled());
  QTest::keyClicks(name, "A");
  gui::WaitIdle();
  EXPECT_TRUE(ok->isEnabled());
}

TEST(CategoryDialog, NewModeStartsEmptyAndReturnsTrimmedValues) {
  std::string name = "old", folder = "/old";
  QString title, shownName;
  gui::OnModal([&](QWidget* Modal) {
    title = Modal->windowTitle();
    shownName = Modal->findChild<QLineEdit*>("edtName")->text();
    QTest::keyClicks(Modal->findChild<QLineEdit*>("edtName"), "  Phone clips  ");
    QTest::keyClicks(Modal->findChild<QLineEdit*>("edtFolder"), " /srv/phone ");
    gui::WaitIdle();
    QTest::mouseClick(Modal->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
  });
  ASSERT_TRUE(ExecuteCategoryDialog(name, folder, true));
  EXPECT_EQ(title, "New Category");
  EXPECT_EQ(shownName, "");
  EXPECT_EQ(name, "Phone clips");
  EXPECT_EQ(folder, "/srv/phone");
}

TEST(CategoryDialog, PropertiesModeShowsTheCategoryAndCancelKeepsIt) {
  std::string name = "已完成", folder = "/home/u/Conversion";
  QString title, shownName, shownFolder;
  gui::OnModal([&](QWidget* Modal) {
    title = Modal->windowTitle();
    shownName = Modal->findChild<QLineEdit*>("edtName")->text();
    shownFolder = Modal->findChild<QLineEdit*>("edtFolder")->text();
    Modal->findChild<QLineEdit*>("edtName")->setText("changed");
    QTest::mouseClick(Modal->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
  });
  EXPECT_FALSE(ExecuteCategoryDialog(name, folder, false));
  EXPECT_EQ(title, "Category Properties");
  EXPECT_EQ(shownName, QStringLiteral("已完成"));
  EXPECT_EQ(shownFolder, "/home/u/Conversion");
  EXPECT_EQ(name, "已完成");
}

}  // namespace
