#pragma once
// Names of FFmpeg's pipe protocol ("pipe:0", "pipe:1.mkv", "pipe:"): the
// descriptors they read or write. Any thread.
#include <string>

inline constexpr const char* kPipeProtocol = "pipe:";

inline bool IsPipeName(const std::string& Name) { return Name.rfind(kPipeProtocol, 0) == 0; }

// The descriptor the pipe protocol opens for the pipe name Name, as FFmpeg
// reads it: the number after "pipe:" when that is all there is, Default
// (standard input when reading, standard output when writing) otherwise; -1
// for a number no descriptor can have.
int PipeDescriptor(const std::string& Name, int Default);
