#include "Wizard/WizardRules.h"

#include <algorithm>

#include "Common/SameFile.h"
#include "Common/SizeText.h"
#include "CommonGUI/AVNodes.h"
#include "Converter/AVConverterOptions.h"

namespace {
constexpr int64_t kMicrosecondsPerMillisecond = 1000;
constexpr double kMillisecondsPerSecond = 1000.0;

// Where the extension of FileName's name part begins (its last "."), or the
// end of FileName when the name part has none.
size_t ExtensionStart(const std::string& FileName) {
  const size_t name = FileName.find_last_of('/');
  const size_t dot = FileName.find_last_of('.');
  return dot != std::string::npos && (name == std::string::npos || dot > name) ? dot : FileName.size();
}
}  // namespace

std::string UniqueTargetName(const std::string& Candidate, const std::function<bool(const std::string&)>& Taken) {
  if (!Taken(Candidate)) return Candidate;
  const size_t dot = ExtensionStart(Candidate);
  const std::string stem = Candidate.substr(0, dot);
  const std::string ext = Candidate.substr(dot);
  for (unsigned n = 1;; ++n) {
    std::string numbered = stem + " (" + std::to_string(n) + ")" + ext;
    if (!Taken(numbered)) return numbered;
  }
}

std::string TargetBesideSource(const std::string& Candidate, const std::string& Source) {
  return UniqueTargetName(Candidate, [&](const std::string& Name) { return NamesSameFile(Name, Source); });
}

std::string ReplaceExtension(const std::string& FileName, const std::string& Extension) {
  return FileName.substr(0, ExtensionStart(FileName)) + Extension;
}

std::string RerootTarget(const std::string& Folder, const std::string& Target) {
  std::string out = Folder;
  if (out.empty() || out.back() != '/') out += '/';
  const size_t name = Target.find_last_of('/');
  return out + (name == std::string::npos ? Target : Target.substr(name + 1));
}

std::optional<int64_t> TargetSizeFromField(const std::string& Text) {
  const size_t first = Text.find_first_not_of(" \t");
  if (first == std::string::npos) return 0;
  std::string number = Text.substr(first, Text.find_last_not_of(" \t") - first + 1);
  // Megabytes in the size syntax the command line reads, which has "." only.
  std::replace(number.begin(), number.end(), ',', '.');
  return ParseSizeText(number + "M");
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
