#include "support/Pictures.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Common/Errors.h"
#include "support/Fixtures.h"

namespace fixtures {

namespace {
constexpr double kSamePicture = 30.0;  // dB: the same picture after lossy coding
constexpr double kMargin = 3.0;        // dB by which the right picture wins
constexpr double kEqual = 100.0;
constexpr double kPeak = 255.0;
}  // namespace

std::vector<std::string> GrayFrames(const std::string& File, const std::string& Select, int Width, int Height) {
  const std::string filter = (Select.empty() ? "" : "select=" + Select + ",") + Format("scale=%d:%d", Width, Height);
  const std::string raw = RunCommand("ffmpeg -v error -i " + ShellQuote(File) + " -vf " + ShellQuote(filter) +
                                     " -vsync 0 -f rawvideo -pix_fmt gray -");
  const size_t bytes = static_cast<size_t>(Width) * Height;
  std::vector<std::string> frames;
  for (size_t at = 0; at + bytes <= raw.size(); at += bytes) frames.push_back(raw.substr(at, bytes));
  return frames;
}

double Psnr(const std::string& A, const std::string& B) {
  if (A.size() != B.size() || A.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < A.size(); ++i) {
    const double d = static_cast<unsigned char>(A[i]) - static_cast<unsigned char>(B[i]);
    sum += d * d;
  }
  const double mse = sum / static_cast<double>(A.size());
  return mse == 0 ? kEqual : 10.0 * std::log10(kPeak * kPeak / mse);
}

void ExpectSourceFrame(const std::string& Picture, const std::string& Source, int Index, const std::string& What) {
  const bool before = Index >= 2;
  const std::string near = before ? Format("eq(n\\,%d)+eq(n\\,%d)+eq(n\\,%d)", Index - 2, Index, Index + 2)
                                  : Format("eq(n\\,%d)+eq(n\\,%d)", Index, Index + 2);
  const std::vector<std::string> candidates = GrayFrames(Source, near);
  ASSERT_EQ(candidates.size(), before ? 3u : 2u) << What;
  const size_t self = before ? 1 : 0;
  const double best = Psnr(Picture, candidates[self]);
  EXPECT_GT(best, kSamePicture) << What;
  for (size_t i = 0; i < candidates.size(); ++i)
    if (i != self) {
      EXPECT_GT(best, Psnr(Picture, candidates[i]) + kMargin) << What << " vs the frame two away";
    }
}

}  // namespace fixtures
