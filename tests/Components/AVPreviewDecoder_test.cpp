// The preview's decoding core against frames decoded by the ffmpeg CLI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "Common/NumberText.h"
#include "Components/AVPreviewDecoder.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/RealText.h"

namespace {

using fixtures::ShellQuote;

// The ffmpeg CLI's BGR24 decode of the first frame at or after Seconds.
std::string CliFrame(const std::string& File, double Seconds) {
  return fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(File) + " -vf select='gte(t\\," + FloatText(Seconds) +
                              ")' -frames:v 1 -f rawvideo -pix_fmt bgr24 -");
}

double MeanDifference(const std::vector<uint8_t>& A, const std::string& B) {
  if (A.size() != B.size() || A.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < A.size(); ++i) sum += std::abs(static_cast<int>(A[i]) - static_cast<unsigned char>(B[i]));
  return sum / static_cast<double>(A.size());
}

TEST(PreviewDecoder, OddWidthPictureIsUprightAndUnsheared) {
  harness::ErrorRecorder errors;
  const std::string file = fixtures::Media("odd427x.mkv", "-f lavfi -i testsrc2=size=428x240:rate=25:duration=1 "
                                                         "-vf crop=427:240:0:0:exact=1 -c:v ffv1 -pix_fmt yuv420p");
  TAVPreviewDecoder p;
  int pictures = 0;
  p.OnPicture = [&pictures] { ++pictures; };
  p.SetInputFile(file);
  p.SetActive(true);
  ASSERT_TRUE(p.Active());
  EXPECT_EQ(pictures, 1);
  EXPECT_EQ(p.Width(), 427);
  EXPECT_EQ(p.Picture().size(), 427u * 240 * 3);
  EXPECT_LT(MeanDifference(p.Picture(), CliFrame(file, 0)), 1.0);
  EXPECT_TRUE(errors.Messages().empty());
}

TEST(PreviewDecoder, RotatedVideoIsShownUpright) {
  harness::ErrorRecorder errors;
  for (const int degrees : {90, 270}) {
    const std::string file = fixtures::Rotated(degrees);
    TAVPreviewDecoder p;
    p.SetInputFile(file);
    p.SetActive(true);
    ASSERT_TRUE(p.Active());
    EXPECT_EQ(p.Width(), 96);
    EXPECT_EQ(p.Height(), 160);
    EXPECT_LT(MeanDifference(p.Picture(), CliFrame(file, 0)), 2.0) << degrees;  // the CLI turns it by itself
  }
  EXPECT_TRUE(errors.Messages().empty());
}

TEST(PreviewDecoder, ShowsThePictureOnScreenAtTheTime) {
  harness::ErrorRecorder errors;
  // Key frames every 0.4 s, B-frames between them.
  const std::string file = fixtures::Media("keyed_preview_b.mp4", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 "
                                                                  "-c:v libx264 -g 10 -keyint_min 10 -sc_threshold 0 -bf 3");
  TAVPreviewDecoder p;
  int pictures = 0;
  p.OnPicture = [&pictures] { ++pictures; };
  p.SetInputFile(file);
  p.SetActive(true);
  ASSERT_TRUE(p.Active());
  EXPECT_NEAR(p.Duration(), 2.0, 0.05);
  p.SetTimestamp(0.8);  // a key frame
  EXPECT_LT(MeanDifference(p.Picture(), CliFrame(file, 0.8)), 2.0);
  p.SetTimestamp(1.0);  // decoded on from the key frame at 0.8 s
  EXPECT_LT(MeanDifference(p.Picture(), CliFrame(file, 1.0)), 2.0);
  EXPECT_GT(MeanDifference(p.Picture(), CliFrame(file, 0.8)), 0.5);
  p.SetTimestamp(1.03);  // between pictures: the one shown from 1.0 s
  EXPECT_LT(MeanDifference(p.Picture(), CliFrame(file, 1.0)), 2.0);
  p.SetTimestamp(5.0);
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"timestamp can not be large than stream duration!"});
  EXPECT_EQ(pictures, 4);
  p.SetActive(false);
  EXPECT_FALSE(p.Active());
  p.SetTimestamp(0.4);  // ignored while inactive
  EXPECT_EQ(pictures, 4);
  EXPECT_EQ(p.timestamp(), 0.0);
}

TEST(PreviewDecoder, LateInALongGroupOfPictures) {
  harness::ErrorRecorder errors;
  // One key frame, unreferenced B-frames: those well before the time are
  // skipped, which must not change the picture shown, up to the last one.
  const std::string file =
      fixtures::Media("long_gop_preview_b.mp4", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -c:v libx264 "
                                                "-g 100 -sc_threshold 0 -bf 3 -x264-params b-pyramid=none");
  TAVPreviewDecoder p;
  p.SetInputFile(file);
  p.SetActive(true);
  ASSERT_TRUE(p.Active());
  // (time asked, start of the picture on screen then); the CLI is asked for
  // the first picture at or after half a picture earlier.
  constexpr double kHalfPicture = 0.02;
  for (const auto& [at, shown] : {std::pair{1.84, 1.84}, {1.5, 1.48}, {1.98, 1.96}}) {
    p.SetTimestamp(at);
    EXPECT_LT(MeanDifference(p.Picture(), CliFrame(file, shown - kHalfPicture)), 2.0) << at;
  }
  EXPECT_TRUE(errors.Messages().empty());
}

TEST(PreviewDecoder, StartTimeOfATransportStream) {
  harness::ErrorRecorder errors;
  const std::string file = fixtures::Media("start14.ts", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=2 -c:v mpeg2video");
  TAVPreviewDecoder p;
  p.SetInputFile(file);
  p.SetActive(true);
  ASSERT_TRUE(p.Active());
  // The transport stream starts at about 1.4 s, as ffprobe reads it.
  const double start = fixtures::Real(fixtures::Probe(file, "format=start_time").substr(11));
  EXPECT_GT(start, 1.3);
  EXPECT_NEAR(p.StartTime() / 1e6, start, 1e-6);
  p.SetTimestamp(1.0);
  EXPECT_NEAR(p.timestamp(), 1.0 + start, 1e-6);  // absolute: start time included
  EXPECT_TRUE(errors.Messages().empty());
}

TEST(PreviewDecoder, AudioOnlyAndMissingFiles) {
  harness::ErrorRecorder errors;
  TAVPreviewDecoder p;
  p.SetInputFile(fixtures::Media("tone_only.wav", "-f lavfi -i sine=duration=1 -c:a pcm_s16le"));
  p.SetActive(true);
  EXPECT_FALSE(p.Active());
  EXPECT_TRUE(errors.Messages().empty());
  p.SetInputFile("/nonexistent/file.avi");
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"File:/nonexistent/file.avi does not exist!"});
  EXPECT_NE(p.InputFile(), "/nonexistent/file.avi");
}

}  // namespace
