#include "support/ConverterHarness.h"

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

MainLoop::MainLoop() : FDispatcher(std::make_unique<TQueueDispatcher>()) {
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
  Converter.OnComplete = [this](TAVConverter*) { ++Completed; };
  Converter.OnStopped = [this](TAVConverter*) { ++Stopped; };
  Converter.OnProgress = [this](TAVConverter*) { ++Progress; };
  Converter.OnLog = [this](TAVConverter*, int, const std::string& Text) {
    std::lock_guard<std::mutex> g(LogLock);
    Log.push_back(Text);
  };
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
