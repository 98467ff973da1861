#include "Converter/AVConverterFilterGraph.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Converter/avlib.h"
#include "FilterGraphTestSupport.h"
#include "support/Fixtures.h"

extern "C" {
#include <libswscale/swscale.h>
}

using namespace graphtest;

namespace {

constexpr double kExactPsnr = 35.0;

std::string SourceClip() {
  return fixtures::Media("graph_src.mkv",
                         "-f lavfi -i testsrc2=size=320x240:rate=10:duration=3 -c:v ffv1 -pix_fmt yuv420p");
}

TVideoGraphInput InputOf(int Width, int Height) {
  TVideoGraphInput in;
  in.Width = Width;
  in.Height = Height;
  in.PixFmt = AV_PIX_FMT_YUV420P;
  in.TimeBase = {1, 25};
  in.SampleAspect = {1, 1};
  in.FrameRate = {25, 1};
  return in;
}

TEST(FilterGraphBuild, ScaleOnlyWhenTheSizeDiffers) {
  TVideoFilterGraph graph;
  TVideoGraphOutput out = SameSizeOutput(InputOf(640, 360));
  ASSERT_TRUE(graph.Build(InputOf(1280, 720), out, ""));
  EXPECT_EQ(graph.Description(), "buffer,scale=640:360:flags=0x4,buffersink");
  EXPECT_EQ(graph.OutputWidth(), 640);
  EXPECT_EQ(graph.OutputHeight(), 360);

  ASSERT_TRUE(graph.Build(InputOf(640, 360), out, ""));
  EXPECT_EQ(graph.Description(), "buffer,buffersink");

  out.Deinterlace = true;
  out.SwsFlags = SWS_BILINEAR;
  ASSERT_TRUE(graph.Build(InputOf(1280, 720), out, ""));
  EXPECT_EQ(graph.Description(), "buffer,yadif,scale=640:360:flags=0x2,buffersink");
}

TEST(FilterGraphBuild, CropTakesTheBandsThenScales) {
  TVideoFilterGraph graph;
  TVideoGraphOutput out = SameSizeOutput(InputOf(290, 230));
  out.Crop = true;
  out.LeftBand = 10;
  out.RightBand = 20;
  out.TopBand = 4;
  out.BottomBand = 6;
  ASSERT_TRUE(graph.Build(InputOf(320, 240), out, ""));
  EXPECT_EQ(graph.Description(), "buffer,crop=290:230:10:4,buffersink");
  // A smaller encoder still gets the whole area inside the bands, scaled.
  out.Width = 144;
  out.Height = 114;
  ASSERT_TRUE(graph.Build(InputOf(320, 240), out, ""));
  EXPECT_EQ(graph.Description(), "buffer,crop=290:230:10:4,scale=144:114:flags=0x4,buffersink");
  out.LeftBand = 300;
  EXPECT_FALSE(graph.Build(InputOf(320, 240), out, ""));
}

TEST(FilterGraphBuild, EncoderSizeAndFormatComeFromTheSink) {
  TVideoFilterGraph graph;
  TVideoGraphOutput out = SameSizeOutput(InputOf(320, 240));
  ASSERT_TRUE(graph.Build(InputOf(320, 240), out, "scale=iw*2:ih"));
  EXPECT_EQ(graph.OutputWidth(), 640);
  EXPECT_EQ(graph.OutputHeight(), 240);
  EXPECT_EQ(graph.Description(), "buffer,scale,buffersink");
  // Library entries between system entries are parsed on their own.
  ASSERT_TRUE(graph.Build(InputOf(320, 240), out, "drawbox=0:0:8:8:Red,scale=iw*2:ih*2,negate,rotate=10"));
  EXPECT_EQ(graph.Description(), "buffer,drawbox,scale,negate,rotate,buffersink");
  EXPECT_EQ(graph.OutputWidth(), 640);
  EXPECT_EQ(graph.OutputHeight(), 480);
  out.PixFmt = AV_PIX_FMT_YUV422P;
  ASSERT_TRUE(graph.Build(InputOf(320, 240), out, ""));
  EXPECT_EQ(graph.OutputPixFmt(), AV_PIX_FMT_YUV422P);
  EXPECT_EQ(graph.OutputTimeBase().den, 25);
}

TEST(FilterGraphBuild, BadChainsFailWithAReason) {
  const TVideoGraphOutput out = SameSizeOutput(InputOf(320, 240));
  for (const char* chain : {"nosuchfilter", "scale=w=oops", "vflip,,hflip", "logo=1|2", "rotate=4.5",
                            "drawbox=1:2:3:Red", "[x]rotate=9", "ass=font$/none.ttf", "scale=iw:ih]"}) {
    TLogCapture log;
    TVideoFilterGraph graph;
    EXPECT_FALSE(graph.Build(InputOf(320, 240), out, chain)) << chain;
    EXPECT_FALSE(log.Text().empty()) << chain;
  }
}

TEST(FilterGraphBuild, WatermarkThatIsNoPictureIsNamed) {
  const std::string fake = fixtures::TempDir("fake_logo") + "/logo.png";
  std::ofstream(fake) << "not a picture\n";
  TLogCapture log;
  TVideoFilterGraph graph;
  EXPECT_FALSE(graph.Build(InputOf(320, 240), SameSizeOutput(InputOf(320, 240)), "logo=1|2|" + fake));
  EXPECT_NE(log.Text().find("The watermark picture " + fake + " can't be read"), std::string::npos) << log.Text();
}

TEST(FilterGraphBuild, SynthWithoutTheLibraryNamesIt) {
  LoadMediaLibrary();
  if (AviSynthLibrary().Loaded()) GTEST_SKIP() << "an AviSynth library is installed";
  TLogCapture log;
  TVideoFilterGraph graph;
  EXPECT_FALSE(graph.Build(InputOf(320, 240), SameSizeOutput(InputOf(320, 240)), "negate,synth=Invert()"));
  EXPECT_NE(log.Text().find(kAviSynthLibraryName), std::string::npos) << log.Text();
  EXPECT_TRUE(graph.Build(InputOf(320, 240), SameSizeOutput(InputOf(320, 240)), "negate"));
}

struct TCliCase {
  const char* Chain;   // the system's chain
  const char* Cli;     // the same filters for the ffmpeg CLI
  int Width, Height;   // encoder size (0: the source's)
};

void PrintTo(const TCliCase& C, std::ostream* Os) { *Os << '"' << C.Chain << "\" vs \"" << C.Cli << '"'; }

class FilterGraphPixels : public ::testing::TestWithParam<TCliCase> {};

TEST_P(FilterGraphPixels, MatchTheCli) {
  const TCliCase& c = GetParam();
  const std::string clip = SourceClip();
  TDecoded source = DecodeVideo(clip);
  ASSERT_FALSE(source.Frames.empty());
  TVideoGraphOutput out = SameSizeOutput(source.Input);
  if (c.Width) {
    out.Width = c.Width;
    out.Height = c.Height;
  }
  TGraphRun run = RunGraph(source, out, c.Chain);
  ASSERT_TRUE(run.Built) << c.Chain;
  auto expected = CliPictures(clip, c.Cli, run.Width, run.Height);
  ASSERT_EQ(run.Pictures.size(), source.Frames.size());
  ASSERT_EQ(run.Pictures.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_GT(Psnr(run.Pictures[i], expected[i]), kExactPsnr) << c.Chain << " picture " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Chains, FilterGraphPixels,
    ::testing::Values(TCliCase{"hflip", "hflip", 0, 0}, TCliCase{"vflip", "vflip", 0, 0},
                      TCliCase{"negate", "negate", 0, 0},
                      TCliCase{" vflip,hflip,negate ", "vflip,hflip,negate", 0, 0},
                      TCliCase{"rotate=90", "rotate=PI/2", 0, 0}, TCliCase{"rotate=45", "rotate=PI/4", 0, 0},
                      TCliCase{"drawbox=10:20:60:40:Red", "drawbox=10:20:60:40:color=red", 0, 0},
                      TCliCase{"drawbox=10:20:60:40:Navy", "drawbox=10:20:60:40:color=0x000080", 0, 0},
                      TCliCase{"", "scale=160:120:flags=bicubic", 160, 120}));

TEST(FilterGraphPixels, DrawBoxPaintsItsBorderInTheNamedColour) {
  TDecoded source = DecodeVideo(SourceClip());
  TGraphRun run = RunGraph(source, SameSizeOutput(source.Input), "drawbox=10:20:60:40:Red");
  ASSERT_TRUE(run.Built);
  ASSERT_FALSE(run.Pictures.empty());
  TYuv border = PixelAt(run.Pictures[0], run.Width, run.Height, 10, 30);
  // Red in limited-range BT.601.
  EXPECT_NEAR(border.Y, 81, 3);
  EXPECT_NEAR(border.U, 90, 3);
  EXPECT_NEAR(border.V, 240, 3);
}

}  // namespace
