// Worker threads: log routing to the converter whose job logged (also from
// codec threads), a second job on the same converter, destroying a converter
// from its completion handler, and the headless dispatcher's progress on the
// worker. Run under ThreadSanitizer (QB_SANITIZE=thread) as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <sstream>
#include <thread>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"

namespace {

bool Contains(const std::vector<std::string>& Lines, const std::string& Text) {
  return std::any_of(Lines.begin(), Lines.end(),
                     [&](const std::string& l) { return l.find(Text) != std::string::npos; });
}

class ConverterThreads : public ::testing::Test {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("threads");
};

TEST_F(ConverterThreads, EachConverterGetsOnlyItsOwnWorkersLog) {
  // MP2 has no 11025 Hz or 30000 Hz: each encoder logs the rate it falls back to.
  TAVConverter a, b;
  harness::Events ea, eb;
  ea.Attach(a);
  eb.Attach(b);
  for (TAVConverter* c : {&a, &b}) c->ConvertOptions().AudioOptions().SetEncoderAudioCodecName("mp2");
  a.ConvertOptions().AudioOptions().SetAudioSampleRate(11025);
  b.ConvertOptions().AudioOptions().SetAudioSampleRate(30000);
  const std::string src = fixtures::Clip640x480(4.0);
  a.InputFiles().Add(src);
  a.OutputFiles().Add(Dir + "/a.avi");
  b.InputFiles().Add(src);
  b.OutputFiles().Add(Dir + "/b.avi");
  a.Convert();
  b.Convert();
  ASSERT_TRUE(Loop.WaitForJobs());
  EXPECT_EQ(ea.Completed, 1);
  EXPECT_EQ(eb.Completed, 1);
  EXPECT_TRUE(Contains(ea.Log, "closest supported (16000)"));
  EXPECT_FALSE(Contains(ea.Log, "closest supported (32000)"));
  EXPECT_TRUE(Contains(eb.Log, "closest supported (32000)"));
  EXPECT_FALSE(Contains(eb.Log, "closest supported (16000)"));
  EXPECT_TRUE(Errors.Messages().empty());
}

// The decoder's warnings as the ffmpeg CLI prints them with Threads codec threads, without their prefix.
std::multiset<std::string> CliDecoderWarnings(const std::string& File, int Threads) {
  std::istringstream lines(fixtures::RunCommand("ffmpeg -hide_banner -v warning -threads " + std::to_string(Threads) +
                                                " -i " + fixtures::ShellQuote(File) + " -f null - 2>&1"));
  std::multiset<std::string> warnings;
  const std::string prefix = "[mpeg4 @ ";
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(prefix, 0) == 0) warnings.insert(line.substr(line.find("] ") + 2) + "\n");
  return warnings;
}

TEST_F(ConverterThreads, CodecThreadsLogToTheirOwnJob) {
  constexpr int kThreads = 4;
  const std::string damaged = fixtures::DamagedAvi(Dir);
  const std::multiset<std::string> expected = CliDecoderWarnings(damaged, kThreads);
  ASSERT_GT(expected.size(), 20u);
  TAVConverter a, b;
  harness::Events ea, eb;
  ea.Attach(a);
  eb.Attach(b);
  a.ConvertOptions().SetThreadCount(kThreads);
  b.ConvertOptions().SetThreadCount(kThreads);
  b.ConvertOptions().AudioOptions().SetEncoderAudioCodecName("mp2");
  b.ConvertOptions().AudioOptions().SetAudioSampleRate(30000);
  a.InputFiles().Add(damaged);
  a.OutputFiles().Add(Dir + "/from_damaged.avi");
  b.InputFiles().Add(fixtures::Clip640x480(2.0));
  b.OutputFiles().Add(Dir + "/from_clean.avi");
  a.Convert();
  b.Convert();
  ASSERT_TRUE(Loop.WaitForJobs());
  EXPECT_EQ(ea.Completed, 1);
  EXPECT_EQ(eb.Completed, 1);
  auto decoderLines = [&](const std::vector<std::string>& Log) {
    return std::count_if(Log.begin(), Log.end(), [&](const std::string& l) { return expected.count(l) > 0; });
  };
  // The same data decoded: about as many warnings as the CLI shows, none in the other job.
  EXPECT_GE(decoderLines(ea.Log), static_cast<long>(expected.size() / 2)) << testing::PrintToString(ea.Log);
  EXPECT_EQ(decoderLines(eb.Log), 0);
  EXPECT_TRUE(Contains(eb.Log, "closest supported (32000)"));
  EXPECT_FALSE(Contains(ea.Log, "closest supported"));
}

TEST_F(ConverterThreads, SecondJobOnTheSameConverter) {
  TAVConverter c;
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, Loop, fixtures::Clip640x480(), Dir + "/first.avi").Finished);
  ASSERT_TRUE(harness::Run(c, Loop, fixtures::Clip640x480(), Dir + "/second.avi").Finished);
  EXPECT_EQ(events.Completed, 2);
  EXPECT_GT(events.Progress, 0);
  EXPECT_EQ(c.State(), csNone);
  EXPECT_NE(fixtures::Probe(Dir + "/second.avi", "stream=codec_type").find("video"), std::string::npos);
}

TEST_F(ConverterThreads, DestroyedFromItsCompletionHandler) {
  auto* c = new TAVConverter();
  bool completed = false;
  c->OnComplete = [&completed](TAVConverter* Sender) {
    completed = true;
    delete Sender;
  };
  c->InputFiles().Add(fixtures::Clip640x480());
  c->OutputFiles().Add(Dir + "/deleted.avi");
  c->Convert();
  ASSERT_TRUE(Loop.WaitForJobs());
  EXPECT_TRUE(completed);
}

// Without a user interface (the CLI), progress runs on the worker under the
// output lock; the completion still comes to the main thread.
TEST(HeadlessDispatcher, ProgressRunsOnTheWorkerUnderTheOutputLock) {
  auto owned = std::make_unique<THeadlessDispatcher>();
  THeadlessDispatcher& d = *owned;
  harness::MainLoop loop(std::move(owned));
  harness::ErrorRecorder errors;
  TAVConverter c;
  int progress = 0, onMain = 0, lockTaken = 0;  // worker only until the job ends
  std::thread::id worker;
  bool completedOnMain = false, sameWorker = true;
  c.OnProgress = [&](TAVConverter*) {
    if (progress++ == 0) {
      worker = std::this_thread::get_id();
      // Another thread can't write output meanwhile.
      std::thread other([&] {
        if (!d.OutputLock().try_lock()) return;
        ++lockTaken;
        d.OutputLock().unlock();
      });
      other.join();
    }
    sameWorker = sameWorker && worker == std::this_thread::get_id();
    if (d.IsMainThread()) ++onMain;
  };
  c.OnComplete = [&](TAVConverter*) { completedOnMain = d.IsMainThread(); };
  const std::string dir = fixtures::TempDir("headless");
  ASSERT_TRUE(harness::Run(c, loop, fixtures::Clip640x480(), dir + "/out.avi").Finished);
  EXPECT_GT(progress, 10);
  EXPECT_EQ(onMain, 0);
  EXPECT_TRUE(sameWorker);
  EXPECT_EQ(lockTaken, 0);
  EXPECT_TRUE(completedOnMain);
  EXPECT_TRUE(errors.Messages().empty());
}

}  // namespace
