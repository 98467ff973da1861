// Preview seek latency: TAVPreviewDecoder on one file, SetTimestamp to
// POSITIONS seeded random times; prints the median and the worst in ms.
//   qb_bench_seek FILE [POSITIONS] [SEED]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "Components/AVPreviewDecoder.h"
#include "Converter/avlib.h"

namespace {
constexpr int kDefaultPositions = 50;
constexpr unsigned kDefaultSeed = 1;
constexpr double kMsPerSecond = 1000.0;
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s FILE [POSITIONS] [SEED]\n", argv[0]);
    return 2;
  }
  const int positions = argc > 2 ? std::atoi(argv[2]) : kDefaultPositions;
  const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : kDefaultSeed;
  LoadMediaLibrary();
  int errors = 0;
  SetErrorMessageHandler([&errors](const std::string& Text) {
    ++errors;
    fprintf(stderr, "%s\n", Text.c_str());
  });
  TAVPreviewDecoder preview;
  preview.SetInputFile(argv[1]);
  preview.SetActive(true);
  if (!preview.Active()) return 1;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> at(0.0, preview.Duration());
  std::vector<double> ms;
  for (int i = 0; i < positions; ++i) {
    const double t = at(rng);
    const auto start = std::chrono::steady_clock::now();
    preview.SetTimestamp(t);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ms.push_back(took.count() * kMsPerSecond);
  }
  std::sort(ms.begin(), ms.end());
  printf("preview_seek %dx%d positions=%d median_ms=%.1f worst_ms=%.1f errors=%d\n", preview.Width(),
         preview.Height(), positions, ms[ms.size() / 2], ms.back(), errors);
  return 0;
}
