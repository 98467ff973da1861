// A size-limited job on its worker: the passes, the size check and the
// corrective pass, and the statistics files in a folder of the job's own.
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <system_error>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/log.h>
}

#include "Common/FileText.h"
#include "Common/Errors.h"
#include "Common/MainThreadDispatcher.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterIO.h"
#include "Converter/AVConverterJob.h"

namespace {

constexpr double kPercentOf = 100.0;
constexpr double kKilo = 1000.0;

// A private folder for one job's statistics files (two jobs never share
// one), removed with everything in it when the job ends.
class TPassFolder {
 public:
  TPassFolder() {
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "quillbrook-passes-XXXXXX").string();
    if (ec) pattern = "/tmp/quillbrook-passes-XXXXXX";
    if (mkdtemp(pattern.data())) FPath = pattern;
  }
  ~TPassFolder() {
    std::error_code ec;
    if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
  }
  TPassFolder(const TPassFolder&) = delete;
  TPassFolder& operator=(const TPassFolder&) = delete;
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

// Bytes of File, or -1 when it has no size to measure (a pipe, a stream).
int64_t SizeOf(const std::string& File) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(File, ec)) return -1;
  const auto size = std::filesystem::file_size(File, ec);
  return ec ? -1 : static_cast<int64_t>(size);
}

// Whether File is a file on disk whose size the passes can check: not a
// pipe, a stream, a FIFO or a device, nor another protocol's address.
bool MeasurableTarget(const std::string& File) {
  if (IsStreamName(File)) return false;
  const char* protocol = avio_find_protocol_name(File.c_str());
  if (!protocol || std::strcmp(protocol, "file") != 0) return false;
  std::error_code ec;
  return !std::filesystem::exists(File, ec) || std::filesystem::is_regular_file(File, ec);
}

double PercentOver(int64_t Actual, int64_t Target) {
  return static_cast<double>(Actual - Target) * kPercentOf / static_cast<double>(Target);
}

}  // namespace

bool TAVConverter::SecondPassFits(const TSizeFit& Fit) {
  // Keeps the library's rate control away from the edge it fails at (and
  // then frees its state twice).
  constexpr double kHeadroom = 1.25;
  const double least = LeastBitsAtQuantiser(ReadFileText(Fit.MpegStats).value_or(""), Fit.Qmax) * kHeadroom;
  if (static_cast<double>(Fit.Plan->VideoRate) * SpanSeconds() >= least) return true;
  FErrorMsg = TooSmallMessage(FConvertOptions->TargetSize(), SizeForVideoBits(least, Fit.OtherBytes));
  return false;
}

TAVConverter::TPassOutcome TAVConverter::RunSizedJob() {
  // Two passes overwrite the target, and only a file can be measured after them.
  if (FOutputFiles.Count() == 0 || !MeasurableTarget(FOutputFiles[0])) {
    FErrorMsg = "A target size needs a target file whose size can be measured";
    MainThread().RunAndWait([this] { DoError(); });
    return TPassOutcome::SetupFailed;
  }
  const TPassFolder folder;
  if (folder.Path().empty()) {
    FErrorMsg = "Could not create a folder for the statistics files of the passes";
    MainThread().RunAndWait([this] { DoError(); });
    return TPassOutcome::SetupFailed;
  }
  FPassLogFolder = folder.Path();
  struct TFolderReset {
    std::string& Folder;
    ~TFolderReset() { Folder.clear(); }
  } reset{FPassLogFolder};

  const int64_t target = FConvertOptions->TargetSize();
  TSizeFit fit;
  FPassNumber.store(1);
  FPassCount.store(2);  // until the first setup knows the encoder
  TPassOutcome outcome = RunPass(&fit);
  if (outcome != TPassOutcome::Done) return outcome;
  if (!fit.MpegStats.empty() && !SecondPassFits(fit)) {
    // The first pass's file is no result: it was never meant to fit.
    std::error_code ec;
    std::filesystem::remove(FOutputFiles[0], ec);
    MainThread().RunAndWait([this] { DoError(); });
    return TPassOutcome::SetupFailed;  // a refusal, as before the first pass: no result
  }
  if (fit.TwoPass) {
    fit.Pass = 2;
    FPassNumber.store(2);
    outcome = RunPass(&fit);
    if (outcome != TPassOutcome::Done) return outcome;
  }

  const std::string& output = FOutputFiles[0];
  int64_t size = SizeOf(output);
  if (size <= target) return TPassOutcome::Done;
  // Too large: the last pass again, with the rate the sound and the
  // container leave, scaled by the overshoot and a further margin.
  const bool video = fit.Plan->VideoRate > 0;
  int64_t after = 0;
  if (video) {
    after = fit.Plan->VideoRate = CorrectedRate(fit.Plan->VideoRate, fit.OtherBytes, target, size);
  } else {
    for (int64_t& rate : fit.Plan->AudioRates) after += rate = CorrectedRate(rate, fit.Plan->OverheadBytes, target, size);
  }
  DoLog(AV_LOG_WARNING, Format("Output is %s, %.1f %% over the target size %s: running the %s pass again at %.0f kbit/s\n",
                               MegabytesText(size).c_str(), PercentOver(size, target), MegabytesText(target).c_str(),
                               fit.TwoPass ? "second" : "last", static_cast<double>(after) / kKilo));
  FPassNumber.store(FPassCount.load() + 1);
  outcome = RunPass(&fit);
  if (outcome != TPassOutcome::Done) return outcome;
  size = SizeOf(output);
  if (size <= target) return TPassOutcome::Done;
  FErrorMsg = Format("The output is %lld bytes (%.1f %%) larger than the target size of %lld bytes",
                     static_cast<long long>(size - target), PercentOver(size, target), static_cast<long long>(target));
  // A file over the size is no result: left at the target name it would pass for one.
  std::error_code ec;
  std::filesystem::remove(output, ec);
  MainThread().RunAndWait([this] { DoError(); });
  return TPassOutcome::Failed;
}
