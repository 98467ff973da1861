#pragma once
// --probe FILE: the probe's fields as Name=value lines.
#include <cstdio>
#include <string>

// Returns the exit status (0 ok, 1 the probe failed).
int RunProbeCommand(const std::string& File, FILE* Out, FILE* Err);
