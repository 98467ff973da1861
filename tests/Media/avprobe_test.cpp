// The probe's fields against ffprobe's view of the same files.
#include <gtest/gtest.h>

#include <fstream>

#include "Common/Errors.h"
#include "Converter/avlib.h"
#include "Media/avprobe.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

TEST(Probe, VideoAndAudioFieldsMatchFfprobe) {
  LoadMediaLibrary();
  const std::string file = fixtures::Clip640x480(2.0);
  TAVProbe p;
  p.SetFileName(file);
  p.SetActive(true);
  ASSERT_TRUE(p.Active());
  p.SetActive(true);  // twice: nothing happens
  const auto f = fixtures::ProbeFile(file);
  EXPECT_TRUE(p.HasVideo);
  EXPECT_TRUE(p.HasAudio);
  EXPECT_EQ(p.VideoCodec, (*f.First("video"))["codec_name"]);
  EXPECT_EQ(p.VideoWidth, 640);
  EXPECT_EQ(p.VideoHeight, 480);
  EXPECT_DOUBLE_EQ(p.VideoFps, f.First("video")->Number("r_frame_rate"));
  EXPECT_EQ(p.AudioCodec, "mp2");
  EXPECT_EQ(p.AudioRate, 44100);
  EXPECT_EQ(p.AudioChannelCount, 2);
  EXPECT_EQ(p.AudioBitrate, static_cast<int>(f.First("audio")->Number("bit_rate")));  // compressed: declared rate
  p.SetActive(false);
  EXPECT_FALSE(p.Active());
}

TEST(Probe, PcmAudioOnlyAndTheFirstOfTwo) {
  LoadMediaLibrary();
  const std::string file = fixtures::Media("two_pcm.mkv", "-f lavfi -i sine=sample_rate=44100:duration=1 -f lavfi -i "
                                                          "sine=sample_rate=22050:duration=1 -map 0 -map 1 -ac 2 -c:a pcm_s16le");
  TAVProbe p;
  p.SetFileName(file);
  p.SetActive(true);
  EXPECT_FALSE(p.HasVideo);
  EXPECT_TRUE(p.HasAudio);
  EXPECT_EQ(p.VideoWidth, 0);
  EXPECT_EQ(p.VideoFps, 0.0);
  EXPECT_TRUE(p.VideoCodec.empty());
  EXPECT_EQ(p.AudioRate, 44100);  // the first stream
  EXPECT_EQ(p.AudioBitrate, 1411200);
}

TEST(Probe, ACoverPictureIsNoVideo) {
  LoadMediaLibrary();
  const std::string file = fixtures::Media("probe_covered.mp3",
                                           "-f lavfi -i sine=duration=1 -f lavfi -i testsrc2=size=96x64:rate=1:duration=1 "
                                           "-map 0 -map 1 -frames:v 1 -c:a libmp3lame -c:v mjpeg -disposition:v attached_pic");
  TAVProbe p;
  p.SetFileName(file);
  p.SetActive(true);
  EXPECT_FALSE(p.HasVideo);
  EXPECT_EQ(p.VideoWidth, 0);
  EXPECT_TRUE(p.HasAudio);
  EXPECT_EQ(p.AudioCodec, "mp3float");
}

TEST(Probe, MissingBrokenAndUndecodableFiles) {
  LoadMediaLibrary();
  const std::string dir = fixtures::TempDir("probe");
  TAVProbe missing;
  missing.SetFileName(dir + "/none.avi");
  missing.SetActive(true);  // no error
  EXPECT_FALSE(missing.Active());

  std::ofstream(dir + "/junk.avi") << "this is not a media file at all, just text";
  TAVProbe junk;
  junk.SetFileName(dir + "/junk.avi");
  EXPECT_THROW(junk.SetActive(true), Exception);
  EXPECT_FALSE(junk.Active());

  // A Matroska track whose codec this build can't decode (patched codec id).
  std::string b;
  {
    std::ifstream in(fixtures::Media("asp.mkv", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg4"),
                     std::ios::binary);
    b.assign(std::istreambuf_iterator<char>(in), {});
  }
  const size_t at = b.find("V_MPEG4/ISO/ASP");
  ASSERT_NE(at, std::string::npos);
  b.replace(at, 15, "V_QUILLBROOK_XX");
  std::ofstream(dir + "/nodecoder.mkv", std::ios::binary) << b;
  TAVProbe undecodable;
  undecodable.SetFileName(dir + "/nodecoder.mkv");
  try {
    undecodable.SetActive(true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Unsupported codec(id=0) for input stream 0");
  }
  EXPECT_FALSE(undecodable.Active());
  EXPECT_TRUE(undecodable.HasVideo);
}

}  // namespace
