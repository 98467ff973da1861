// Ending the outputs: trailers, outputs that got nothing, and what a failed or
// stopped job leaves on disk.
#include <filesystem>

#include "Common/Errors.h"
#include "Converter/AVConverterJob.h"

namespace {
constexpr const char* kTrailerFailed = "Could not write trailer for output file";
constexpr const char* kEmptyOutput = "Output file is empty, nothing was encoded";
}  // namespace

void LogWriteError(const std::string& FileName, int Code) {
  av_log(nullptr, AV_LOG_ERROR, "%s: %s\n", FileName.c_str(), ff::ErrorText(Code).c_str());
}

void TConvertJob::WriteTrailers(bool Stopped) {
  for (auto& f : FOutputFiles) {
    if (!f.HeaderWritten || f.TrailerWritten) continue;
    f.TrailerWritten = true;
    const int ret = av_write_trailer(f.Ctx.get());
    if (ret < 0) {
      LogWriteError(f.FileName, ret);
      throw Exception(kTrailerFailed);
    }
  }
  // A stopped job's empty output is removed without a message.
  if (Stopped) return;
  for (const auto& f : FOutputFiles)
    if (f.Packets == 0) throw Exception(kEmptyOutput);
}

void TConvertJob::CloseAfterFailure() noexcept {
  // The index or trailer makes what was written readable, where the container
  // and the disk still allow it; a second failure changes nothing.
  for (auto& f : FOutputFiles) {
    if (!f.HeaderWritten || f.TrailerWritten) continue;
    f.TrailerWritten = true;
    av_write_trailer(f.Ctx.get());
  }
}

void TConvertJob::CloseOutputs() noexcept {
  std::vector<std::string> unfinished;
  for (const auto& f : FOutputFiles)
    if (f.Created && (!f.HeaderWritten || f.Packets == 0)) unfinished.push_back(f.FileName);
  FOutputFiles.clear();  // closes the files
  for (const auto& name : unfinished) {
    std::error_code ec;
    std::filesystem::remove(name, ec);
  }
}
