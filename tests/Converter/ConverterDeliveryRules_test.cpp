// Sources that players take but the catalogue's targets don't: 10-bit 4:2:2
// and odd sizes into H.264, a portrait 29.97 clip onto a PAL DVD. Judged by
// ffprobe and the pictures the ffmpeg CLI decodes.
#include <gtest/gtest.h>

#include <numeric>

#include "Converter/AVProfileCatalogue.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/Pictures.h"
#include "support/ProbeResult.h"

namespace {

constexpr int kPictureW = 320, kPictureH = 240;

// Mean brightness of columns [From, To) of a gray kPictureW x kPictureH picture.
double ColumnsMean(const std::string& Picture, int From, int To) {
  double sum = 0;
  for (int y = 0; y < kPictureH; ++y)
    for (int x = From; x < To; ++x) sum += static_cast<unsigned char>(Picture[static_cast<size_t>(y * kPictureW + x)]);
  return sum / (kPictureH * (To - From));
}

class ConverterDeliveryRules : public ::testing::Test {
 protected:
  // Converts Source with the catalogue profile Name into Target; the ffprobe view of the video.
  fixtures::ProbedFile Convert(const std::string& Name, const std::string& Source, const std::string& Target) {
    TAVProfileList catalogue;
    BuildProfileCatalogue(catalogue);
    const TAVProfile* profile = catalogue.FindByDescription(Name);
    EXPECT_NE(profile, nullptr) << Name;
    TAVConverter c;
    if (profile) profile->ApplyProfile(c);
    EXPECT_TRUE(harness::Run(c, Loop, Source, Target).Finished);
    EXPECT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
    return fixtures::ProbeFile(Target);
  }
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
};

TEST_F(ConverterDeliveryRules, TenBitOddSizedSourceBecomesPlayableH264) {
  const std::string src = fixtures::Media(
      "h264_422p10_321x241.mkv",
      "-f lavfi -i testsrc2=s=321x241:r=25:d=1 -c:v libx264 -preset ultrafast -pix_fmt yuv422p10le");
  const std::string dir = fixtures::TempDir("delivery_h264");
  const auto f = Convert("Matroska Video(.mkv)", src, dir + "/out.mkv");
  const auto* v = f.First("video");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ((*v)["codec_name"], "h264");
  EXPECT_EQ((*v)["pix_fmt"], "yuv420p");
  EXPECT_EQ((*v)["profile"], "High");
  EXPECT_EQ(v->Number("width"), 320);
  EXPECT_EQ(v->Number("height"), 240);
  EXPECT_EQ((*v)["level"], "41");  // the profiles' level, which holds this picture
}

// A 4K phone clip keeps its size; "level=41" would mark it playable where it is not.
TEST_F(ConverterDeliveryRules, A4KPictureGetsAnH264LevelThatHoldsIt) {
  const std::string src = fixtures::Media("uhd_short.mp4", "-f lavfi -i testsrc2=s=3840x2160:r=30:d=0.2 "
                                                           "-c:v libx264 -preset ultrafast");
  const std::string dir = fixtures::TempDir("delivery_level");
  const auto f = Convert("H.264 MP4 通用(*.mp4)", src, dir + "/out.mp4");
  const auto* v = f.First("video");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->Number("width"), 3840);
  EXPECT_EQ((*v)["level"], "51");  // 32,400 macroblocks at 30 fps: 5.1
}

TEST_F(ConverterDeliveryRules, PortraitClipOnAPalDvdIsPillarboxedAt25) {
  const std::string src =
      fixtures::Media("portrait2997.mp4",
                      "-f lavfi -i testsrc2=s=360x640:r=30000/1001:d=2 -f lavfi -i sine=d=2 -c:v libx264 "
                      "-preset ultrafast -pix_fmt yuv420p -c:a aac");
  const std::string dir = fixtures::TempDir("delivery_dvd");
  const auto f = Convert("DVD MPEG TS(PAL)", src, dir + "/out.vob");
  const auto* v = f.First("video");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ((*v)["r_frame_rate"], "25/1");
  EXPECT_EQ((*v)["display_aspect_ratio"], "4:3");
  EXPECT_NEAR(fixtures::CountFrames(dir + "/out.vob", "video"), 50, 1);
  // 9:16 in a 4:3 frame: bars of 7/32 of the width each side.
  const std::vector<std::string> pictures = fixtures::GrayFrames(dir + "/out.vob", "eq(n\\,10)");
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_LT(ColumnsMean(pictures[0], 0, 60), 20.0);
  EXPECT_LT(ColumnsMean(pictures[0], kPictureW - 60, kPictureW), 20.0);
  EXPECT_GT(ColumnsMean(pictures[0], 100, 220), 60.0);
}

}  // namespace
