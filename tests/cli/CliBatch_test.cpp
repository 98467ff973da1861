// quillbrook-convert with many sources and --output-dir: folders walked, the
// tree mirrored, same-named files kept apart, outcomes summed up.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/SilentFifo.h"

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

// --jobs 2 opens two sources at once: two FIFOs whose writers stay silent
// both get their reader (one job at a time would wait on the first for ever).
TEST(CliBatch, JobsRunSideBySide) {
  const std::string dir = fixtures::TempDir("cli_jobs");
  fixtures::SilentFifo first(dir + "/a.avi"), second(dir + "/b.avi");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execl(QB_CLI, QB_CLI, "--jobs", "2", first.Path().c_str(), second.Path().c_str(), "--output-dir",
          (dir + "/out").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);  // only a bound, never reached
  const auto running = [&] { return waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline; };
  const bool both = first.WaitForReader(running) && second.WaitForReader(running);
  kill(pid, SIGINT);
  waitpid(pid, &status, 0);
  EXPECT_TRUE(both);
}

// Every file of a batch gets the same limit, whatever its length.
TEST(CliBatch, EveryFileFitsTheSameSize) {
  const std::string dir = fixtures::TempDir("cli_batch_size");
  fs::create_directories(dir + "/in");
  for (const int seconds : {2, 5}) {
    const std::string s = std::to_string(seconds);
    fs::copy_file(fixtures::Media("batch_noisy" + s + ".mkv", "-f lavfi -i testsrc2=s=320x240:r=25:d=" + s +
                                                                  ",noise=alls=25:allf=t+u -f lavfi -i sine=d=" + s +
                                                                  " -c:v libx264 -preset ultrafast -qp 10 -c:a flac"),
                  dir + "/in/clip" + s + ".mkv");
  }
  constexpr int64_t kLimit = 150 * 1024;
  int status = -1;
  const std::string out = fixtures::RunCommand(std::string(QB_CLI) + " --profile 'MPEG-4 AVC' --target-size 150K " +
                                                   ShellQuote(dir + "/in") + " --jobs 2 --output-dir " +
                                                   ShellQuote(dir + "/out") + " 2>&1 </dev/null",
                                               &status);
  EXPECT_EQ(status, 0) << out;
  for (const char* name : {"/out/in/clip2.mp4", "/out/in/clip5.mp4"}) {
    std::error_code ec;
    const auto bytes = static_cast<int64_t>(fs::file_size(dir + name, ec));
    ASSERT_FALSE(ec) << name << "\n" << out;
    EXPECT_LE(bytes, kLimit) << name;
    EXPECT_GE(bytes, kLimit * 9 / 10) << name;
  }
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

// Whatever is on disk stays: a damaged recording the walk found (it fails, it
// is media), an empty one, a hard link of a source where its target would go.
TEST(CliBatch, NoTargetReplacesAFileOnDisk) {
  const Tree t;
  const std::string v = t.Root + "/v";
  fs::create_directories(v);
  // A recording cut off before its index, named as v/clip.mp4's target.
  const std::string mp4 = fixtures::Media("batch_tiny.mp4",
                                          "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -f lavfi -i "
                                          "sine=duration=1 -c:v mpeg4 -c:a aac -shortest");
  fs::copy_file(mp4, v + "/clip.mp4");
  std::ifstream in(mp4, std::ios::binary);
  std::string damaged((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  damaged.resize(damaged.size() / 2);
  std::ofstream(v + "/clip.avi", std::ios::binary) << damaged;
  std::ofstream(v + "/empty.mkv").flush();
  std::ofstream(v + "/notes.txt") << "not a video\n";
  fs::create_hard_link(t.Root + "/src1/clip.avi", t.Root + "/clip.avi");  // the named file's target
  int status = -1;
  const std::string out = RunBatchCli(ShellQuote(v) + " " + ShellQuote(t.Root + "/src1/clip.avi") + " --output-dir " +
                                          ShellQuote(t.Root), status);
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find("converted 2, failed 2, skipped 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find(v + "/clip.avi: failed: not a readable video or audio file ("), std::string::npos) << out;
  EXPECT_NE(out.find(v + "/empty.mkv: failed: "), std::string::npos) << out;
  EXPECT_NE(out.find(v + "/notes.txt: skipped"), std::string::npos) << out;
  std::ifstream kept(v + "/clip.avi", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), damaged);
  EXPECT_EQ(fs::hard_link_count(t.Root + "/clip.avi"), 2u);
  for (const std::string& f : {v + "/clip (1).avi", t.Root + "/clip (1).avi"})
    EXPECT_EQ(fixtures::ProbeFile(f).SortedTypes(), "audio,video") << f;
}

// A second run into an output folder inside the walked tree does not convert
// the first run's targets.
TEST(CliBatch, AnOutputFolderInsideTheTreeIsNotWalked) {
  const Tree t;
  const std::string out = t.Shoot + "/day1/out";
  for (int run = 0; run < 2; ++run) {
    int status = -1;
    const std::string log = RunBatchCli(ShellQuote(t.Shoot) + " --output-dir " + ShellQuote(out), status);
    EXPECT_EQ(status, 0) << log;
    EXPECT_NE(log.find("converted 3, failed 0, skipped 1\n"), std::string::npos) << log;
  }
  EXPECT_FALSE(fs::exists(out + "/shoot/day1/out"));
  EXPECT_EQ(fixtures::ProbeFile(out + "/shoot/day1/y (1).avi").SortedTypes(), "audio,video");
}

// An unreadable folder or file fails with the system's reason. As root, the
// run drops to the unprivileged user "nobody".
TEST(CliBatch, UnreadableFoldersAndFilesFailWithTheReason) {
  const Tree t;
  const std::string prefix = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  const std::string locked = t.Shoot + "/day2", unreadable = t.Shoot + "/x.avi";
  fs::permissions(t.Root, fs::perms::all);  // nobody writes the targets
  fs::permissions(locked, fs::perms::none);
  fs::permissions(unreadable, fs::perms::none);
  int status = -1;
  fixtures::RunCommand(prefix + "true", &status);
  const bool started = status == 0;
  fixtures::RunCommand(prefix + "cat " + ShellQuote(unreadable) + " >/dev/null 2>&1", &status);
  if (!started || status == 0) GTEST_SKIP() << "this process reads files whatever their mode (root without setpriv)";
  const std::string out = fixtures::RunCommand(prefix + QB_CLI + " --profile 'DivX影片(*.avi)' --threads 1 " +
                                                   ShellQuote(t.Shoot) + " --output-dir " + ShellQuote(t.Out) +
                                                   " 2>&1 </dev/null",
                                               &status);
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(status, 1) << out;
  EXPECT_NE(out.find(locked + ": failed: folder not readable: Permission denied\n"), std::string::npos) << out;
  EXPECT_NE(out.find(unreadable + ": failed: not readable: Permission denied\n"), std::string::npos) << out;
  EXPECT_NE(out.find("converted 1, failed 2, skipped 0\n"), std::string::npos) << out;
  EXPECT_EQ(t.Outputs(), std::set<std::string>{"shoot/day1/y.avi"});
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
