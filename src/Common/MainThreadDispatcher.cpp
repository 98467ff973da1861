#include "Common/MainThreadDispatcher.h"

#include <atomic>
#include <chrono>

namespace {
std::atomic<TMainThreadDispatcher*> gDispatcher{nullptr};
std::once_flag gDefaultOnce;
std::unique_ptr<TQueueDispatcher> gDefault;
}  // namespace

TMainThreadDispatcher& MainThread() {
  TMainThreadDispatcher* d = gDispatcher.load(std::memory_order_acquire);
  if (d) return *d;
  std::call_once(gDefaultOnce, [] {
    gDefault = std::make_unique<TQueueDispatcher>();
    TMainThreadDispatcher* expected = nullptr;
    gDispatcher.compare_exchange_strong(expected, gDefault.get());
  });
  return *gDispatcher.load(std::memory_order_acquire);
}

void SetMainThreadDispatcher(TMainThreadDispatcher* Dispatcher) {
  gDispatcher.store(Dispatcher, std::memory_order_release);
}

TQueueDispatcher::TQueueDispatcher() : FMainId(std::this_thread::get_id()) {}

void TQueueDispatcher::RunAndWait(const std::function<void()>& Work) {
  if (IsMainThread()) {
    Work();
    return;
  }
  // The waiting state lives on this worker's stack; the main thread signals
  // through it once Work has run (exceptions are carried back).
  struct Wait {
    std::mutex M;
    std::condition_variable C;
    bool Done = false;
    std::exception_ptr Error;
  } wait;
  Post([&] {
    try {
      Work();
    } catch (...) {
      wait.Error = std::current_exception();
    }
    std::lock_guard<std::mutex> g(wait.M);
    wait.Done = true;
    wait.C.notify_one();
  });
  std::unique_lock<std::mutex> g(wait.M);
  wait.C.wait(g, [&] { return wait.Done; });
  if (wait.Error) std::rethrow_exception(wait.Error);
}

void TQueueDispatcher::Post(std::function<void()> Work) {
  {
    std::lock_guard<std::mutex> g(FLock);
    FQueue.push_back(std::move(Work));
  }
  FSignal.notify_all();
}

void TQueueDispatcher::ProcessPendingEvents() {
  // Queued work belongs to the main thread (a headless progress handler calls
  // this on its worker).
  if (!IsMainThread()) return;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard<std::mutex> g(FLock);
      if (FQueue.empty()) return;
      work = std::move(FQueue.front());
      FQueue.pop_front();
    }
    work();
  }
}

void TQueueDispatcher::Wake() { FSignal.notify_all(); }

bool TQueueDispatcher::PumpUntil(const std::function<bool()>& Done, int TimeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs < 0 ? 0 : TimeoutMs);
  constexpr auto kRecheck = std::chrono::milliseconds(20);
  for (;;) {
    ProcessPendingEvents();
    if (Done()) return true;
    std::unique_lock<std::mutex> g(FLock);
    if (!FQueue.empty()) continue;
    if (TimeoutMs >= 0 && Clock::now() >= deadline) return false;
    // The condition may become true without queued work (a worker ending), so
    // wake up now and then to recheck it.
    FSignal.wait_for(g, kRecheck);
  }
}
