#pragma once
// Media fixtures generated on demand with the ffmpeg CLI and cached in the
// build tree, so no binary media are committed.
#include <string>

namespace fixtures {

// Path of a cached fixture named Name; when it does not exist yet, runs
//   ffmpeg -hide_banner -loglevel error -y <FfmpegArgs> <path>
// writing to a temporary name first so parallel test programs never see a
// half-written file. Fails the current test (and returns "") when ffmpeg fails.
std::string Media(const std::string& Name, const std::string& FfmpegArgs);

// Common clips.
std::string Clip640x480(double Seconds = 2.0);   // mpeg4 + mp2 in AVI, 25 fps
std::string Clip23976();                          // h264 24000/1001 fps in MP4, 3 s
// A 160x96 h264 clip of 1 s in MP4 whose display matrix turns it by Degrees
// (made as a phone's portrait video is tagged: -c copy -metadata:s:v:0 rotate=...).
std::string Rotated(int Degrees);

// Clip640x480(2.0) with bytes flipped all through its middle half, written
// into Dir: its MPEG-4 decoder warns about damaged macroblocks.
std::string DamagedAvi(const std::string& Dir);

// Runs a shell command and returns its standard output; Status receives the exit code.
std::string RunCommand(const std::string& Command, int* Status = nullptr);

// ffprobe -v error -show_entries <Entries> -of default=nw=1 <File>
std::string Probe(const std::string& File, const std::string& Entries,
                  const std::string& Extra = "");

// A fresh empty folder under the build tree's scratch area.
std::string TempDir(const std::string& Name);

// Quotes S for the shell.
std::string ShellQuote(const std::string& S);

// While alive, the process formats and reads numbers as in Germany (decimal
// comma), as the GUI does for a German user. Active() is false when the
// system lacks that locale.
class TGermanNumbers {
 public:
  TGermanNumbers();
  ~TGermanNumbers();
  TGermanNumbers(const TGermanNumbers&) = delete;
  TGermanNumbers& operator=(const TGermanNumbers&) = delete;
  bool Active() const { return FActive; }

 private:
  std::string FPrevious;
  bool FActive = false;
};

}  // namespace fixtures
