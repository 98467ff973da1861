#include "Wizard/WizardRules.h"

#include "CommonGUI/AVNodes.h"
#include "Converter/AVConverterOptions.h"

namespace {
constexpr int64_t kMicrosecondsPerMillisecond = 1000;
constexpr double kMillisecondsPerSecond = 1000.0;
}  // namespace

std::string ReplaceExtension(const std::string& FileName, const std::string& Extension) {
  const size_t name = FileName.find_last_of('/');
  const size_t dot = FileName.find_last_of('.');
  const bool inName = dot != std::string::npos && (name == std::string::npos || dot > name);
  return (inName ? FileName.substr(0, dot) : FileName) + Extension;
}

std::string RerootTarget(const std::string& Folder, const std::string& Target) {
  std::string out = Folder;
  if (out.empty() || out.back() != '/') out += '/';
  const size_t name = Target.find_last_of('/');
  return out + (name == std::string::npos ? Target : Target.substr(name + 1));
}

std::string RangeLabel(int64_t Milliseconds) {
  return DurationCaption(static_cast<double>(Milliseconds) / kMillisecondsPerSecond);
}

void TTrimRange::SetStart(int64_t Position, TAVConvertOptions& Options) {
  SelStart = Position;
  Options.SetStartTime(SelStart * kMicrosecondsPerMillisecond);
  if (SelEnd > 0) Options.SetRecordingTime((SelEnd - SelStart) * kMicrosecondsPerMillisecond);
}

void TTrimRange::SetEnd(int64_t Position, TAVConvertOptions& Options) {
  SelEnd = Position;
  Options.SetRecordingTime((SelEnd - SelStart) * kMicrosecondsPerMillisecond);
}
