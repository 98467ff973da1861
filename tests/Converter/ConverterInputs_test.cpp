// Opening the inputs with real generated media: length, frame rate written
// back, start-time seek, program selection, disabled kinds, and every setup
// failure shown once with no event raised.
#include <gtest/gtest.h>

#include <cmath>

#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/RealText.h"

namespace {

using fixtures::Probe;

class ConverterInputs : public ::testing::Test {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("inputs");

  std::string Out(const std::string& Name) { return Dir + "/" + Name; }

  // Runs a job that must fail in setup with Message.
  void ExpectSetupFailure(TAVConverter& C, const std::string& Source, const std::string& Message) {
    harness::Events events;
    events.Attach(C);
    ASSERT_TRUE(harness::Run(C, Loop, Source, Out("failed.avi")).Finished);
    EXPECT_EQ(Errors.Messages(), std::vector<std::string>{Message});
    EXPECT_EQ(C.State(), csNone);
    EXPECT_EQ(events.Completed, 0);
    EXPECT_EQ(events.Stopped, 0);
    Errors.Clear();
  }
};

TEST_F(ConverterInputs, DurationAndFrameRateOfTheSource) {
  TAVConverter c;
  c.ConvertOptions().VideoOptions().FrameRate().Setnum(25);
  c.ConvertOptions().VideoOptions().FrameRate().Setden(1);
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, Loop, fixtures::Clip23976(), Out("rate.avi")).Finished);
  EXPECT_TRUE(Errors.Messages().empty());
  EXPECT_EQ(events.Completed, 1);
  EXPECT_NEAR(c.Duration(), 3.0, 0.05);
  EXPECT_EQ(c.ConvertOptions().VideoOptions().FrameRate().num(), 24000);
  EXPECT_EQ(c.ConvertOptions().VideoOptions().FrameRate().den(), 1001);
  EXPECT_EQ(c.ConvertOptions().VideoOptions().FFramePixFormat(), 0);  // yuv420p
  EXPECT_NE(Probe(Out("rate.avi"), "stream=r_frame_rate", "-select_streams v").find("24000/1001"),
            std::string::npos);
}

TEST_F(ConverterInputs, StartTimeBeginsAtThePictureOnScreenThen) {
  // 10 s at 25 fps with a key frame every second: starting at 4.5 s decodes
  // from 4.0 s and begins with the picture shown from 4.48 s.
  std::string src = fixtures::Media("keyed10s.mp4",
                                    "-f lavfi -i testsrc2=size=320x240:rate=25:duration=10 "
                                    "-c:v libx264 -preset ultrafast -g 25 -keyint_min 25 -sc_threshold 0 "
                                    "-bf 0 -pix_fmt yuv420p");
  TAVConverter c;
  c.ConvertOptions().SetStartTime(4500000);
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, Loop, src, Out("trimmed.mkv")).Finished);
  EXPECT_TRUE(Errors.Messages().empty());
  EXPECT_EQ(events.Completed, 1);
  EXPECT_NEAR(c.Duration(), 10.0, 0.05);  // the whole input
  std::string frames = Probe(Out("trimmed.mkv"), "stream=nb_read_frames", "-count_frames -select_streams v");
  EXPECT_NE(frames.find("nb_read_frames=138"), std::string::npos) << frames;
}

// A DVD-style program stream whose demuxer dates an AC3 packet like the one
// before it: the sound goes on after that packet (the muxer refused it once).
TEST_F(ConverterInputs, ProgramStreamAc3DatedTwiceConvertsWhole) {
  const std::string src = fixtures::Media(
      "ac3_twice.vob", "-f lavfi -i testsrc2=s=320x240:r=25:d=12 -f lavfi -i sine=d=12:sample_rate=48000 "
                       "-c:v mpeg2video -g 15 -bf 2 -c:a ac3 -f vob");
  TAVConverter c;
  ASSERT_TRUE(harness::Run(c, Loop, src, Out("ac3.mkv")).Finished);
  EXPECT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
  EXPECT_NEAR(fixtures::Real(fixtures::RunCommand("ffprobe -v error -select_streams a -show_entries format=duration "
                                             "-of csv=p=0 " + fixtures::ShellQuote(Out("ac3.mkv")))),
              12.0, 0.1);
}

TEST_F(ConverterInputs, ProgramIdSelectsItsStreams) {
  std::string src = fixtures::Media(
      "programs.ts",
      "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -f lavfi -i testsrc2=size=160x120:rate=25:duration=2 "
      "-map 0:v -map 1:v -c:v mpeg2video -program program_num=1:st=0 -program program_num=2:st=1");
  TAVConverter c;
  c.ConvertOptions().SetProgramID(2);
  ASSERT_TRUE(harness::Run(c, Loop, src, Out("program2.avi")).Finished);
  EXPECT_TRUE(Errors.Messages().empty());
  EXPECT_EQ(Probe(Out("program2.avi"), "stream=width,height", "-select_streams v"), "width=160\nheight=120\n");

  TAVConverter missing;
  missing.ConvertOptions().SetProgramID(7);
  ExpectSetupFailure(missing, src, "Specified program id not found");
}

TEST_F(ConverterInputs, DisabledKindsAreLeftOut) {
  TAVConverter noAudio;
  noAudio.ConvertOptions().AudioOptions().SetAudioDisable(true);
  ASSERT_TRUE(harness::Run(noAudio, Loop, fixtures::Clip640x480(), Out("video_only.avi")).Finished);
  EXPECT_EQ(Probe(Out("video_only.avi"), "stream=codec_type"), "codec_type=video\n");

  TAVConverter noVideo;
  noVideo.ConvertOptions().VideoOptions().SetVideoDisable(true);
  ASSERT_TRUE(harness::Run(noVideo, Loop, fixtures::Clip640x480(), Out("audio_only.avi")).Finished);
  EXPECT_EQ(Probe(Out("audio_only.avi"), "stream=codec_type"), "codec_type=audio\n");
  EXPECT_TRUE(Errors.Messages().empty());
}

TEST_F(ConverterInputs, SetupFailuresAreShownOnceWithoutEvents) {
  {
    TAVConverter c;
    ExpectSetupFailure(c, Dir + "/does-not-exist.avi", "Could not open file:-2!");
  }
  {
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetDecoderVideoCodecName("no_such_decoder");
    ExpectSetupFailure(c, fixtures::Clip640x480(), "Unknown Codec Name");
  }
  {
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetDecoderVideoCodecName("mp2");
    ExpectSetupFailure(c, fixtures::Clip640x480(), "Invalid codec type");
  }
  {
    TAVConverter c;
    c.ConvertOptions().SetInputFormat("nosuchin");
    c.ConvertOptions().SetOutputFormat("nosuchout");
    ExpectSetupFailure(c, fixtures::Clip640x480(), "Unknown input nosuchin or Output format nosuchout");
  }
  {
    TAVConverter c;
    c.ConvertOptions().StreamMaps().Add("x=0");
    ExpectSetupFailure(c, fixtures::Clip640x480(), "'x' is not a valid integer value");
  }
  {
    // A forced input format that names nothing is ignored when the output format resolves.
    TAVConverter c;
    c.ConvertOptions().SetInputFormat("nosuchin");
    c.ConvertOptions().SetOutputFormat("avi");
    harness::Events events;
    events.Attach(c);
    ASSERT_TRUE(harness::Run(c, Loop, fixtures::Clip640x480(), Out("probed.avi")).Finished);
    EXPECT_TRUE(Errors.Messages().empty());
    EXPECT_EQ(events.Completed, 1);
  }
}

TEST_F(ConverterInputs, NoInputEndsAtOnceWithoutEvents) {
  TAVConverter c;
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, Loop, "", Out("nothing.avi")).Finished);
  EXPECT_EQ(events.Completed + events.Stopped, 0);
  EXPECT_TRUE(Errors.Messages().empty());
}

}  // namespace
