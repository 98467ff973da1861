// Tasks added as a batch: at most the limit convert at once, the others wait
// with their own image and caption and start as places free up; the user can
// start one at once; single tasks never wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CommonGUI/AVNodes.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/RecordingViews.h"

namespace {

constexpr int kLimit = 2;

std::string TinyClip() {
  return fixtures::Media("batch_task_tiny.avi", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg4");
}

class TaskBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    TaskModel().Store = nullptr;
    TaskModel().BatchLimit = [] { return kLimit; };
    Converting.SetNode(Tree.AddRow(&Converting, nullptr));
    Converting.SetTreeView(&Tree);
    Tree.Focused = Converting.Node();
    Converting.LoadTaskList(List);
  }
  void TearDown() override { TaskModel().BatchLimit = [] { return 1; }; }

  std::vector<std::unique_ptr<TConversionSettings>> Batch(int Count, const std::string& Source) {
    std::vector<std::unique_ptr<TConversionSettings>> batch;
    for (int i = 0; i < Count; ++i) {
      auto s = std::make_unique<TConversionSettings>();
      s->SourceFile = Source;
      s->TargetFile = Dir + "/out" + std::to_string(i) + ".avi";
      s->CategoryId = 1;
      s->ConvertOptions().SetRecordingTime(INT64_MAX);
      batch.push_back(std::move(s));
    }
    return batch;
  }
  int Count(TAVTaskStatus Status) {
    return static_cast<int>(std::count_if(Converting.Tasks().begin(), Converting.Tasks().end(),
                                           [Status](const auto& t) { return t->Status() == Status; }));
  }
  // Pumps until Done, noting the most tasks that ever converted at once.
  bool WaitFor(const std::function<bool()>& Done) {
    return Loop.PumpUntil([&] {
      MostConverting = std::max(MostConverting, Count(stRunning) + Count(stPaused));
      return Done();
    }, 120000);
  }

  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("task_batch");
  views::Tree Tree;
  views::TaskList List;
  TConvertingNode Converting;
  int MostConverting = 0;
};

TEST_F(TaskBatch, AtMostTheLimitConvertAndTheOthersFollow) {
  const std::vector<TAVTask*> tasks = Converting.NewBatch(Batch(5, TinyClip()));
  ASSERT_EQ(tasks.size(), 5u);
  EXPECT_EQ(List.Rows.size(), 5u);
  EXPECT_EQ(Count(stRunning), kLimit);
  EXPECT_EQ(Count(stWaiting), 3);
  // List order: the first ones run, the last one waits with its image and caption.
  EXPECT_EQ(tasks[0]->Status(), stRunning);
  EXPECT_EQ(tasks[4]->GetImageIndex(), 4);
  EXPECT_EQ(tasks[4]->GetCaption(6), kWaitingCaption);
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty(); }));
  EXPECT_EQ(MostConverting, kLimit);
  EXPECT_TRUE(Errors.Messages().empty());
  for (int i = 0; i < 5; ++i)
    EXPECT_NEAR(fixtures::ProbeFile(Dir + "/out" + std::to_string(i) + ".avi").Duration(), 1.0, 0.15) << i;
}

TEST_F(TaskBatch, StopFreesAPlaceTheUserMayStartAWaitingOneAndSingleTasksNeverWait) {
  const std::string longer = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  const std::vector<TAVTask*> tasks = Converting.NewBatch(Batch(4, longer));
  EXPECT_EQ(Count(stWaiting), 2);
  // Started by the user: it runs at once, beyond the limit.
  tasks[3]->Start();
  EXPECT_EQ(Count(stRunning), 3);
  // A task added by itself starts at once however many wait.
  auto single = std::make_unique<TConversionSettings>();
  single->SourceFile = TinyClip();
  single->TargetFile = Dir + "/single.avi";
  single->ConvertOptions().SetRecordingTime(INT64_MAX);
  EXPECT_EQ(Converting.NewConversion(std::move(single))->Status(), stRunning);
  // Stopping two converting ones frees one place below the limit (3 - 2 < 2):
  // the waiting one starts once the stops are through.
  tasks[0]->Stop();
  tasks[1]->Stop();
  EXPECT_EQ(tasks[2]->Status(), stWaiting);
  ASSERT_TRUE(WaitFor([&] { return tasks[2]->Status() == stRunning; }));
  // Stopped, nothing of the batch starts again by itself.
  for (TAVTask* t : {tasks[2], tasks[3]}) t->Stop();
  Loop.Dispatcher().ProcessPendingEvents();
  for (TAVTask* t : tasks) EXPECT_EQ(t->Status(), stError);
}

}  // namespace
