// End-to-end conversions into the formats the profiles target, checked with
// ffprobe: stream kinds and codecs, picture and sound parameters, length, and
// audio/video start alignment.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

using fixtures::ProbedFile;

struct FormatCase {
  const char* Name;
  const char* Target;          // file name inside the test folder
  std::function<void(TAVConvertOptions&)> Configure;
  const char* Types;           // expected stream kinds in order
  const char* VideoCodec;      // "" when no video
  const char* AudioCodec;      // "" when no audio
  int Width, Height;           // 0: the source's
  double FrameRate;            // 0: don't check
  int SampleRate, Channels;    // 0: don't check
};

constexpr double kSourceSeconds = 2.0;
constexpr int kSourceFrames = 50;
constexpr double kAudioPadding = 0.1;
constexpr double kAlignment = 0.05;

std::string Source() { return fixtures::Clip640x480(kSourceSeconds); }

class ConverterFormats : public ::testing::TestWithParam<FormatCase> {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
};

TEST_P(ConverterFormats, ProducesAPlayableFile) {
  const FormatCase& fc = GetParam();
  const std::string dir = fixtures::TempDir(std::string("formats_") + fc.Name);
  const std::string target = dir + "/" + fc.Target;
  TAVConverter c;
  fc.Configure(c.ConvertOptions());
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, Loop, Source(), target).Finished);
  ASSERT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0] << events.JoinedLog();
  EXPECT_EQ(events.Completed, 1);

  std::string probed = target;
  const size_t pattern = probed.find("%1d");
  if (pattern != std::string::npos) probed.replace(pattern, 3, "1");
  const ProbedFile f = fixtures::ProbeFile(probed);
  EXPECT_EQ(f.SortedTypes(), fc.Types);
  if (const auto* v = f.First("video")) {
    EXPECT_EQ((*v)["codec_name"], fc.VideoCodec);
    EXPECT_EQ(v->Number("width"), fc.Width ? fc.Width : 640);
    EXPECT_EQ(v->Number("height"), fc.Height ? fc.Height : 480);
    if (fc.FrameRate > 0) EXPECT_NEAR(v->Number("r_frame_rate"), fc.FrameRate, 0.01);
  }
  if (const auto* a = f.First("audio")) {
    EXPECT_EQ((*a)["codec_name"], fc.AudioCodec);
    if (fc.SampleRate) EXPECT_EQ(a->Number("sample_rate"), fc.SampleRate);
    if (fc.Channels) EXPECT_EQ(a->Number("channels"), fc.Channels);
  }
  if (pattern == std::string::npos) {
    // Audio encoders pad their last frame, so the container may run a little longer.
    EXPECT_NEAR(f.Duration(), kSourceSeconds, kAudioPadding) << f.Format.at("duration");
    if (f.First("video")) EXPECT_EQ(fixtures::CountFrames(probed, "video"), kSourceFrames);
    const auto* v = f.First("video");
    const auto* a = f.First("audio");
    if (v && a) EXPECT_NEAR(v->Number("start_time"), a->Number("start_time"), kAlignment);
  } else {
    EXPECT_EQ(fixtures::RunCommand("ls " + fixtures::ShellQuote(dir) + " | wc -l"),
              std::to_string(static_cast<int>(kSourceSeconds * 25)) + "\n");
  }
}

void Codecs(TAVConvertOptions& o, const char* Video, const char* Audio) {
  o.VideoOptions().SetEncoderVideoCodecName(Video);
  o.AudioOptions().SetEncoderAudioCodecName(Audio);
}

INSTANTIATE_TEST_SUITE_P(
    Containers, ConverterFormats,
    ::testing::Values(
        FormatCase{"avi", "out.avi", [](TAVConvertOptions& o) { Codecs(o, "mpeg4", "libmp3lame"); },
                   "audio,video", "mpeg4", "mp3", 0, 0, 25, 44100, 2},
        FormatCase{"mp4", "out.mp4",
                   [](TAVConvertOptions& o) {
                     Codecs(o, "libx264", "libfaac");
                     o.SetAdvancedOption("preset", "ultrafast");
                   },
                   "audio,video", "h264", "aac", 0, 0, 25, 44100, 2},
        FormatCase{"dvd", "out.mpg",
                   [](TAVConvertOptions& o) {
                     o.SetOutputFormat("dvd");
                     Codecs(o, "mpeg2video", "ac3");
                     o.AudioOptions().SetAudioSampleRate(48000);
                   },
                   "audio,data,video", "mpeg2video", "ac3", 0, 0, 25, 48000, 2},
        FormatCase{"vcd", "out.mpg",
                   [](TAVConvertOptions& o) {
                     o.SetOutputFormat("vcd");
                     Codecs(o, "mpeg1video", "mp2");
                     o.VideoOptions().SetFrameWidth(352);
                     o.VideoOptions().SetFrameHeight(288);
                     o.VideoOptions().SetBitrate(1150000);
                     o.AudioOptions().SetBitrate(224000);
                   },
                   "audio,video", "mpeg1video", "mp2", 352, 288, 25, 44100, 2},
        FormatCase{"asf", "out.asf", [](TAVConvertOptions& o) { Codecs(o, "wmv2", "wmav2"); },
                   "audio,video", "wmv2", "wmav2", 0, 0, 25, 44100, 2},
        FormatCase{"flv", "out.flv",
                   [](TAVConvertOptions& o) {
                     Codecs(o, "flv", "libmp3lame");
                     o.AudioOptions().SetAudioSampleRate(22050);
                   },
                   "audio,video", "flv1", "mp3", 0, 0, 25, 22050, 2},
        FormatCase{"3gp", "out.3gp",
                   [](TAVConvertOptions& o) {
                     Codecs(o, "h263", "aac");
                     o.VideoOptions().SetFrameWidth(176);
                     o.VideoOptions().SetFrameHeight(144);
                     o.AudioOptions().SetAudioChannels(1);
                   },
                   "audio,video", "h263", "aac", 176, 144, 25, 44100, 1},
        FormatCase{"mp3", "out.mp3", [](TAVConvertOptions& o) { o.VideoOptions().SetVideoDisable(true); },
                   "audio", "", "mp3", 0, 0, 0, 44100, 2},
        FormatCase{"ac3", "out.ac3",
                   [](TAVConvertOptions& o) {
                     o.VideoOptions().SetVideoDisable(true);
                     o.AudioOptions().SetAudioSampleRate(48000);
                   },
                   "audio", "", "ac3", 0, 0, 0, 48000, 2},
        // "ac" and "ar" lines win over the options, as "ab" does; mono once corrupted the heap.
        FormatCase{"opus_ac_ar", "out.opus",
                   [](TAVConvertOptions& o) {
                     o.VideoOptions().SetVideoDisable(true);
                     o.AudioOptions().SetEncoderAudioCodecName("libopus");
                     o.SetAdvancedOption("ac", "1");
                     o.SetAdvancedOption("ar", "24000");
                   },
                   "audio", "", "opus", 0, 0, 0, 48000, 1},
        FormatCase{"aac_ac_ar", "out.m4a",
                   [](TAVConvertOptions& o) {
                     o.VideoOptions().SetVideoDisable(true);
                     o.AudioOptions().SetEncoderAudioCodecName("aac");
                     o.SetAdvancedOption("ac", "1");
                     o.SetAdvancedOption("ar", "22050");
                   },
                   "audio", "", "aac", 0, 0, 0, 22050, 1},
        // More channels than the encoder takes: the most it takes, not its first layout (mono).
        FormatCase{"mp3_ac6", "out.mp3",
                   [](TAVConvertOptions& o) {
                     o.VideoOptions().SetVideoDisable(true);
                     o.SetAdvancedOption("ac", "6");
                   },
                   "audio", "", "mp3", 0, 0, 0, 44100, 2},
        FormatCase{"images", "img%1d.png", [](TAVConvertOptions& o) { o.AudioOptions().SetAudioDisable(true); },
                   "video", "png", "", 0, 0, 0, 0, 0}),
    [](const ::testing::TestParamInfo<FormatCase>& Info) { return std::string(Info.param.Name); });

class ConverterCopy : public ::testing::Test {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
};

TEST_F(ConverterCopy, H264AndAudioCopiedIntoMp4) {
  const std::string src = fixtures::Media("h264aac.mkv",
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=3 "
                                          "-f lavfi -i sine=duration=3:sample_rate=48000 -c:v libx264 "
                                          "-preset ultrafast -g 25 -pix_fmt yuv420p -c:a aac -shortest");
  const std::string dir = fixtures::TempDir("copy");
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetVideoStreamCopy(true);
  c.ConvertOptions().AudioOptions().SetAudioStreamCopy(true);
  c.ConvertOptions().FilterOptions().SetVideoFilters("negate");  // can't apply to copied pictures: said so
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, Loop, src, dir + "/copy.mp4").Finished);
  ASSERT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
  EXPECT_NE(events.JoinedLog().find("The video filters are left out"), std::string::npos);
  const ProbedFile in = fixtures::ProbeFile(src);
  const ProbedFile out = fixtures::ProbeFile(dir + "/copy.mp4");
  EXPECT_EQ(out.Types(), "video,audio");
  EXPECT_EQ((*out.First("video"))["codec_name"], "h264");
  EXPECT_EQ((*out.First("audio"))["codec_name"], "aac");
  EXPECT_EQ(fixtures::CountFrames(dir + "/copy.mp4", "video"), 75);
  EXPECT_NEAR(out.Duration(), in.Duration(), 0.05);
  // Copied, not re-encoded: the packets carry the same bytes.
  auto packetHash = [](const std::string& File) {
    return fixtures::RunCommand("ffmpeg -v error -i " + fixtures::ShellQuote(File) +
                                " -map 0:v -c copy -f hash -hash md5 -");
  };
  EXPECT_EQ(packetHash(dir + "/copy.mp4"), packetHash(src));
}

}  // namespace
