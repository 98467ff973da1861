// Broken inputs end with an error message or a shorter output, never a crash
// or a hang (run under AddressSanitizer as well).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "Common/Errors.h"
#include "Components/AVPreviewDecoder.h"
#include "Converter/AVProfileCatalogue.h"
#include "Media/avprobe.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

constexpr int kJobLimitMs = 60000;

std::string WriteBytes(const std::string& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary) << Bytes;
  return Path;
}

std::string ReadBytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string RandomBytes(size_t Count, unsigned Seed) {
  std::mt19937 rng(Seed);
  std::string s(Count, '\0');
  for (auto& c : s) c = static_cast<char>(rng() & 0xff);
  return s;
}

class ConverterBrokenInput : public ::testing::TestWithParam<const char*> {};

TEST_P(ConverterBrokenInput, EndsWithAnErrorOrAShorterOutput) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir(std::string("broken_") + GetParam());
  const std::string good = ReadBytes(fixtures::Clip640x480(2.0));
  std::string input;
  const std::string kind = GetParam();
  if (kind == "truncated") input = WriteBytes(dir + "/in.avi", good.substr(0, good.size() / 3));
  else if (kind == "header_only") input = WriteBytes(dir + "/in.avi", good.substr(0, 600));
  else if (kind == "random") input = WriteBytes(dir + "/in.avi", RandomBytes(200000, 7));
  else if (kind == "empty") input = WriteBytes(dir + "/in.mp4", "");
  else if (kind == "garbage_middle") {
    std::string b = good;
    const std::string junk = RandomBytes(b.size() / 4, 11);
    b.replace(b.size() / 3, junk.size(), junk);
    input = WriteBytes(dir + "/in.avi", b);
  } else if (kind == "directory") {
    input = dir + "/folder.avi";
    std::filesystem::create_directory(input);
  } else if (kind == "absurd_size") {
    // A raw YUV4MPEG header promising a picture no decoder can hold.
    input = WriteBytes(dir + "/in.y4m", "YUV4MPEG2 W999999 H999999 F25:1 Ip A1:1 C420jpeg\nFRAME\n" +
                                            RandomBytes(4096, 3));
  } else if (kind == "wrong_codec") {
    // A Matroska file whose track claims H.264 while it holds MPEG-4 part 2.
    std::string b = ReadBytes(fixtures::Media("asp.mkv", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg4"));
    const size_t at = b.find("V_MPEG4/ISO/ASP");
    ASSERT_NE(at, std::string::npos);
    b.replace(at, 15, "V_MPEG4/ISO/AVC");
    input = WriteBytes(dir + "/in.mkv", b);
  } else if (kind == "one_frame") {
    input = fixtures::Media("oneframe.mp4", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 1 -c:v libx264");
  } else if (kind == "no_keyframe_start") {
    // An H.264 stream cut after its first key frame: it starts with P frames.
    const std::string es = ReadBytes(fixtures::Media("keyed.h264", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=2 "
                                                                    "-c:v libx264 -g 25 -bf 0 -bsf:v h264_mp4toannexb"));
    input = WriteBytes(dir + "/in.h264", es.substr(es.size() / 5));
  }
  // Three profiles: H.264 into MP4, MPEG-4 into AVI, MPEG-2 DVD.
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  for (const char* name : {"MPEG-4 AVC", "DivX影片(*.avi)", "DVD MPEG TS(PAL)"}) {
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
      EXPECT_LE(fixtures::ProbeFile(target).Duration(), 2.2) << name;
    } else {
      EXPECT_EQ(errors.Messages().size(), 1u) << name << ": " << errors.Messages()[0];
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
    preview.SetTimestamp(0.5);
    EXPECT_EQ(preview.Picture().size(), static_cast<size_t>(preview.Width()) * preview.Height() * 3);
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConverterBrokenInput,
                         ::testing::Values("truncated", "header_only", "random", "empty", "garbage_middle",
                                           "directory", "absurd_size", "wrong_codec", "one_frame",
                                           "no_keyframe_start"));

}  // namespace
