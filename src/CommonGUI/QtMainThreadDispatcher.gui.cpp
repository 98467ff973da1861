#include "CommonGUI/QtMainThreadDispatcher.gui.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <stdexcept>

#include "CommonGUI/IdleUpdate.gui.h"

namespace {

// Done() may become true without any event (a worker ending), so it is
// rechecked this often.
constexpr std::chrono::milliseconds kRecheck{20};
// How long a worker watches for the end of its notification before it sleeps.
constexpr std::chrono::microseconds kSpin{60};

}  // namespace

// One waiting progress notification, on its worker's stack.
struct TQtMainThreadDispatcher::TRequest {
  enum TState : int { Waiting, Sleeping, Done };
  explicit TRequest(const std::function<void()>* AWork) : Work(AWork) {}
  const std::function<void()>* Work;
  std::exception_ptr Error;
  // The worker first watches State for a few microseconds (a notification
  // takes the main thread about that long), so the main thread need not wake
  // it; then it sleeps on Wake, which the main thread releases. Qt's
  // semaphore sleeps on a futex at once; the standard one spins and yields,
  // which costs a loaded machine a time slice per hand-off.
  std::atomic<int> State{Waiting};
  QSemaphore Wake;
  TRequest* Next = nullptr;

  // Worker.
  void WaitDone() {
    const auto until = std::chrono::steady_clock::now() + kSpin;
    do {
      if (State.load(std::memory_order_acquire) == Done) return;
    } while (std::chrono::steady_clock::now() < until);
    int expected = Waiting;
    if (State.compare_exchange_strong(expected, Sleeping, std::memory_order_acq_rel)) Wake.acquire();
  }
  // Main thread, once Work has run. The worker may return at once: nothing of
  // the request may be touched after this, unless the worker sleeps.
  void SetDone() {
    if (State.exchange(Done, std::memory_order_acq_rel) == Sleeping) Wake.release();
  }
};

TQtMainThreadDispatcher::TEventCounter::TEventCounter() : FFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (FFd < 0) throw std::runtime_error("eventfd failed");
}

TQtMainThreadDispatcher::TEventCounter::~TEventCounter() { close(FFd); }

TQtMainThreadDispatcher::TQtMainThreadDispatcher()
    : FWakeNotifier(std::make_unique<QSocketNotifier>(FWake.Fd(), QSocketNotifier::Read)) {
  QObject::connect(FWakeNotifier.get(), &QSocketNotifier::activated, [this] { RunRequests(); });
  // A progress notice repaints figures only; it leaves the enabling rules be.
  AddQuietSource(FWakeNotifier.get());
}

TQtMainThreadDispatcher::~TQtMainThreadDispatcher() { DropQuietSource(FWakeNotifier.get()); }

void TQtMainThreadDispatcher::RunProgress(const std::function<void()>& Work) {
  if (IsMainThread()) {
    Work();
    return;
  }
  TRequest request{&Work};
  bool first = false, serving;
  {
    std::lock_guard<std::mutex> g(FLock);
    serving = FServing > 0;
    if (!serving) {
      first = FFirst == nullptr;
      (first ? FFirst : FLast->Next) = &request;
      FLast = &request;
    }
  }
  // The main thread is running another request, which may sit in a nested
  // event loop (an error box) where the notifier is not served: Qt's queue is.
  if (serving) {
    RunAndWait(Work);
    return;
  }
  // A request behind others is found by the run that serves them.
  if (first) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(FWake.Fd(), &one, sizeof one);
  }
  request.WaitDone();
  if (request.Error) std::rethrow_exception(request.Error);
}

void TQtMainThreadDispatcher::RunWork(TRequest& Request) {
  try {
    (*Request.Work)();
  } catch (...) {
    Request.Error = std::current_exception();
  }
}

void TQtMainThreadDispatcher::RunRequests() {
  uint64_t count;
  [[maybe_unused]] const ssize_t n = read(FWake.Fd(), &count, sizeof count);
  for (;;) {
    TRequest* request;
    TRequest* behind;
    {
      std::lock_guard<std::mutex> g(FLock);
      request = FFirst;
      if (!request) return;
      behind = request->Next;
      FFirst = FLast = nullptr;
      ++FServing;
    }
    // The ones behind must not wait for this one's handler: Qt's queue serves
    // them, in a nested loop too (this costs an allocation each, only when
    // several workers hand over at the same moment).
    while (behind) {
      TRequest* next = behind->Next;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [behind] {
            RunWork(*behind);
            behind->SetDone();
          },
          Qt::QueuedConnection);
      behind = next;
    }
    RunWork(*request);
    {
      // Before the worker is released, or its next request would find the
      // main thread still serving and take the slower path.
      std::lock_guard<std::mutex> g(FLock);
      --FServing;
    }
    request->SetDone();
  }
}

void TQtMainThreadDispatcher::RunAndWait(const std::function<void()>& Work) {
  if (IsMainThread()) {
    Work();
    return;
  }
  // An error must not cross Qt's event delivery; it is rethrown here instead.
  std::exception_ptr error;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        try {
          Work();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (error) std::rethrow_exception(error);
}

void TQtMainThreadDispatcher::Post(std::function<void()> Work) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(Work), Qt::QueuedConnection);
}

void TQtMainThreadDispatcher::ProcessPendingEvents() { QCoreApplication::processEvents(); }

bool TQtMainThreadDispatcher::IsMainThread() const {
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void TQtMainThreadDispatcher::WaitUntil(const std::function<bool()>& Done) {
  QTimer recheck;
  recheck.start(kRecheck);
  while (!Done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
