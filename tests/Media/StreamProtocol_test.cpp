// "stream:" names: parsing, seeking, and conversions through in-memory streams.
#include <gtest/gtest.h>

#include <fstream>

#include "Common/Errors.h"
#include "Media/StreamProtocol.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

TEST(StreamProtocol, NameParsing) {
  int32_t ref = 0;
  EXPECT_EQ(StreamOpen("stream:42.avi", &ref), 0);
  EXPECT_EQ(ref, 42);
  EXPECT_EQ(StreamOpen("stream:42", &ref), 0);
  EXPECT_EQ(ref, 42);
  EXPECT_EQ(StreamOpen("stream:-7.mp4", &ref), 0);
  EXPECT_EQ(ref, -7);
  EXPECT_LT(StreamOpen("stream:42.x.avi", &ref), 0);
  EXPECT_LT(StreamOpen("stream:abc", &ref), 0);
  EXPECT_LT(StreamOpen("stream:99999999999", &ref), 0);
  EXPECT_EQ(OpenStreamContext("stream:123456.avi", false), nullptr);  // not registered
}

TEST(StreamProtocol, SeekRulesAndSizeQuery) {
  TMemoryStream s("0123456789");
  EXPECT_EQ(StreamSeek(s, 4, SEEK_SET), 4);
  EXPECT_EQ(StreamSeek(s, 2, SEEK_CUR), 6);
  EXPECT_EQ(StreamSeek(s, -1, SEEK_END), 9);
  EXPECT_EQ(StreamSeek(s, 0, AVSEEK_SIZE), -1);
  EXPECT_EQ(StreamSeek(s, (int64_t{1} << 32) + 3, SEEK_SET), 3);  // only the low 32 bits reach the stream
  EXPECT_THROW(StreamSeek(s, 0, 7), EAssertionFailed);
}

TEST(StreamProtocol, ConversionsFromAndIntoMemory) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("streams");
  std::string bytes;
  {
    std::ifstream in(fixtures::Clip640x480(2.0), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  TMemoryStream input(bytes);
  TMemoryStream output;
  const int in = RegisterStream(&input);
  const int out = RegisterStream(&output);
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg4");
  c.ConvertOptions().SetAdvancedOption("flags", "+bitexact");
  ASSERT_TRUE(harness::Run(c, loop, "stream:" + std::to_string(in) + ".avi", "stream:" + std::to_string(out) + ".mp4")
                  .Finished);
  EXPECT_TRUE(errors.Messages().empty()) << (errors.Messages().empty() ? "" : errors.Messages()[0]);
  UnregisterStream(in);
  UnregisterStream(out);
  std::ofstream(dir + "/from_memory.mp4", std::ios::binary) << output.Data();

  TAVConverter files;
  files.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg4");
  files.ConvertOptions().SetAdvancedOption("flags", "+bitexact");
  ASSERT_TRUE(harness::Run(files, loop, fixtures::Clip640x480(2.0), dir + "/from_file.mp4").Finished);
  const auto a = fixtures::ProbeFile(dir + "/from_memory.mp4");
  const auto b = fixtures::ProbeFile(dir + "/from_file.mp4");
  EXPECT_EQ(a.SortedTypes(), "audio,video");
  EXPECT_EQ(a.SortedTypes(), b.SortedTypes());
  EXPECT_EQ(fixtures::CountFrames(dir + "/from_memory.mp4", "video"), fixtures::CountFrames(dir + "/from_file.mp4", "video"));
  auto decoded = [](const std::string& F) {
    return fixtures::RunCommand("ffmpeg -v error -i " + fixtures::ShellQuote(F) + " -map 0:v -f hash -hash md5 -");
  };
  EXPECT_EQ(decoded(dir + "/from_memory.mp4"), decoded(dir + "/from_file.mp4"));
}

}  // namespace
