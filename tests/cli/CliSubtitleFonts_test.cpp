// Burned-in subtitles whose font lies in a folder of big files (a Downloads
// folder): only the font is read, so the job's memory does not grow with
// its neighbours and the log says nothing about them.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Wizard/CFilters.h"
#include "support/Fixtures.h"

namespace {

namespace fs = std::filesystem;
using fixtures::ShellQuote;

constexpr uintmax_t kHugeFileBytes = uintmax_t{1} << 30;  // 1 GB, sparse
#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer keeps up to 256 MB of freed memory in quarantine; reading
// the neighbour would still add a whole gigabyte.
constexpr long kPeakLimitKb = (300 + 256) * 1024;
#else
constexpr long kPeakLimitKb = 300 * 1024;
#endif

struct Measured {
  int Status = -1;
  long PeakKb = 0;     // the CLI's peak resident memory
  std::string Output;  // its stdout and stderr
};

// Runs the CLI as a child of its own (the shell execs into it), so that the
// child's resource usage is the CLI's.
Measured RunCliMeasured(const std::string& Args, const std::string& OutputFile) {
  const std::string command =
      "exec " + std::string(QB_CLI) + " " + Args + " >" + ShellQuote(OutputFile) + " 2>&1 </dev/null";
  Measured m;
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return m;
  m.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  m.PeakKb = usage.ru_maxrss;
  std::stringstream text;
  text << std::ifstream(OutputFile).rdbuf();
  m.Output = text.str();
  return m;
}

TEST(CliSubtitleFonts, OnlyTheChosenFontIsRead) {
  const std::string dir = fixtures::TempDir("cli_subtitle_font");
  const fs::path downloads = fs::path(dir) / "Downloads";
  fs::create_directories(downloads);
  fs::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", downloads / "DejaVuSans.ttf");
  {
    std::ofstream(downloads / "holiday.mkv");
  }
  fs::resize_file(downloads / "holiday.mkv", kHugeFileBytes);
  std::ofstream(dir + "/subs.srt") << "1\n00:00:00,000 --> 00:00:01,000\nWWWW WWWW\n\n";
  TSubtitleFilter subs;
  subs.SetSubtitleFile(dir + "/subs.srt");
  subs.SetFontFile((downloads / "DejaVuSans.ttf").string());
  const std::string src = fixtures::Media("cli_subtitle_src.mkv",
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -c:v ffv1");
  const Measured m = RunCliMeasured("--profile 'Matroska Video(.mkv)' --filters " + ShellQuote(subs.GetFilterText()) +
                                        " " + ShellQuote(src) + " " + ShellQuote(dir + "/out.mkv"),
                                    dir + "/output.txt");
  ASSERT_EQ(m.Status, 0) << m.Output;
  EXPECT_LT(m.PeakKb, kPeakLimitKb);
  EXPECT_EQ(m.Output.find("holiday"), std::string::npos) << m.Output;
  EXPECT_EQ(m.Output.find("memory font"), std::string::npos) << m.Output;
  EXPECT_EQ(fixtures::Probe(dir + "/out.mkv", "stream=codec_type"), "codec_type=video\n");
}

}  // namespace
