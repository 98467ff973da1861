// Worker threads: log routing to the converter whose worker logged, a second
// job on the same converter, and destroying a converter from its completion
// handler. Run under ThreadSanitizer (QB_SANITIZE=thread) as well.
#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
