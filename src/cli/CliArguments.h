#pragma once
// Command line of quillbrook-convert.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TCliArguments {
  enum class TMode { Convert, ListProfiles, Probe, Help };
  TMode Mode = TMode::Convert;
  std::string Source;
  std::string Target;               // empty: source path with the profile's extension
  std::string Profile;              // empty: what the wizard preselects
  std::optional<double> Start;      // seconds
  std::optional<double> End;        // seconds
  std::optional<std::string> Filters;
  std::vector<std::string> Options;  // KEY=VALUE, in order
  std::optional<int> Threads;
  std::optional<int64_t> TargetSize;  // bytes the output may take at most
  std::string Settings;             // stored conversion settings document
  bool UserProfiles = true;         // the user's "Profiles.ini" replaces the built-in catalogue
  // Batch: every file and folder named, converted into OutputDir (tree mirrored).
  std::vector<std::string> Sources;
  std::string OutputDir;            // empty: one SOURCE [TARGET]
  int Jobs = 1;                     // conversions at a time in a batch
};

// Parses argv; on a usage error returns nullopt and sets Error.
std::optional<TCliArguments> ParseCliArguments(const std::vector<std::string>& Args, std::string& Error);

extern const char* const kCliUsage;

// Exit status of every run: the job ran to its end, it failed or was
// stopped, the command line was wrong.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// How long the main thread waits for work before it looks at Ctrl-C again.
constexpr int kPumpSliceMs = 100;
