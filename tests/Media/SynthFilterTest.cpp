// The synth step against the stand-in AviSynth library built by the tests.
#include "Media/SynthFilter.h"

#include <gtest/gtest.h>

#include "Converter/FilterGraphTestSupport.h"
#include "Converter/avlib.h"
#include "Media/standin/AviSynthStandIn.h"
#include "support/Fixtures.h"

using namespace graphtest;

namespace {

constexpr double kExactPsnr = 35.0;

class SynthFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadMediaLibrary();
    ASSERT_TRUE(AviSynthLibrary().Loaded()) << AviSynthLoadError();
    auto stats = reinterpret_cast<TStandInStatsFunc>(AviSynthLibrary().Entry("standin_stats"));
    ASSERT_NE(stats, nullptr);
    FStats = stats();
    FClip = fixtures::Media("graph_src.mkv",
                            "-f lavfi -i testsrc2=size=320x240:rate=10:duration=3 -c:v ffv1 -pix_fmt yuv420p");
    FSource = DecodeVideo(FClip);
    ASSERT_FALSE(FSource.Frames.empty());
    FPlain = RunGraph(FSource, SameSizeOutput(FSource.Input), "").Pictures;
  }
  TGraphRun Run(const std::string& Chain) {
    return RunGraph(FSource, SameSizeOutput(FSource.Input), Chain);
  }

  TStandInStats* FStats = nullptr;
  std::string FClip;
  TDecoded FSource;
  std::vector<std::string> FPlain;
};

TEST_F(SynthFilter, InvertedPicturesLandInTheOutput) {
  const int calls = FStats->ScriptClipCalls;
  TGraphRun run = Run("synth=Invert()");
  ASSERT_TRUE(run.Built);
  EXPECT_EQ(run.Description, "buffer,buffersink,synth,buffer,buffersink");
  auto cli = CliPictures(FClip, "lutyuv=y=255-val:u=255-val:v=255-val", run.Width, run.Height);
  ASSERT_EQ(run.Pictures.size(), cli.size());
  ASSERT_EQ(run.Pictures.size(), FPlain.size());
  for (size_t i = 0; i < cli.size(); ++i) EXPECT_GT(Psnr(run.Pictures[i], cli[i]), kExactPsnr) << i;
  EXPECT_EQ(FStats->ScriptClipCalls - calls, static_cast<int>(run.Pictures.size()));
  EXPECT_STREQ(FStats->LastScript, "Invert()");
  EXPECT_STREQ(FStats->SourceSignature, "i");
  EXPECT_EQ(FStats->InterfaceVersion, 2);
}

TEST_F(SynthFilter, EveryPictureIsFrameZeroOfAOneFrameClipAt24Fps) {
  TGraphRun run = Run("synth=Pass()");
  ASSERT_TRUE(run.Built);
  ASSERT_EQ(run.Pictures.size(), FPlain.size());
  EXPECT_TRUE(run.Pictures == FPlain);
  EXPECT_EQ(FStats->SourceFrameAsked, 0);
  EXPECT_EQ(FStats->SourceFrames, 1);
  EXPECT_EQ(FStats->SourceRateNum, 24u);
  EXPECT_EQ(FStats->SourceRateDen, 1u);
  EXPECT_EQ(FStats->SourcePixelType, kAvsPixelTypeI420);
  EXPECT_EQ(FStats->SourceWidth, 320);
  EXPECT_EQ(FStats->SourceHeight, 240);
}

TEST_F(SynthFilter, BarsStandForCommas) {
  ASSERT_TRUE(Run("synth=Pass(a|b| c)").Built);
  EXPECT_STREQ(FStats->LastScript, "Pass(a,b, c)");
  // An escaped comma reaches AviSynth as a comma too.
  ASSERT_TRUE(Run("synth=Pass(x\\,y)").Built);
  EXPECT_STREQ(FStats->LastScript, "Pass(x,y)");
}

TEST_F(SynthFilter, FailingExpressionsLeavePicturesUnchanged) {
  TGraphRun run = Run("synth=NoSuchFunction(");
  ASSERT_TRUE(run.Built);
  EXPECT_TRUE(run.Pictures == FPlain);
}

TEST_F(SynthFilter, OnlyTheOverlapOfASmallerResultIsCopied) {
  TGraphRun run = Run("synth=Shrink()");
  ASSERT_TRUE(run.Built);
  ASSERT_FALSE(run.Pictures.empty());
  const int w = run.Width, h = run.Height;
  TChangeCount c = CountChanges(run.Pictures[0], FPlain[0], w, h, 0, 0, w / 2, h / 2, 0);
  EXPECT_EQ(c.Outside, 0);
  EXPECT_EQ(PixelAt(run.Pictures[0], w, h, 3, 3).Y, 0);
  EXPECT_EQ(PixelAt(run.Pictures[0], w, h, w / 2 - 1, h / 2 - 1).V, 0);
}

TEST_F(SynthFilter, StepsCutTheChainAndReleaseEverything) {
  const int created = FStats->EnvironmentsCreated;
  {
    TGraphRun run = Run("hflip,synth=Invert(),scale=iw*2:ih,synth=Pass()");
    ASSERT_TRUE(run.Built);
    EXPECT_EQ(run.Description, "buffer,hflip,buffersink,synth,buffer,scale,buffersink,synth,buffer,buffersink");
    EXPECT_EQ(run.Width, 640);
    auto cli = CliPictures(FClip, "hflip,lutyuv=y=255-val:u=255-val:v=255-val,scale=iw*2:ih", 640, 240);
    ASSERT_EQ(run.Pictures.size(), cli.size());
    for (size_t i = 0; i < cli.size(); ++i) EXPECT_GT(Psnr(run.Pictures[i], cli[i]), kExactPsnr) << i;
  }
  EXPECT_EQ(FStats->EnvironmentsCreated - created, 2);
  EXPECT_EQ(FStats->EnvironmentsCreated, FStats->EnvironmentsDeleted);
  EXPECT_EQ(FStats->LiveClips, 0);
  EXPECT_EQ(FStats->LiveFrames, 0);
}

TEST_F(SynthFilter, UnusableEntriesFailTheGraph) {
  const std::string tooLong(TSynthFilter::kMaxScriptLength + 1, 'x');
  for (const std::string& chain :
       std::vector<std::string>{"synth", "synth=", "synth=" + tooLong, "[a]synth=Pass()", "vflip;synth=Pass()"}) {
    TLogCapture log;
    TVideoFilterGraph graph;
    EXPECT_FALSE(graph.Build(FSource.Input, SameSizeOutput(FSource.Input), chain)) << chain.substr(0, 40);
    EXPECT_FALSE(log.Text().empty());
  }
}

}  // namespace
