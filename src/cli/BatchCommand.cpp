#include "cli/BatchCommand.h"

#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Common/BatchSources.h"
#include "Common/Errors.h"
#include "Common/MainThreadDispatcher.h"
#include "Common/MediaExtensions.h"
#include "Converter/AVConverter.h"
#include "Converter/AVProfile.h"
#include "Converter/avlib.h"
#include "Media/avprobe.h"
#include "Wizard/BatchTargets.h"
#include "cli/BatchProgress.h"
#include "cli/ConversionSetup.h"

namespace fs = std::filesystem;

namespace {

// A file found in a folder: converted when the probe accepts it; one whose
// name claims media (a truncated recording) fails with the probe's reason;
// any other file is no media and is skipped.
TSourceVerdict JudgeFoundFile(const std::string& File) {
  const std::string refusal = ProbeRefusal(File);
  if (refusal.empty()) return {TSourceVerdict::Take, ""};
  if (HasMediaExtension(File)) return {TSourceVerdict::Fail, "not a readable video or audio file (" + refusal + ")"};
  return {TSourceVerdict::Skip, ""};
}


// A job's own failure is reported with the file's outcome, not as it happens.
class TBatchConverter : public TAVConverter {
 protected:
  void DoError() override {}
};

struct TBatchFile {
  std::string Source;
  std::string Target;
  std::unique_ptr<TBatchConverter> Converter;  // while it runs
  bool Completed = false;
};

// One batch run: the files, which of them run, and the counts.
class TBatchRun {
 public:
  TBatchRun(const TCliArguments& A, const TAVProfile& Profile, const std::atomic<bool>& Interrupted)
      : FArgs(A), FProfile(Profile), FInterrupted(Interrupted), FProgress(stdout, isatty(STDOUT_FILENO) != 0) {
    SetMainThreadDispatcher(&FDispatcher);
    // Error boxes that do not end a job are warnings, as for one file; those
    // raised while a file is being prepared name it.
    SetErrorMessageHandler([this](const std::string& Text) {
      if (FPreparing.empty()) fprintf(stderr, "Warning: %s\n", Text.c_str());
      else fprintf(stderr, "%s: Warning: %s\n", FPreparing.c_str(), Text.c_str());
    });
  }
  ~TBatchRun() {
    FRunning.clear();
    FFiles.clear();  // converters still running are stopped and waited for here
    SetMainThreadDispatcher(nullptr);
  }

  int Run(const TBatchSources& Sources) {
    for (const std::string& skipped : Sources.Skipped) FProgress.Outcome(skipped, "skipped (not a video or audio file)");
    for (const TBatchFailure& failed : Sources.Failed) Fail(failed.Path, failed.Why);
    const std::vector<std::string> targets = BatchTargets(Sources.Files, FProfile.Extension(), FArgs.OutputDir);
    for (size_t i = 0; i < targets.size(); ++i) FFiles.push_back({Sources.Files[i].File, targets[i], nullptr});
    size_t next = 0;
    bool stopRequested = false;
    while (next < FFiles.size() || !FRunning.empty()) {
      while (!FInterrupted.load() && next < FFiles.size() && static_cast<int>(FRunning.size()) < FArgs.Jobs)
        Start(FFiles[next++]);
      if (FInterrupted.load() && !stopRequested) {
        for (TBatchFile* f : FRunning) f->Converter->Stop();  // noticed at the next packet; outputs stay playable
        stopRequested = true;
        FNotStarted = static_cast<int>(FFiles.size() - next);
        next = FFiles.size();
      }
      FDispatcher.PumpUntil([this] { return AnyEnded() || FInterrupted.load(); }, kPumpSliceMs);
      ShowProgress();
      EndFinished();
    }
    FDispatcher.ProcessPendingEvents();
    printf("converted %d, failed %d, skipped %zu\n", FConverted, FFailed + FNotStarted, Sources.Skipped.size());
    if (FInterrupted.load()) fprintf(stderr, "Conversion stopped\n");
    return FFailed + FNotStarted == 0 && !FInterrupted.load() ? kExitOk : kExitFailed;
  }

 private:
  static std::string NameOf(const TBatchFile& F) { return F.Source; }

  void Start(TBatchFile& F) {
    std::error_code ec;
    const fs::path folder = fs::path(F.Target).parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);
    if (ec) {
      Fail(F, "can't create the folder " + folder.string() + ": " + ec.message());
      return;
    }
    F.Converter = std::make_unique<TBatchConverter>();
    FPreparing = NameOf(F);
    try {
      PrepareConverter(FArgs, FProfile, *F.Converter);
    } catch (const std::exception& e) {
      FPreparing.clear();
      F.Converter.reset();
      Fail(F, e.what());
      return;
    }
    FPreparing.clear();
    F.Converter->InputFiles().Add(F.Source);
    F.Converter->OutputFiles().Add(F.Target);
    F.Converter->OnComplete = [&F](TAVConverter*) { F.Completed = true; };
    F.Converter->OnLog = [&F](TAVConverter*, int, const std::string& Text) {
      fprintf(stderr, "%s: %s", F.Source.c_str(), Text.c_str());
    };
    F.Converter->Convert();
    FRunning.push_back(&F);
  }

  void Fail(const std::string& Name, const std::string& Why) {
    ++FFailed;
    FProgress.Outcome(Name, "failed: " + Why);
  }
  void Fail(const TBatchFile& F, const std::string& Why) { Fail(NameOf(F), Why); }

  bool AnyEnded() const {
    return std::any_of(FRunning.begin(), FRunning.end(), [](const TBatchFile* f) { return !f->Converter->Busy(); });
  }

  void ShowProgress() {
    std::vector<std::pair<std::string, const TAVConverter*>> running;
    for (const TBatchFile* f : FRunning) running.emplace_back(NameOf(*f), f->Converter.get());
    FProgress.Update(running);
  }

  // The outcome of every file whose job has ended; its converter goes.
  void EndFinished() {
    for (auto it = FRunning.begin(); it != FRunning.end();) {
      TBatchFile& f = **it;
      if (f.Converter->Busy()) {
        ++it;
        continue;
      }
      const std::string error = f.Converter->ErrorMessage();
      if (f.Completed && error.empty()) {
        ++FConverted;
        FProgress.Outcome(NameOf(f), "converted to " + f.Target);
      } else {
        Fail(f, !error.empty() ? error : f.Completed ? "stopped" : "stopped before the end");
      }
      f.Converter.reset();
      it = FRunning.erase(it);
    }
  }

  const TCliArguments& FArgs;
  const TAVProfile& FProfile;
  const std::atomic<bool>& FInterrupted;
  TQueueDispatcher FDispatcher;
  TBatchProgress FProgress;
  std::vector<TBatchFile> FFiles;
  std::vector<TBatchFile*> FRunning;  // in start order; point into FFiles, which no longer grows
  std::string FPreparing;             // the file being prepared, for its error texts
  int FConverted = 0;
  int FFailed = 0;
  int FNotStarted = 0;
};

}  // namespace

int RunBatch(const TCliArguments& A, const std::atomic<bool>& Interrupted) {
  TAVProfileList catalogue;
  LoadCatalogue(catalogue, A.UserProfiles);
  const TAVProfile* profile = FindProfile(catalogue, A.Profile);
  if (!profile) {
    fprintf(stderr, "quillbrook-convert: no profile \"%s\" (see --list-profiles)\n", A.Profile.c_str());
    return kExitUsage;
  }
  WarnAboutUnknownOptions(A.Options);
  // Named files are tried whatever they are (a broken one fails); files found
  // in folders are taken when the probe accepts them, the others skipped.
  // The probe's complaints stay quiet: the outcome lines give the reason.
  const int level = av_log_get_level();
  av_log_set_level(AV_LOG_QUIET);
  const TBatchSources sources = CollectBatchSources(A.Sources, JudgeFoundFile, false, A.OutputDir);
  av_log_set_level(level);
  TBatchRun run(A, *profile, Interrupted);
  return run.Run(sources);
}
