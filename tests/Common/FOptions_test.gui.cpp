// The options dialog on the offscreen platform, with the real configuration
// file in a fresh data folder.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "Common/CConfiguration.h"
#include "Common/Errors.h"
#include "Common/FOptions.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/GuiTestSupport.h"

namespace {

QByteArray ConfigFile() {
  QFile f(QString::fromStdString(TAVConfiguration::GetConfigFile()));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

QByteArray ExpectedConfig(int Threads, int Priority, const QString& Folder) {
  return QStringLiteral(
             "<data PropFormat=\"node\">\r\n"
             "  <TAVConfiguration>\r\n"
             "    <PerformanceOptions>\r\n"
             "      <ThreadCount>%1</ThreadCount>\r\n"
             "      <ThreadPrority>%2</ThreadPrority>\r\n"
             "    </PerformanceOptions>\r\n"
             "    <ShutdownWhenDone>0</ShutdownWhenDone>\r\n"
             "    <OutputFolder>%3</OutputFolder>\r\n"
             "  </TAVConfiguration>\r\n"
             "</data>")
      .arg(Threads)
      .arg(Priority)
      .arg(Folder)
      .toUtf8();
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { gui::FreshDataFolder(); }
};

TEST_F(OptionsDialogTest, ShowsItsPagesListsAndInitialValues) {
  TFormOptions form;
  EXPECT_EQ(form.windowTitle(), "Options");
  auto* tree = form.findChild<QTreeWidget*>("tvSettings");
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "General");
  EXPECT_EQ(tree->topLevelItem(1)->text(0), "Performance");
  EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
  auto* pages = form.findChild<QStackedWidget*>();
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(pages->currentWidget(), form.findChild<QLineEdit*>("edtOutputFolder")->parentWidget());
  tree->setCurrentItem(tree->topLevelItem(1));
  EXPECT_EQ(pages->currentWidget(), form.findChild<QSlider*>("barPriority")->parentWidget());

  auto* threads = form.findChild<QComboBox*>("cbThreadCount");
  ASSERT_EQ(threads->count(), 33);
  EXPECT_EQ(threads->itemText(0), "Automatic(use all CPU(s))");
  EXPECT_EQ(threads->itemText(1), "1");
  EXPECT_EQ(threads->itemText(32), "32");
  EXPECT_EQ(form.ThreadCount(), 0);
  auto* priority = form.findChild<QSlider*>("barPriority");
  EXPECT_EQ(priority->minimum(), 0);
  EXPECT_EQ(priority->maximum(), 5);
  EXPECT_EQ(form.ThreadPriority(), 2);
  EXPECT_EQ(priority->toolTip(), "2");
  form.SetThreadPriority(4);
  EXPECT_EQ(priority->toolTip(), "4");
  EXPECT_TRUE(form.findChild<QPushButton*>("btnOk")->isDefault());
  EXPECT_EQ(form.findChild<QPushButton*>("btnOk")->text(), "Ok");
  EXPECT_EQ(form.findChild<QPushButton*>("btnCancel")->text(), "Cancel");
  // Only 0 to 32 can be shown.
  EXPECT_THROW(form.SetThreadCount(33), EAssertionFailed);
  EXPECT_THROW(form.SetThreadCount(-1), EAssertionFailed);
}

TEST_F(OptionsDialogTest, OkStoresTheChosenValuesAndSavesTheConfiguration) {
  TAVConfiguration config;
  config.PerformanceOptions().SetThreadCount(4);
  config.SetOutputFolder("/srv/video");
  QString shownThreads, shownFolder;
  gui::OnModal([&](QWidget* Modal) {
    auto* threads = Modal->findChild<QComboBox*>("cbThreadCount");
    shownThreads = threads->currentText();
    shownFolder = Modal->findChild<QLineEdit*>("edtOutputFolder")->text();
    threads->setCurrentIndex(0);
    Modal->findChild<QLineEdit*>("edtOutputFolder")->setText("/srv/converted");
    QTest::mouseClick(Modal->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
  });
  EXPECT_TRUE(ExecuteOptions(config));
  EXPECT_EQ(shownThreads, "4");
  EXPECT_EQ(shownFolder, "/srv/video");
  EXPECT_EQ(config.PerformanceOptions().ThreadCount(), 0);
  EXPECT_EQ(config.OutputFolder(), "/srv/converted");
  EXPECT_EQ(ConfigFile(), ExpectedConfig(0, 2, "/srv/converted"));
}

TEST_F(OptionsDialogTest, ConcurrentConversionsAreStoredInTheConfiguration) {
  TAVConfiguration config;
  config.PerformanceOptions().SetConcurrentTasks(3);
  QString shown;
  gui::OnModal([&](QWidget* Modal) {
    auto* concurrent = Modal->findChild<QComboBox*>("cbConcurrentTasks");
    shown = concurrent->currentText();
    EXPECT_EQ(concurrent->count(), 33);
    EXPECT_EQ(concurrent->itemText(0), "Automatic(half the CPU(s))");
    concurrent->setCurrentIndex(5);
    QTest::mouseClick(Modal->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
  });
  EXPECT_TRUE(ExecuteOptions(config));
  EXPECT_EQ(shown, "3");
  EXPECT_EQ(config.PerformanceOptions().BatchLimit(), 5);
  EXPECT_TRUE(ConfigFile().contains("      <ConcurrentTasks>5</ConcurrentTasks>\r\n    </PerformanceOptions>"));
}

TEST_F(OptionsDialogTest, CancelChangesNothing) {
  TAVConfiguration config;
  config.PerformanceOptions().SetThreadCount(7);
  gui::OnModal([](QWidget* Modal) {
    Modal->findChild<QComboBox*>("cbThreadCount")->setCurrentIndex(1);
    QTest::mouseClick(Modal->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
  });
  EXPECT_FALSE(ExecuteOptions(config));
  EXPECT_EQ(config.PerformanceOptions().ThreadCount(), 7);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(TAVConfiguration::GetConfigFile())));
}

TEST_F(OptionsDialogTest, AStoredThreadCountOutsideTheListStopsTheDialog) {
  gui::TRecordingErrors errors;
  gui::TRecordingHost host;
  TAVConfiguration config;
  config.PerformanceOptions().SetThreadCount(40);
  TFormMain form(host, config);
  form.actOptions->trigger();
  ASSERT_EQ(errors.Texts.size(), 1);
  EXPECT_TRUE(errors.Texts[0].startsWith("Assertion failure (FOptions, line ")) << errors.Texts[0].toStdString();
  // ")" sorts below ".", so nothing is appended.
  EXPECT_TRUE(errors.Texts[0].endsWith(")")) << errors.Texts[0].toStdString();
  EXPECT_EQ(config.PerformanceOptions().ThreadCount(), 40);
}

}  // namespace
