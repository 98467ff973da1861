// Broken inputs end with an error message or a shorter output, never a crash
// or a hang (run under AddressSanitizer as well).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

constexpr int kJobLimitMs = 60000;

std::string WriteBytes(const std::string& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary) << Bytes;
  return Path;
}

std::string ReadBytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string RandomBytes(size_t Count, unsigned Seed) {
  std::mt19937 rng(Seed);
  std::string s(Count, '\0');
  for (auto& c : s) c = static_cast<char>(rng() & 0xff);
  return s;
}

class ConverterBrokenInput : public ::testing::TestWithParam<const char*> {};

TEST_P(ConverterBrokenInput, EndsWithAnErrorOrAShorterOutput) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir(std::string("broken_") + GetParam());
  const std::string good = ReadBytes(fixtures::Clip640x480(2.0));
  std::string input;
  const std::string kind = GetParam();
  if (kind == "truncated") input = WriteBytes(dir + "/in.avi", good.substr(0, good.size() / 3));
  else if (kind == "header_only") input = WriteBytes(dir + "/in.avi", good.substr(0, 600));
  else if (kind == "random") input = WriteBytes(dir + "/in.avi", RandomBytes(200000, 7));
  else if (kind == "empty") input = WriteBytes(dir + "/in.mp4", "");
  else if (kind == "garbage_middle") {
    std::string b = good;
    const std::string junk = RandomBytes(b.size() / 4, 11);
    b.replace(b.size() / 3, junk.size(), junk);
    input = WriteBytes(dir + "/in.avi", b);
  } else if (kind == "directory") {
    input = dir + "/folder.avi";
    std::filesystem::create_directory(input);
  }
  TAVConverter c;
  harness::Events events;
  events.Attach(c);
  c.InputFiles().Add(input);
  c.OutputFiles().Add(dir + "/out.mkv");
  c.Convert();
  ASSERT_TRUE(loop.WaitForJobs(kJobLimitMs)) << "the job hung";
  EXPECT_EQ(c.State(), csNone);
  if (errors.Messages().empty()) {
    // No error: the conversion finished with what could be read.
    EXPECT_EQ(events.Completed, 1);
    EXPECT_LE(fixtures::ProbeFile(dir + "/out.mkv").Duration(), 2.1);
  } else {
    EXPECT_EQ(errors.Messages().size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConverterBrokenInput,
                         ::testing::Values("truncated", "header_only", "random", "empty", "garbage_middle",
                                           "directory"));

}  // namespace
