// Broken inputs end with an error message or a shorter output, never a crash
// or a hang (run under AddressSanitizer as well). The same corpus goes
// through the CLI in tests/cli, where a hang is cut by a time limit.
#include <gtest/gtest.h>

#include "Common/Errors.h"
#include "Components/AVPreviewDecoder.h"
#include "Converter/AVProfileCatalogue.h"
#include "Media/avprobe.h"
#include "support/BrokenCorpus.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

constexpr int kJobLimitMs = 60000;
constexpr double kPreviewAt = 0.5;

class ConverterBrokenInput : public ::testing::TestWithParam<std::string> {};

TEST_P(ConverterBrokenInput, EndsWithAnErrorOrAShorterOutput) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("broken_" + GetParam());
  const std::string input = corpus::Make(GetParam(), dir);
  ASSERT_FALSE(input.empty());
  if (corpus::NeedsUnreadable(GetParam()) && corpus::Readable(input))
    GTEST_SKIP() << "this process reads files whatever their mode (running as root)";
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  for (const std::string& name : corpus::Profiles()) {
    const TAVProfile* profile = catalogue.FindByDescription(name);
    ASSERT_NE(profile, nullptr);
    const std::string target = dir + "/out" + profile->Extension();
    TAVConverter c;
    ASSERT_TRUE(profile->ApplyProfile(c));
    harness::Events events;
    events.Attach(c);
    c.InputFiles().Add(input);
    c.OutputFiles().Add(target);
    c.Convert();
    ASSERT_TRUE(loop.WaitForJobs(kJobLimitMs)) << "the job hung: " << name;
    EXPECT_EQ(c.State(), csNone);
    if (errors.Messages().empty()) {
      // No error: the conversion finished with what could be read.
      EXPECT_EQ(events.Completed, 1) << name;
      EXPECT_LE(fixtures::ProbeFile(target).Duration(), corpus::kLongestOutput) << name;
    } else {
      EXPECT_EQ(errors.Messages().size(), 1u) << name << ": " << errors.Messages()[0];
      EXPECT_FALSE(errors.Messages()[0].empty()) << name;
    }
    errors.Clear();
  }
  // Probed and previewed: an error or a description, never a crash.
  TAVProbe probe;
  probe.SetFileName(input);
  try {
    probe.SetActive(true);
  } catch (const Exception&) {
    EXPECT_FALSE(probe.Active());
  }
  TAVPreviewDecoder preview;
  preview.SetInputFile(input);
  preview.SetActive(true);
  if (preview.Active()) {
    preview.SetTimestamp(kPreviewAt);
    EXPECT_EQ(preview.Picture().size(), static_cast<size_t>(preview.Width()) * preview.Height() * 3);
  }
}

// A recording cut off mid-packet: with codec threads the damaged last picture is
// reported while the decoder drains; every picture before it still reaches the
// file, and the encoder's held-back ones too (once 48 short with x264).
TEST(ConverterCutOffInput, KeepsEveryPictureTheFfmpegCliDecodes) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string whole = fixtures::Media(
      "cutoff_whole.mp4", "-f lavfi -i testsrc2=s=320x240:r=25:d=8 -c:v libx264 -g 50 -bf 3 -movflags +faststart");
  ASSERT_FALSE(whole.empty());
  const std::string dir = fixtures::TempDir("cutoff");
  const std::string cut = dir + "/cut.mp4";
  fixtures::RunCommand("head -c $(( $(stat -c %s " + fixtures::ShellQuote(whole) + ") / 2 )) " +
                       fixtures::ShellQuote(whole) + " > " + fixtures::ShellQuote(cut));
  const int decodable = std::stoi(fixtures::RunCommand(
      "ffmpeg -v quiet -i " + fixtures::ShellQuote(cut) + " -f framemd5 - | grep -vc '^#'"));
  ASSERT_GT(decodable, 0);
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("libx264");
  c.ConvertOptions().SetThreadCount(2);
  ASSERT_TRUE(harness::Run(c, loop, cut, dir + "/out.mp4").Finished);
  EXPECT_TRUE(errors.Messages().empty());
  // The damaged picture's slot holds the one before it (a constant rate).
  EXPECT_NEAR(fixtures::CountFrames(dir + "/out.mp4", "video"), decodable, 1);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConverterBrokenInput, ::testing::ValuesIn(corpus::Cases()),
                         [](const ::testing::TestParamInfo<std::string>& Info) { return Info.param; });

}  // namespace
