// The user profile file: what is written, what reads back, what is skipped.
#include <gtest/gtest.h>

#include <fstream>

#include "Common/IniFile.h"
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
            "FrameRate1=5\r\nVideoBitrate1=768\r\n"
            "ProfileCount=2\r\n");

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
  EXPECT_EQ(TIniFile(path).ReadInteger("Profile", "ProfileCount", 0), 49);
  TAVProfileList back;
  BuildProfileCatalogue(back);
  LoadProfiles(back, path);
  ASSERT_EQ(back.ProfileCount(), 49);
  EXPECT_EQ(back.FindByDescription("VCD"), nullptr);
  EXPECT_EQ(back.FindByDescription("Image Sequence Profile"), nullptr);
  auto* ipod = dynamic_cast<TAVCustomVideoProfile*>(back.FindByDescription("IPod 320x240 Video"));
  ASSERT_NE(ipod, nullptr);
  EXPECT_EQ(ipod->FrameAspectRatio, AR_NONE);  // not stored
  auto* first = dynamic_cast<TAVCustomVideoProfile*>(back.Profiles(0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Description(), "Matroska Video(.mkv)");
  EXPECT_EQ(first->VideoEncoder, H264);
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
  ASSERT_EQ(list.ProfileCount(), 3);  // missing numbers get constructor defaults
  EXPECT_EQ(list.Profiles(0)->Description(), "One");
  EXPECT_EQ(static_cast<int>(dynamic_cast<TAVCustomAudioProfile*>(list.Profiles(1))->AudioEncoder), 42);
  EXPECT_EQ(list.Profiles(2)->Description(), "");
  std::ofstream(dir + "/huge.ini") << "[Profile]\nProfileCount=2000000000\n";
  LoadProfiles(list, dir + "/huge.ini");
  EXPECT_LE(list.ProfileCount(), 10000);
}

}  // namespace
