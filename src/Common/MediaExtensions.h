#pragma once
// Names that claim to be video or audio. Any thread.
#include <string>

// True when File's name ends in the extension of a video or audio container
// (".mp4", ".MKV", ...): such a file that cannot be read as media is a damaged
// one, not some other kind of file. ".ts" is left out, TypeScript uses it too.
bool HasMediaExtension(const std::string& File);
