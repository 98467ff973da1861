#pragma once
// TAVConverter: converts its input files into its output files according to
// its options, as one job on a worker thread of its own.
//
// Threads: the main thread creates the converter, sets its files, options and
// events, calls Convert, Pause, Resume, Stop and reads the figures. The worker
// (TAVConvertThread) runs the job and writes the figures. OnProgress,
// OnStopped, OnComplete and the error box of a failed job run on the main
// thread while the worker waits; OnLog runs on the worker. A headless front
// end's dispatcher runs OnProgress on the worker instead (THeadlessDispatcher).
#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Common/StringList.h"
#include "Converter/AVConverterOptions.h"

enum TAVConvertState : uint8_t { csNone, csRunning, csStopped, csPaused };

class TAVConverter;
class TConvertJob;
using TAVLogEvent = std::function<void(TAVConverter* Sender, int Level, const std::string& Log)>;
using TAVProgressEvent = std::function<void(TAVConverter* Sender)>;
using TNotifyEvent = std::function<void(TAVConverter* Sender)>;

class TAVConverter {
 public:
  // Library warning level: messages above it are not delivered to OnLog.
  static constexpr int8_t kDefaultLogLevel = 24;
  // Shown by GetLeftTime while nothing is known yet (100:40:39).
  static constexpr int64_t kUnknownLeftTime = 362439;

  // Main thread. Binds the media library and installs the log callback.
  TAVConverter();
  // Main thread. A job still in flight is stopped and its worker waited for
  // (hand-offs keep being served meanwhile); its events are not raised any more.
  // From inside the completion handler it returns at once.
  virtual ~TAVConverter();
  TAVConverter(const TAVConverter&) = delete;
  TAVConverter& operator=(const TAVConverter&) = delete;

  // Main thread, between jobs.
  TAVConvertOptions& ConvertOptions() { return *FConvertOptions; }
  const TAVConvertOptions& ConvertOptions() const { return *FConvertOptions; }
  void SetConvertOptions(const TAVConvertOptions& Value) { FConvertOptions->Assign(Value); }
  TStringList& InputFiles() { return FInputFiles; }
  TStringList& OutputFiles() { return FOutputFiles; }
  void SetInputFiles(const TStringList& Value) { FInputFiles = Value; }
  void SetOutputFiles(const TStringList& Value) { FOutputFiles = Value; }

  // Events (set on the main thread before Convert).
  TAVLogEvent OnLog;
  TAVProgressEvent OnProgress;
  TNotifyEvent OnComplete;
  TNotifyEvent OnStopped;
  // The job failed while its inputs and outputs were being set up: raised
  // after the error box, instead of a completion (ErrorMessage holds the text).
  TNotifyEvent OnSetupFailed;

  // Figures: written by the worker, read anywhere.
  double ConvertedDuration() const { return FConvertedDuration.load(); }
  void SetConvertedDuration(double Value) { FConvertedDuration.store(Value); }
  double Duration() const { return FDuration.load(); }
  void SetDuration(double Value) { FDuration.store(Value); }
  double Bitrate() const { return FBitrate.load(); }
  void SetBitrate(double Value) { FBitrate.store(Value); }
  int64_t StartTime() const { return FTimerStart.load(); }
  int64_t LastTime() const { return FLastTime.load(); }
  int64_t TargetFileSize() const { return FTargetFileSize.load(); }
  // Percent of the whole job; with several passes each has an equal share.
  int Progress() const;
  // Passes of a size-limited job (TargetSize): 0 and 0 for a plain job;
  // PassNumber is PassCount + 1 while a corrective pass runs.
  int PassNumber() const { return FPassNumber.load(); }
  int PassCount() const { return FPassCount.load(); }
  TAVConvertState State() const { return FState.load(); }
  const std::string& ErrorMessage() const { return FErrorMsg; }
  int8_t LogLevel() const { return FLogLevel; }

  // Main thread. Stop also ends a job that is still setting up (opening its
  // inputs and outputs): the job then ends without completion.
  void Convert();
  void Pause();
  void Resume();
  void Stop();

  // Main thread: true from Convert until the job's worker has ended.
  bool Busy() const { return FJobRunning && FJobRunning->load(); }
  // Main thread: what Busy reads, for a caller that must wait for the worker
  // to end and may see this converter destroyed meanwhile.
  std::shared_ptr<const std::atomic<bool>> JobRunning() const { return FJobRunning; }

  int64_t GetUsedTime() const;
  int64_t GetLeftTime() const;
  // "%d:%d:%d" hours (unbounded), minutes, seconds.
  static std::string GetTimeString(int64_t ASecond);
  static std::string GetTimeString(int ASecond) { return GetTimeString(static_cast<int64_t>(ASecond)); }
  // ASecond read as days: "HH:NN:SS.zzz".
  static std::string GetTimeString(double ASecond);

 protected:
  virtual void DoLog(int Level, const std::string& Text);  // caller's thread
  virtual void DoStopped();                                // main thread
  virtual void DoError();                                  // main thread
  virtual void Transcode();                                // worker
  virtual void DoComplete();                               // main thread
  virtual void DoSetupFailed();                            // main thread
  // Main thread (the worker under a headless dispatcher): progress
  // notification (pending events, then OnProgress).
  void DoProgress();

 private:
  friend class TConvertJob;
  friend class TAVConvertThread;
  friend void ConverterLogCallback(void*, int, const char*, va_list);
  friend TAVConverter* ConverterOfCurrentThread();

  enum class TPassOutcome : uint8_t { Done, Failed, SetupFailed, Stopped };
  // Worker: the job's steps and cleanup.
  void RunJob();
  // Worker: one run of the job's steps; Fit set for a size-limited pass.
  TPassOutcome RunPass(struct TSizeFit* Fit);
  // Worker: the passes of a size-limited job (AVConverterSizedJob.cpp).
  TPassOutcome RunSizedJob();
  // Worker: whether the second pass of the library's MPEG encoders can reach
  // the planned rate; sets the refusal's message when it cannot.
  bool SecondPassFits(const struct TSizeFit& Fit);
  // Percent of the pass that runs, and the span it converts (0 while unknown).
  int PassProgress() const;
  double SpanSeconds() const;
  // Worker: blocks while paused; returns at once otherwise.
  void WaitWhilePaused();
  // Main thread: the job's last event, whose handler may destroy this converter.
  void RaiseLastEvent(const TNotifyEvent& Event);

  std::unique_ptr<TAVConvertOptions> FConvertOptions;
  TStringList FInputFiles;
  TStringList FOutputFiles;
  std::atomic<TAVConvertState> FState{csNone};
  // Set by Stop while a job is in flight, in any state (a job still setting
  // up is in csNone); cleared by Convert. Read by the job's interrupt
  // callbacks and between its setup steps.
  std::atomic<bool> FStopRequested{false};
  int8_t FLogLevel = kDefaultLogLevel;
  std::string FErrorMsg;  // worker writes before DoError, main reads inside it

  std::atomic<double> FConvertedDuration{0.0};
  std::atomic<double> FDuration{0.0};
  std::atomic<double> FBitrate{0.0};
  std::atomic<int64_t> FTimerStart{0};
  std::atomic<int64_t> FLastTime{0};
  std::atomic<int64_t> FTargetFileSize{0};
  // The last pass's packet loop ran to its end (not stopped): it is at 100.
  std::atomic<bool> FFinished{false};
  std::atomic<int> FPassNumber{0};
  std::atomic<int> FPassCount{0};
  // Where a size-limited job keeps its statistics files (worker only; empty:
  // the process's current folder, as for jobs with a profile's own passes).
  std::string FPassLogFolder;

  // Pause wait: the worker sleeps on FStateChanged until the state leaves csPaused.
  std::mutex FPauseLock;  // guards nothing but the wait itself
  std::condition_variable FStateChanged;

  // Set while a job's worker runs; the worker clears it as its very last step,
  // through its own reference, since the converter may be gone by then.
  std::shared_ptr<std::atomic<bool>> FJobRunning;
  bool FInCompletion = false;   // main thread: inside DoComplete's handler
  bool* FDestroyed = nullptr;   // main thread: set by the destructor during DoComplete

  // The job in progress (worker only), and working values that carry over
  // from one opening step to the next and from job to job.
  TConvertJob* FJob = nullptr;
  int _AudioChannels = 0;
  int _AudioSampleRate = 0;
  int _AudioSampleFmt = -1;
  uint64_t _ChannelLayout = 0;
  int _FrameWidth = 0;
  int _FrameHeight = 0;
  int64_t TempStartTime = 0;
};

// Any thread: the number of job threads still running in the process (the
// main thread pumps its dispatcher until it is 0 before exit).
int RunningConverterThreads();
// Any thread: blocks until no job thread runs. For a front end that has seen
// the last event of its jobs: what remains of their threads is a few steps.
void WaitForConverterThreads();
