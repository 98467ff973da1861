#pragma once
// Hand-off from worker threads to the main (user-interface) thread.
// The GUI implements it over Qt's event loop; the CLI and the tests use
// TQueueDispatcher, a small queue that the main thread pumps.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TMainThreadDispatcher {
 public:
  virtual ~TMainThreadDispatcher() = default;
  // Any thread: runs Work on the main thread and returns when it has run.
  // Called on the main thread itself, runs Work at once.
  virtual void RunAndWait(const std::function<void()>& Work) = 0;
  // Any thread: queues Work for the main thread and returns at once.
  virtual void Post(std::function<void()> Work) = 0;
  // Main thread: lets the user interface process its pending events.
  virtual void ProcessPendingEvents() = 0;
  // True on the thread that this dispatcher treats as the main thread.
  virtual bool IsMainThread() const = 0;
  // Main thread: keeps handling hand-offs until Done() is true.
  virtual void WaitUntil(const std::function<bool()>& Done) = 0;
  // Worker: the progress notification, once per packet. As RunAndWait (the
  // main thread runs it while the worker waits) unless a front end says otherwise.
  virtual void RunProgress(const std::function<void()>& Work) { RunAndWait(Work); }
};

// The process-wide dispatcher; a TQueueDispatcher bound to the first thread
// that asks when none was installed.
TMainThreadDispatcher& MainThread();
// Main thread, before any worker exists: installs the dispatcher (not owned).
void SetMainThreadDispatcher(TMainThreadDispatcher* Dispatcher);

// Queue-based dispatcher for the tests (and the base of the CLI's).
class TQueueDispatcher : public TMainThreadDispatcher {
 public:
  // The constructing thread is the main thread.
  TQueueDispatcher();
  void RunAndWait(const std::function<void()>& Work) override;
  void Post(std::function<void()> Work) override;
  // Runs the queued work on the main thread; does nothing on any other.
  void ProcessPendingEvents() override;
  bool IsMainThread() const override { return std::this_thread::get_id() == FMainId; }
  void WaitUntil(const std::function<bool()>& Done) override { PumpUntil(Done); }

  // Main thread: runs queued work until Done() is true (checked after each
  // piece of work and on every wake-up); returns false when TimeoutMs passed first.
  bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = -1);
  // Main thread: wakes PumpUntil so it rechecks its condition.
  void Wake();

 private:
  std::thread::id FMainId;
  std::mutex FLock;  // guards FQueue
  std::condition_variable FSignal;
  std::deque<std::function<void()>> FQueue;
};

// For a front end without a user interface to protect (the CLI): the progress
// notification runs on the worker itself, under the output lock, so the worker
// never sleeps on a main thread that has nothing else to do. Everything that
// writes the front end's output holds the same lock, so one thread writes at a
// time. The other hand-offs (errors, stop, completion) still go to the main thread.
class THeadlessDispatcher : public TQueueDispatcher {
 public:
  // The calling worker, under OutputLock().
  void RunProgress(const std::function<void()>& Work) override {
    std::lock_guard<std::recursive_mutex> g(FOutputLock);
    Work();
  }
  // Recursive: an error shown from inside a progress handler writes too.
  std::recursive_mutex& OutputLock() { return FOutputLock; }

 private:
  std::recursive_mutex FOutputLock;
};
