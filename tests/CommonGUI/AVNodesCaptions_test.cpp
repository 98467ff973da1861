// What the task views show: columns, captions, images, log trimming.
#include <gtest/gtest.h>

#include <fstream>

#include "CommonGUI/AVNodes.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/RecordingViews.h"

namespace {

TEST(TaskCaptions, SizesDurationsRatesAndDates) {
  EXPECT_EQ(SizeCaption(1023), "0KB");
  EXPECT_EQ(SizeCaption(1536), "1KB");
  EXPECT_EQ(SizeCaption(int64_t{5} * 1024 * 1024 * 1024), "5242880KB");
  EXPECT_EQ(DurationCaption(3725.6), "1:2:6");
  EXPECT_EQ(DurationCaption(2.5), "0:0:2");
  EXPECT_EQ(DurationCaption(3.5), "0:0:4");
  EXPECT_EQ(DurationCaption(125), "0:2:5");
  EXPECT_EQ(BitrateCaption(0), ".0");
  EXPECT_EQ(BitrateCaption(0.456), ".46");
  EXPECT_EQ(BitrateCaption(12.5), "12.5");
  EXPECT_EQ(BitrateCaption(1234567.891), "1,234,567.89");
  EXPECT_EQ(BitrateCaption(1000), "1,000.0");
  EXPECT_EQ(DateCaption(45000.5), "2023-03-15 12:00:00");
  EXPECT_EQ(FileNameOnly("/a/b/视频.avi"), "视频.avi");
  EXPECT_EQ(TrimLogLine("  \tframe=1 dropped\r\n"), "frame=1 dropped");
  // Progress alone for a plain job; the pass of a size-limited one after it.
  EXPECT_EQ(ProgressCaption(45, 0, 0), "45%");
  EXPECT_EQ(ProgressCaption(30, 1, 2), "30% 第1遍/共2遍");
  EXPECT_EQ(ProgressCaption(95, 3, 2), "95% 修正");
}

TEST(TaskColumns, BothKindsOfCategory) {
  views::TaskList list;
  TConvertingNode converting;
  converting.LoadTaskList(list);
  ASSERT_EQ(list.Columns.size(), 10u);
  EXPECT_EQ(list.Columns[0], (views::Column{"原文件", 150}));
  EXPECT_EQ(list.Columns[6], (views::Column{"进度", 70}));
  EXPECT_EQ(list.Columns[9], (views::Column{"已用时长", 70}));
  EXPECT_TRUE(list.Rows.empty());
  EXPECT_EQ(converting.GetCaption(3), "任务列表");
  EXPECT_EQ(converting.GetImageIndex(), 0);

  TConvertedNode done;
  done.Category = "已完成";
  done.CategoryId = 1;
  done.LoadTaskList(list);
  ASSERT_EQ(list.Columns.size(), 7u);
  EXPECT_EQ(list.Columns[2], (views::Column{"已转换文件", 150}));
  EXPECT_EQ(list.Columns[6], (views::Column{"日期", 120}));
  EXPECT_EQ(done.GetCaption(0), "已完成");
  EXPECT_EQ(done.GetImageIndex(), 1);
  EXPECT_TRUE(done.IsRoot());
}

TEST(TaskColumns, TaskCaptionsAndImages) {
  harness::MainLoop loop;
  const std::string dir = fixtures::TempDir("captions");
  std::ofstream(dir + "/src.avi") << std::string(1536, 'x');
  auto settings = std::make_unique<TConversionSettings>();
  settings->SourceFile = dir + "/src.avi";
  settings->TargetFile = dir + "/out.mp4";
  settings->Profile = "MPEG-4 AVC";
  settings->Duration = 3725.6;
  views::TaskList list;
  TConvertingTask task(std::move(settings), &list);
  task.SetStatus(stPaused);
  EXPECT_EQ(task.GetCaption(0), "src.avi");
  EXPECT_EQ(task.GetCaption(1), "1KB");
  EXPECT_EQ(task.GetCaption(2), "out.mp4");
  EXPECT_EQ(task.GetCaption(3), "0KB");
  EXPECT_EQ(task.GetCaption(4), "MPEG-4 AVC");
  EXPECT_EQ(task.GetCaption(6), "0%");
  EXPECT_EQ(task.GetCaption(7), ".0");
  EXPECT_EQ(task.GetCaption(8), "100:40:39");
  EXPECT_EQ(task.GetCaption(10), "");
  EXPECT_EQ(task.GetImageIndex(), 1);
  EXPECT_TRUE(task.CanOpenSource());
  EXPECT_FALSE(task.ConvertedIsValid());
  task.SetIsConverted(true);
  task.SetDate(45000.25);
  EXPECT_EQ(task.GetCaption(3), "0KB");  // no target file: size 0
  EXPECT_EQ(task.GetCaption(5), "1:2:6");
  EXPECT_EQ(task.GetCaption(6), "2023-03-15 06:00:00");
  EXPECT_EQ(task.GetCaption(7), "");
  views::Info info;
  views::LogList log;
  task.SetLog({"a", "b"});
  task.LoadTaskInfo(info, log);
  ASSERT_EQ(info.Columns.size(), 3u);
  EXPECT_EQ(info.Columns[1], (views::Column{"Property", 150}));
  EXPECT_EQ(log.Items, (std::vector<std::string>{"a", "b"}));
  task.SetStatus(static_cast<TAVTaskStatus>(7));
  EXPECT_ANY_THROW(task.GetImageIndex());
}

}  // namespace
