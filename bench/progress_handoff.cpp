// Cost of the per-packet progress hand-off: a worker hands HANDOFFS small
// pieces of work over and waits for each, as the packet loop does, through
// each dispatcher's path. Prints one line per path:
//   <name> handoffs=<n> us_per_handoff=<us> allocations_per_handoff=<a>
//   qb_bench_dispatch [HANDOFFS]
#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>

#include "Common/MainThreadDispatcher.h"
#include "CommonGUI/QtMainThreadDispatcher.gui.h"

namespace {

constexpr int kDefaultHandoffs = 200000;
constexpr double kMicrosPerSecond = 1e6;

std::atomic<long> gAllocations{0};  // every operator new of the process

struct TFigures {
  double Micros;
  double Allocations;
};

// Main thread: Handoffs hand-offs from one worker through Hand, the main
// thread serving them with Serve until the worker is done.
template <typename THand, typename TServe>
TFigures Measure(int Handoffs, THand Hand, TServe Serve) {
  std::atomic<bool> done{false};
  long counter = 0;  // written by whichever thread runs the work, one at a time
  const long allocationsBefore = gAllocations.load();
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    const std::function<void()> work = [&counter] { ++counter; };
    for (int i = 0; i < Handoffs; ++i) Hand(work);
    done.store(true);
  });
  Serve([&done] { return done.load(); });
  worker.join();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (counter != Handoffs) std::abort();
  return {took.count() * kMicrosPerSecond / Handoffs,
          static_cast<double>(gAllocations.load() - allocationsBefore) / Handoffs};
}

void Report(const char* Name, int Handoffs, TFigures F) {
  printf("%s handoffs=%d us_per_handoff=%.2f allocations_per_handoff=%.2f\n", Name, Handoffs, F.Micros,
         F.Allocations);
}

}  // namespace

void* operator new(std::size_t Size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(Size ? Size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }

int main(int argc, char** argv) {
  const int handoffs = argc > 1 ? std::atoi(argv[1]) : kDefaultHandoffs;
  QCoreApplication app(argc, argv);
  {
    TQueueDispatcher queue;
    const auto serve = [&queue](auto Done) { queue.PumpUntil(Done); };
    Report("queue_run_and_wait(tests)", handoffs,
           Measure(handoffs, [&queue](const auto& W) { queue.RunAndWait(W); }, serve));
  }
  {
    THeadlessDispatcher headless;
    const auto serve = [&headless](auto Done) { headless.PumpUntil(Done); };
    Report("headless_progress(cli)", handoffs,
           Measure(handoffs, [&headless](const auto& W) { headless.RunProgress(W); }, serve));
  }
  TQtMainThreadDispatcher qt;
  const auto serve = [&qt](auto Done) { qt.WaitUntil(Done); };
  Report("qt_run_and_wait(gui_before)", handoffs, Measure(handoffs, [&qt](const auto& W) { qt.RunAndWait(W); }, serve));
  Report("qt_progress(gui)", handoffs, Measure(handoffs, [&qt](const auto& W) { qt.RunProgress(W); }, serve));
  return 0;
}
