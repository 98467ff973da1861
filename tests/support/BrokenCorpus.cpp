#include "support/BrokenCorpus.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/Fixtures.h"

namespace corpus {

namespace {

constexpr size_t kRandomSize = 200000;
constexpr size_t kHeaderOnlySize = 600;

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

// The good sources the damaged cases start from (2 s each, audio and video).
std::string GoodAvi() { return ReadBytes(fixtures::Clip640x480(2.0)); }

std::string GoodMp4(bool MoovFirst) {
  return ReadBytes(fixtures::Media(
      MoovFirst ? "robust_faststart.mp4" : "robust_plain.mp4",
      std::string("-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -f lavfi -i sine=duration=2 "
                  "-c:v libx264 -preset ultrafast -c:a aac -shortest") +
          (MoovFirst ? " -movflags +faststart" : "")));
}

std::string Truncated(const std::string& Bytes, size_t Numerator, size_t Denominator) {
  return Bytes.substr(0, Bytes.size() * Numerator / Denominator);
}

}  // namespace

const std::vector<std::string>& Cases() {
  static const std::vector<std::string> names = {
      "truncated_third", "truncated_two_thirds", "truncated_mp4_index_first", "truncated_mp4_index_last",
      "header_only", "random_avi", "random_mp4", "random_mkv", "random_mpg", "empty", "garbage_middle",
      "directory", "absurd_size", "wrong_codec", "unreadable", "one_frame", "no_keyframe_start"};
  return names;
}

const std::vector<std::string>& Profiles() {
  static const std::vector<std::string> names = {"MPEG-4 AVC", "DivX影片(*.avi)", "DVD MPEG TS(PAL)"};
  return names;
}

bool NeedsUnreadable(const std::string& Name) { return Name == "unreadable"; }

bool Readable(const std::string& Path) { return std::ifstream(Path, std::ios::binary).is_open(); }

std::string Make(const std::string& Name, const std::string& Dir) {
  if (Name == "truncated_third") return WriteBytes(Dir + "/in.avi", Truncated(GoodAvi(), 1, 3));
  if (Name == "truncated_two_thirds") return WriteBytes(Dir + "/in.avi", Truncated(GoodAvi(), 2, 3));
  // With the index first the samples are cut; with it last the index is missing.
  if (Name == "truncated_mp4_index_first") return WriteBytes(Dir + "/in.mp4", Truncated(GoodMp4(true), 1, 2));
  if (Name == "truncated_mp4_index_last") return WriteBytes(Dir + "/in.mp4", Truncated(GoodMp4(false), 1, 2));
  if (Name == "header_only") return WriteBytes(Dir + "/in.avi", GoodAvi().substr(0, kHeaderOnlySize));
  // Random bytes behind the extensions the format guess looks at.
  if (Name == "random_avi") return WriteBytes(Dir + "/in.avi", RandomBytes(kRandomSize, 7));
  if (Name == "random_mp4") return WriteBytes(Dir + "/in.mp4", RandomBytes(kRandomSize, 8));
  if (Name == "random_mkv") return WriteBytes(Dir + "/in.mkv", RandomBytes(kRandomSize, 9));
  if (Name == "random_mpg") return WriteBytes(Dir + "/in.mpg", RandomBytes(kRandomSize, 10));
  if (Name == "empty") return WriteBytes(Dir + "/in.mp4", "");
  if (Name == "garbage_middle") {
    std::string b = GoodAvi();
    const std::string junk = RandomBytes(b.size() / 4, 11);
    b.replace(b.size() / 3, junk.size(), junk);
    return WriteBytes(Dir + "/in.avi", b);
  }
  if (Name == "directory") {
    const std::string path = Dir + "/folder.avi";
    std::filesystem::create_directory(path);
    return path;
  }
  if (Name == "absurd_size")
    // A raw YUV4MPEG header promising a picture no decoder can hold.
    return WriteBytes(Dir + "/in.y4m",
                      "YUV4MPEG2 W999999 H999999 F25:1 Ip A1:1 C420jpeg\nFRAME\n" + RandomBytes(4096, 3));
  if (Name == "wrong_codec") {
    // A Matroska file whose track claims H.264 while it holds MPEG-4 part 2.
    std::string b = ReadBytes(
        fixtures::Media("asp.mkv", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v mpeg4"));
    const std::string claimed = "V_MPEG4/ISO/ASP";
    const size_t at = b.find(claimed);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) b.replace(at, claimed.size(), "V_MPEG4/ISO/AVC");
    return WriteBytes(Dir + "/in.mkv", b);
  }
  if (Name == "unreadable") {
    const std::string path = WriteBytes(Dir + "/in.avi", GoodAvi());
    chmod(path.c_str(), 0);
    return path;
  }
  if (Name == "one_frame")
    return fixtures::Media("oneframe.mp4", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 1 -c:v libx264");
  if (Name == "no_keyframe_start") {
    // An H.264 stream cut after its first key frame: it starts with P frames.
    const std::string es = ReadBytes(fixtures::Media(
        "keyed.h264", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=2 "
                      "-c:v libx264 -g 25 -bf 0 -bsf:v h264_mp4toannexb"));
    return WriteBytes(Dir + "/in.h264", es.substr(es.size() / 5));
  }
  ADD_FAILURE() << "no corpus case " << Name;
  return "";
}

}  // namespace corpus
