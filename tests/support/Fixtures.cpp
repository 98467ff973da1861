#include "support/Fixtures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "Common/NumberText.h"

namespace fs = std::filesystem;

namespace fixtures {

std::string ShellQuote(const std::string& S) {
  std::string r = "'";
  for (char c : S) {
    if (c == '\'') r += "'\\''";
    else r += c;
  }
  return r + "'";
}

std::string RunCommand(const std::string& Command, int* Status) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(Command.c_str(), "r"), pclose);
  if (!p) {
    if (Status) *Status = -1;
    return out;
  }
  std::array<char, 4096> buf{};
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p.get())) > 0) out.append(buf.data(), n);
  int rc = pclose(p.release());
  if (Status) *Status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

std::string Media(const std::string& Name, const std::string& FfmpegArgs) {
  fs::path target = fs::path(QB_FIXTURE_DIR) / Name;
  if (fs::exists(target)) return target.string();
  fs::path tmp = target;
  tmp += ".part" + std::to_string(getpid()) + target.extension().string();
  std::string cmd = "ffmpeg -hide_banner -loglevel error -y " + FfmpegArgs + " " +
                    ShellQuote(tmp.string()) + " 2>&1";
  int status = 0;
  std::string out = RunCommand(cmd, &status);
  if (status != 0) {
    ADD_FAILURE() << "fixture " << Name << " failed: " << cmd << "\n" << out;
    std::error_code ec;
    fs::remove(tmp, ec);
    return "";
  }
  fs::rename(tmp, target);
  return target.string();
}

std::string Clip640x480(double Seconds) {
  const std::string s = FloatText(Seconds);  // "." in any locale
  return Media("clip640x480_" + s + ".avi",
               "-f lavfi -i testsrc2=size=640x480:rate=25:duration=" + s +
                   " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + s +
                   " -c:v mpeg4 -q:v 5 -g 25 -c:a mp2 -ac 2 -shortest");
}

std::string Clip23976() {
  return Media("clip23976.mp4",
               "-f lavfi -i testsrc2=size=320x240:rate=24000/1001:duration=3"
               " -c:v libx264 -preset ultrafast -g 24 -pix_fmt yuv420p");
}

std::string Rotated(int Degrees) {
  const std::string upright = Media("upright160x96.mp4",
                                    "-f lavfi -i testsrc2=size=160x96:rate=25:duration=1 -c:v libx264 -preset ultrafast "
                                    "-g 25 -pix_fmt yuv420p");
  if (upright.empty()) return "";
  const std::string d = std::to_string(Degrees);
  return Media("rotated" + d + ".mp4", "-i " + ShellQuote(upright) + " -c copy -metadata:s:v:0 rotate=" + d);
}

std::string DamagedAvi(const std::string& Dir) {
  std::ifstream in(Clip640x480(2.0), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  constexpr size_t kStep = 1009;
  constexpr char kFlip = 0x55;
  for (size_t i = bytes.size() / 4; i < bytes.size() * 3 / 4; i += kStep) bytes[i] ^= kFlip;
  const std::string path = Dir + "/damaged.avi";
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string Probe(const std::string& File, const std::string& Entries, const std::string& Extra) {
  return RunCommand("ffprobe -v error " + Extra + " -show_entries " + Entries +
                    " -of default=nw=1 " + ShellQuote(File));
}

std::string TempDir(const std::string& Name) {
  fs::path p = fs::path(QB_FIXTURE_DIR).parent_path() / "scratch" /
               (Name + "_" + std::to_string(getpid()));
  std::error_code ec;
  fs::remove_all(p, ec);
  fs::create_directories(p);
  return p.string();
}

TGermanNumbers::TGermanNumbers() : FPrevious(std::setlocale(LC_NUMERIC, nullptr)) {
  FActive = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TGermanNumbers::~TGermanNumbers() { std::setlocale(LC_NUMERIC, FPrevious.c_str()); }

}  // namespace fixtures
