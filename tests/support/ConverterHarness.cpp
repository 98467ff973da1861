#include "support/ConverterHarness.h"

#include <gtest/gtest.h>

namespace harness {

ErrorRecorder::ErrorRecorder() {
  FPrevious = SetErrorMessageHandler([this](const std::string& Text) {
    std::lock_guard<std::mutex> g(FLock);
    FMessages.push_back(Text);
  });
}

ErrorRecorder::~ErrorRecorder() { SetErrorMessageHandler(FPrevious); }

std::vector<std::string> ErrorRecorder::Messages() const {
  std::lock_guard<std::mutex> g(FLock);
  return FMessages;
}

void ErrorRecorder::Clear() {
  std::lock_guard<std::mutex> g(FLock);
  FMessages.clear();
}

MainLoop::MainLoop(std::unique_ptr<TQueueDispatcher> Dispatcher) : FDispatcher(std::move(Dispatcher)) {
  SetMainThreadDispatcher(FDispatcher.get());
}

MainLoop::~MainLoop() {
  WaitForJobs();
  SetMainThreadDispatcher(nullptr);
}

bool MainLoop::WaitForJobs(int TimeoutMs) {
  return FDispatcher->PumpUntil([] { return RunningConverterThreads() == 0; }, TimeoutMs);
}

void Events::Attach(TAVConverter& Converter) {
  const auto onMain = [this] {
    if (!MainThread().IsMainThread()) ++OffMainThread;
  };
  Converter.OnComplete = [this, onMain](TAVConverter*) {
    onMain();
    ++Completed;
  };
  Converter.OnStopped = [this, onMain](TAVConverter*) {
    onMain();
    ++Stopped;
  };
  Converter.OnProgress = [this, onMain](TAVConverter*) {
    onMain();
    ++Progress;
  };
  Converter.OnLog = [this](TAVConverter*, int, const std::string& Text) {
    std::lock_guard<std::mutex> g(LogLock);
    Log.push_back(Text);
  };
}

std::string Events::JoinedLog() {
  std::lock_guard<std::mutex> g(LogLock);
  std::string all;
  for (const std::string& line : Log) all += line;
  return all;
}

Events::~Events() {
  EXPECT_EQ(OffMainThread.load(), 0) << "an event that belongs to the main thread ran on another";
}

Result Run(TAVConverter& Converter, MainLoop& Loop, const std::string& Source, const std::string& Target) {
  Converter.InputFiles().Clear();
  Converter.OutputFiles().Clear();
  if (!Source.empty()) Converter.InputFiles().Add(Source);
  if (!Target.empty()) Converter.OutputFiles().Add(Target);
  Converter.Convert();
  Result r;
  r.Finished = Loop.WaitForJobs();
  return r;
}

}  // namespace harness
