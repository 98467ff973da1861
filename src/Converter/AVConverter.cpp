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
  FPassNumber.store(0);
  FPassCount.store(0);
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

double TAVConverter::SpanSeconds() const {
  const auto& o = *FConvertOptions;
  const double duration = Duration();
  if (o.StartTime() <= 0 && duration * kMicro <= static_cast<double>(o.RecordingTime())) return std::max(duration, 0.0);
  const int64_t whole = static_cast<int64_t>(std::nearbyint(duration * kMicro)) - o.StartTime();
  const int64_t span = std::min(o.RecordingTime(), whole);
  return span > 0 ? static_cast<double>(span) / kMicro : 0.0;
}

int TAVConverter::PassProgress() const {
  if (FFinished.load()) return kPercent;
  const double span = SpanSeconds();
  if (span <= 0) return 0;
  // Output runs a little past the span (the last frame, a copy's lead-in): never above 100.
  return static_cast<int>(std::clamp(std::nearbyint(ConvertedDuration() / span * kPercent), 0.0,
                                     static_cast<double>(kPercent)));
}

int TAVConverter::Progress() const {
  // Passes share the range equally; a corrective pass redoes the last share.
  const int count = FPassCount.load();
  if (count <= 1) return PassProgress();
  const int pass = std::clamp(FPassNumber.load(), 1, count);
  return ((pass - 1) * kPercent + PassProgress()) / count;
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

TAVConverter::TPassOutcome TAVConverter::RunPass(TSizeFit* Fit) {
  bool setUp = false;
  bool stoppedInSetup = false;
  bool failedAfterSetUp = false;
  FFinished.store(false);
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
      failedAfterSetUp = setUp;
      FErrorMsg = e.what();
      MainThread().RunAndWait([this] { DoError(); });
    };
    try {
      job.SetUp();
      if (Fit) job.FitToSize(*Fit);
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
  if (stoppedInSetup || FState.load() == csStopped) return TPassOutcome::Stopped;
  if (!setUp) return TPassOutcome::SetupFailed;
  return failedAfterSetUp ? TPassOutcome::Failed : TPassOutcome::Done;
}

void TAVConverter::RunJob() {
  if (FInputFiles.Count() == 0) return;
  const TPassOutcome outcome = FConvertOptions->TargetSize() > 0 ? RunSizedJob() : RunPass(nullptr);
  FState.store(csNone);
  if (outcome == TPassOutcome::Done || outcome == TPassOutcome::Failed)
    MainThread().RunAndWait([this] { DoComplete(); });
  else if (outcome == TPassOutcome::SetupFailed)
    MainThread().RunAndWait([this] { DoSetupFailed(); });
  // Nothing of this converter may be touched from here on.
}
