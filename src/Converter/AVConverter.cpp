#include "Converter/AVConverter.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/log.h>
}

#include "Common/Errors.h"
#include "Common/MainThreadDispatcher.h"
#include "Converter/AVConverterJob.h"
#include "Converter/AVConverterThread.h"
#include "Converter/avlib.h"

namespace {
constexpr double kMicro = 1000000.0;
constexpr int64_t kSecondsPerHour = 3600;
constexpr int64_t kSecondsPerMinute = 60;
constexpr double kMsPerDay = 86400000.0;
constexpr int64_t kMsPerHour = 3600000;
constexpr int64_t kMsPerMinute = 60000;
constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kHoursPerDay = 24;
constexpr int kPercent = 100;
}  // namespace

TAVConverter::TAVConverter() : FConvertOptions(std::make_unique<TAVConvertOptions>()) {
  LoadMediaLibrary();
  av_log_set_callback(ConverterLogCallback);
}

TAVConverter::~TAVConverter() {
  if (FDestroyed) *FDestroyed = true;
  if (!FJobRunning || !FJobRunning->load() || FInCompletion) return;
  OnProgress = nullptr;
  OnComplete = nullptr;
  OnStopped = nullptr;
  OnSetupFailed = nullptr;
  Stop();
  std::shared_ptr<std::atomic<bool>> running = FJobRunning;
  MainThread().WaitUntil([running] { return !running->load(); });
}

void TAVConverter::Convert() {
  FStopRequested.store(false);
  FErrorMsg.clear();  // a restart reports only its own failure; no worker runs yet
  FFinished.store(false);
  FJobRunning = std::make_shared<std::atomic<bool>>(true);
  TAVConvertThread::Start(this, FJobRunning);
}

void TAVConverter::Pause() {
  TAVConvertState expected = csRunning;
  FState.compare_exchange_strong(expected, csPaused);
}

void TAVConverter::Resume() {
  TAVConvertState expected = csPaused;
  if (FState.compare_exchange_strong(expected, csRunning)) {
    std::lock_guard<std::mutex> g(FPauseLock);
    FStateChanged.notify_all();
  }
}

void TAVConverter::Stop() {
  // The request comes first: a job that enters csRunning after this reads it
  // before its headers are written, a job already running sees csStopped.
  if (FJobRunning && FJobRunning->load()) FStopRequested.store(true);
  TAVConvertState s = FState.load();
  while (s == csRunning || s == csPaused) {
    if (FState.compare_exchange_weak(s, csStopped)) {
      std::lock_guard<std::mutex> g(FPauseLock);
      FStateChanged.notify_all();
      return;
    }
  }
}

void TAVConverter::WaitWhilePaused() {
  std::unique_lock<std::mutex> g(FPauseLock);
  FStateChanged.wait(g, [this] { return FState.load() != csPaused; });
}

int TAVConverter::Progress() const {
  if (FFinished.load()) return kPercent;
  const auto& o = *FConvertOptions;
  const double duration = Duration();
  const double converted = ConvertedDuration();
  // Output runs a little past the span (the last frame, a copy's lead-in): never above 100.
  auto percent = [](double Value) {
    return static_cast<int>(std::clamp(std::nearbyint(Value), 0.0, static_cast<double>(kPercent)));
  };
  if (o.StartTime() <= 0 && duration * kMicro <= static_cast<double>(o.RecordingTime())) {
    if (duration > 0) return percent(converted / duration * kPercent);
    return 0;
  }
  const int64_t whole = static_cast<int64_t>(std::nearbyint(duration * kMicro)) - o.StartTime();
  const int64_t span = std::min(o.RecordingTime(), whole);
  if (span > 0) return percent(converted * kPercent * kMicro / static_cast<double>(span));
  return 0;
}

int64_t TAVConverter::GetUsedTime() const {
  const int64_t last = LastTime();
  if (last == 0) return 0;
  return (last - StartTime()) / static_cast<int64_t>(kMicro);
}

int64_t TAVConverter::GetLeftTime() const {
  const int p = Progress();
  if (p <= 0) return kUnknownLeftTime;
  return GetUsedTime() * (kPercent - p) / p;
}

std::string TAVConverter::GetTimeString(int64_t ASecond) {
  return Format("%d:%d:%d", static_cast<int>(ASecond / kSecondsPerHour),
                static_cast<int>(ASecond % kSecondsPerHour / kSecondsPerMinute),
                static_cast<int>(ASecond % kSecondsPerMinute));
}

std::string TAVConverter::GetTimeString(double ASecond) {
  const int64_t ms = static_cast<int64_t>(std::llround(ASecond * kMsPerDay));
  return Format("%02d:%02d:%02d.%03d", static_cast<int>(ms / kMsPerHour % kHoursPerDay),
                static_cast<int>(ms / kMsPerMinute % 60), static_cast<int>(ms / kMsPerSecond % 60),
                static_cast<int>(ms % kMsPerSecond));
}

void TAVConverter::DoLog(int Level, const std::string& Text) {
  if (OnLog) OnLog(this, Level, Text);
}

void TAVConverter::DoStopped() {
  if (OnStopped) OnStopped(this);
}

void TAVConverter::DoError() { ShowErrorMessage(FErrorMsg); }

void TAVConverter::DoProgress() {
  MainThread().ProcessPendingEvents();
  if (!OnProgress) return;
  try {
    OnProgress(this);
  } catch (const std::exception& e) {
    ShowErrorMessage(e.what());
  }
}

void TAVConverter::DoComplete() { RaiseLastEvent(OnComplete); }

void TAVConverter::DoSetupFailed() { RaiseLastEvent(OnSetupFailed); }

void TAVConverter::RaiseLastEvent(const TNotifyEvent& Event) {
  MainThread().ProcessPendingEvents();
  // The handler may destroy this converter; the destructor then marks `destroyed`.
  bool destroyed = false;
  FInCompletion = true;
  FDestroyed = &destroyed;
  try {
    if (Event) {
      TNotifyEvent handler = Event;
      handler(this);
    }
  } catch (...) {
    // The handler's failure must not reach the worker.
  }
  if (destroyed) return;
  FInCompletion = false;
  FDestroyed = nullptr;
}

void TAVConverter::Transcode() { FJob->Transcode(); }

void TAVConverter::RunJob() {
  if (FInputFiles.Count() == 0) return;
  bool setUp = false;
  bool stoppedInSetup = false;
  {
    TConvertJob job(*this);
    FJob = &job;
    // A failure while a stop is pending during setup is the stop taking effect
    // (an interrupted read or write); it is no error.
    auto failed = [&](const std::exception& e) {
      if (FStopRequested.load() && job.InSetup()) {
        stoppedInSetup = true;
        MainThread().RunAndWait([this] { DoStopped(); });
        return;
      }
      FErrorMsg = e.what();
      MainThread().RunAndWait([this] { DoError(); });
    };
    try {
      job.SetUp();
      setUp = true;
    } catch (const std::exception& e) {
      failed(e);
    }
    if (setUp) {
      try {
        Transcode();
      } catch (const std::exception& e) {
        failed(e);
      }
    }
    FJob = nullptr;
  }  // the job's destructor closes outputs and inputs and releases the option contexts
  const bool stopped = stoppedInSetup || FState.load() == csStopped;
  FState.store(csNone);
  if (setUp && !stopped) MainThread().RunAndWait([this] { DoComplete(); });
  else if (!setUp && !stopped) MainThread().RunAndWait([this] { DoSetupFailed(); });
  // Nothing of this converter may be touched from here on.
}
