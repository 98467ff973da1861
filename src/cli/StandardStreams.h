#pragma once
// Media names that reach the CLI's own standard streams: FFmpeg's pipe
// protocol ("pipe:0", "pipe:1.mkv", "pipe:") and names of the file standard
// output writes to ("/dev/stdout"). Human text must then keep out of the way.
#include <cstdio>
#include <string>

#include "Common/PipeName.h"

// True when writing the media to Target writes to standard output.
bool WritesToStandardOutput(const std::string& Target);

// Where progress and outcome lines go for a job writing Target: standard
// output, unless the media itself goes there; then standard error.
FILE* HumanTextStream(const std::string& Target);
