// Transcoding behaviour on real media: scaling and cropping, rates, stream
// choice and maps, limits, synchronisation, volume, draining, two passes,
// and the failures of a running job.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

using fixtures::ProbeFile;
using fixtures::ShellQuote;

class ConverterTranscode : public ::testing::Test {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("transcode");
  std::string Out(const std::string& Name) { return Dir + "/" + Name; }

  void Convert(TAVConverter& C, const std::string& Source, const std::string& Target, harness::Events* E = nullptr) {
    harness::Events local;
    (E ? *E : local).Attach(C);
    ASSERT_TRUE(harness::Run(C, Loop, Source, Target).Finished);
  }
  void ExpectNoErrors() {
    EXPECT_TRUE(Errors.Messages().empty()) << (Errors.Messages().empty() ? "" : Errors.Messages()[0]);
  }
  std::vector<int16_t> Samples(const std::string& File) {
    std::string raw = fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(File) + " -f s16le -ac 1 -");
    std::vector<int16_t> s(raw.size() / 2);
    memcpy(s.data(), raw.data(), s.size() * 2);
    return s;
  }
};

std::string Clip720p() {
  return fixtures::Media("clip720p.mp4", "-f lavfi -i testsrc2=size=1280x720:rate=25:duration=1 "
                                         "-c:v libx264 -preset ultrafast -pix_fmt yuv420p");
}

TEST_F(ConverterTranscode, ScalesAndCrops) {
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetFrameWidth(640);
  c.ConvertOptions().VideoOptions().SetFrameHeight(360);
  Convert(c, Clip720p(), Out("scaled.avi"));
  ExpectNoErrors();
  EXPECT_EQ(fixtures::Probe(Out("scaled.avi"), "stream=width,height", "-select_streams v"), "width=640\nheight=360\n");

  TAVConverter cropped;
  cropped.ConvertOptions().VideoOptions().SetFrameWidth(640);
  cropped.ConvertOptions().VideoOptions().SetFrameHeight(360);
  cropped.ConvertOptions().VideoOptions().SetFrameLeftBand(20);
  Convert(cropped, Clip720p(), Out("cropped.avi"));
  ExpectNoErrors();
  EXPECT_EQ(fixtures::Probe(Out("cropped.avi"), "stream=width,height", "-select_streams v"),
            "width=620\nheight=360\n");
}

TEST_F(ConverterTranscode, NearestFrameRateOfTheEncoder) {
  const std::string src = fixtures::Media("rate20.avi", "-f lavfi -i testsrc2=size=352x288:rate=20:duration=1 -c:v mpeg4");
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg1video");
  Convert(c, src, Out("mpeg1.mpg"));
  ExpectNoErrors();
  EXPECT_EQ(fixtures::Probe(Out("mpeg1.mpg"), "stream=r_frame_rate", "-select_streams v"),
            "r_frame_rate=24000/1001\n");
}

TEST_F(ConverterTranscode, NearestSampleRateIsLogged) {
  TAVConverter c;
  harness::Events events;
  c.ConvertOptions().AudioOptions().SetAudioSampleRate(11025);
  c.ConvertOptions().VideoOptions().SetVideoDisable(true);
  c.ConvertOptions().AudioOptions().SetEncoderAudioCodecName("mp2");
  Convert(c, fixtures::Clip640x480(), Out("rate.mp2"), &events);
  ExpectNoErrors();
  EXPECT_EQ(fixtures::Probe(Out("rate.mp2"), "stream=sample_rate"), "sample_rate=16000\n");
  bool logged = false;
  for (const auto& l : events.Log) logged |= l.find("Requested sampling rate unsupported using closest supported (16000)") == 0;
  EXPECT_TRUE(logged);
}

TEST_F(ConverterTranscode, StreamChoiceAndMaps) {
  const std::string src = fixtures::Media(
      "sine_and_silence.mkv",
      "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -f lavfi -i sine=sample_rate=44100:duration=1 "
      "-f lavfi -i anullsrc=sample_rate=44100:d=1 -map 0 -map 1 -map 2 -c:v mpeg4 -c:a pcm_s16le");
  // The sine is stream 1, the silence stream 2: the output's loudness tells which was taken.
  auto silent = [](const std::string& File) {
    const std::string r = fixtures::RunCommand("ffmpeg -v info -i " + ShellQuote(File) +
                                               " -map 0:a -af volumedetect -f null - 2>&1 | grep max_volume");
    return r.find("-91") != std::string::npos || r.find("-inf") != std::string::npos;
  };
  {
    TAVConverter c;  // equally probed: the first audio stream
    Convert(c, src, Out("first.avi"));
    ExpectNoErrors();
    EXPECT_FALSE(silent(Out("first.avi")));
  }
  {
    TAVConverter c;
    c.ConvertOptions().StreamMaps().Add("0=0");
    c.ConvertOptions().StreamMaps().Add("0=2");
    Convert(c, src, Out("mapped.avi"));
    ExpectNoErrors();
    EXPECT_TRUE(silent(Out("mapped.avi")));
  }
  auto failing = [&](std::initializer_list<const char*> Maps, const std::string& Message) {
    TAVConverter c;
    for (const char* m : Maps) c.ConvertOptions().StreamMaps().Add(m);
    harness::Events events;
    Convert(c, src, Out("bad.avi"), &events);
    EXPECT_EQ(Errors.Messages(), std::vector<std::string>{Message});
    EXPECT_EQ(events.Completed, 1);  // a transcoding failure still completes
    Errors.Clear();
  };
  failing({"0=0"}, "Number of stream maps must match number of output streams");
  failing({"0=0", "0=5"}, "Could not find input stream #0.5");
  failing({"0=1", "0=0"}, "Codec type mismatch for mapping #0.1 -> #0.0");
}

TEST_F(ConverterTranscode, AudioCopyWithVolumeFails) {
  TAVConverter c;
  harness::Events events;
  c.ConvertOptions().AudioOptions().SetAudioStreamCopy(true);
  c.ConvertOptions().AudioOptions().SetAudioVolume(512);
  Convert(c, fixtures::Clip640x480(), Out("copyvol.avi"), &events);
  EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"-acodec copy and -vol are incompatible (frames are not decoded)"});
  EXPECT_EQ(events.Completed, 1);
  EXPECT_EQ(c.State(), csNone);
}

TEST_F(ConverterTranscode, RecordingTimeAndFrameLimit) {
  const std::string src = fixtures::Media("long60.avi", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=60 "
                                                        "-f lavfi -i sine=duration=60 -c:v mpeg4 -c:a mp2 -shortest");
  TAVConverter c;
  c.ConvertOptions().SetRecordingTime(5000000);
  Convert(c, src, Out("five.avi"));
  ExpectNoErrors();
  EXPECT_NEAR(ProbeFile(Out("five.avi")).Duration(), 5.0, 0.1);

  TAVConverter limited;
  limited.ConvertOptions().VideoOptions().SetMaxFrames(100);
  limited.ConvertOptions().AudioOptions().SetAudioDisable(true);
  Convert(limited, src, Out("hundred.avi"));
  ExpectNoErrors();
  EXPECT_EQ(fixtures::CountFrames(Out("hundred.avi"), "video"), 100);
}

TEST_F(ConverterTranscode, VideoSyncMethodsOverAGap) {
  // 3 s at 25 fps with the second second missing: 50 pictures spanning 3 s.
  const std::string src = fixtures::Media(
      "gap.mkv", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=3 -vf select='not(between(t\\,1\\,1.99))' "
                 "-fps_mode passthrough -c:v mpeg4 -q:v 5");
  ASSERT_EQ(fixtures::CountFrames(src, "video"), 50);
  auto frames = [&](int Method) {
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetVideoSyncMethod(Method);
    Convert(c, src, Out("sync" + std::to_string(Method) + ".avi"));
    ExpectNoErrors();
    return fixtures::CountFrames(Out("sync" + std::to_string(Method) + ".avi"), "video");
  };
  EXPECT_NEAR(frames(1), 75, 2);  // the last picture repeated over the gap
  EXPECT_EQ(frames(2), 50);
  EXPECT_EQ(frames(0), 50);
}

TEST_F(ConverterTranscode, VolumeScalesDecodedSamples) {
  const std::string src = fixtures::Media("tone.wav", "-f lavfi -i sine=frequency=300:sample_rate=8000:duration=1 "
                                                      "-af volume=0.9 -c:a pcm_s16le");
  TAVConverter c;
  c.ConvertOptions().AudioOptions().SetAudioVolume(128);
  c.ConvertOptions().AudioOptions().SetEncoderAudioCodecName("pcm_s16le");
  Convert(c, src, Out("half.wav"));
  ExpectNoErrors();
  const auto in = Samples(src);
  const auto out = Samples(Out("half.wav"));
  ASSERT_EQ(in.size(), out.size());
  ASSERT_GT(in.size(), 0u);
  size_t mismatches = 0;
  for (size_t i = 0; i < in.size(); ++i)
    if (out[i] != static_cast<int16_t>((in[i] * 128 + 128) >> 8)) ++mismatches;
  EXPECT_EQ(mismatches, 0u);
}

TEST_F(ConverterTranscode, DelayedPicturesComeOutAtDraining) {
  const std::string src = fixtures::Media("bframes.avi", "-f lavfi -i testsrc2=size=160x120:rate=25:duration=2 "
                                                         "-c:v mpeg4 -bf 2 -q:v 4");
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("libx264");
  c.ConvertOptions().SetAdvancedOption("bf", "3");
  Convert(c, src, Out("drained.mp4"));
  ExpectNoErrors();
  EXPECT_EQ(fixtures::CountFrames(Out("drained.mp4"), "video"), 50);
}

TEST_F(ConverterTranscode, TwoPassesShareTheStatisticsFile) {
  const std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(Dir);
  for (int pass = 1; pass <= 2; ++pass) {
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetPass(pass);
    c.ConvertOptions().VideoOptions().SetBitrate(400000);
    c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg4");
    c.ConvertOptions().AudioOptions().SetAudioDisable(true);
    Convert(c, fixtures::Clip640x480(), Out("pass" + std::to_string(pass) + ".avi"));
    ExpectNoErrors();
    if (pass == 1) {
      std::ifstream log(Dir + "/ffmpeg2pass-0.log");
      std::string first;
      std::getline(log, first);
      EXPECT_NE(first.find("in:0"), std::string::npos) << first;
    }
  }
  std::filesystem::current_path(cwd);
  EXPECT_EQ(fixtures::CountFrames(Out("pass2.avi"), "video"), 50);
}

TEST_F(ConverterTranscode, SizeChangeWithoutScalingFails) {
  const std::string a = fixtures::Media("size_a.ts", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -c:v mpeg2video");
  const std::string b = fixtures::Media("size_b.ts", "-f lavfi -i testsrc2=size=352x288:rate=25:duration=1 -c:v mpeg2video");
  const std::string joined = Out("joined.ts");
  fixtures::RunCommand("cat " + ShellQuote(a) + " " + ShellQuote(b) + " > " + ShellQuote(joined));
  TAVConverter c;
  harness::Events events;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("mpeg4");
  Convert(c, joined, Out("changed.avi"), &events);
  EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"Input Stream #0.0 frame size changed to 352x288, yuv420p"});
  EXPECT_EQ(events.Completed, 1);
}

TEST_F(ConverterTranscode, NeverWritesOverTheSourceOrAnotherJobsOutput) {
  const std::string copy = Out("source.avi");
  std::filesystem::copy_file(fixtures::Clip640x480(), copy);
  const auto before = std::filesystem::file_size(copy);
  TAVConverter c;
  harness::Events events;
  Convert(c, copy, copy, &events);
  EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"Target file is the same as the source file"});
  EXPECT_EQ(std::filesystem::file_size(copy), before);
  EXPECT_EQ(events.Completed, 0);
  Errors.Clear();

  const std::string slow = fixtures::Media("slow20.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=20 -c:v mpeg4");
  TAVConverter first, second;
  harness::Events e1, e2;
  e1.Attach(first);
  e2.Attach(second);
  first.ConvertOptions().SetRateEmu(true);  // keeps the first job writing for a while
  first.InputFiles().Add(slow);
  first.OutputFiles().Add(Out("shared.avi"));
  second.InputFiles().Add(fixtures::Clip640x480());
  second.OutputFiles().Add(Out("shared.avi"));
  first.Convert();
  ASSERT_TRUE(Loop.PumpUntil([&] { return first.State() == csRunning; }));
  second.Convert();
  ASSERT_TRUE(Loop.PumpUntil([&] { return RunningConverterThreads() == 1; }));
  EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"Could not open file"});
  bool named = false;
  for (const auto& l : e2.Log) named |= l.find("being written by another conversion") != std::string::npos;
  EXPECT_TRUE(named);
  first.Stop();
  ASSERT_TRUE(Loop.WaitForJobs());
  EXPECT_EQ(e1.Stopped, 1);
}

}  // namespace

namespace {

// Matroska's default subtitle encoder is ASS; the source has SubRip text.
TEST(ConverterSubtitles, TextSubtitlesFollowTheContainersDefaultEncoder) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("subtitles");
  {
    std::ofstream srt(dir + "/subs.srt");
    srt << "1\n00:00:00,200 --> 00:00:01,000\nHello\n\n2\n00:00:01,200 --> 00:00:01,800\nWorld\n";
  }
  const std::string src = dir + "/with_subs.mkv";
  fixtures::RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=160x120:rate=25:duration=2 -i " +
                       ShellQuote(dir + "/subs.srt") + " -c:v mpeg4 -c:s srt " + ShellQuote(src));
  TAVConverter c;
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, loop, src, dir + "/out.mkv").Finished);
  EXPECT_TRUE(errors.Messages().empty()) << (errors.Messages().empty() ? "" : errors.Messages()[0]);
  EXPECT_EQ(events.Completed, 1);
  const auto f = ProbeFile(dir + "/out.mkv");
  ASSERT_NE(f.First("subtitle"), nullptr) << f.Types();
  EXPECT_EQ((*f.First("subtitle"))["codec_name"], "ass");
  const std::string text = fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(dir + "/out.mkv") + " -f srt -");
  EXPECT_NE(text.find("World"), std::string::npos) << text;
}

}  // namespace
