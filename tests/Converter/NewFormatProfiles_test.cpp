// The profiles of today's formats give what they promise, as ffprobe and the
// file's own bytes show: codec, container, 8-bit 4:2:0 pictures from a 10-bit
// source, the Apple sample entry, Opus's 48 kHz, and for the everyday H.264
// file the High profile with the index before the media data.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "Converter/AVProfileCatalogue.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

struct TPromise {
  const char* Description;
  const char* FormatName;  // ffprobe's format_name
  const char* DocType;     // EBML document type of Matroska files, or ""
  const char* VideoCodec;  // "" for audio profiles
  const char* VideoTag;    // codec_tag_string, or "" when any
  const char* VideoProfile;  // ffprobe's profile, or "" when any
  bool IndexFirst;           // MP4 index ("moov") before the media data
  const char* AudioCodec;
  int SampleRate;
  int Channels;
};

// The source is 44.1 kHz mono and 10-bit video, as phones record HDR clips.
constexpr int kSourceRate = 44100;
const TPromise kPromises[] = {
    {"H.265/HEVC MP4(*.mp4)", "mov,mp4,m4a,3gp,3g2,mj2", "", "hevc", "hvc1", "Main", false, "aac", 48000, 2},
    {"H.265/HEVC MKV(*.mkv)", "matroska,webm", "matroska", "hevc", "", "Main", false, "aac", 48000, 2},
    {"AV1 MKV(*.mkv)", "matroska,webm", "matroska", "av1", "", "Main", false, "opus", 48000, 2},
    {"WebM VP9(*.webm)", "matroska,webm", "webm", "vp9", "", "Profile 0", false, "opus", 48000, 2},
    {"H.264 MP4 通用(*.mp4)", "mov,mp4,m4a,3gp,3g2,mj2", "", "h264", "avc1", "High", true, "aac", 48000, 2},
    {"Opus Audio(*.opus)", "ogg", "", "", "", "", false, "opus", 48000, 2},
    {"FLAC Audio(*.flac)", "flac", "", "", "", "", false, "flac", kSourceRate, 2},
    {"M4A AAC Audio(*.m4a)", "mov,mp4,m4a,3gp,3g2,mj2", "", "", "", "", false, "aac", 44100, 2},
    {"Ogg Vorbis Audio(*.ogg)", "ogg", "", "", "", "", false, "vorbis", 44100, 2},
};

std::string Head(const std::string& Path, size_t Bytes) {
  std::ifstream in(Path, std::ios::binary);
  std::string s(Bytes, '\0');
  in.read(s.data(), static_cast<std::streamsize>(Bytes));
  s.resize(static_cast<size_t>(in.gcount()));
  return s;
}

// Types of the top-level boxes of an MP4 file, in file order.
std::vector<std::string> TopLevelBoxes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::vector<std::string> out;
  unsigned char h[16];
  std::streamoff at = 0;
  while (in.seekg(at) && in.read(reinterpret_cast<char*>(h), 8)) {
    uint64_t size = (uint64_t{h[0]} << 24) | (uint64_t{h[1]} << 16) | (uint64_t{h[2]} << 8) | h[3];
    out.emplace_back(reinterpret_cast<char*>(h + 4), 4);
    if (size == 1 && in.read(reinterpret_cast<char*>(h + 8), 8)) {
      size = 0;
      for (int i = 8; i < 16; ++i) size = (size << 8) | h[i];
    }
    if (size < 8) break;
    at += static_cast<std::streamoff>(size);
  }
  return out;
}

class NewFormatProfile : public ::testing::TestWithParam<TPromise> {};

TEST_P(NewFormatProfile, DeliversWhatItPromises) {
  const TPromise& want = GetParam();
  TAVProfileList list;
  BuildProfileCatalogue(list);
  const TAVProfile* profile = list.FindByDescription(want.Description);
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->Category(), "新格式");
  const std::string src = fixtures::Media(
      "newformat_src.mkv",
      "-f lavfi -i testsrc2=size=320x240:rate=25:duration=0.8 -f lavfi -i sine=duration=0.8:sample_rate=44100 "
      "-c:v ffv1 -pix_fmt yuv420p10le -c:a pcm_s16le -ac 1");
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::string dir = fixtures::TempDir("newformat" + test.substr(test.find('/') + 1));
  const std::string target = dir + "/out" + profile->Extension();
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  TAVConverter c;
  c.ConvertOptions().SetThreadCount(2);
  ASSERT_TRUE(profile->ApplyProfile(c));
  ASSERT_TRUE(harness::Run(c, loop, src, target).Finished);
  EXPECT_TRUE(errors.Messages().empty()) << errors.Messages()[0];

  const auto probed = fixtures::ProbeFile(target);
  EXPECT_EQ(probed.Format.at("format_name"), want.FormatName);
  if (*want.DocType) {
    EXPECT_NE(Head(target, 64).find(want.DocType), std::string::npos);
  }
  const auto* audio = probed.First("audio");
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ((*audio)["codec_name"], want.AudioCodec);
  EXPECT_EQ(audio->Number("sample_rate"), want.SampleRate);
  EXPECT_EQ(audio->Number("channels"), want.Channels);
  const auto* video = probed.First("video");
  if (!*want.VideoCodec) {
    EXPECT_EQ(video, nullptr);
    return;
  }
  ASSERT_NE(video, nullptr);
  EXPECT_EQ((*video)["codec_name"], want.VideoCodec);
  EXPECT_EQ((*video)["pix_fmt"], "yuv420p");
  EXPECT_EQ((*video)["avg_frame_rate"], "25/1");
  EXPECT_EQ(video->Number("width"), 320);
  if (*want.VideoTag) {
    EXPECT_EQ((*video)["codec_tag_string"], want.VideoTag);
  }
  if (*want.VideoProfile) {
    EXPECT_EQ((*video)["profile"], want.VideoProfile);
  }
  if (want.IndexFirst) {
    const auto boxes = TopLevelBoxes(target);
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    const auto mdat = std::find(boxes.begin(), boxes.end(), "mdat");
    ASSERT_NE(moov, boxes.end());
    ASSERT_NE(mdat, boxes.end());
    EXPECT_LT(moov - boxes.begin(), mdat - boxes.begin());
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, NewFormatProfile, ::testing::ValuesIn(kPromises));

}  // namespace
