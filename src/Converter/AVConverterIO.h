#pragma once
// Where the converter's file names and input format names may lead to the
// system's own extensions: "stream:N[.ext]" byte streams and the "wavcap"
// capture input. Any thread.
#include <string>

#include "Converter/FFmpegPtr.h"

// True for names of the form "stream:...".
bool IsStreamName(const std::string& Name);
// An I/O context over the registered byte stream of Name, or null when the
// name is malformed or names no registered stream.
ff::IOPtr OpenStreamIO(const std::string& Name, bool Write);
// The name whose extension tells the container of a stream name.
std::string StreamNameForGuess(const std::string& Name);
// A library input format by short name, or the system's own "wavcap".
const AVInputFormat* FindInputFormat(const std::string& Name);
// True for input formats that record from a device (a read error there is a
// failure of the job, not the end of a file).
bool IsCaptureFormat(const AVInputFormat* Format);
