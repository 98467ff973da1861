// Tasks driving real conversions: parallel runs, pause and stop, restart,
// the log hand-over, the three completion placements and power-off.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CommonGUI/AVNodes.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/RecordingViews.h"

namespace {

class TaskExecution : public ::testing::Test {
 protected:
  void SetUp() override {
    TaskModel().Store = nullptr;
    TaskModel().ShutdownWhenDone = [this] { return Shutdown; };
    TaskModel().PowerOff = [this] { ++PowerOffs; };
    ConvertingRow = Tree.AddRow(&Converting, nullptr);
    Converting.SetNode(ConvertingRow);
    Converting.SetTreeView(&Tree);
    Category.CategoryId = 5;
    Category.Category = "视频";
    CategoryRow = TNodeObject::AddNodeToView(Tree, Category, nullptr);
    OtherCategory.CategoryId = 6;
    TNodeObject::AddNodeToView(Tree, OtherCategory, nullptr);
  }
  void TearDown() override {
    TaskModel().PowerOff = nullptr;
    TaskModel().Clock = TTaskModelEnvironment::MonotonicMicroseconds;
    TaskModel().TaskEnded = nullptr;
  }

  void ShowConverting() {
    Tree.Focused = ConvertingRow;
    Converting.LoadTaskList(List);
  }
  std::unique_ptr<TConversionSettings> Settings(const std::string& Name, const std::string& Source = "") {
    auto s = std::make_unique<TConversionSettings>();
    s->SourceFile = Source.empty() ? fixtures::Clip640x480(2.0) : Source;
    s->TargetFile = Dir + "/" + Name;
    s->Profile = "test";
    s->CategoryId = 5;
    s->ConvertOptions().SetRecordingTime(INT64_MAX);
    return s;
  }
  bool WaitFor(const std::function<bool()>& Done) { return Loop.PumpUntil(Done, 120000); }

  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("tasks");
  views::Tree Tree;
  views::TaskList List;
  TConvertingNode Converting;
  TConvertedNode Category, OtherCategory;
  TViewRow ConvertingRow = nullptr, CategoryRow = nullptr;
  bool Shutdown = false;
  int PowerOffs = 0;
};

TEST_F(TaskExecution, TwoConversionsRunSideBySideAndLeaveTheList) {
  std::vector<std::string> ended;  // told once per task, before it leaves the list
  TaskModel().TaskEnded = [&](const TAVTask& Task, bool Failed) {
    EXPECT_FALSE(Failed);
    EXPECT_EQ(Task.Status(), stFinished);
    ended.push_back(Task.Settings().TargetFile);
  };
  ShowConverting();
  TAVTask* a = Converting.NewConversion(Settings("a.avi"));
  TAVTask* b = Converting.NewConversion(Settings("b.avi"));
  EXPECT_EQ(List.Rows.size(), 2u);
  EXPECT_EQ(a->Status(), stRunning);
  EXPECT_EQ(b->Category(), &Converting);
  EXPECT_EQ(b->CategoryId(), 5);
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty(); }));
  EXPECT_TRUE(List.Rows.empty());
  EXPECT_GT(List.Refreshes, 2);
  std::sort(ended.begin(), ended.end());
  EXPECT_EQ(ended, std::vector<std::string>({Dir + "/a.avi", Dir + "/b.avi"}));
  EXPECT_TRUE(Errors.Messages().empty());
  EXPECT_NE(fixtures::Probe(Dir + "/a.avi", "stream=codec_type").find("video"), std::string::npos);
  EXPECT_NE(fixtures::Probe(Dir + "/b.avi", "stream=codec_type").find("video"), std::string::npos);
}

TEST_F(TaskExecution, PauseResumeStopAndRestart) {
  ShowConverting();
  const std::string src = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  TAVTask* t = Converting.NewConversion(Settings("long.mkv", src));
  ASSERT_TRUE(WaitFor([&] { return t->Converter().State() == csRunning && t->Converter().Progress() > 2; }));
  t->Pause();
  EXPECT_EQ(t->Status(), stPaused);
  EXPECT_EQ(t->Converter().State(), csPaused);
  EXPECT_EQ(t->GetImageIndex(), 1);
  t->Resume();
  EXPECT_EQ(t->Status(), stRunning);
  EXPECT_EQ(t->Converter().State(), csRunning);
  t->Stop();
  EXPECT_EQ(t->Status(), stError);
  ASSERT_TRUE(WaitFor([&] { return t->Converter().State() == csNone && RunningConverterThreads() == 0; }));
  EXPECT_EQ(Converting.Tasks().size(), 1u);  // no completion after a stop
  EXPECT_EQ(t->GetImageIndex(), 2);
  t->SetLog({"old"});
  t->Start();  // restart: from the beginning, log cleared
  EXPECT_TRUE(t->Log().empty());
  EXPECT_EQ(t->Status(), stRunning);
  // The figures still hold the first job's until the new loop writes them, and
  // a stop before the loop has started is ignored: wait for the loop.
  ASSERT_TRUE(WaitFor([&] { return t->Converter().State() == csRunning; }));
  t->Stop();
  ASSERT_TRUE(WaitFor([&] { return RunningConverterThreads() == 0; }));
  EXPECT_TRUE(Errors.Messages().empty());
}

TEST_F(TaskExecution, ProgressRepaintsAreCoalescedButPauseAndStopArePainted) {
  // The pacing clock stands still unless the test moves it.
  int64_t now = 0;
  int notices = 0;  // main thread: one clock read per progress notice
  TaskModel().Clock = [&] {
    ++notices;
    return now;
  };
  ShowConverting();
  const std::string src = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  TAVTask* t = Converting.NewConversion(Settings("paced.mkv", src));
  ASSERT_TRUE(WaitFor([&] { return notices > 0; }));
  const int first = List.Refreshes;
  EXPECT_GE(first, 1);
  ASSERT_TRUE(WaitFor([&] { return notices > 100; }));
  EXPECT_EQ(List.Refreshes, first);
  now += kRowRepaintIntervalUs;
  const int seen = notices;
  ASSERT_TRUE(WaitFor([&] { return notices > seen + 20; }));
  EXPECT_EQ(List.Refreshes, first + 1);
  const int beforePause = List.Refreshes;
  t->Pause();
  ASSERT_TRUE(WaitFor([&] { return List.Refreshes > beforePause && t->Converter().State() == csPaused; }));
  t->Resume();
  const int beforeStop = List.Refreshes;
  t->Stop();
  ASSERT_TRUE(WaitFor([&] { return RunningConverterThreads() == 0; }));
  EXPECT_GT(List.Refreshes, beforeStop);
  EXPECT_TRUE(Errors.Messages().empty());
}

TEST_F(TaskExecution, StopWhileOpeningEndsTheJobAndTheTaskStaysStopped) {
  ShowConverting();
  TAVTask* t = Converting.NewConversion(Settings("early.avi"));
  t->Stop();  // the converter is still setting up: the job ends without completing
  EXPECT_EQ(t->Status(), stError);
  ASSERT_TRUE(WaitFor([] { return RunningConverterThreads() == 0; }));
  Loop.Dispatcher().ProcessPendingEvents();
  ASSERT_EQ(Converting.Tasks().size(), 1u);
  EXPECT_EQ(Converting.Tasks().front().get(), t);
  EXPECT_EQ(t->Status(), stError);
}

TEST_F(TaskExecution, LogKeepsTheLast51Lines) {
  ShowConverting();
  TAVTask* t = Converting.NewConversion(Settings("log.avi"));
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty() || t->Status() == stFinished; }));
  // A fresh task is fed lines the way the worker hands them over.
  auto s = Settings("unused.avi");
  TConvertingTask probe(std::move(s), &List);
  views::LogList logList;
  views::Info info;
  probe.SetCategory(&Converting);
  probe.LoadTaskInfo(info, logList);
  for (int i = 0; i < 60; ++i) probe.Converter().OnLog(&probe.Converter(), 24, "line " + std::to_string(i) + "\n");
  Loop.Dispatcher().ProcessPendingEvents();
  ASSERT_EQ(probe.Log().size(), 51u);
  EXPECT_EQ(probe.Log().front(), "line 9");
  EXPECT_EQ(probe.Log().back(), "line 59");
}

TEST_F(TaskExecution, CompletionPlacements) {
  // Its own category shown: appended to that list.
  Tree.Focused = CategoryRow;
  Category.LoadTaskList(List);
  Converting.NewConversion(Settings("own.avi"));
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty(); }));
  ASSERT_EQ(Category.Tasks().size(), 1u);
  TAVTask* filed = Category.Tasks().front().get();
  EXPECT_TRUE(filed->IsConverted());
  EXPECT_EQ(filed->Category(), &Category);
  EXPECT_EQ(List.Objects(), std::vector<TNodeObject*>{filed});
  EXPECT_TRUE(filed->ConvertedIsValid());
  // Deleting it from there removes its row at once; the files stay without the choices.
  filed->Delete(false, false);
  EXPECT_TRUE(List.Rows.empty());
  EXPECT_TRUE(Category.Tasks().empty());
  EXPECT_TRUE(std::filesystem::exists(Dir + "/own.avi"));

  // Another category shown: nothing visible changes.
  views::TaskList other;
  Tree.Focused = OtherCategory.Node();
  OtherCategory.LoadTaskList(other);
  Converting.NewConversion(Settings("elsewhere.avi"));
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty(); }));
  EXPECT_TRUE(other.Rows.empty());
  EXPECT_TRUE(OtherCategory.Tasks().empty());
  EXPECT_TRUE(Category.Tasks().empty());
}

TEST_F(TaskExecution, DeleteWithTheFileChoices) {
  ShowConverting();
  const std::string src = Dir + "/source_copy.avi";
  std::filesystem::copy_file(fixtures::Clip640x480(2.0), src);
  const std::string longer = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  std::filesystem::copy_file(longer, src, std::filesystem::copy_options::overwrite_existing);
  TAVTask* t = Converting.NewConversion(Settings("gone.avi", src));
  ASSERT_TRUE(WaitFor([&] { return t->Converter().ConvertedDuration() > 0.5; }));
  t->Stop();
  ASSERT_TRUE(WaitFor([&] { return RunningConverterThreads() == 0; }));
  ASSERT_TRUE(std::filesystem::exists(Dir + "/gone.avi"));
  ASSERT_EQ(Converting.Tasks().size(), 1u);
  t->Delete(true, true);
  EXPECT_TRUE(Converting.Tasks().empty());
  EXPECT_TRUE(List.Rows.empty());
  EXPECT_FALSE(std::filesystem::exists(src));
  EXPECT_FALSE(std::filesystem::exists(Dir + "/gone.avi"));
  EXPECT_TRUE(std::filesystem::exists(fixtures::Clip640x480(2.0)));
}

TEST_F(TaskExecution, PowerOffWhenTheLastRunningTaskCompletes) {
  Shutdown = true;
  ShowConverting();
  Converting.NewConversion(Settings("p1.avi"));
  Converting.NewConversion(Settings("p2.avi", fixtures::Clip640x480(4.0)));
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().size() == 1; }));
  EXPECT_EQ(PowerOffs, 0);
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty(); }));
  EXPECT_EQ(PowerOffs, 1);

  // One running, one paused: the running one's completion powers off.
  PowerOffs = 0;
  const std::string longer = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  TAVTask* paused = Converting.NewConversion(Settings("paused.mkv", longer));
  ASSERT_TRUE(WaitFor([&] { return paused->Converter().State() == csRunning; }));
  paused->Pause();
  Converting.NewConversion(Settings("p3.avi"));
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().size() == 1; }));
  EXPECT_EQ(PowerOffs, 1);
  paused->Stop();
  ASSERT_TRUE(WaitFor([&] { return RunningConverterThreads() == 0; }));
}

// Conversions that fail while being set up (the source as the target, a
// missing source) stop with the error in their log, no longer count as
// running, and deleting one never removes its source.
TEST_F(TaskExecution, SetupFailuresStopTheTaskAndNeverCostTheSource) {
  Shutdown = true;
  ShowConverting();
  const std::string source = Dir + "/self.avi";
  std::filesystem::copy_file(fixtures::Clip640x480(2.0), source);
  auto onto = Settings("unused.avi", source);
  onto->TargetFile = source;
  TAVTask* self = Converting.NewConversion(std::move(onto));
  TAVTask* missing = Converting.NewConversion(Settings("missing_out.avi", Dir + "/missing.avi"));
  auto unknown = Settings("codec.avi");
  unknown->ConvertOptions().VideoOptions().SetEncoderVideoCodecName("nosuchcodec");
  TAVTask* codec = Converting.NewConversion(std::move(unknown));
  Converting.NewConversion(Settings("real.avi", fixtures::Clip640x480(4.0)));
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().size() == 3 && RunningConverterThreads() == 0; }));
  EXPECT_EQ(PowerOffs, 1);  // once the real conversion ended, not before
  ASSERT_EQ(Converting.Tasks().size(), 3u);
  for (TAVTask* failed : {self, missing, codec}) {
    EXPECT_EQ(failed->Status(), stError);
    EXPECT_EQ(failed->GetImageIndex(), 2);
    ASSERT_FALSE(failed->Log().empty());
  }
  EXPECT_EQ(self->Log().back(), "Target file is the same as the source file");
  const std::vector<std::string> shown = Errors.Messages();
  ASSERT_EQ(shown.size(), 3u);  // each failure's box, its text in the task's log too
  for (TAVTask* failed : {missing, codec})
    EXPECT_NE(std::find(shown.begin(), shown.end(), failed->Log().back()), shown.end());

  // Restarted, it fails the same way; deleted with "删除已转换的文件", the source stays.
  Shutdown = false;
  self->Start();
  ASSERT_TRUE(WaitFor([&] { return self->Status() == stError && RunningConverterThreads() == 0; }));
  const auto size = std::filesystem::file_size(source);
  self->Delete(false, true);
  ASSERT_TRUE(std::filesystem::exists(source));
  EXPECT_EQ(std::filesystem::file_size(source), size);
  EXPECT_EQ(fixtures::Probe(source, "stream=codec_name", "-select_streams v"), "codec_name=mpeg4\n");
  missing->Delete(false, true);
  codec->Delete(false, true);
  EXPECT_TRUE(Converting.Tasks().empty());
}

// A batch taking turns (one at a time) whose last task fails at its start:
// the shutdown owed since the real conversion ended still comes, once. A
// failed start alone never powers off.
TEST_F(TaskExecution, ABatchEndingInAFailedStartStillPowersOff) {
  Shutdown = true;
  ShowConverting();
  std::vector<std::unique_ptr<TConversionSettings>> batch;
  batch.push_back(Settings("turn1.avi"));
  batch.push_back(Settings("turn2.avi", Dir + "/missing.avi"));
  Converting.NewBatch(std::move(batch));
  ASSERT_TRUE(WaitFor([&] { return !Converting.AnyRunningOrWaiting() && RunningConverterThreads() == 0; }));
  EXPECT_EQ(PowerOffs, 1);

  Converting.NewConversion(Settings("alone.avi", Dir + "/missing.avi"));
  ASSERT_TRUE(WaitFor([&] { return !Converting.AnyRunningOrWaiting() && RunningConverterThreads() == 0; }));
  EXPECT_EQ(PowerOffs, 1);
}

// Stop and start again at once, five times: the restart waits for the stopped
// job to close its file, never runs beside it on the same target, and the
// last run converts the whole source.
TEST_F(TaskExecution, StopAndStartAtOnceRunOneJobAtATime) {
  ShowConverting();
  const std::string source =
      fixtures::Media("task10.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=10 -c:v mpeg4");
  TAVTask* task = Converting.NewConversion(Settings("restarted.avi", source));
  ASSERT_TRUE(WaitFor([&] { return task->Converter().Progress() > 3; }));
  for (int i = 0; i < 5; ++i) {
    task->Stop();
    task->Start();
  }
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty() && RunningConverterThreads() == 0; }));
  EXPECT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
  EXPECT_NEAR(fixtures::ProbeFile(Dir + "/restarted.avi").Duration(), 10.0, 0.1);
}

TEST_F(TaskExecution, TwentyAtOnce) {
  ShowConverting();
  const std::string src = fixtures::Media("short1s.avi", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg4");
  for (int i = 0; i < 20; ++i) Converting.NewConversion(Settings("many" + std::to_string(i) + ".avi", src));
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty(); }));
  EXPECT_TRUE(Errors.Messages().empty());
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(fixtures::CountFrames(Dir + "/many" + std::to_string(i) + ".avi", "video"), 25) << i;
}

TEST_F(TaskExecution, DestroyingARunningTaskWaitsForItsWorker) {
  ShowConverting();
  const std::string src = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  TAVTask* t = Converting.NewConversion(Settings("exit.mkv", src));
  ASSERT_TRUE(WaitFor([&] { return t->Converter().ConvertedDuration() > 1.0; }));
  Converting.ClearTasks();  // as at program exit
  EXPECT_EQ(RunningConverterThreads(), 0);
  EXPECT_GT(fixtures::CountFrames(Dir + "/exit.mkv", "video"), 0);
}

}  // namespace
