// The target size through the GUI: the wizard's field into the settings of
// one file and of a batch, entries it refuses, and the task list's pass
// display during a real size-limited conversion.
#include <QAbstractItemModel>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "Common/CConversionSettings.h"
#include "Common/SizeText.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "Converter/AVProfile.h"
#include "Converter/AVProfileCatalogue.h"
#include "Wizard/FNewConversion.gui.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ScopedLocale.h"

namespace fs = std::filesystem;

namespace {

constexpr int kProgressColumn = 6;
constexpr const char* kDivX = "DivX影片(*.avi)";

std::string ShortClip() {
  return fixtures::Media("clip2.mkv", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -c:v mpeg4");
}

// Hard to compress, so the passes have work to do and the size is reached.
std::string NoisyClip() {
  return fixtures::Media("noisy20.avi",
                         "-f lavfi -i testsrc2=size=320x240:rate=25:duration=20 -f lavfi -i sine=duration=20 "
                         "-vf noise=alls=40:allf=t -c:v mpeg4 -q:v 3 -c:a mp2 -shortest");
}

void ChooseDivX(TFormNewConversion& W) {
  W.cbCategories->setCurrentIndex(W.cbCategories->findText("AVI"));
  W.cbProfiles->setCurrentIndex(W.cbProfiles->findText(kDivX));
  W.UpdateControls();
}

TEST(WizardTargetSize, TheFieldLimitsEveryRecordAndGarbageIsRefused) {
  gui::FreshDataFolder();
  const fixtures::ScopedLocale comma(fixtures::kCommaLocale);  // the field reads both separators in any locale
  harness::ErrorRecorder errors;
  TAVConfiguration config;
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  const std::string profiles = fixtures::TempDir("wizard_size") + "/Profiles.ini";

  TFormNewConversion single(catalogue, nullptr, config, profiles);
  single.show();
  single.SetSourceFile(QString::fromStdString(ShortClip()));
  ChooseDivX(single);
  // Neither going on nor finishing passes an entry that is no size.
  single.edtTargetSize->setText("abc");
  QTest::mouseClick(single.btnNext, Qt::LeftButton);
  EXPECT_EQ(single.CurrentPage(), 0);
  for (const char* refused : {"0", "-2"}) {
    single.edtTargetSize->setText(refused);
    QTest::mouseClick(single.btnFinish, Qt::LeftButton);
    EXPECT_NE(single.result(), QDialog::Accepted) << refused;
  }
  EXPECT_EQ(errors.Messages(), std::vector<std::string>(3, kTargetSizeInvalidMessage));
  EXPECT_EQ(single.edtTargetSize->selectedText(), "-2");  // marked for correcting

  single.edtTargetSize->setText(" 4,5 ");
  QTest::mouseClick(single.btnFinish, Qt::LeftButton);
  ASSERT_EQ(single.result(), QDialog::Accepted);
  const auto settings = single.GetConversionSettings();
  EXPECT_EQ(settings->ConvertOptions().TargetSize(), kBytesPerMegabyte * 9 / 2);
  // The profile was applied as well: the size does not replace it.
  EXPECT_EQ(settings->ConvertOptions().VideoOptions().EncoderVideoCodecName(), "mpeg4");

  TFormNewConversion batch(catalogue, nullptr, config, profiles);
  batch.show();
  batch.SetSourceFiles({ShortClip(), NoisyClip()});
  ChooseDivX(batch);
  batch.edtTargetSize->setText("3");
  QTest::mouseClick(batch.btnFinish, Qt::LeftButton);
  ASSERT_EQ(batch.result(), QDialog::Accepted);
  const TNewConversions made = batch.GetNewConversions();
  ASSERT_EQ(made.Settings.size(), 2u);
  for (const auto& s : made.Settings) EXPECT_EQ(s->ConvertOptions().TargetSize(), 3 * kBytesPerMegabyte) << s->SourceFile;
  EXPECT_EQ(errors.Messages().size(), 3u);
}

// Through the program: the row names the pass while each runs, the file
// keeps to the size; a size too small is refused with the engine's message
// and the task stops with it in its log.
TEST(WizardTargetSize, TheTaskListShowsThePassesAndARefusalStopsTheTask) {
  gui::FreshDataFolder();
  const std::string dir = fixtures::TempDir("wizard_size_task");
  const std::string source = NoisyClip();
  harness::ErrorRecorder errors;
  std::vector<QString> painted;  // what each repaint of the row shows in the progress column
  gui::TRunningApp app([](const std::vector<std::string>& Paths) { return ExecuteNewConversions(Paths); });
  TTaskListModel& rows = app.Views->List()->Model();
  auto convert = [&](const char* Size, const std::string& Target) {
    gui::TNextModal drive([&](QWidget* Modal) {
      auto* w = qobject_cast<TFormNewConversion*>(Modal);
      ASSERT_NE(w, nullptr);
      ChooseDivX(*w);
      w->edtTarget->setText(QString::fromStdString(Target));
      w->edtTargetSize->setText(Size);
      w->UpdateControls();
      QTest::mouseClick(w->btnFinish, Qt::LeftButton);
    });
    app.Form->AddConversion(QString::fromStdString(source));
    EXPECT_TRUE(drive.Shown());
  };

  QTreeView* view = app.Views->List()->View();
  bool cut = false;  // a repaint showed the progress cut short
  QObject::connect(&rows, &QAbstractItemModel::dataChanged, &rows, [&](const QModelIndex& TopLeft) {
    const QModelIndex progress = rows.index(TopLeft.row(), kProgressColumn);
    painted.push_back(progress.data().toString());
    cut |= view->columnWidth(kProgressColumn) < view->sizeHintForIndex(progress).width();
  });
  const std::string fitted = dir + "/fitted.avi";
  convert("2", fitted);
  ASSERT_EQ(rows.rowCount(), 1);
  ASSERT_TRUE(gui::WaitUntil([&] { return rows.rowCount() == 0; }));
  EXPECT_TRUE(errors.Messages().empty());
  std::set<QString> passes;
  for (const QString& text : painted) {
    const qsizetype space = text.indexOf(' ');
    if (space < 0) continue;
    passes.insert(text.mid(space + 1));
    // The percentage is the whole job's: the second pass is its second half.
    if (text.endsWith("第2遍/共2遍")) {
      EXPECT_GE(text.left(text.indexOf('%')).toInt(), 50) << text.toStdString();
    }
  }
  EXPECT_TRUE(passes.count("第1遍/共2遍")) << painted.size() << " repaints";
  EXPECT_TRUE(passes.count("第2遍/共2遍")) << painted.size() << " repaints";
  EXPECT_FALSE(cut);
  ASSERT_TRUE(fs::exists(fitted));
  EXPECT_LE(static_cast<int64_t>(fs::file_size(fitted)), 2 * kBytesPerMegabyte);

  convert("0,01", dir + "/refused.avi");
  ASSERT_EQ(rows.rowCount(), 1);
  auto* task = dynamic_cast<TAVTask*>(rows.ObjectAt(0));
  ASSERT_NE(task, nullptr);
  ASSERT_TRUE(gui::WaitUntil([&] { return task->Status() == stError; }));
  const std::vector<std::string> shown = errors.Messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("at least"), std::string::npos) << shown[0];
  ASSERT_FALSE(task->Log().empty());
  EXPECT_EQ(task->Log().back(), TrimLogLine(shown[0]));
  EXPECT_EQ(rows.index(0, kProgressColumn).data().toString().indexOf(' '), -1);
}

}  // namespace
