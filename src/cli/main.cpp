// quillbrook-convert: headless front end over the conversion core.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Common/MainThreadDispatcher.h"
#include "Converter/AVConverter.h"
#include "Converter/avlib.h"
#include "cli/CliArguments.h"
#include "cli/ProgressDisplay.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr double kMicro = 1000000.0;
constexpr int kPumpSliceMs = 100;

std::atomic<bool> gInterrupted{false};

void OnInterrupt(int) { gInterrupted.store(true); }

int Convert(const TCliArguments& A) {
  TQueueDispatcher dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  bool failed = false;
  SetErrorMessageHandler([&failed](const std::string& Text) {
    failed = true;
    fprintf(stderr, "\n%s\n", Text.c_str());
  });

  TAVConverter converter;
  TAVConvertOptions& o = converter.ConvertOptions();
  const unsigned cores = std::thread::hardware_concurrency();
  o.SetThreadCount(A.Threads ? *A.Threads : static_cast<int>(cores ? cores : 1));
  if (A.Start) o.SetStartTime(static_cast<int64_t>(*A.Start * kMicro));
  if (A.End) o.SetRecordingTime(static_cast<int64_t>((*A.End - A.Start.value_or(0.0)) * kMicro));
  if (A.Filters) o.FilterOptions().SetVideoFilters(*A.Filters);
  for (const std::string& kv : A.Options) {
    const size_t eq = kv.find('=');
    o.SetAdvancedOption(kv.substr(0, eq), kv.substr(eq + 1));
  }
  if (A.Target.empty()) {
    fprintf(stderr, "no target file given\n%s", kCliUsage);
    return kExitUsage;
  }
  converter.InputFiles().Add(A.Source);
  converter.OutputFiles().Add(A.Target);

  TProgressDisplay display(stdout, isatty(STDOUT_FILENO) != 0);
  bool completed = false, stopped = false;
  converter.OnProgress = [&display](TAVConverter* C) { display.Update(*C); };
  converter.OnComplete = [&completed](TAVConverter*) { completed = true; };
  converter.OnStopped = [&stopped](TAVConverter*) { stopped = true; };
  converter.OnLog = [](TAVConverter*, int, const std::string& Text) { fputs(Text.c_str(), stderr); };

  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);

  converter.Convert();
  bool stopRequested = false;
  while (RunningConverterThreads() > 0) {
    dispatcher.PumpUntil([] { return RunningConverterThreads() == 0 || gInterrupted.load(); }, kPumpSliceMs);
    if (gInterrupted.load() && !stopRequested) {
      converter.Stop();  // noticed at the next packet; the output stays playable
      stopRequested = true;
    }
  }
  dispatcher.ProcessPendingEvents();
  display.Update(converter, true);
  SetMainThreadDispatcher(nullptr);
  if (stopped) {
    fprintf(stderr, "Conversion stopped\n");
    return kExitFailed;
  }
  return completed && !failed ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto parsed = ParseCliArguments(args, error);
  if (!parsed) {
    fprintf(stderr, "quillbrook-convert: %s\n%s", error.c_str(), kCliUsage);
    return kExitUsage;
  }
  LoadMediaLibrary();
  int rc = kExitUsage;
  switch (parsed->Mode) {
    case TCliArguments::TMode::Help:
      fputs(kCliUsage, stdout);
      rc = kExitOk;
      break;
    case TCliArguments::TMode::Convert:
      rc = Convert(*parsed);
      break;
    default:
      fprintf(stderr, "quillbrook-convert: not available yet\n");
      break;
  }
  UnloadMediaLibrary();
  return rc;
}
