// Jobs that end early say why and leave nothing broken behind: a stop during
// setup, a failed setup, an output that got no packet, a full disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/SilentFifo.h"

namespace fs = std::filesystem;

namespace {

bool Contains(const std::vector<std::string>& Lines, const std::string& Text) {
  return std::any_of(Lines.begin(), Lines.end(),
                     [&](const std::string& l) { return l.find(Text) != std::string::npos; });
}

bool JobRunning() { return RunningConverterThreads() > 0; }

class ConverterFailures : public ::testing::Test {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("failures");
  std::string Out(const std::string& Name) { return Dir + "/" + Name; }
};

TEST_F(ConverterFailures, StopOrDestructionEndsASetupWaitingForItsInput) {
  // The input is a FIFO whose writer never writes: only the stop can end these jobs.
  {
    fixtures::SilentFifo input(Out("slow_stop.avi"));
    TAVConverter c;
    harness::Events events;
    events.Attach(c);
    c.InputFiles().Add(input.Path());
    c.OutputFiles().Add(Out("stopped.avi"));
    c.Convert();
    ASSERT_TRUE(input.WaitForReader(JobRunning));
    c.Stop();
    ASSERT_TRUE(Loop.WaitForJobs());
    EXPECT_EQ(events.Completed, 0);
    EXPECT_EQ(events.Stopped, 1);
    EXPECT_EQ(c.State(), csNone);
  }
  {
    fixtures::SilentFifo input(Out("slow_destroyed.avi"));
    auto c = std::make_unique<TAVConverter>();
    harness::Events events;
    events.Attach(*c);
    c->InputFiles().Add(input.Path());
    c->OutputFiles().Add(Out("destroyed.avi"));
    c->Convert();
    ASSERT_TRUE(input.WaitForReader(JobRunning));
    c.reset();  // returns once the job has ended
    EXPECT_FALSE(JobRunning());
    EXPECT_EQ(events.Completed, 0);
  }
  EXPECT_TRUE(Errors.Messages().empty());
  EXPECT_FALSE(fs::exists(Out("stopped.avi")));
  EXPECT_FALSE(fs::exists(Out("destroyed.avi")));
}

TEST_F(ConverterFailures, NoHeaderOrNoPacketLeavesNoFile) {
  {
    TAVConverter c;
    c.ConvertOptions().FilterOptions().SetVideoFilters("nosuchfilter=1");
    ASSERT_TRUE(harness::Run(c, Loop, fixtures::Clip640x480(), Out("badfilter.avi")).Finished);
    EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"Error opening filters!"});
    EXPECT_FALSE(fs::exists(Out("badfilter.avi")));
  }
  Errors.Clear();
  {
    // FLAC's encoder still hands over a closing header packet with no media.
    const std::string empty = fixtures::Media("nosamples.wav", "-f lavfi -i sine -t 0 -c:a pcm_s16le");
    for (const char* target : {"nosamples.mp3", "nosamples.flac"}) {
      Errors.Clear();
      TAVConverter c;
      harness::Events events;
      events.Attach(c);
      ASSERT_TRUE(harness::Run(c, Loop, empty, Out(target)).Finished);
      EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"Output file is empty, nothing was encoded"}) << target;
      EXPECT_FALSE(fs::exists(Out(target))) << target;
    }
  }
}

TEST_F(ConverterFailures, AWriteErrorLogsTheSystemsReason) {
  std::error_code ec;
  if (!fs::exists("/dev/full", ec)) GTEST_SKIP() << "no /dev/full to give a full disk";
  // Every write to /dev/full fails with ENOSPC.
  fs::create_symlink("/dev/full", Out("full.avi"));
  TAVConverter c;
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, Loop, fixtures::Clip640x480(), Out("full.avi")).Finished);
  ASSERT_EQ(Errors.Messages().size(), 1u);
  // "No space left on device", in the locale's language.
  EXPECT_TRUE(Contains(events.Log, std::string("full.avi: ") + std::strerror(ENOSPC))) << testing::PrintToString(events.Log);
}

}  // namespace
