// Videos with a display matrix (phone recordings): re-encoded pictures are
// turned upright as the ffmpeg CLI turns them when it decodes; a copy keeps
// the matrix.
#include <gtest/gtest.h>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/RealText.h"

namespace {

using fixtures::ShellQuote;

// PSNR (average, dB) of A's pictures against B's as the ffmpeg CLI decodes
// both (turning B upright by its display matrix); 0 when they can't be compared.
double Psnr(const std::string& A, const std::string& B) {
  const std::string out = fixtures::RunCommand("ffmpeg -hide_banner -nostats -i " + ShellQuote(A) + " -i " +
                                               ShellQuote(B) + " -filter_complex '[0:v][1:v]psnr' -f null - 2>&1");
  const size_t at = out.find("average:");
  return at == std::string::npos ? 0.0 : fixtures::Real(out.substr(at + 8));
}

class ConverterRotation : public ::testing::TestWithParam<int> {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
};

TEST_P(ConverterRotation, ReencodedUprightCopiedWithItsMatrix) {
  const std::string source = fixtures::Rotated(GetParam());
  ASSERT_FALSE(source.empty());
  const std::string dir = fixtures::TempDir("rotation" + std::to_string(GetParam()));
  const std::string rotation = "stream_side_data=rotation:stream_tags=rotate";
  {
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetVideoQscale(2);
    ASSERT_TRUE(harness::Run(c, Loop, source, dir + "/upright.mp4").Finished);
    // The source is stored 160x96; a quarter turn stands it on end.
    const bool quarter = GetParam() % 180 != 0;
    EXPECT_EQ(c.ConvertOptions().VideoOptions().FrameAspectRatio(), quarter ? 96.0f / 160.0f : 160.0f / 96.0f);
    EXPECT_EQ(fixtures::Probe(dir + "/upright.mp4", "stream=width,height"),
              quarter ? "width=96\nheight=160\n" : "width=160\nheight=96\n");
    EXPECT_EQ(fixtures::Probe(dir + "/upright.mp4", rotation, "-select_streams v"), "");
    EXPECT_GT(Psnr(dir + "/upright.mp4", source), 30.0);
  }
  {
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetVideoStreamCopy(true);
    ASSERT_TRUE(harness::Run(c, Loop, source, dir + "/copied.mp4").Finished);
    const std::string kept = fixtures::Probe(dir + "/copied.mp4", "stream_side_data=rotation", "-select_streams v");
    EXPECT_NE(kept.find("rotation="), std::string::npos);
    EXPECT_EQ(kept, fixtures::Probe(source, "stream_side_data=rotation", "-select_streams v"));
  }
  EXPECT_TRUE(Errors.Messages().empty()) << testing::PrintToString(Errors.Messages());
}

INSTANTIATE_TEST_SUITE_P(Degrees, ConverterRotation, ::testing::Values(90, 180, 270));

}  // namespace
