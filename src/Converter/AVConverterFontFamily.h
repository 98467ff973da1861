#pragma once
// The family name stored in a TrueType/OpenType font file (or the first font
// of a collection), which is the name the subtitle renderer selects fonts by.
// Any thread.
#include <optional>
#include <string>

// UTF-8 family name; empty when the file can't be read or holds no name.
std::optional<std::string> FontFamilyName(const std::string& FontFile);
