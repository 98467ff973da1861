#pragma once
// The conversion wizard's rules that need no window: target names and the
// trim range. Main thread.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Common/SameFile.h"

class TAVConvertOptions;

// FileName with everything from the last "." of its name part replaced by
// Extension (".avi", "%1d.bmp"); a name without "." gets Extension appended.
std::string ReplaceExtension(const std::string& FileName, const std::string& Extension);
// Candidate when Taken(Candidate) is false, otherwise the first of
// "name (1).ext", "name (2).ext", ... (the number goes before the last "." of
// the name part) that Taken refuses. Taken says which names must not be
// proposed: the source itself, or the targets a batch has handed out already.
std::string UniqueTargetName(const std::string& Candidate,
                             const std::function<bool(const std::string&)>& Taken);
// The target proposed for Source: Candidate, numbered when it names Source.
std::string TargetBesideSource(const std::string& Candidate, const std::string& Source);
// Folder (a "/" added when missing) followed by the name part of Target.
std::string RerootTarget(const std::string& Folder, const std::string& Target);
// The target size field ("目标大小(MB)"): megabytes with "." or "," as decimal
// point whatever the locale (a German user types "4,5"), surrounding blanks
// ignored, in bytes (1 MB = 1,048,576 bytes, fractions of a byte dropped).
// 0 for a blank field (no limit); nothing for anything that is not a size of
// at least one byte.
std::optional<int64_t> TargetSizeFromField(const std::string& Text);
// What the wizard says when the field holds no such size.
inline constexpr const char* kTargetSizeInvalidMessage =
    "目标大小无效：请输入大于0的兆字节数，例如 25 或 4,5；留空表示不限制大小";
// A position in milliseconds as whole seconds (rounded half to even) in the
// "%d:%d:%d" form.
std::string RangeLabel(int64_t Milliseconds);

// The track bar's selection in milliseconds of the source, and what setting
// its points writes into the options (microseconds, 64-bit arithmetic). The
// points are not ordered: an end before the start gives a negative length.
struct TTrimRange {
  int64_t SelStart = 0;
  int64_t SelEnd = 0;
  // "设置开始点" at Position.
  void SetStart(int64_t Position, TAVConvertOptions& Options);
  // "设置结束点" at Position.
  void SetEnd(int64_t Position, TAVConvertOptions& Options);
};

// What RecordingTime is set to when the wizard starts: to the end of the source.
inline constexpr int64_t kRecordWholeSource = INT64_MAX;
