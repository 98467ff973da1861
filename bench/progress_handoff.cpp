// Cost of the per-packet progress hand-off: a worker hands HANDOFFS small
// pieces of work to the main thread and waits for each, as the packet loop
// does, through the CLI's queue dispatcher and through the GUI's Qt one.
// Prints one line per dispatcher: <name> handoffs=<n> us_per_handoff=<us>
//   qb_bench_dispatch [HANDOFFS]
#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Common/MainThreadDispatcher.h"
#include "CommonGUI/QtMainThreadDispatcher.gui.h"

namespace {

constexpr int kDefaultHandoffs = 200000;
constexpr double kMicrosPerSecond = 1e6;

// Main thread: runs Handoffs hand-offs from one worker through D, waiting with Wait.
template <typename TWait>
double MicrosPerHandoff(TMainThreadDispatcher& D, int Handoffs, TWait Wait) {
  std::atomic<bool> done{false};
  long counter = 0;  // touched on the main thread only
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    for (int i = 0; i < Handoffs; ++i) D.RunAndWait([&counter] { ++counter; });
    done.store(true);
  });
  Wait([&done] { return done.load(); });
  worker.join();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (counter != Handoffs) std::abort();
  return took.count() * kMicrosPerSecond / Handoffs;
}

void Report(const char* Name, int Handoffs, double Micros) {
  printf("%s handoffs=%d us_per_handoff=%.2f\n", Name, Handoffs, Micros);
}

}  // namespace

int main(int argc, char** argv) {
  const int handoffs = argc > 1 ? std::atoi(argv[1]) : kDefaultHandoffs;
  QCoreApplication app(argc, argv);
  TQueueDispatcher queue;
  Report("queue_dispatcher(cli)", handoffs,
         MicrosPerHandoff(queue, handoffs, [&queue](auto Done) { queue.PumpUntil(Done); }));
  TQtMainThreadDispatcher qt;
  Report("qt_dispatcher(gui)", handoffs, MicrosPerHandoff(qt, handoffs, [&qt](auto Done) { qt.WaitUntil(Done); }));
  return 0;
}
