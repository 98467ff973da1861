// "wavcap" capture: ALSA's file plugin stands in for a sound card (a test
// configuration in a temporary HOME), and a missing card for no device.
#include <gtest/gtest.h>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "AlsaReadShim.h"
#include "Media/wavcap.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"

namespace {

using fixtures::ShellQuote;

// Points ALSA's default device at Config for the life of the object.
class AlsaConfig {
 public:
  explicit AlsaConfig(const std::string& Config) : FHome(fixtures::TempDir("alsahome")) {
    const char* old = std::getenv("HOME");
    FOldHome = old ? old : "";
    std::ofstream(FHome + "/.asoundrc") << Config;
    setenv("HOME", FHome.c_str(), 1);
    snd_config_update_free_global();
  }
  ~AlsaConfig() {
    setenv("HOME", FOldHome.c_str(), 1);
    snd_config_update_free_global();
  }
  const std::string& Home() const { return FHome; }

 private:
  std::string FHome, FOldHome;
};

TEST(WavCap, NeedsARateAndChannels) {
  AVFormatContext* ic = nullptr;
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "sample_rate", "0", 0);
  av_dict_set(&opts, "channels", "2", 0);
  EXPECT_EQ(avformat_open_input(&ic, "capture", WavCapInputFormat(), &opts), -1);
  av_dict_free(&opts);
}

TEST(WavCap, NoDeviceIsLoggedAndRefused) {
  AlsaConfig alsa("pcm.!default { type hw card 99 }\n");
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  TAVConverter c;
  harness::Events events;
  events.Attach(c);
  c.ConvertOptions().SetInputFormat("wavcap");
  ASSERT_TRUE(harness::Run(c, loop, "capture", alsa.Home() + "/out.wav").Finished);
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"Could not open file:-5!"});
  bool logged = false;
  for (const auto& l : events.Log) logged |= l.rfind("wave capture error:", 0) == 0;
  EXPECT_TRUE(logged);
}

// A default device that records the bytes of Raw (16-bit mono at 44100 Hz,
// three seconds of a 500 Hz tone, written into Dir).
std::string FeedDevice(const std::string& Dir) {
  const std::string raw = Dir + "/in.raw";
  fixtures::RunCommand("ffmpeg -v error -y -f lavfi -i sine=frequency=500:sample_rate=44100:duration=3 -ac 1 -f s16le " +
                       ShellQuote(raw));
  return "pcm.!default { type file slave.pcm \"null\" file \"/dev/null\" infile \"" + raw +
         "\" format \"raw\" }\n";
}

TEST(WavCap, ConversionHoldsTheCapturedSamples) {
  const std::string dir = fixtures::TempDir("wavcap_feed");
  const std::string raw = dir + "/in.raw";
  AlsaConfig alsa(FeedDevice(dir));
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  TAVConverter c;
  c.ConvertOptions().SetInputFormat("wavcap");
  c.ConvertOptions().SetRecordingTime(1000000);
  c.ConvertOptions().AudioOptions().SetEncoderAudioCodecName("pcm_s16le");
  ASSERT_TRUE(harness::Run(c, loop, "capture", dir + "/out.wav").Finished);
  EXPECT_TRUE(errors.Messages().empty()) << (errors.Messages().empty() ? "" : errors.Messages()[0]);
  EXPECT_EQ(fixtures::Probe(dir + "/out.wav", "stream=sample_rate,channels"), "sample_rate=44100\nchannels=1\n");
  // The first second of the output is the fed second, sample for sample.
  const std::string ours = fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(dir + "/out.wav") +
                                                " -t 1 -f s16le - | md5sum");
  const std::string fed = fixtures::RunCommand("head -c 88200 " + ShellQuote(raw) + " | md5sum");
  EXPECT_EQ(ours, fed);
}

// A conversion of the capture into 16-bit PCM, with its events recorded.
struct CaptureJob {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  TAVConverter c;
  harness::Events events;
  CaptureJob() {
    events.Attach(c);
    c.ConvertOptions().SetInputFormat("wavcap");
    c.ConvertOptions().AudioOptions().SetEncoderAudioCodecName("pcm_s16le");
  }
};

TEST(WavCap, ADeviceThatFailsEndsTheJobWithTheErrorInTheLog) {
  const std::string dir = fixtures::TempDir("wavcap_fail");
  AlsaConfig alsa(FeedDevice(dir));
  alsashim::Scope failing(alsashim::TMode::FailAfter, 3, -ENODEV);
  CaptureJob job;
  // No recording time: only the failure can end this job.
  ASSERT_TRUE(harness::Run(job.c, job.loop, "capture", dir + "/out.wav").Finished);
  const auto& errors = job.errors;
  const auto& events = job.events;
  const std::string reason = std::strerror(ENODEV);  // "No such device", in the locale's language
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"Error reading input capture: " + reason});
  EXPECT_EQ(std::count(events.Log.begin(), events.Log.end(), "wave capture error:" + reason + "\n"), 1);
  // What was recorded before the failure is a complete file.
  EXPECT_EQ(fixtures::Probe(dir + "/out.wav", "stream=codec_name"), "codec_name=pcm_s16le\n");
}

TEST(WavCap, StopEndsACaptureWhoseDeviceFellSilent) {
  const std::string dir = fixtures::TempDir("wavcap_stall");
  AlsaConfig alsa(FeedDevice(dir));
  // A few buffers, then the device has nothing more, ever.
  alsashim::Scope silent(alsashim::TMode::FailAfter, 3, -EAGAIN);
  CaptureJob job;
  auto& [loop, errors, c, events] = job;
  c.InputFiles().Add("capture");
  c.OutputFiles().Add(dir + "/out.wav");
  c.Convert();
  // The packet loop runs and the device has been asked in vain.
  ASSERT_TRUE(loop.PumpUntil([&] { return events.Progress > 0 && alsashim::Calls() > 3; }));
  c.Stop();
  ASSERT_TRUE(loop.WaitForJobs());
  EXPECT_EQ(events.Stopped, 1);
  EXPECT_EQ(events.Completed, 0);
  EXPECT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  // The capture is closed: the next one may open the device.
  alsashim::Set(alsashim::TMode::Pass);
  c.ConvertOptions().SetRecordingTime(100000);
  ASSERT_TRUE(harness::Run(c, loop, "capture", dir + "/again.wav").Finished);
  EXPECT_EQ(events.Completed, 1);
}

}  // namespace

TEST(WavCap, PacketsAreDatedBackByTheTimeTheirBytesTookToRecord) {
  constexpr int64_t kNow = 10000000;
  // 4096 bytes of 16-bit stereo at 44100 Hz are 1024 frames: 23219 us.
  EXPECT_EQ(WavCapPacketPts(kNow, kWavCapBufferBytes, 44100, 2), kNow - 23219);
  EXPECT_EQ(WavCapPacketPts(kNow, kWavCapBufferBytes, 44100, 1), kNow - 46439);
  EXPECT_EQ(WavCapPacketPts(kNow, 0, 8000, 1), kNow);
  EXPECT_EQ(WavCapPacketPts(kNow, 4096, 0, 2), kNow);  // no rate: not dated back
  // A large read right after a small one starts where the small one ended.
  const int64_t small = WavCapPacketPts(kNow, 4, 44100, 1);
  const int64_t end = small + WavCapBytesDuration(4, 44100, 1);
  EXPECT_EQ(WavCapPacketPts(kNow + 1, kWavCapBufferBytes, 44100, 1, end), end);
}
