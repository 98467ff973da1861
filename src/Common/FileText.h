#pragma once
// A whole file read into memory. Any thread.
#include <optional>
#include <string>

// The bytes of the file at Path; nothing when it can't be opened (errno
// then says why).
std::optional<std::string> ReadFileText(const std::string& Path);
