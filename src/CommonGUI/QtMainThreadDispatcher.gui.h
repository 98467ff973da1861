#pragma once
// The main-thread hand-off over Qt's event loop, installed by the application.
#include <QSocketNotifier>

#include <memory>
#include <mutex>

#include "Common/MainThreadDispatcher.h"

class TQtMainThreadDispatcher : public TMainThreadDispatcher {
 public:
  // Main thread, once the application object exists.
  TQtMainThreadDispatcher();
  ~TQtMainThreadDispatcher() override;
  // Any thread. Work runs on the application's thread; an error it raises is
  // carried back to the caller.
  void RunAndWait(const std::function<void()>& Work) override;
  // Any thread. Work runs later on the application's thread.
  void Post(std::function<void()> Work) override;
  // Main thread.
  void ProcessPendingEvents() override;
  bool IsMainThread() const override;
  // Main thread: handles events (and so the hand-offs) until Done() is true.
  void WaitUntil(const std::function<bool()>& Done) override;
  // Worker: as RunAndWait, but once per packet, so it allocates nothing: the
  // request lives on the worker's stack, the main thread is woken through an
  // event counter its loop watches, and the worker sleeps on a semaphore.
  // While the main thread runs another request (whose handler may sit in a
  // nested event loop, where that counter is not watched) it goes through
  // RunAndWait instead.
  void RunProgress(const std::function<void()>& Work) override;

 private:
  struct TRequest;
  // A kernel event counter (eventfd), closed with its owner.
  class TEventCounter {
   public:
    TEventCounter();
    ~TEventCounter();
    TEventCounter(const TEventCounter&) = delete;
    TEventCounter& operator=(const TEventCounter&) = delete;
    int Fd() const { return FFd; }

   private:
    int FFd;
  };
  // Main thread: runs the waiting requests, oldest first.
  void RunRequests();
  // Main thread: runs one request's work, keeping an error for its worker.
  static void RunWork(TRequest& Request);

  std::mutex FLock;            // guards FFirst, FLast and FServing
  TRequest* FFirst = nullptr;  // the waiting requests, a list through TRequest::Next
  TRequest* FLast = nullptr;
  int FServing = 0;            // requests being run on the main thread now
  TEventCounter FWake;         // counted up by a worker whose request is first in line
  std::unique_ptr<QSocketNotifier> FWakeNotifier;  // main thread
};
