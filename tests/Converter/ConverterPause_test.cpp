// Pause and stop: no media work while paused, a stop during a pause raises
// OnStopped (not OnComplete) and leaves a playable file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(ConverterPause, PausedJobDoesNoWorkAndStopsCleanly) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("pause");
  const std::string src = fixtures::Media("pause30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 "
                                                          "-f lavfi -i sine=duration=30 -c:v mpeg4 -c:a mp2 -shortest");
  const std::string target = dir + "/paused.mkv";
  TAVConverter c;
  harness::Events events;
  events.Attach(c);
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg4");
  c.InputFiles().Add(src);
  c.OutputFiles().Add(target);
  c.Convert();
  ASSERT_TRUE(loop.PumpUntil([&] { return c.ConvertedDuration() > 1.0; }));
  c.Pause();
  EXPECT_EQ(c.State(), csPaused);
  // Let the worker reach its wait, then measure over a quiet period.
  loop.PumpUntil([] { return false; }, 300);
  const auto size = std::filesystem::file_size(target);
  const double converted = c.ConvertedDuration();
  const double cpu = ProcessCpuSeconds();
  const int progress = events.Progress;
  loop.PumpUntil([] { return false; }, 1000);
  EXPECT_EQ(std::filesystem::file_size(target), size);
  EXPECT_EQ(c.ConvertedDuration(), converted);
  EXPECT_EQ(events.Progress, progress);
  EXPECT_LT(ProcessCpuSeconds() - cpu, 0.2);  // no spinning: a whole second mostly asleep

  c.Resume();
  EXPECT_EQ(c.State(), csRunning);
  ASSERT_TRUE(loop.PumpUntil([&] { return c.ConvertedDuration() > converted + 0.5; }));
  c.Pause();
  c.Stop();
  EXPECT_EQ(c.State(), csStopped);
  ASSERT_TRUE(loop.WaitForJobs());
  EXPECT_EQ(events.Stopped, 1);
  EXPECT_EQ(events.Completed, 0);
  EXPECT_EQ(c.State(), csNone);
  EXPECT_TRUE(errors.Messages().empty());
  const auto probed = fixtures::ProbeFile(target);
  EXPECT_EQ(probed.Types(), "video,audio");
  const int frames = fixtures::CountFrames(target, "video");
  EXPECT_GT(frames, 25);
  EXPECT_LT(frames, 30 * 25);
}

}  // namespace
