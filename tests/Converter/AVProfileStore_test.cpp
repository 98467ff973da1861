// The user profile file: what is written, what reads back, what is skipped.
#include <gtest/gtest.h>

#include <fstream>

#include "Common/IniFile.h"
#include "Converter/AVConverter.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"
#include "support/Fixtures.h"

namespace {

std::string ReadAll(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ProfileStore, ExactKeysOfOneAudioAndOneVideoProfile) {
  const std::string path = fixtures::TempDir("store_bytes") + "/Profiles.ini";
  TAVProfileList list;
  auto image = std::make_unique<TAVImageProfile>();
  list.AddProfile(std::move(image));  // never stored, takes no number
  auto audio = std::make_unique<TAVCustomAudioProfile>();
  audio->SetDescription("AAC Audio");
  audio->SetExtension(".mp4");
  audio->SetCategory("音频");
  audio->AudioBitrate = 12.2;
  audio->SampleRate = 8000;
  list.AddProfile(std::move(audio));
  auto video = std::make_unique<TAVCustomVideoProfile>();
  video->SetDescription("V");
  video->SetExtension(".avi");
  video->VideoEncoder = MPEG4;
  video->Options.Add("g=300");
  video->Options.Add("qmin=3");
  video->FrameWidth = 320;
  video->FrameHeight = 240;
  video->FrameRate = r25;
  video->VideoBitrate = 768;
  video->AudioBitrate = 128;
  video->AudioChannels = stereo2;
  video->Format = F_AVI;
  list.AddProfile(std::move(video));
  SaveProfiles(list, path);
  EXPECT_EQ(ReadAll(path),
            "[Profile]\r\n"
            "Description0=AAC Audio\r\nExtension0=.mp4\r\nCategory0=音频\r\nIsVideo0=0\r\nSampleRate0=8000\r\n"
            "AudioEncoder0=0\r\nAudioChannels0=0\r\nAudioBitrate0=12.2\r\nFormat0=0\r\nOptions0=\r\n"
            "Description1=V\r\nExtension1=.avi\r\nCategory1=\r\nIsVideo1=1\r\nSampleRate1=0\r\n"
            "AudioEncoder1=0\r\nAudioChannels1=1\r\nAudioBitrate1=128\r\nFormat1=4\r\n"
            "Options1=g=300\\r\\nqmin=3\\r\\n\r\nFrameWidth1=320\r\nFrameHeight1=240\r\nVideoEncoder1=2\r\n"
            "FrameRate1=5\r\nVideoBitrate1=768\r\nVideoQuality1=0\r\n"
            "ProfileCount=2\r\nCategoryCount=15\r\n");

  TAVProfileList back;
  LoadProfiles(back, path);
  ASSERT_EQ(back.ProfileCount(), 2);
  auto* v = dynamic_cast<TAVCustomVideoProfile*>(back.Profiles(1));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->Options, TStringList({"g=300", "qmin=3"}));
  EXPECT_EQ(v->FrameRate, r25);
  EXPECT_DOUBLE_EQ(dynamic_cast<TAVCustomAudioProfile*>(back.Profiles(0))->AudioBitrate, 12.2);
  EXPECT_EQ(dynamic_cast<TAVCustomVideoProfile*>(back.Profiles(0)), nullptr);
}

TEST(ProfileStore, CatalogueRoundTrip) {
  const std::string path = fixtures::TempDir("store_catalogue") + "/Profiles.ini";
  TAVProfileList list;
  BuildProfileCatalogue(list);
  SaveProfiles(list, path);
  EXPECT_EQ(TIniFile(path).ReadInteger("Profile", "ProfileCount", 0), 58);
  TAVProfileList back;
  BuildProfileCatalogue(back);
  LoadProfiles(back, path);
  ASSERT_EQ(back.ProfileCount(), 58);
  EXPECT_EQ(back.FindByDescription("VCD"), nullptr);
  EXPECT_EQ(back.FindByDescription("Image Sequence Profile"), nullptr);
  auto* ipod = dynamic_cast<TAVCustomVideoProfile*>(back.FindByDescription("IPod 320x240 Video"));
  ASSERT_NE(ipod, nullptr);
  EXPECT_EQ(ipod->FrameAspectRatio, AR_NONE);  // not stored
  auto* first = dynamic_cast<TAVCustomVideoProfile*>(back.Profiles(0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Description(), "Matroska Video(.mkv)");
  EXPECT_EQ(first->VideoEncoder, H264);
  auto* av1 = dynamic_cast<TAVCustomVideoProfile*>(back.FindByDescription("AV1 MKV(*.mkv)"));
  ASSERT_NE(av1, nullptr);
  EXPECT_EQ(av1->VideoEncoder, AV1);
  EXPECT_EQ(av1->VideoBitrate, 0);
  EXPECT_EQ(av1->VideoQuality, 35);
  EXPECT_EQ(back.FindByDescription("H.264 MP4 通用(*.mp4)")->Category(), "新格式");
}

// A file written before the newer encoders, formats and the quality existed:
// one audio and one video profile using the last values each enumeration had
// then. Every value reads back as it was meant, applying it sets what it set
// then, the profiles of "新格式" join them, and saving again only adds keys.
TEST(ProfileStore, FileOfTheEarlierFormatKeepsItsMeaning) {
  const std::string path = fixtures::TempDir("store_earlier") + "/Profiles.ini";
  const std::string earlier =
      "[Profile]\r\n"
      "Description0=AMR\r\nExtension0=.ac3\r\nCategory0=音频\r\nIsVideo0=0\r\nSampleRate0=8000\r\n"
      "AudioEncoder0=7\r\nAudioChannels0=0\r\nAudioBitrate0=12.2\r\nFormat0=16\r\nOptions0=\r\n"
      "Description1=Flash\r\nExtension1=.flv\r\nCategory1=视频\r\nIsVideo1=1\r\nSampleRate1=44100\r\n"
      "AudioEncoder1=4\r\nAudioChannels1=1\r\nAudioBitrate1=64\r\nFormat1=15\r\n"
      "Options1=g=300\\r\\nqmin=3\\r\\n\r\nFrameWidth1=0\r\nFrameHeight1=0\r\nVideoEncoder1=8\r\n"
      "FrameRate1=7\r\nVideoBitrate1=384\r\n"
      "ProfileCount=2\r\n";
  std::ofstream(path, std::ios::binary) << earlier;
  TAVProfileList list;
  LoadProfiles(list, path);
  ASSERT_EQ(list.ProfileCount(), 11);
  EXPECT_EQ(list.Profiles(2)->Description(), "H.265/HEVC MP4(*.mp4)");
  EXPECT_EQ(list.Profiles(10)->Description(), "Ogg Vorbis Audio(*.ogg)");
  auto* audio = dynamic_cast<TAVCustomAudioProfile*>(list.Profiles(0));
  auto* video = dynamic_cast<TAVCustomVideoProfile*>(list.Profiles(1));
  ASSERT_NE(audio, nullptr);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(dynamic_cast<TAVCustomVideoProfile*>(audio), nullptr);
  EXPECT_EQ(audio->AudioEncoder, AMR_NB);
  EXPECT_EQ(audio->Format, F_AC3);
  EXPECT_EQ(audio->SampleRate, 8000);
  EXPECT_EQ(audio->AudioChannels, mono1);
  EXPECT_DOUBLE_EQ(audio->AudioBitrate, 12.2);
  EXPECT_EQ(video->Description(), "Flash");
  EXPECT_EQ(video->Category(), "视频");
  EXPECT_EQ(video->Extension(), ".flv");
  EXPECT_EQ(video->AudioEncoder, MP3);
  EXPECT_EQ(video->Format, F_WEBM);
  EXPECT_EQ(video->VideoEncoder, FLV);
  EXPECT_EQ(video->FrameRate, r30);
  EXPECT_EQ(video->VideoBitrate, 384);
  EXPECT_EQ(video->VideoQuality, 0);
  EXPECT_EQ(video->Options, TStringList({"g=300", "qmin=3"}));
  TAVConverter c;
  video->ApplyProfile(c);
  EXPECT_EQ(c.ConvertOptions().VideoOptions().EncoderVideoCodecName(), "flv");
  EXPECT_EQ(c.ConvertOptions().AudioOptions().EncoderAudioCodecName(), "libmp3lame");
  EXPECT_EQ(c.ConvertOptions().OutputFormat(), "webm");
  EXPECT_EQ(c.ConvertOptions().VideoOptions().Bitrate(), 384000);
  EXPECT_EQ(c.ConvertOptions().CodecOptions(), TStringList({"g=300", "qmin=3"}));

  // Saved again: the same keys, the quality, the added profiles and the
  // category count, so that a deletion of added profiles lasts.
  TAVProfileList two;
  two.AddProfile(list.RemoveProfile(audio));
  two.AddProfile(list.RemoveProfile(video));
  const std::string again = fixtures::TempDir("store_earlier_again") + "/Profiles.ini";
  SaveProfiles(two, again);
  std::string expected = earlier;
  expected.insert(expected.find("ProfileCount="), "VideoQuality1=0\r\n");
  EXPECT_EQ(ReadAll(again), expected + "CategoryCount=15\r\n");
  LoadProfiles(list, again);
  EXPECT_EQ(list.ProfileCount(), 2);
}

TEST(ProfileStore, EmptyStaleAndDamagedFiles) {
  const std::string dir = fixtures::TempDir("store_edge");
  TAVProfileList list;
  BuildProfileCatalogue(list);
  {
    TAVProfileList none;
    SaveProfiles(none, dir + "/empty.ini");
    LoadProfiles(list, dir + "/empty.ini");
    EXPECT_EQ(list.ProfileCount(), 0);
  }
  std::ofstream(dir + "/odd.ini") << "[Profile]\nProfileCount=0x3\nIsVideo0=1\nDescription0=One\nAudioEncoder1=42\n";
  LoadProfiles(list, dir + "/odd.ini");
  ASSERT_EQ(list.ProfileCount(), 3 + 9);  // missing numbers get constructor defaults; "新格式" follows
  EXPECT_EQ(list.Profiles(0)->Description(), "One");
  EXPECT_EQ(static_cast<int>(dynamic_cast<TAVCustomAudioProfile*>(list.Profiles(1))->AudioEncoder), 42);
  EXPECT_EQ(list.Profiles(2)->Description(), "");
  std::ofstream(dir + "/huge.ini") << "[Profile]\nProfileCount=2000000000\n";
  LoadProfiles(list, dir + "/huge.ini");
  EXPECT_LE(list.ProfileCount(), 10000 + 9);  // the stored limit, then "新格式"
}

}  // namespace
