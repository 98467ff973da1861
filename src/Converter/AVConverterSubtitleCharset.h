#pragma once
// The character set a subtitle file is read in (graph setup, worker thread).
#include <optional>
#include <string>

// What to hand the subtitle reader for File, given the code page the user
// chose (CodePage, "" for none): "" to read it as Unicode, else the code page.
// A file that begins with a byte-order mark is Unicode whatever was chosen
// (the reader turns UTF-16 into UTF-8 before any code page applies, so a
// chosen "UTF-16" garbled it). Nothing, with a log line saying what to
// choose, when no code page was chosen and the file is not Unicode text
// (a GBK or Big5 file: the reader fails on it with a message about an
// option the user can't see).
std::optional<std::string> SubtitleCharset(const std::string& File, const std::string& CodePage);
