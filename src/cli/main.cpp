// quillbrook-convert: headless front end over the conversion core.
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <filesystem>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "Common/FileText.h"
#include "Common/CConfiguration.h"
#include "Common/CConversionSettings.h"
#include "Common/MainThreadDispatcher.h"
#include "Converter/AVConverter.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"
#include "Converter/avlib.h"
#include "Wizard/WizardRules.h"
#include "cli/BatchCommand.h"
#include "cli/CliArguments.h"
#include "cli/ConversionSetup.h"
#include "cli/ProbeCommand.h"
#include "cli/ProgressDisplay.h"
#include "cli/StandardStreams.h"

namespace {


std::atomic<bool> gInterrupted{false};

void OnInterrupt(int) { gInterrupted.store(true); }

// Ctrl-C and SIGTERM stop the conversions as the stop button does. A reader
// of the progress lines that goes away (`| head`) must not kill a conversion
// halfway and leave a broken target: writes to it fail instead.
void CatchInterrupts() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

int ListProfiles(bool UserProfiles) {
  TAVProfileList list, builtIn;
  LoadCatalogue(list, UserProfiles);
  BuildProfileCatalogue(builtIn);
  // Catalogue order; only the profiles the wizard offers (their category is
  // listed). A profile the built-in catalogue lacks is the user's: marked.
  for (int i = 0; i < list.ProfileCount(); ++i) {
    const TAVProfile* p = list.Profiles(i);
    const char* mark = builtIn.FindByDescription(p->Description()) ? "" : "\tuser";
    for (const std::string& category : list.Categories)
      if (SameText(category, p->Category()))
        printf("%s\t%s\t%s%s\n", category.c_str(), p->Description().c_str(), p->Extension().c_str(), mark);
  }
  return kExitOk;
}

// Installs the dispatcher and the notice printer for one CLI run. Error boxes
// that do not end the job (an invalid option value, an unknown bitstream
// filter) are notices: printed as warnings, the exit status stays 0.
// Progress runs on the worker; whatever writes output holds the dispatcher's
// output lock, so one thread writes at a time.
struct TCliSession {
  THeadlessDispatcher Dispatcher;
  TCliSession() {
    SetMainThreadDispatcher(&Dispatcher);
    // The worker that meets the notice.
    SetErrorMessageHandler([this](const std::string& Text) {
      std::lock_guard<std::recursive_mutex> g(Dispatcher.OutputLock());
      fprintf(stderr, "\nWarning: %s\n", Text.c_str());
    });
  }
  ~TCliSession() { SetMainThreadDispatcher(nullptr); }
};

// A converter whose failed job prints its error text and marks the run failed.
class TCliConverter : public TAVConverter {
 public:
  explicit TCliConverter(std::recursive_mutex& Output) : FOutput(Output) {}
  bool Failed() const { return FFailed; }

 protected:
  // Main thread (the worker waits).
  void DoError() override {
    FFailed = true;
    std::lock_guard<std::recursive_mutex> g(FOutput);
    fprintf(stderr, "\n%s\n", ErrorMessage().c_str());
  }

 private:
  std::recursive_mutex& FOutput;  // the CLI's output lock
  bool FFailed = false;
};

// Runs Converter to its end on the calling (main) thread; the exit status.
int RunConversion(TCliConverter& converter, THeadlessDispatcher& dispatcher);

int Convert(const TCliArguments& A) {
  std::error_code ec;
  if (std::filesystem::is_directory(A.Source, ec)) {
    fprintf(stderr, "quillbrook-convert: %s is a folder: convert it with --output-dir DIR\n", A.Source.c_str());
    return kExitFailed;
  }
  TCliSession session;
  TAVProfileList catalogue;
  LoadCatalogue(catalogue, A.UserProfiles);
  const TAVProfile* profile = FindProfile(catalogue, A.Profile);
  if (!profile) {
    fprintf(stderr, "quillbrook-convert: no profile \"%s\" (see --list-profiles)\n", A.Profile.c_str());
    return kExitUsage;
  }

  WarnAboutUnknownOptions(A.Options);
  TCliConverter converter(session.Dispatcher.OutputLock());
  try {
    PrepareConverter(A, *profile, converter);
  } catch (const std::exception& e) {
    fprintf(stderr, "%s\n", e.what());
    return kExitFailed;
  }
  converter.InputFiles().Add(A.Source);
  // What the wizard proposes: numbered ("name (1).ext") when it would be the source itself.
  converter.OutputFiles().Add(A.Target.empty() ? TargetBesideSource(ReplaceExtension(A.Source, profile->Extension()), A.Source)
                                              : A.Target);

  return RunConversion(converter, session.Dispatcher);
}

int RunConversion(TCliConverter& converter, THeadlessDispatcher& dispatcher) {
  std::recursive_mutex& output = dispatcher.OutputLock();
  FILE* human = HumanTextStream(converter.OutputFiles()[0]);
  TProgressDisplay display(human, isatty(fileno(human)) != 0);
  bool completed = false, stopped = false;
  // Worker, under the output lock (THeadlessDispatcher::RunProgress).
  converter.OnProgress = [&display](TAVConverter* C) { display.Update(*C); };
  bool ended = false;  // the job's last event ran: its thread is about to end
  converter.OnComplete = [&completed, &ended](TAVConverter*) { completed = ended = true; };
  converter.OnStopped = [&stopped, &ended](TAVConverter*) { stopped = ended = true; };
  converter.OnSetupFailed = [&ended](TAVConverter*) { ended = true; };
  // The worker and codec threads.
  converter.OnLog = [&output](TAVConverter*, int, const std::string& Text) {
    std::lock_guard<std::recursive_mutex> g(output);
    fputs(Text.c_str(), stderr);
  };

  CatchInterrupts();
  converter.Convert();
  bool stopRequested = false;
  while (RunningConverterThreads() > 0) {
    // Once the stop is asked, wait for the worker only: an interrupt flag that
    // stays set must not turn this loop into a busy one.
    dispatcher.PumpUntil(
        [&] { return ended || RunningConverterThreads() == 0 || (gInterrupted.load() && !stopRequested); },
        kPumpSliceMs);
    // Not a poll: the dispatcher's recheck interval would add to every run.
    if (ended) WaitForConverterThreads();
    if (gInterrupted.load() && !stopRequested) {
      converter.Stop();  // noticed at the next packet; the output stays playable
      stopRequested = true;
    }
  }
  dispatcher.ProcessPendingEvents();
  std::lock_guard<std::recursive_mutex> g(output);
  display.Update(converter, true);
  if (stopped) {
    fprintf(stderr, "Conversion stopped\n");
    return kExitFailed;
  }
  return completed && !converter.Failed() ? kExitOk : kExitFailed;
}


// --settings: a stored conversion settings document gives source, target and options.
int ConvertSettings(const TCliArguments& A) {
  const std::optional<std::string> text = ReadFileText(A.Settings);
  if (!text) {
    fprintf(stderr, "quillbrook-convert: can't read %s\n", A.Settings.c_str());
    return kExitUsage;
  }
  TConversionSettings settings;
  try {
    settings.FromXml(*text);
  } catch (const std::exception& e) {
    fprintf(stderr, "%s\n", e.what());
    return kExitFailed;
  }
  TCliSession session;
  TCliConverter converter(session.Dispatcher.OutputLock());
  converter.SetConvertOptions(settings.ConvertOptions());
  if (A.Threads) converter.ConvertOptions().SetThreadCount(*A.Threads);
  if (A.TargetSize) converter.ConvertOptions().SetTargetSize(*A.TargetSize);
  converter.InputFiles().Add(A.Source.empty() ? settings.SourceFile : A.Source);
  converter.OutputFiles().Add(A.Target.empty() ? settings.TargetFile : A.Target);
  return RunConversion(converter, session.Dispatcher);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto parsed = ParseCliArguments(args, error);
  if (!parsed) {
    fprintf(stderr, "quillbrook-convert: %s\n%s", error.c_str(), kCliUsage);
    return kExitUsage;
  }
  LoadMediaLibrary();
  int rc = kExitUsage;
  switch (parsed->Mode) {
    case TCliArguments::TMode::Help:
      fputs(kCliUsage, stdout);
      rc = kExitOk;
      break;
    case TCliArguments::TMode::Convert:
      if (!parsed->OutputDir.empty()) {
        CatchInterrupts();
        rc = RunBatch(*parsed, gInterrupted);
      }
      else rc = parsed->Settings.empty() ? Convert(*parsed) : ConvertSettings(*parsed);
      break;
    case TCliArguments::TMode::Probe:
      rc = RunProbeCommand(parsed->Source, stdout, stderr);
      break;
    case TCliArguments::TMode::ListProfiles:
      rc = ListProfiles(parsed->UserProfiles);
      break;
    default:
      fprintf(stderr, "quillbrook-convert: not available yet\n");
      break;
  }
  UnloadMediaLibrary();
  return rc;
}
