// quillbrook-convert as a script would use it: exit codes, output files,
// error texts and Ctrl-C.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Common/CConversionSettings.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/SilentFifo.h"

namespace {

using fixtures::ShellQuote;

struct Outcome {
  int Status;
  std::string Output;  // stdout and stderr
};

Outcome RunCli(const std::string& Args) {
  int status = 0;
  std::string out = fixtures::RunCommand(std::string(QB_CLI) + " " + Args + " 2>&1 </dev/null", &status);
  return {status, out};
}

TEST(Cli, UsageErrorsExitWithTwo) {
  EXPECT_EQ(RunCli("").Status, 2);
  EXPECT_EQ(RunCli("--bogus x").Status, 2);
  EXPECT_EQ(RunCli("--start abc in.avi").Status, 2);
  EXPECT_EQ(RunCli("--start 5 --end 2 in.avi").Status, 2);
  // Nothing to convert, or beyond what the options' microseconds can hold.
  for (const char* end : {"0", "inf", "1e400", "9.3e12", "nan"})
    EXPECT_EQ(RunCli(std::string("--end ") + end + " in.avi").Status, 2) << end;
  // Its derived target would be the pipe protocol again: standard output.
  const Outcome piped = RunCli("pipe:0");
  EXPECT_EQ(piped.Status, 2);
  EXPECT_NE(piped.Output.find("needs a TARGET"), std::string::npos) << piped.Output;
  EXPECT_EQ(RunCli("--option novalue in.avi").Status, 2);
  EXPECT_EQ(RunCli("--target-size 5MB in.avi").Status, 2);
  const Outcome unknown = RunCli("--profile 'No Such Profile' in.avi");
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_NE(unknown.Output.find("No Such Profile"), std::string::npos);
  EXPECT_EQ(RunCli("--help").Status, 0);
}

TEST(Cli, ListsTheOfferedProfilesInCatalogueOrder) {
  const Outcome r = RunCli("--list-profiles");
  EXPECT_EQ(r.Status, 0);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = r.Output.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(r.Output.substr(start, nl - start));
  ASSERT_EQ(lines.size(), 58u);
  EXPECT_EQ(lines.front(), "视频\tMatroska Video(.mkv)\t.mkv");
  EXPECT_EQ(lines[48], "AVI\tDivX影片(*.avi)\t.avi");
  EXPECT_EQ(lines.back(), "新格式\tOgg Vorbis Audio(*.ogg)\t.ogg");
  EXPECT_NE(r.Output.find("iPhone\tIPhone H264 Video\t.mp4"), std::string::npos);
}

// A source named "-clip.avi" after "--"; "ar" wins over the profile's rate;
// a key no option context knows is named in a warning.
TEST(Cli, ConvertsWithAProfileTrimAndOptions) {
  const std::string dir = fixtures::TempDir("cli_convert");
  std::filesystem::copy_file(fixtures::Clip640x480(4.0), dir + "/-clip.avi");
  Outcome run{};
  run.Output = fixtures::RunCommand("cd " + ShellQuote(dir) + " && " + QB_CLI +
                                        " --profile 'MPEG-4 AVC' --start 1 --end 3 --option preset=ultrafast "
                                        "--option ar=22050 --option cfr=40 --threads 2 -- -clip.avi 2>&1 </dev/null",
                                    &run.Status);
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_NE(run.Output.find("Warning: unknown option \"cfr\""), std::string::npos) << run.Output;
  EXPECT_EQ(run.Output.find("unknown option \"preset\""), std::string::npos) << run.Output;
  EXPECT_EQ(run.Output.find("unknown option \"ar\""), std::string::npos) << run.Output;
  const auto f = fixtures::ProbeFile(dir + "/-clip.mp4");  // the profile's extension next to the source
  EXPECT_EQ(f.SortedTypes(), "audio,video");
  EXPECT_EQ((*f.First("video"))["codec_name"], "h264");
  EXPECT_EQ(f.First("video")->Number("width"), 320);
  EXPECT_EQ(f.First("audio")->Number("sample_rate"), 22050);
  EXPECT_NEAR(f.Duration(), 2.0, 0.15);
}

// With the media on standard output, progress goes to standard error.
TEST(Cli, MediaOnStandardOutputKeepsTheTextOut) {
  const std::string dir = fixtures::TempDir("cli_stdout");
  int status = -1;
  const std::string errors = fixtures::RunCommand(
      std::string(QB_CLI) + " --profile 'Matroska Video(.mkv)' --option preset=ultrafast " +
          ShellQuote(fixtures::Clip640x480(2.0)) + " pipe:1.mkv 2>&1 >" + ShellQuote(dir + "/out.mkv") + " </dev/null",
      &status);
  EXPECT_EQ(status, 0) << errors;
  EXPECT_NE(errors.find("progress=100%"), std::string::npos) << errors;
  std::ifstream media(dir + "/out.mkv", std::ios::binary);
  std::string magic(4, '\0');
  media.read(magic.data(), 4);
  EXPECT_EQ(magic, "\x1A\x45\xDF\xA3");  // EBML, not text
  EXPECT_EQ(fixtures::CountFrames(dir + "/out.mkv", "video"), 50);
}

// The default profile writes .avi: for an .avi source the default target is
// "name (1).avi"; a target given as the source itself is refused.
TEST(Cli, TheSourceIsNeverItsOwnTarget) {
  const std::string dir = fixtures::TempDir("cli_source_target");
  const std::string src = dir + "/clip.avi";
  std::filesystem::copy_file(fixtures::Clip640x480(1.0), src);
  const auto size = std::filesystem::file_size(src);
  const Outcome derived = RunCli(ShellQuote(src));
  EXPECT_EQ(derived.Status, 0) << derived.Output;
  EXPECT_NE(fixtures::ProbeFile(dir + "/clip (1).avi").First("video"), nullptr);
  std::filesystem::create_symlink(src, dir + "/link.avi");
  for (const std::string& target : {src, dir + "/link.avi"}) {
    const Outcome refused = RunCli(ShellQuote(src) + " " + ShellQuote(target));
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Output.find("Target file is the same as the source file"), std::string::npos) << refused.Output;
  }
  EXPECT_EQ(std::filesystem::file_size(src), size);
}

TEST(Cli, ATargetSizeRunsInPassesOrIsRefused) {
  const std::string src = fixtures::Clip640x480(2.0);
  const std::string dir = fixtures::TempDir("cli_target_size");
  const std::string divx = "--profile 'DivX影片(*.avi)' ";
  const Outcome fitted = RunCli(divx + "--target-size 100K " + ShellQuote(src) + " " + ShellQuote(dir + "/fit.avi"));
  EXPECT_EQ(fitted.Status, 0) << fitted.Output;
  EXPECT_NE(fitted.Output.find("pass=1/2"), std::string::npos);
  EXPECT_NE(fitted.Output.find("progress=100% "), std::string::npos);
  EXPECT_LE(std::filesystem::file_size(dir + "/fit.avi"), 100u * 1024);
  const Outcome refused = RunCli(divx + "--target-size 2K " + ShellQuote(src) + " " + ShellQuote(dir + "/no.avi"));
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Output.find("The target size 0.01 MB is too small for this conversion: at least "), std::string::npos)
      << refused.Output;
  // Refused after the first pass (the MPEG-4 encoder cannot get that small).
  const Outcome unreachable = RunCli("--target-size 400K " + ShellQuote(src) + " " + ShellQuote(dir + "/mpeg4.avi"));
  EXPECT_EQ(unreachable.Status, 1);
  EXPECT_NE(unreachable.Output.find("is too small for this conversion: at least "), std::string::npos) << unreachable.Output;
}

TEST(Cli, FailureExitsWithOneAndTheMessage) {
  const std::string dir = fixtures::TempDir("cli_fail");
  const Outcome r = RunCli(ShellQuote(dir + "/missing.avi") + " " + ShellQuote(dir + "/out.avi"));
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Output.find("Could not open file:-2!"), std::string::npos) << r.Output;
  EXPECT_NE(r.Output.find("missing.avi: No such file or directory"), std::string::npos) << r.Output;
  EXPECT_NE(r.Output.find("left=?"), std::string::npos) << r.Output;  // not the window's placeholder
}

TEST(Cli, InterruptStopsAndLeavesAPlayableFile) {
  const std::string dir = fixtures::TempDir("cli_interrupt");
  const std::string src = fixtures::Media("cli_long.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=120 -c:v mpeg4 -q:v 8");
  const std::string target = dir + "/out.mkv";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execl(QB_CLI, QB_CLI, "--profile", "Matroska Video(.mkv)", "--option", "preset=ultrafast", src.c_str(),
          target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Wait until the output has grown, then interrupt.
  for (int i = 0; i < 300; ++i) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(target, ec);
    if (!ec && size > 100000) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const int frames = fixtures::CountFrames(target, "video");
  EXPECT_GT(frames, 0);
  EXPECT_LT(frames, 120 * 25);
}

}  // namespace

namespace {

TEST(Cli, RunsAStoredSettingsDocument) {
  const std::string dir = fixtures::TempDir("cli_settings");
  const std::string doc = dir + "/job.xml";
  {
    // A document as the task database stores it.
    TConversionSettings settings;
    settings.SourceFile = fixtures::Clip640x480(2.0);
    settings.TargetFile = dir + "/stored.avi";
    settings.CategoryId = 1;
    settings.ConvertOptions().VideoOptions().SetFrameWidth(160);
    settings.ConvertOptions().VideoOptions().SetFrameHeight(120);
    settings.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg4");
    settings.ConvertOptions().AudioOptions().SetAudioDisable(true);
    std::ofstream(doc) << settings.ToXml();
  }
  const Outcome r = RunCli("--settings " + ShellQuote(doc));
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_EQ(fixtures::Probe(dir + "/stored.avi", "stream=codec_type,width"), "codec_type=video\nwidth=160\n");
  std::ofstream(dir + "/bad.xml") << "<data><TConversionSettings><CategoryId>x</CategoryId></TConversionSettings></data>";
  const Outcome bad = RunCli("--settings " + ShellQuote(dir + "/bad.xml"));
  EXPECT_EQ(bad.Status, 1);
  EXPECT_NE(bad.Output.find("Invalid integer value (x)."), std::string::npos);
  EXPECT_EQ(RunCli("--settings " + ShellQuote(dir + "/missing.xml")).Status, 2);
}

}  // namespace

namespace {

TEST(Cli, ProbePrintsTheFields) {
  const Outcome r = RunCli("--probe " + ShellQuote(fixtures::Clip640x480(2.0)));
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_NE(r.Output.find("HasVideo=1\n"), std::string::npos);
  EXPECT_NE(r.Output.find("VideoWidth=640\n"), std::string::npos);
  EXPECT_NE(r.Output.find("AudioRate=44100\n"), std::string::npos);
  EXPECT_NE(r.Output.find("VideoFps=25.000\n"), std::string::npos);
  const Outcome missing = RunCli("--probe /nonexistent.avi");
  EXPECT_EQ(missing.Status, 1);
}

// The device library (and the fifty shared objects it alone needs) is loaded
// only for a device format; the dynamic loader names every object it opens.
TEST(Cli, LoadsTheDeviceLibraryOnlyForADeviceFormat) {
  const std::string dir = fixtures::TempDir("cli_devices");
  auto run = [&](const std::string& Source, const std::string& InputFormat, const std::string& Target) {
    TConversionSettings settings;
    settings.SourceFile = Source;
    settings.TargetFile = dir + "/" + Target;
    settings.ConvertOptions().SetInputFormat(InputFormat);
    settings.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg4");
    settings.ConvertOptions().AudioOptions().SetAudioDisable(true);
    std::ofstream(dir + "/" + Target + ".xml") << settings.ToXml();
    int status = 0;
    std::string out = fixtures::RunCommand("LD_DEBUG=files " + std::string(QB_CLI) + " --settings " +
                                               ShellQuote(dir + "/" + Target + ".xml") + " 2>&1 </dev/null",
                                           &status);
    return Outcome{status, out};
  };
  const Outcome file = run(fixtures::Clip640x480(2.0), "", "file.avi");
  const Outcome device = run("testsrc2=size=160x120:rate=25:duration=1", "lavfi", "device.avi");
  EXPECT_EQ(file.Status, 0) << file.Output;
  EXPECT_EQ(file.Output.find("libavdevice"), std::string::npos);
  EXPECT_EQ(device.Status, 0) << device.Output;
  EXPECT_NE(device.Output.find("libavdevice"), std::string::npos);
  EXPECT_EQ(fixtures::Probe(dir + "/device.avi", "stream=codec_type,width"), "codec_type=video\nwidth=160\n");
}

TEST(Cli, FiltersInTheSystemsSyntax) {
  const std::string dir = fixtures::TempDir("cli_filters");
  const Outcome r = RunCli("--profile 'DivX影片(*.avi)' --filters 'drawbox=0:0:320:240:Red' " +
                           ShellQuote(fixtures::Clip640x480(2.0)) + " " + ShellQuote(dir + "/boxed.avi"));
  EXPECT_EQ(r.Status, 0) << r.Output;
  const std::string pixel = fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(dir + "/boxed.avi") +
                                                 " -frames:v 1 -vf crop=2:2:0:0 -f rawvideo -pix_fmt rgb24 - | od -An -tu1");
  int red = 0, green = 0, blue = 0;
  sscanf(pixel.c_str(), "%d %d %d", &red, &green, &blue);
  EXPECT_GT(red, 180);
  EXPECT_LT(green, 80);
}

}  // namespace

namespace {

constexpr std::chrono::milliseconds kPipeSettle{500};  // long enough for the CLI to reach its input
constexpr std::chrono::seconds kStopLimit{10};           // far beyond the second a stop may take

// Exit status: 0 when the job ran to its end (notices are warnings), 1 when it
// failed or was stopped; a failed job leaves no empty or header-less file.
TEST(CliExitStatus, NoticesAreWarningsOfAJobThatRanToItsEnd) {
  const std::string dir = fixtures::TempDir("cli_notice");
  const Outcome r = RunCli("--option g=abc " + ShellQuote(fixtures::Clip640x480(2.0)) + " " +
                           ShellQuote(dir + "/noticed.mkv"));
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_NE(r.Output.find("Warning: Invalid value for Option!"), std::string::npos) << r.Output;
}

TEST(CliExitStatus, DecoderWarningsOfCodecThreadsReachStandardError) {
  const std::string dir = fixtures::TempDir("cli_damaged");
  const Outcome r = RunCli("--threads 4 --profile 'DivX影片(*.avi)' " + ShellQuote(fixtures::DamagedAvi(dir)) + " " +
                           ShellQuote(dir + "/repaired.avi"));
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_NE(r.Output.find("Error at MB"), std::string::npos) << r.Output;
}

TEST(CliExitStatus, EmptyOutputAndFullDiskFailWithTheReason) {
  const std::string dir = fixtures::TempDir("cli_nothing");
  const std::string empty = fixtures::Media("nosamples.wav", "-f lavfi -i sine -t 0 -c:a pcm_s16le");
  const Outcome r = RunCli("--profile 'MP3 Audio' " + ShellQuote(empty) + " " + ShellQuote(dir + "/empty.mp3"));
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Output.find("Output file is empty, nothing was encoded"), std::string::npos) << r.Output;
  EXPECT_FALSE(std::filesystem::exists(dir + "/empty.mp3"));

  // A small tmpfs as the target folder, mounted in a namespace of its own;
  // where that is not allowed, /dev/full under the target's name.
  const std::string args = "--profile 'DivX影片(*.avi)' " + ShellQuote(fixtures::Clip640x480(2.0)) + " " +
                           ShellQuote(dir + "/full.avi");
  const std::string mounted = "MOUNTED";
  Outcome full{};
  full.Output = fixtures::RunCommand(
      "unshare -rm sh -c " + ShellQuote("mount -t tmpfs -o size=200k tmpfs " + ShellQuote(dir) + " && echo " +
                                        mounted + " && exec " + QB_CLI + " " + args) +
          " 2>&1 </dev/null",
      &full.Status);
  if (full.Output.find(mounted) == std::string::npos) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "neither a tmpfs nor /dev/full to fill";
    std::filesystem::create_symlink("/dev/full", dir + "/full.avi");
    full = RunCli(args);
  }
  EXPECT_EQ(full.Status, 1);
  EXPECT_NE(full.Output.find("full.avi: No space left on device"), std::string::npos) << full.Output;
}

TEST(CliExitStatus, AReaderThatGoesAwayDoesNotEndTheConversion) {
  const std::string dir = fixtures::TempDir("cli_closed_pipe");
  const std::string target = dir + "/out.mkv";
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);  // as `| head` after its first line
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGPIPE, SIG_DFL);  // as a shell starts it
    dup2(ends[1], STDOUT_FILENO);
    dup2(ends[1], STDERR_FILENO);
    execl(QB_CLI, QB_CLI, "--profile", "Matroska Video(.mkv)", "--option", "preset=ultrafast",
          fixtures::Clip640x480(2.0).c_str(), target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ends[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(fixtures::CountFrames(target, "video"), 50);
}

// A named FIFO and an inherited pipe ("pipe:0") whose writer never writes.
TEST(CliExitStatus, InterruptDuringSetupLeavesNoFile) {
  const std::string dir = fixtures::TempDir("cli_setup_interrupt");
  fixtures::SilentFifo fifo(dir + "/slow.avi");
  int silent[2];
  ASSERT_EQ(pipe(silent), 0);
  for (const std::string& input : {fifo.Path(), std::string("pipe:0")}) {
    const std::string target = dir + "/out.avi";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      dup2(silent[0], STDIN_FILENO);
      close(silent[1]);  // only the test holds the writing end
      freopen("/dev/null", "w", stdout);
      freopen("/dev/null", "w", stderr);
      execl(QB_CLI, QB_CLI, input.c_str(), target.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    if (input == fifo.Path()) {
      const bool reading = fifo.WaitForReader([&] { return waitpid(pid, &status, WNOHANG) == 0; });
      ASSERT_TRUE(reading) << "the CLI ended before it opened its input";
    } else {
      std::this_thread::sleep_for(kPipeSettle);  // nothing to watch: the pipe has no open to wait for
    }
    kill(pid, SIGINT);
    // No data ever comes: only the interrupt ends the run. Should it not, the
    // pipe's end frees the CLI so that the test fails instead of hanging.
    const auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    while (waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(kPipeSettle / 10);
    if (kill(pid, 0) == 0 && waitpid(pid, &status, WNOHANG) == 0) {
      close(silent[1]);
      waitpid(pid, &status, 0);
      FAIL() << input << ": the interrupt did not end the setup";
    }
    ASSERT_TRUE(WIFEXITED(status)) << input << ": signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << input;
    EXPECT_FALSE(std::filesystem::exists(target)) << input;
  }
  close(silent[0]);
  close(silent[1]);
}

}  // namespace
