#pragma once
// Runs converters from a test: the test thread is the main thread, pumping a
// queue dispatcher; error boxes are recorded instead of shown.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Common/MainThreadDispatcher.h"
#include "Converter/AVConverter.h"
#include "Converter/avlib.h"

namespace harness {

// Records every ShowErrorMessage text; thread-safe.
class ErrorRecorder {
 public:
  ErrorRecorder();
  ~ErrorRecorder();
  std::vector<std::string> Messages() const;
  void Clear();

 private:
  mutable std::mutex FLock;  // guards FMessages
  std::vector<std::string> FMessages;
  TErrorMessageHandler FPrevious;
};

// Installs a queue dispatcher bound to the calling thread for its lifetime.
class MainLoop {
 public:
  explicit MainLoop(std::unique_ptr<TQueueDispatcher> Dispatcher = std::make_unique<TQueueDispatcher>());
  ~MainLoop();
  TQueueDispatcher& Dispatcher() { return *FDispatcher; }
  // Pumps until no converter thread runs; false on time-out.
  bool WaitForJobs(int TimeoutMs = 120000);
  bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = 120000) {
    return FDispatcher->PumpUntil(Done, TimeoutMs);
  }

 private:
  std::unique_ptr<TQueueDispatcher> FDispatcher;
};

// What a job raised, recorded by the events. OnProgress, OnStopped and
// OnComplete must run on the main thread (the test's queue dispatcher keeps
// that rule); one that did not is a failure of the test that attached them.
struct Events {
  int Completed = 0;
  int Stopped = 0;
  int Progress = 0;
  std::atomic<int> OffMainThread{0};
  std::vector<std::string> Log;  // guarded by LogLock (OnLog runs on the worker)
  std::mutex LogLock;
  void Attach(TAVConverter& Converter);
  std::string JoinedLog();  // the log lines so far, for a failure's message
  ~Events();
};

// Runs one job from Source to Target and waits for its end.
struct Result {
  bool Finished = false;  // the worker ended within the time limit
};
Result Run(TAVConverter& Converter, MainLoop& Loop, const std::string& Source, const std::string& Target);

}  // namespace harness
