// Profiles: the catalogue, category matching, list ownership and order, and
// what applying each kind of profile does to the options.
#include <gtest/gtest.h>

#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVProfileCatalogue.h"

namespace {

std::vector<std::string> Descriptions(const std::vector<TAVProfile*>& Profiles) {
  std::vector<std::string> out;
  for (auto* p : Profiles) out.push_back(p->Description());
  return out;
}

class Catalogue : public ::testing::Test {
 protected:
  void SetUp() override { BuildProfileCatalogue(List); }
  TAVProfileList List;
};

TEST_F(Catalogue, CountsAndCategories) {
  ASSERT_EQ(List.ProfileCount(), 53);
  int video = 0, audio = 0;
  for (int i = 0; i < List.ProfileCount(); ++i) {
    if (dynamic_cast<TAVCustomVideoProfile*>(List.Profiles(i))) ++video;
    else if (dynamic_cast<TAVCustomAudioProfile*>(List.Profiles(i))) ++audio;
  }
  EXPECT_EQ(video, 46);
  EXPECT_EQ(audio, 3);
  ASSERT_EQ(List.Categories.Count(), 14);
  const std::vector<int> perCategory{3, 2, 3, 4, 3, 7, 2, 5, 3, 3, 3, 3, 2, 6};
  for (int c = 0; c < 14; ++c)
    EXPECT_EQ(static_cast<int>(List.ProfilesInCategory(List.Categories[c]).size()), perCategory[static_cast<size_t>(c)])
        << List.Categories[c];
  EXPECT_EQ(Descriptions(List.ProfilesInCategory("AVI")),
            (std::vector<std::string>{"音视频交错(*.avi)", "XVID影片(*.avi)", "DivX影片(*.avi)"}));
  const auto xbox = Descriptions(List.ProfilesInCategory("Xbox"));
  EXPECT_EQ(xbox, (std::vector<std::string>{"Xbox360 HD H264 Video", "Xbox360 MCE HD MPEG2 Video"}));
  EXPECT_EQ(List.ProfilesInCategory("iPhone").front()->Description(), "IPhone H264 Video");
  EXPECT_EQ(List.Profiles(6)->Extension(), "%1d.bmp");
  EXPECT_THROW(List.Profiles(53), std::out_of_range);
}

TEST_F(Catalogue, IndexMovesAndRemoval) {
  TAVProfile* last = List.Profiles(52);
  last->SetIndex(-5);  // clamped to the first place
  EXPECT_EQ(List.Profiles(0), last);
  EXPECT_EQ(last->Index(), 0);
  auto taken = List.RemoveProfile(last);
  EXPECT_EQ(taken.get(), last);
  EXPECT_EQ(last->ProfileList(), nullptr);
  EXPECT_EQ(last->Index(), -1);
  EXPECT_EQ(List.ProfileCount(), 52);
  EXPECT_EQ(List.RemoveProfile(last), nullptr);
  TAVProfileList other;
  other.AddProfile(std::move(taken));
  last->SetProfileList(&List);
  EXPECT_EQ(other.ProfileCount(), 0);
  EXPECT_EQ(last->Index(), 52);
}

TEST(ApplyProfile, H264VideoProfile) {
  TAVConverter c;
  TAVCustomVideoProfile p;
  p.VideoEncoder = H264;
  p.Options.Add("g=300");
  p.AudioBitrate = 64.0;
  p.FrameWidth = 320;
  p.VideoBitrate = 1200;
  p.FrameRate = r2997;
  EXPECT_TRUE(p.ApplyProfile(c));
  const auto& o = c.ConvertOptions();
  EXPECT_EQ(o.VideoOptions().Pass(), 0);
  EXPECT_EQ(o.VideoOptions().EncoderVideoCodecName(), "libx264");
  EXPECT_EQ(o.AudioOptions().EncoderAudioCodecName(), "libfaac");
  EXPECT_EQ(o.AudioOptions().Bitrate(), 64000);
  EXPECT_EQ(o.AudioOptions().AudioChannels(), 1);
  EXPECT_EQ(o.VideoOptions().FrameWidth(), 320);
  EXPECT_EQ(o.VideoOptions().FrameHeight(), 0);
  EXPECT_EQ(o.VideoOptions().Bitrate(), 1200000);
  EXPECT_EQ(o.VideoOptions().FrameRate().num(), 30000);
  EXPECT_EQ(o.VideoOptions().FrameRate().den(), 1001);
  EXPECT_FALSE(o.VideoOptions().VideoDisable());
  const TStringList expected{"g=250", "coder=1", "flags=+loop", "cmp=+chroma",
                             "partitions=+parti8x8+parti4x4+partp8x8+partb8x8", "me_method=hex", "subq=7",
                             "me_range=16", "keyint_min=25", "sc_threshold=40", "i_qfactor=0.71",
                             "b_strategy=1", "qcomp=0.6", "qmin=10", "qmax=51", "qdiff=4", "bf=3", "refs=3",
                             "directpred=1", "trellis=1", "flags2=+mixed_refs+wpred+dct8x8+fastpskip+mbtree",
                             "wpredp=2", "mbd=rd", "level=41"};
  EXPECT_EQ(o.CodecOptions(), expected);
}

TEST(ApplyProfile, AudioProfileAndRounding) {
  TAVConverter c;
  TAVCustomAudioProfile p;
  p.AudioEncoder = MP3;
  p.AudioBitrate = 0.5;
  p.AudioChannels = stereo2;
  p.Format = F_AC3;
  p.SampleRate = 0;
  p.ApplyProfile(c);
  EXPECT_TRUE(c.ConvertOptions().VideoOptions().VideoDisable());
  EXPECT_EQ(c.ConvertOptions().AudioOptions().Bitrate(), 500);
  EXPECT_EQ(c.ConvertOptions().AudioOptions().EncoderAudioCodecName(), "libmp3lame");
  EXPECT_EQ(c.ConvertOptions().OutputFormat(), "ac3");
  EXPECT_EQ(c.ConvertOptions().AudioOptions().AudioChannels(), 2);
}

TEST(ApplyProfile, TargetsAndImages) {
  TAVConverter c;
  TAVVcdProfile vcd;
  vcd.Target = film;
  vcd.ApplyProfile(c);
  const auto& o = c.ConvertOptions();
  EXPECT_EQ(o.VideoOptions().FrameWidth(), 352);
  EXPECT_EQ(o.VideoOptions().FrameHeight(), 240);
  EXPECT_EQ(o.VideoOptions().FrameRate().num(), 24000);
  EXPECT_EQ(o.VideoOptions().FrameRate().den(), 1001);
  EXPECT_EQ(o.CodecOptions()[0], "g=18");
  EXPECT_EQ(o.CodecOptions().Value("muxrate"), "1411200");
  EXPECT_FLOAT_EQ(o.MuxerOptions().MuxPreload(), 0.44f);
  EXPECT_EQ(o.AudioOptions().AudioChannels(), 2);
  EXPECT_EQ(o.OutputFormat(), "vcd");

  TAVConverter d;
  TAVDvProfile dv;
  dv.Target = ntsc;
  dv.ApplyProfile(d);
  EXPECT_EQ(d.ConvertOptions().VideoOptions().FFramePixFormat(), 7);
  EXPECT_EQ(d.ConvertOptions().VideoOptions().FrameHeight(), 480);

  TAVImageProfile image;
  image.ImageType = png;
  EXPECT_EQ(image.Extension(), "%1d.png");
  image.ImageType = static_cast<TAVImageType>(9);
  EXPECT_THROW(image.Extension(), EAssertionFailed);
}

TEST(ApplyProfile, OutOfRangeOrdinalsAreAssertionFailures) {
  TAVConverter c;
  TAVCustomVideoProfile p;
  p.VideoEncoder = static_cast<TCustomVideoEncoder>(42);
  try {
    p.ApplyProfile(c);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Assertion failure", 0), 0u);
  }
  EXPECT_EQ(c.ConvertOptions().AudioOptions().EncoderAudioCodecName(), "libfaac");  // set before the failure
  TAVX264Profile x;
  x.preset = static_cast<TPreset>(99);
  EXPECT_TRUE(x.ApplyProfile(c));
}

}  // namespace
