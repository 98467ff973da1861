#pragma once
// Whether two names reach one file: the rule that keeps a source from being
// overwritten or deleted as a target. Any thread (reads the file system only).
#include <string>

// The refusal of a target that is the source file itself.
inline constexpr const char* kTargetIsSourceMessage = "Target file is the same as the source file";

// Name made absolute with its links and "." / ".." resolved as far as it
// exists; Name itself when that fails.
std::string ResolvedPath(const std::string& Name);
// True when A and B name the same file once links are resolved (both
// existing: the same file on disk; otherwise the same resolved path).
bool NamesSameFile(const std::string& A, const std::string& B);
