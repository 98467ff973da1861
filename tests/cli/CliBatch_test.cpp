// quillbrook-convert with many sources and --output-dir: folders walked, the
// tree mirrored, same-named files kept apart, outcomes summed up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

namespace fs = std::filesystem;
using fixtures::ShellQuote;

// A one-second clip small enough that five conversions take a few seconds.
std::string TinyClip() {
  return fixtures::Media("batch_tiny.avi",
                         "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -f lavfi -i sine=duration=1 "
                         "-c:v mpeg4 -c:a mp2 -shortest");
}

// src1/clip.avi and src2/clip.avi (named one by one), and the folder shoot
// with x.avi, day1/y.avi, day2/z.avi and day2/notes.txt.
struct Tree {
  std::string Root = fixtures::TempDir("cli_batch");
  std::string Out = Root + "/out";
  std::string Shoot = Root + "/shoot";
  Tree() {
    for (const char* d : {"/src1", "/src2", "/shoot/day1", "/shoot/day2"}) fs::create_directories(Root + d);
    for (const char* f : {"/src1/clip.avi", "/src2/clip.avi", "/shoot/x.avi", "/shoot/day1/y.avi", "/shoot/day2/z.avi"})
      fs::copy_file(TinyClip(), Root + f);
    std::ofstream(Root + "/shoot/day2/notes.txt") << "not a video\n";
  }
  std::string Sources() const {
    return ShellQuote(Root + "/src1/clip.avi") + " " + ShellQuote(Root + "/src2/clip.avi") + " " + ShellQuote(Shoot);
  }
  // Every file below Out, relative to it.
  std::set<std::string> Outputs() const {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(Out))
      if (e.is_regular_file()) files.insert(fs::relative(e.path(), Out).generic_string());
    return files;
  }
};

const std::set<std::string> kMirrored = {"clip.avi", "clip (1).avi", "shoot/x.avi", "shoot/day1/y.avi",
                                         "shoot/day2/z.avi"};

std::string RunBatchCli(const std::string& Args, int& Status) {
  return fixtures::RunCommand(std::string(QB_CLI) + " --profile 'DivX影片(*.avi)' --threads 1 " +
                                  Args + " 2>&1 </dev/null",
                              &Status);
}

TEST(CliBatch, ConvertsAFolderTreeIntoAMirroredTree) {
  const Tree t;
  int status = -1;
  const std::string out = RunBatchCli(t.Sources() + " --jobs 2 --output-dir " + ShellQuote(t.Out), status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("converted 5, failed 0, skipped 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find(t.Shoot + "/day2/notes.txt: skipped"), std::string::npos) << out;
  EXPECT_NE(out.find(t.Shoot + "/day1/y.avi: converted to " + t.Out + "/shoot/day1/y.avi\n"), std::string::npos) << out;
  ASSERT_EQ(t.Outputs(), kMirrored);
  for (const std::string& f : kMirrored) {
    const auto probe = fixtures::ProbeFile(t.Out + "/" + f);
    EXPECT_EQ(probe.SortedTypes(), "audio,video") << f;
    EXPECT_NEAR(probe.Duration(), 1.0, 0.15) << f;
  }
  // The sources are untouched.
  EXPECT_TRUE(fs::exists(t.Shoot + "/day1/y.avi"));
}

TEST(CliBatch, ADamagedFileFailsAndTheOthersStillConvert) {
  const Tree t;
  // A Matroska file whose header names the wrong codec: the probe accepts
  // it, its pictures cannot be decoded.
  std::ifstream in(fixtures::Media("batch_asp.mkv", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg4"),
                   std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string claimed = "V_MPEG4/ISO/ASP";
  const size_t at = bytes.find(claimed);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, claimed.size(), "V_MPEG4/ISO/AVC");
  std::ofstream(t.Shoot + "/day1/broken.mkv", std::ios::binary) << bytes;
  int status = -1;
  const std::string out = RunBatchCli(t.Sources() + " --jobs 2 --output-dir " + ShellQuote(t.Out), status);
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("converted 5, failed 1, skipped 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find(t.Shoot + "/day1/broken.mkv: failed: Video pixel format is unknown"), std::string::npos) << out;
  std::set<std::string> outputs = t.Outputs();
  outputs.erase("shoot/day1/broken.avi");  // whatever the failed job left
  EXPECT_EQ(outputs, kMirrored);
  EXPECT_EQ(fixtures::ProbeFile(t.Out + "/shoot/day2/z.avi").SortedTypes(), "audio,video");
}

TEST(CliBatch, UsageErrors) {
  int status = -1;
  RunBatchCli("a.avi b.avi c.avi", status);  // several sources need a folder
  EXPECT_EQ(status, 2);
  RunBatchCli("--jobs 0 a.avi --output-dir out", status);
  EXPECT_EQ(status, 2);
  RunBatchCli("--settings job.xml --output-dir out", status);
  EXPECT_EQ(status, 2);
}

}  // namespace
