#include "cli/CliArguments.h"

#include <cmath>
#include <cstdlib>

#include "Common/SizeText.h"
#include "cli/StandardStreams.h"

const char* const kCliUsage =
    "usage: quillbrook-convert --list-profiles\n"
    "       quillbrook-convert --probe FILE\n"
    "       quillbrook-convert [OPTIONS] SOURCE [TARGET]\n"
    "       quillbrook-convert [OPTIONS] SOURCE... --output-dir DIR [--jobs N]\n"
    "  --profile DESCRIPTION   catalogue profile (default: what the wizard preselects)\n"
    "  --start SEC --end SEC   trim range\n"
    "  --filters TEXT          filter-chain text\n"
    "  --option KEY=VALUE      advanced option (repeatable), after the profile\n"
    "  --threads N             codec threads (default: processor count)\n"
    "  --target-size SIZE      the output at most SIZE (25M, 700K, 4.3G or bytes): two passes\n"
    "  --settings FILE.xml     run a stored conversion settings document\n"
    "  --no-user-profiles      only the built-in profiles, not the user's Profiles.ini\n"
    "  --output-dir DIR        convert every SOURCE (folders walked, tree mirrored) into DIR\n"
    "  --jobs N                conversions at a time with --output-dir (default 1)\n"
    "  --help, -h              this text\n"
    "  --                      the arguments after it are files, even when they begin with -\n";

namespace {

constexpr long kMaxCount = 64;  // largest --threads and --jobs
// Largest --start/--end: about 31 years, beyond any recording, and its
// microseconds stay far inside the 64-bit range of the options.
constexpr double kMaxSeconds = 1e9;
// What ends the options; every later argument is a file name.
constexpr const char* kEndOfOptions = "--";

// A whole number from 1 to kMaxCount.
bool ParseCount(const std::string& Text, int& Value) {
  char* end = nullptr;
  const long n = std::strtol(Text.c_str(), &end, 10);
  if (Text.empty() || *end != '\0' || n < 1 || n > kMaxCount) return false;
  Value = static_cast<int>(n);
  return true;
}

bool ParseSeconds(const std::string& Text, double& Value) {
  char* end = nullptr;
  Value = std::strtod(Text.c_str(), &end);
  return !Text.empty() && *end == '\0' && std::isfinite(Value) && Value >= 0 && Value <= kMaxSeconds;
}

}  // namespace

std::optional<TCliArguments> ParseCliArguments(const std::vector<std::string>& Args, std::string& Error) {
  TCliArguments a;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    if (optionsEnded) {
      positional.push_back(arg);
      continue;
    }
    auto value = [&](std::string& Out) {
      if (i + 1 >= Args.size()) {
        Error = arg + " needs a value";
        return false;
      }
      Out = Args[++i];
      return true;
    };
    std::string v;
    if (arg == kEndOfOptions) {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      a.Mode = TCliArguments::TMode::Help;
      return a;
    } else if (arg == "--list-profiles") {
      a.Mode = TCliArguments::TMode::ListProfiles;
    } else if (arg == "--probe") {
      if (!value(a.Source)) return std::nullopt;
      a.Mode = TCliArguments::TMode::Probe;
    } else if (arg == "--profile") {
      if (!value(a.Profile)) return std::nullopt;
    } else if (arg == "--start" || arg == "--end") {
      if (!value(v)) return std::nullopt;
      double s;
      if (!ParseSeconds(v, s)) {
        Error = arg + " needs a number of seconds from 0 to " + std::to_string(static_cast<long>(kMaxSeconds)) +
                ": " + v;
        return std::nullopt;
      }
      (arg == "--start" ? a.Start : a.End) = s;
    } else if (arg == "--filters") {
      if (!value(v)) return std::nullopt;
      a.Filters = v;
    } else if (arg == "--option") {
      if (!value(v)) return std::nullopt;
      if (v.find('=') == std::string::npos || v.front() == '=') {
        Error = "--option needs KEY=VALUE: " + v;
        return std::nullopt;
      }
      a.Options.push_back(v);
    } else if (arg == "--threads") {
      if (!value(v)) return std::nullopt;
      int n = 0;
      if (!ParseCount(v, n)) {
        Error = "--threads needs a number from 1 to 64: " + v;
        return std::nullopt;
      }
      a.Threads = n;
    } else if (arg == "--target-size") {
      if (!value(v)) return std::nullopt;
      a.TargetSize = ParseSizeText(v);
      if (!a.TargetSize) {
        Error = "--target-size needs a size such as 25M, 700K, 4.3G or a number of bytes: " + v;
        return std::nullopt;
      }
    } else if (arg == "--no-user-profiles") {
      a.UserProfiles = false;
    } else if (arg == "--jobs") {
      if (!value(v)) return std::nullopt;
      if (!ParseCount(v, a.Jobs)) {
        Error = "--jobs needs a number from 1 to 64: " + v;
        return std::nullopt;
      }
    } else if (arg == "--output-dir") {
      if (!value(a.OutputDir)) return std::nullopt;
      if (a.OutputDir.empty()) {
        Error = "--output-dir needs a folder";
        return std::nullopt;
      }
    } else if (arg == "--settings") {
      if (!value(a.Settings)) return std::nullopt;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      Error = "unknown option " + arg;
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (a.Mode == TCliArguments::TMode::Convert) {
    if (positional.empty() && a.Settings.empty()) {
      Error = "no source file given";
      return std::nullopt;
    }
    if (!a.OutputDir.empty()) {
      if (!a.Settings.empty()) {
        Error = "--settings runs one stored conversion, not a batch";
        return std::nullopt;
      }
      a.Sources = positional;
      positional.clear();
    } else if (positional.size() > 2) {
      Error = "too many file names (several sources need --output-dir)";
      return std::nullopt;
    }
    if (!positional.empty()) a.Source = positional[0];
    if (positional.size() == 2) a.Target = positional[1];
    // No start is the source's beginning: an end of 0 leaves nothing to convert.
    if (a.End && *a.End <= a.Start.value_or(0.0)) {
      Error = "--end must be after --start";
      return std::nullopt;
    }
    // The name derived from "pipe:0" would again be the pipe protocol, which
    // writes to standard output.
    if (IsPipeName(a.Source) && a.Target.empty() && a.Settings.empty()) {
      Error = "a piped source (" + a.Source + ") needs a TARGET";
      return std::nullopt;
    }
  } else if (!positional.empty()) {
    Error = "unexpected argument " + positional[0];
    return std::nullopt;
  }
  return a;
}
