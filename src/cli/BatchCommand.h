#pragma once
// quillbrook-convert SOURCE... --output-dir DIR: many files, at most --jobs
// at a time. Main thread.
#include <atomic>

#include "cli/CliArguments.h"

// Converts every source (folders walked, their tree mirrored below the output
// folder), prints each outcome and a summary; 0 when every file converted,
// 1 when any failed or Interrupted was raised, 2 for an unknown profile.
int RunBatch(const TCliArguments& A, const std::atomic<bool>& Interrupted);
