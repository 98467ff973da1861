#pragma once
// A stored file the program cannot use (Config.Xml, Profiles.ini): its bytes
// are kept under "NAME.bak", so that the next save, which writes NAME afresh,
// never destroys what the user had. Main thread.
#include <string>

inline constexpr const char* kBackupSuffix = ".bak";

// Renames File to File + ".bak" and raises an error naming both files, Why
// File could not be used and what is used instead (Fallback, "the default
// settings").
[[noreturn]] void KeepDamagedFile(const std::string& File, const std::string& Why, const std::string& Fallback);
