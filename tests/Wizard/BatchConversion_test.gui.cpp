// A batch through the whole program: files and a folder tree dropped on the
// task list, the wizard's list, mirrored targets, turns taken, filing, and a
// restart while some wait.
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "Common/PersistentManager.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "Components/VirtualTreeEdit.gui.h"
#include "Converter/AVProfile.h"
#include "Converter/AVProfileCatalogue.h"
#include "Wizard/CFilters.h"
#include "Wizard/FNewConversion.gui.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLimit = 2;

std::string Sql(const std::string& Query) {
  return fixtures::RunCommand("sqlite3 " + fixtures::ShellQuote(TAVConfiguration::GetAppDataFolder() + kDatabaseFileName) + " " +
                              fixtures::ShellQuote(Query));
}

std::string TinyClip() {
  return fixtures::Media("batch_gui_tiny.avi",
                         "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -f lavfi -i sine=duration=1 "
                         "-c:v mpeg4 -c:a mp2 -shortest");
}

// Drops Paths on the main window's task list.
void Drop(TFormMain& Form, const std::vector<std::string>& Paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& p : Paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
  data.setUrls(urls);
  QWidget* target = Form.ListArea();
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  ASSERT_TRUE(drop.isAccepted());
}

void ChooseDivX(TFormNewConversion& W) {
  W.cbCategories->setCurrentIndex(W.cbCategories->findText("AVI"));
  W.cbProfiles->setCurrentIndex(W.cbProfiles->findText("DivX影片(*.avi)"));
}

// Chooses the DivX profile, optionally the category below the root in the
// picker, and finishes.
void FinishWithDivX(TFormNewConversion& W, bool ChooseCategory) {
  ChooseDivX(W);
  if (ChooseCategory) {
    W.FCategoryEdit->DropDown();
    W.FCategoryEdit->PopupTree()->Tree()->expandAll();
    QTest::keyClick(W.FCategoryEdit->PopupTree()->Tree(), Qt::Key_Down);
  }
  W.UpdateControls();
  QTest::mouseClick(W.btnFinish, Qt::LeftButton);
}

class BatchConversion : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::FreshDataFolder();
    Start();
  }
  void Start() {
    App = std::make_unique<gui::TRunningApp>(
        [](const std::vector<std::string>& Paths) { return ExecuteNewConversions(Paths); });
    App->Config.PerformanceOptions().SetConcurrentTasks(kLimit);
  }
  TTaskListModel& Rows() { return App->Views->List()->Model(); }
  std::vector<TAVTask*> Tasks() {
    std::vector<TAVTask*> tasks;
    for (int r = 0; r < Rows().rowCount(); ++r) tasks.push_back(dynamic_cast<TAVTask*>(Rows().ObjectAt(r)));
    return tasks;
  }
  int Count(TAVTaskStatus Status) {
    const auto tasks = Tasks();
    return static_cast<int>(std::count_if(tasks.begin(), tasks.end(), [&](TAVTask* t) { return t->Status() == Status; }));
  }

  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("gui_batch");
  std::unique_ptr<gui::TRunningApp> App;
};

TEST_F(BatchConversion, DroppedFilesAndATreeConvertInTurnsIntoAMirroredTree) {
  // Three files (two of the same name) and the folder shoot with two sub-folders.
  for (const char* d : {"/d1", "/d2", "/shoot/day1", "/shoot/day2"}) fs::create_directories(Dir + d);
  for (const char* f : {"/d1/clip.avi", "/d2/clip.avi", "/d2/other.avi", "/shoot/x.avi", "/shoot/day1/y.avi",
                        "/shoot/day2/z.avi"})
    fs::copy_file(TinyClip(), Dir + f);
  std::ofstream(Dir + "/shoot/day2/notes.txt") << "not a video";
  TConvertedNode out;
  out.Category = "批量";
  out.Folder = Dir + "/out";
  App->Module->Database()->NewCategory(out, 1);

  QStringList listed;
  QString skipped;
  bool rangeOff = false;
  {
    gui::TNextModal drive([&](QWidget* Modal) {
      auto* w = qobject_cast<TFormNewConversion*>(Modal);
      ASSERT_NE(w, nullptr);
      for (int i = 0; i < w->lvSources->topLevelItemCount(); ++i)
        listed << w->lvSources->topLevelItem(i)->text(0) + " " + w->lvSources->topLevelItem(i)->text(1);
      skipped = w->lblSkipped->text();
      w->UpdateControls();
      rangeOff = w->avPreview && !w->btnSetStart->isEnabled() && !w->btnSetEnd->isEnabled();
      FinishWithDivX(*w, true);
    });
    Drop(*App->Form, {Dir + "/d1/clip.avi", Dir + "/d2/clip.avi", Dir + "/d2/other.avi", Dir + "/shoot"});
    ASSERT_TRUE(gui::WaitUntil([&] { return drive.Shown() && Rows().rowCount() > 0; }));
  }
  // Named files first, then the folder's files sorted by path.
  EXPECT_EQ(listed, (QStringList{"clip.avi 0:0:1", "clip.avi 0:0:1", "other.avi 0:0:1", "y.avi 0:0:1", "z.avi 0:0:1",
                                 "x.avi 0:0:1"}));
  EXPECT_EQ(skipped, "已跳过 1 个不能转换的文件");
  EXPECT_TRUE(rangeOff);

  // One task per file; the others wait with their image and caption.
  ASSERT_EQ(Rows().rowCount(), 6);
  EXPECT_EQ(Count(stRunning), kLimit);
  EXPECT_EQ(Count(stWaiting), 4);
  EXPECT_EQ(Rows().index(5, 6).data().toString(), kWaitingCaption);
  std::set<std::string> targets;
  for (TAVTask* t : Tasks()) targets.insert(fs::relative(t->Settings().TargetFile, out.Folder).generic_string());
  EXPECT_EQ(targets, (std::set<std::string>{"clip.avi", "clip (1).avi", "other.avi", "shoot/x.avi",
                                            "shoot/day1/y.avi", "shoot/day2/z.avi"}));
  int most = 0;
  ASSERT_TRUE(gui::WaitUntil([&] {
    most = std::max(most, Count(stRunning) + Count(stPaused));
    return Rows().rowCount() == 0;
  }));
  EXPECT_EQ(most, kLimit);
  EXPECT_TRUE(Errors.Messages().empty());
  // Every one finished and filed into the chosen category (sqlite3 reads the rows).
  EXPECT_EQ(Sql("select count(*), sum(Converting), min(CategoryId), max(CategoryId) from Conversions"),
            "6|0|" + std::to_string(out.CategoryId) + "|" + std::to_string(out.CategoryId) + "\n");
  for (const std::string& t : targets) {
    const auto probe = fixtures::ProbeFile(out.Folder + "/" + t);
    EXPECT_EQ(probe.SortedTypes(), "audio,video") << t;
    EXPECT_NEAR(probe.Duration(), 1.0, 0.15) << t;
  }
}

TEST_F(BatchConversion, ARestartWhileSomeWaitRestoresThemStopped) {
  App->Config.PerformanceOptions().SetConcurrentTasks(1);
  const std::string longer = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  fs::create_directories(Dir + "/in");
  for (const char* f : {"/in/a.avi", "/in/b.avi", "/in/c.avi"}) fs::copy_file(longer, Dir + f);
  {
    gui::TNextModal drive([&](QWidget* Modal) { FinishWithDivX(*qobject_cast<TFormNewConversion*>(Modal), false); });
    Drop(*App->Form, {Dir + "/in"});
    ASSERT_TRUE(gui::WaitUntil([&] { return drive.Shown() && Rows().rowCount() == 3; }));
  }
  EXPECT_EQ(Count(stRunning), 1);
  EXPECT_EQ(Count(stWaiting), 2);
  App.reset();  // the program exits
  EXPECT_EQ(Sql("select count(*), sum(Converting) from Conversions"), "3|3\n");
  Start();
  ASSERT_EQ(Rows().rowCount(), 3);
  EXPECT_EQ(Count(stError), 3);
  // Restored tasks wait for the user: nothing starts by itself.
  gui::WaitIdle();
  EXPECT_EQ(Count(stError), 3);
  EXPECT_EQ(Rows().index(2, 0).data().toString(), "c.avi");
}

// The wizard alone: the filter chain reaches every file's record, and one file
// chosen with "..." after a batch is converted alone, not the old batch.
TEST(BatchWizard, FiltersReachEveryFileAndOneFileChosenAfterwardsLeavesTheBatch) {
  gui::FreshDataFolder();
  harness::ErrorRecorder errors;
  TAVConfiguration config;
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  const std::string profiles = fixtures::TempDir("batch_wizard") + "/Profiles.ini";
  const std::string first = TinyClip();
  const std::string second = fixtures::Media("batch_gui_tiny2.avi",
                                             "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg4");

  TFormNewConversion batch(catalogue, nullptr, config, profiles);
  batch.show();
  batch.SetSourceFiles({first, second});
  ChooseDivX(batch);
  batch.UpdateControls();
  QTest::mouseClick(batch.btnNext, Qt::LeftButton);
  ASSERT_EQ(batch.CurrentPage(), 1);
  auto flip = std::make_unique<TVideoStdFilter>();
  flip->SetVerticalFilp(true);
  batch.AddFilter(std::move(flip));
  const std::string chain = batch.BuildFilterText();
  ASSERT_FALSE(chain.empty());
  QTest::mouseClick(batch.btnFinish, Qt::LeftButton);
  const TNewConversions made = batch.GetNewConversions();
  ASSERT_EQ(made.Settings.size(), 2u);
  for (const auto& s : made.Settings) EXPECT_EQ(s->ConvertOptions().FilterOptions().VideoFilters(), chain) << s->SourceFile;

  TFormNewConversion again(catalogue, nullptr, config, profiles);
  again.show();
  again.SetSourceFiles({first, second});
  ASSERT_TRUE(again.IsBatch());
  ChooseDivX(again);
  ASSERT_TRUE(again.AcceptBrowsedSource(QString::fromStdString(second)));
  EXPECT_FALSE(again.IsBatch());
  EXPECT_FALSE(again.lvSources->isVisible());
  again.UpdateControls();
  QTest::mouseClick(again.btnFinish, Qt::LeftButton);
  ASSERT_EQ(again.result(), QDialog::Accepted);
  const TNewConversions one = again.GetNewConversions();
  EXPECT_FALSE(one.Batch);
  ASSERT_EQ(one.Settings.size(), 1u);
  EXPECT_EQ(one.Settings[0]->SourceFile, second);
  EXPECT_EQ(fs::path(one.Settings[0]->TargetFile).filename(), "batch_gui_tiny2 (1).avi");
  EXPECT_TRUE(errors.Messages().empty());
}

}  // namespace
