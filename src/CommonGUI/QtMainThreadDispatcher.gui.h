#pragma once
// The main-thread hand-off over Qt's event loop, installed by the application.
#include "Common/MainThreadDispatcher.h"

class TQtMainThreadDispatcher : public TMainThreadDispatcher {
 public:
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
};
