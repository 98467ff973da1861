// N conversions of one source at once in one process, as the GUI runs its
// tasks (one converter and worker each, one queue dispatcher on the main
// thread). Prints: converters=<n> wall=<s> peak_rss_mb=<MB> failed=<k>
//   qb_bench_batch N PROFILE SOURCE OUTPUT-FOLDER [THREADS]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Common/MainThreadDispatcher.h"
#include "Converter/AVConverter.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/avlib.h"

namespace {
constexpr double kKilobytesPerMegabyte = 1024.0;
constexpr int kPumpSliceMs = 100;
}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: %s N PROFILE SOURCE OUTPUT-FOLDER [THREADS]\n", argv[0]);
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const int threads = argc > 5 ? std::atoi(argv[5]) : 2;
  TQueueDispatcher dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  int failed = 0;
  SetErrorMessageHandler([&failed](const std::string& Text) {
    ++failed;
    fprintf(stderr, "%s\n", Text.c_str());
  });
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  const TAVProfile* profile = catalogue.FindByDescription(argv[2]);
  if (!profile) {
    fprintf(stderr, "no profile %s\n", argv[2]);
    return 2;
  }
  std::vector<std::unique_ptr<TAVConverter>> converters;
  for (int i = 0; i < count; ++i) {
    auto c = std::make_unique<TAVConverter>();
    c->ConvertOptions().SetThreadCount(threads);
    if (!profile->ApplyProfile(*c)) return 1;
    c->InputFiles().Add(argv[3]);
    c->OutputFiles().Add(std::string(argv[4]) + "/batch" + std::to_string(i) + profile->Extension());
    converters.push_back(std::move(c));
  }
  const auto start = std::chrono::steady_clock::now();
  for (auto& c : converters) c->Convert();
  while (RunningConverterThreads() > 0)
    dispatcher.PumpUntil([] { return RunningConverterThreads() == 0; }, kPumpSliceMs);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  printf("converters=%d wall=%.2f peak_rss_mb=%.1f failed=%d\n", count, wall.count(),
         static_cast<double>(usage.ru_maxrss) / kKilobytesPerMegabyte, failed);
  converters.clear();
  SetMainThreadDispatcher(nullptr);
  return failed ? 1 : 0;
}
