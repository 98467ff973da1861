// Picture and sound stay together after a trim: a clip that flashes white and
// beeps at the same moment every second, trimmed into the common containers,
// measured from what the ffmpeg CLI decodes from each output.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/RealText.h"

namespace {

using fixtures::ShellQuote;

constexpr double kMicro = 1e6;
constexpr double kTolerance = 0.020;  // seconds between a flash and its beep
constexpr double kBright = 128;       // mean luma of a flash
constexpr double kLoud = -20;         // dB peak of a beep (its coding noise stays below)

// 10 s, 25 fps with B-frames and a key frame every 2 s; at each whole second
// one white picture and 100 ms of a 1 kHz tone.
std::string FlashBeep() {
  return fixtures::Media(
      "sync_flash_beep.mp4",
      "-f lavfi -i color=c=black:size=320x240:rate=25:duration=10 "
      "-f lavfi -i \"aevalsrc=if(lt(mod(t\\,1)\\,0.1)\\,0.5*sin(2*PI*1000*t)\\,0):s=48000:d=10\" "
      "-vf \"drawbox=c=white:t=fill:enable='lt(mod(t\\,1)\\,0.04)'\" -c:v libx264 -preset ultrafast -g 50 "
      "-keyint_min 50 -sc_threshold 0 -bf 3 -pix_fmt yuv420p -c:a aac -b:a 128k");
}

// Times at which a per-frame value printed by the CLI's metadata filter first
// rises above Threshold (the first frame counts when it is already above).
std::vector<double> Onsets(const std::string& Printed, double Threshold) {
  std::vector<double> onsets;
  std::istringstream in(Printed);
  std::string line;
  double time = 0;
  bool above = false;
  while (std::getline(in, line)) {
    const size_t at = line.find("pts_time:");
    if (at != std::string::npos) {
      time = fixtures::Real(line.substr(at + 9));
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string value = line.substr(eq + 1);
    const double v = value.find("inf") != std::string::npos ? -1e9 : fixtures::Real(value);
    if (v > Threshold && !above) onsets.push_back(time);
    above = v > Threshold;
  }
  return onsets;
}

std::vector<double> Flashes(const std::string& File) {
  return Onsets(fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(File) +
                                     " -an -vf scale=32:24,signalstats,metadata=print:key=lavfi.signalstats.YAVG:"
                                     "file=/dev/stdout -f null -"),
                kBright);
}

std::vector<double> Beeps(const std::string& File) {
  return Onsets(fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(File) +
                                     " -vn -af aresample=48000,asetnsamples=n=48:p=0,astats=metadata=1:reset=1,"
                                     "ametadata=print:key=lavfi.astats.Overall.Peak_level:file=/dev/stdout -f null -"),
                kLoud);
}

struct SyncCase {
  const char* Name;
  const char* Extension;
  bool Copy;
  double Start, End;
  int Flashes;  // a copy begins at the key frame at 4 s, with its flash
};

class ConverterSync : public ::testing::TestWithParam<SyncCase> {};

TEST_P(ConverterSync, EachFlashWithItsBeep) {
  const SyncCase& k = GetParam();
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string out = fixtures::TempDir(std::string("sync_") + k.Name) + "/out" + k.Extension;
  TAVConverter c;
  c.ConvertOptions().SetStartTime(static_cast<int64_t>(k.Start * kMicro));
  c.ConvertOptions().SetRecordingTime(static_cast<int64_t>((k.End - k.Start) * kMicro));
  c.ConvertOptions().VideoOptions().SetVideoStreamCopy(k.Copy);
  c.ConvertOptions().AudioOptions().SetAudioStreamCopy(k.Copy);
  ASSERT_TRUE(harness::Run(c, loop, FlashBeep(), out).Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  const std::vector<double> flashes = Flashes(out);
  const std::vector<double> beeps = Beeps(out);
  ASSERT_EQ(static_cast<int>(flashes.size()), k.Flashes);
  ASSERT_EQ(beeps.size(), flashes.size());
  // A beep at the very first sample can't be heard whole in AVI, whose first
  // milliseconds are the encoder's lead-in: there pairs are compared from the second on.
  const size_t first = std::string(k.Extension) == ".avi" ? 1 : 0;
  for (size_t i = first; i < flashes.size(); ++i) EXPECT_NEAR(beeps[i], flashes[i], kTolerance) << "flash " << i;
}

INSTANTIATE_TEST_SUITE_P(Containers, ConverterSync,
                         ::testing::Values(SyncCase{"avi", ".avi", false, 4, 9, 5},
                                           SyncCase{"mp4", ".mp4", false, 4, 9, 5},
                                           SyncCase{"mkv", ".mkv", false, 4, 9, 5},
                                           // 30 ms after a picture: the output opens with it, sound too
                                           SyncCase{"mkv_between_pictures", ".mkv", false, 4.39, 9, 4},
                                           SyncCase{"mpeg_ps", ".mpg", false, 4, 9, 5},
                                           SyncCase{"mkv_copy", ".mkv", true, 5, 8.5, 5}),
                         [](const ::testing::TestParamInfo<SyncCase>& I) { return std::string(I.param.Name); });

// 25 fps onto an NTSC DVD (29.97): each picture fills the slots nearest its
// time (the 2010 thresholds let pictures run up to 57 ms early).
TEST(ConverterRateChange, NtscDvdFrom25KeepsEachFlashWithItsBeep) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string out = fixtures::TempDir("sync_ntsc") + "/out.vob";
  TAVConverter c;
  c.ConvertOptions().SetOutputFormat("dvd");
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg2video");
  c.ConvertOptions().VideoOptions().SetFrameWidth(720);
  c.ConvertOptions().VideoOptions().SetFrameHeight(480);
  c.ConvertOptions().VideoOptions().FrameRate().Setnum(30000);
  c.ConvertOptions().VideoOptions().FrameRate().Setden(1001);
  c.ConvertOptions().AudioOptions().SetEncoderAudioCodecName("ac3");
  c.ConvertOptions().AudioOptions().SetAudioSampleRate(48000);
  ASSERT_TRUE(harness::Run(c, loop, FlashBeep(), out).Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  EXPECT_EQ(fixtures::Probe(out, "stream=r_frame_rate", "-select_streams v"), "r_frame_rate=30000/1001\n");
  const std::vector<double> flashes = Flashes(out);
  const std::vector<double> beeps = Beeps(out);
  ASSERT_EQ(flashes.size(), 10u);
  ASSERT_EQ(beeps.size(), flashes.size());
  for (size_t i = 1; i < flashes.size(); ++i) EXPECT_NEAR(beeps[i], flashes[i], kTolerance) << "flash " << i;
}

// Sound taken alone into MP3 keeps its first milliseconds: the encoder's delay
// is left for players to skip (the file's header says how much), not cut from
// the sound as beside a picture in AVI (the first beep once ended 23 ms early).
TEST(ConverterSoundAlone, Mp3KeepsTheFirstBeepWhole) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string out = fixtures::TempDir("sound_alone") + "/out.mp3";
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetVideoDisable(true);
  ASSERT_TRUE(harness::Run(c, loop, FlashBeep(), out).Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  auto firstBeepEnd = [](const std::string& File) {
    const std::string log = fixtures::RunCommand("ffmpeg -v info -i " + ShellQuote(File) +
                                                 " -vn -af silencedetect=n=-30dB:d=0.2 -f null - 2>&1");
    const size_t at = log.find("silence_start: ");
    return at == std::string::npos ? -1.0 : fixtures::Real(log.substr(at + 15));
  };
  EXPECT_NEAR(firstBeepEnd(out), firstBeepEnd(FlashBeep()), 0.005);
}

// A recording whose sound starts half a second after its picture (the first
// beep is missing). AVI plays sound from its first byte, so the half second
// must be silence in the file: the beeps once came 0.5 s early.
TEST(ConverterLateSound, AviKeepsEachBeepWithItsFlash) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string late = fixtures::Media(
      "sync_late_sound.mp4", "-i " + ShellQuote(FlashBeep()) + " -c:v copy -af atrim=start=0.5 -c:a aac");
  const std::string out = fixtures::TempDir("sync_late_sound") + "/out.avi";
  TAVConverter c;
  ASSERT_TRUE(harness::Run(c, loop, late, out).Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  const std::vector<double> flashes = Flashes(out);
  const std::vector<double> beeps = Beeps(out);
  ASSERT_EQ(flashes.size(), 10u);
  ASSERT_EQ(beeps.size(), flashes.size() - 1);
  for (size_t i = 0; i < beeps.size(); ++i) EXPECT_NEAR(beeps[i], flashes[i + 1], kTolerance) << "beep " << i;
}

}  // namespace
