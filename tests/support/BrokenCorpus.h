#pragma once
// Broken inputs for the robustness tests, written on demand into a scratch
// folder: truncated, random, empty, damaged, absurd, mislabelled, unreadable
// files, a folder, and two valid but unusual videos.
#include <string>
#include <vector>

namespace corpus {

// The names of every case, in a fixed order.
const std::vector<std::string>& Cases();

// Writes case Name into Dir and returns the path to hand to the converter.
// Unreadable is set when the case needs a file the process cannot read
// (the caller skips it when the process can read it anyway, as root can).
std::string Make(const std::string& Name, const std::string& Dir);

// True for the case whose file must not be readable.
bool NeedsUnreadable(const std::string& Name);

// True when the current process can open Path for reading.
bool Readable(const std::string& Path);

// The longest output a broken input may give, in seconds: its source clip's length plus a frame or two.
constexpr double kLongestOutput = 2.2;

// The profiles every case is converted with: H.264 into MP4, MPEG-4 into AVI, MPEG-2 DVD.
const std::vector<std::string>& Profiles();

}  // namespace corpus
