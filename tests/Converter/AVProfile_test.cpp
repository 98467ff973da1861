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
  ASSERT_EQ(List.ProfileCount(), 62);
  int video = 0, audio = 0;
  for (int i = 0; i < List.ProfileCount(); ++i) {
    if (dynamic_cast<TAVCustomVideoProfile*>(List.Profiles(i))) ++video;
    else if (dynamic_cast<TAVCustomAudioProfile*>(List.Profiles(i))) ++audio;
  }
  EXPECT_EQ(video, 51);
  EXPECT_EQ(audio, 7);
  ASSERT_EQ(List.Categories.Count(), 15);
  const std::vector<int> perCategory{3, 2, 3, 4, 3, 7, 2, 5, 3, 3, 3, 3, 2, 6, 9};
  for (int c = 0; c < 15; ++c)
    EXPECT_EQ(static_cast<int>(List.ProfilesInCategory(List.Categories[c]).size()), perCategory[static_cast<size_t>(c)])
        << List.Categories[c];
  EXPECT_EQ(Descriptions(List.ProfilesInCategory("AVI")),
            (std::vector<std::string>{"音视频交错(*.avi)", "XVID影片(*.avi)", "DivX影片(*.avi)"}));
  const auto xbox = Descriptions(List.ProfilesInCategory("Xbox"));
  EXPECT_EQ(xbox, (std::vector<std::string>{"Xbox360 HD H264 Video", "Xbox360 MCE HD MPEG2 Video"}));
  EXPECT_EQ(List.ProfilesInCategory("iPhone").front()->Description(), "IPhone H264 Video");
  EXPECT_EQ(List.Profiles(6)->Extension(), "%1d.bmp");
  // Today's formats follow the described catalogue, which keeps its numbering.
  EXPECT_EQ(List.Categories[14], "新格式");
  EXPECT_EQ(List.Profiles(52)->Description(), "DivX影片(*.avi)");
  EXPECT_EQ(List.Profiles(53)->Description(), "H.265/HEVC MP4(*.mp4)");
  EXPECT_THROW(List.Profiles(62), std::out_of_range);
}

TEST_F(Catalogue, IndexMovesAndRemoval) {
  TAVProfile* last = List.Profiles(61);
  last->SetIndex(-5);  // clamped to the first place
  EXPECT_EQ(List.Profiles(0), last);
  EXPECT_EQ(last->Index(), 0);
  auto taken = List.RemoveProfile(last);
  EXPECT_EQ(taken.get(), last);
  EXPECT_EQ(last->ProfileList(), nullptr);
  EXPECT_EQ(last->Index(), -1);
  EXPECT_EQ(List.ProfileCount(), 61);
  EXPECT_EQ(List.RemoveProfile(last), nullptr);
  TAVProfileList other;
  other.AddProfile(std::move(taken));
  last->SetProfileList(&List);
  EXPECT_EQ(other.ProfileCount(), 0);
  EXPECT_EQ(last->Index(), 61);
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

// The newer encoders: their names, 4:2:0 pictures, their speed settings
// (which the profile's own lines override), the Apple tag in MP4 only, and
// the quality in place of a bit rate.
TEST(ApplyProfile, NewerEncodersAndConstantQuality) {
  TAVConverter c;
  TAVCustomVideoProfile hevc;
  hevc.VideoEncoder = HEVC;
  hevc.AudioEncoder = OPUS;
  hevc.Format = F_MP4;
  hevc.VideoQuality = 26;
  hevc.Options.Add("pix_fmt=yuv422p");
  hevc.ApplyProfile(c);
  const auto& o = c.ConvertOptions();
  EXPECT_EQ(o.VideoOptions().EncoderVideoCodecName(), "libx265");
  EXPECT_EQ(o.AudioOptions().EncoderAudioCodecName(), "libopus");
  EXPECT_EQ(o.VideoOptions().Bitrate(), 0);
  EXPECT_EQ(o.CodecOptions(), (TStringList{"pix_fmt=yuv422p", "vtag=hvc1", "b=0", "crf=26"}));

  const struct {
    TCustomVideoEncoder Encoder;
    TCustomAVFormat Format;
    const char* Codec;
    TStringList Options;
  } cases[] = {
      {AV1, F_MKV, "libsvtav1", {"pix_fmt=yuv420p", "preset=10"}},
      {VP9, F_WEBM, "libvpx-vp9", {"pix_fmt=yuv420p", "deadline=good", "cpu-used=4", "row-mt=1"}},
      {HEVC, F_MKV, "libx265", {"pix_fmt=yuv420p"}},
      {MPEG4, F_MP4, "mpeg4", {}},  // no rate factor: a bit rate of 0 stays what it was
  };
  for (const auto& k : cases) {
    TAVConverter d;
    TAVCustomVideoProfile p;
    p.VideoEncoder = k.Encoder;
    p.Format = k.Format;
    p.VideoQuality = 30;
    p.ApplyProfile(d);
    TStringList expected = k.Options;
    if (k.Encoder != MPEG4) {
      expected.Add("b=0");
      expected.Add("crf=30");
    }
    EXPECT_EQ(d.ConvertOptions().VideoOptions().EncoderVideoCodecName(), k.Codec);
    EXPECT_EQ(d.ConvertOptions().CodecOptions(), expected) << k.Codec;
  }
  // A bit rate wins over the quality; so does an encoder's default quality (0).
  for (auto [bitrate, quality] : {std::pair{900, 30}, std::pair{0, 0}}) {
    TAVConverter e;
    TAVCustomVideoProfile p;
    p.VideoEncoder = VP9;
    p.VideoBitrate = bitrate;
    p.VideoQuality = quality;
    p.ApplyProfile(e);
    EXPECT_EQ(e.ConvertOptions().CodecOptions().IndexOfName("crf"), -1);
    EXPECT_EQ(e.ConvertOptions().VideoOptions().Bitrate(), bitrate * 1000);
  }
  const std::pair<TCustomAudioEncoder, const char*> audio[] = {{FLAC, "flac"}, {VORBIS, "libvorbis"}};
  const std::pair<TCustomAVFormat, const char*> formats[] = {
      {F_MKV, "matroska"}, {F_OGG, "ogg"}, {F_OPUS, "opus"}, {F_FLAC, "flac"}, {F_M4A, "ipod"}};
  for (auto [encoder, name] : audio) {
    TAVConverter f;
    TAVCustomAudioProfile p;
    p.AudioEncoder = encoder;
    p.ApplyProfile(f);
    EXPECT_EQ(f.ConvertOptions().AudioOptions().EncoderAudioCodecName(), name);
  }
  for (auto [format, name] : formats) {
    TAVConverter f;
    TAVCustomAudioProfile p;
    p.Format = format;
    p.ApplyProfile(f);
    EXPECT_EQ(f.ConvertOptions().OutputFormat(), name);
  }
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
