// The broken-input corpus through quillbrook-convert as a child process with a
// time limit per run: every conversion and probe exits with 1 and a message, or
// with 0 and an output no longer than its source; never a signal, never the limit.
#include <gtest/gtest.h>

#include "support/BrokenCorpus.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

using fixtures::ShellQuote;

// Seconds one run may take before it counts as a hang (killed, status 137).
constexpr int kRunLimitSeconds = 60;
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;

struct LimitedRun {
  int Status = -1;
  std::string Errors;  // standard error only
};

LimitedRun RunLimited(const std::string& Args) {
  LimitedRun r;
  r.Errors = fixtures::RunCommand("timeout -s KILL " + std::to_string(kRunLimitSeconds) + " " + QB_CLI + " " + Args +
                                      " 2>&1 >/dev/null </dev/null",
                                  &r.Status);
  return r;
}

// Extension the CLI's catalogue gives Profile (from --list-profiles).
std::string ExtensionOf(const std::string& Profile) {
  const std::string list = fixtures::RunCommand(std::string(QB_CLI) + " --list-profiles");
  const std::string key = "\t" + Profile + "\t";
  const size_t at = list.find(key);
  if (at == std::string::npos) return "";
  const size_t from = at + key.size();
  return list.substr(from, list.find('\n', from) - from);
}

class CliBrokenInput : public ::testing::TestWithParam<std::string> {};

TEST_P(CliBrokenInput, ExitsWithAMessageOrAShorterOutput) {
  const std::string dir = fixtures::TempDir("cli_broken_" + GetParam());
  const std::string input = corpus::Make(GetParam(), dir);
  ASSERT_FALSE(input.empty());
  if (corpus::NeedsUnreadable(GetParam()) && corpus::Readable(input))
    GTEST_SKIP() << "this process reads files whatever their mode (running as root)";
  for (const std::string& profile : corpus::Profiles()) {
    const std::string extension = ExtensionOf(profile);
    ASSERT_FALSE(extension.empty()) << profile;
    const std::string target = dir + "/out" + extension;
    const LimitedRun r = RunLimited("--threads 2 --profile " + ShellQuote(profile) + " " + ShellQuote(input) + " " +
                             ShellQuote(target));
    ASSERT_TRUE(r.Status == kExitOk || r.Status == kExitFailed)
        << profile << ": status " << r.Status << " (137: over the time limit, other: a signal)\n" << r.Errors;
    if (r.Status == kExitOk) {
      EXPECT_LE(fixtures::ProbeFile(target).Duration(), corpus::kLongestOutput) << profile;
    } else {
      EXPECT_NE(r.Errors.find_first_not_of("\n"), std::string::npos) << profile << ": failed without a message";
    }
  }
  const LimitedRun probe = RunLimited("--probe " + ShellQuote(input));
  ASSERT_TRUE(probe.Status == kExitOk || probe.Status == kExitFailed) << "probe: status " << probe.Status;
  if (probe.Status == kExitFailed) {
    EXPECT_NE(probe.Errors.find_first_not_of("\n"), std::string::npos) << "probe failed without a message";
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, CliBrokenInput, ::testing::ValuesIn(corpus::Cases()),
                         [](const ::testing::TestParamInfo<std::string>& Info) { return Info.param; });

}  // namespace
