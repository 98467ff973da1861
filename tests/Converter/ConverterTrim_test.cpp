// Trims of sources that behave like camera and download files (long key-frame
// intervals, B-frames, subtitles, chapters, a stream added mid-file), judged by
// ffprobe and by pictures and sound the ffmpeg CLI decodes from the outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "Common/Errors.h"
#include "Converter/AVProfileCatalogue.h"
#include "Wizard/CFilters.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/Pictures.h"
#include "support/ProbeResult.h"
#include "support/RealText.h"

namespace {

using fixtures::ExpectSourceFrame;
using fixtures::GrayFrames;
using fixtures::ShellQuote;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr size_t kFrameBytes = static_cast<size_t>(kWidth) * kHeight;
constexpr double kFrame = 0.04;  // 25 fps
constexpr double kMicro = 1e6;

// 30 s, a key frame every 10 s, three B-frames, with sound.
std::string LongGop() {
  return fixtures::Media("trim_gop10.mp4",
                         "-f lavfi -i testsrc2=size=320x240:rate=25:duration=30 -f lavfi -i sine=f=440:duration=30 "
                         "-c:v libx264 -preset ultrafast -g 250 -keyint_min 250 -sc_threshold 0 -bf 3 "
                         "-pix_fmt yuv420p -c:a aac -shortest");
}

// 42 s whose only key frame is the first picture.
std::string OneKeyFrame() {
  return fixtures::Media("trim_onekey.mkv",
                         "-f lavfi -i testsrc2=size=320x240:rate=25:duration=42 -c:v libx264 -preset ultrafast "
                         "-g 100000 -keyint_min 100000 -sc_threshold 0 -bf 3 -pix_fmt yuv420p");
}

// 30 s of MPEG-TS, a key frame every 2 s: no index, so a seek lands on the
// packet before the time asked, seldom a key frame.
std::string TransportStream() {
  return fixtures::Media("trim_gop2.ts",
                         "-f lavfi -i testsrc2=size=320x240:rate=25:duration=30 -c:v libx264 -preset ultrafast "
                         "-g 50 -keyint_min 50 -sc_threshold 0 -bf 3 -pix_fmt yuv420p -f mpegts");
}

double FormatDuration(const std::string& File) { return fixtures::ProbeFile(File).Duration(); }

// What the task list reads during a job.
struct ProgressWatch {
  int Highest = INT32_MIN;
  int64_t LeastLeft = INT64_MAX;
  int Last = -1;
  void Attach(TAVConverter& C, harness::Events& E) {
    E.Attach(C);
    C.OnProgress = [this](TAVConverter* S) {
      Highest = std::max(Highest, S->Progress());
      LeastLeft = std::min(LeastLeft, S->GetLeftTime());
    };
  }
};

class ConverterTrim : public ::testing::Test {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("trim");

  // Runs one job of Source from Start for Length seconds (Length 0: to the end).
  void Run(TAVConverter& C, const std::string& Source, const std::string& Target, double Start, double Length,
           ProgressWatch* Watch = nullptr) {
    harness::Events events;
    if (Watch) Watch->Attach(C, events);
    else events.Attach(C);
    C.ConvertOptions().SetStartTime(static_cast<int64_t>(std::llround(Start * kMicro)));
    C.ConvertOptions().SetRecordingTime(Length > 0 ? static_cast<int64_t>(std::llround(Length * kMicro)) : INT64_MAX);
    ASSERT_TRUE(harness::Run(C, Loop, Source, Target).Finished);
    EXPECT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
    EXPECT_EQ(events.Completed, 1);
    if (Watch) Watch->Last = C.Progress();
  }
};

TEST_F(ConverterTrim, ReEncodedOutputCoversExactlyTheChosenRange) {
  struct Case {
    std::string Source;
    double Start, End;
    // With threads and an encoder without threads of its own between calls,
    // pictures are filtered on a thread of their own, one behind.
    int Threads;
    const char* Encoder;  // empty: the container's default
  };
  for (const Case& k : {Case{LongGop(), 12.4, 17.4, 1, ""}, Case{OneKeyFrame(), 30.0, 40.0, 2, "ffv1"},
                        Case{TransportStream(), 12.4, 17.4, 1, ""}, Case{TransportStream(), 0.6, 3.0, 1, ""},
                        Case{TransportStream(), 28.92, 29.6, 1, ""}}) {
    SCOPED_TRACE(k.Source);
    const std::string out = Dir + "/range.mkv";
    TAVConverter c;
    c.ConvertOptions().SetThreadCount(k.Threads);
    c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName(k.Encoder);
    ProgressWatch watch;
    Run(c, k.Source, out, k.Start, k.End - k.Start, &watch);
    EXPECT_NEAR(FormatDuration(out), k.End - k.Start, kFrame + 1e-3);
    const std::vector<std::string> frames = GrayFrames(out);
    ASSERT_FALSE(frames.empty());
    EXPECT_NEAR(static_cast<double>(frames.size()), (k.End - k.Start) / kFrame, 1.0);
    ExpectSourceFrame(frames.front(), k.Source, static_cast<int>(std::lround(k.Start / kFrame)), "first picture");
    ExpectSourceFrame(frames.back(), k.Source, static_cast<int>(std::lround(k.End / kFrame)) - 1, "last picture");
    // The task list's figures: never above 100 or below 0 left, 100 at the end.
    EXPECT_LE(watch.Highest, 100);
    EXPECT_GE(watch.LeastLeft, 0);
    EXPECT_EQ(watch.Last, 100);
  }
}

TEST_F(ConverterTrim, StreamCopyBeginsAtTheKeyFrameAtOrBeforeTheStart) {
  const std::string out = Dir + "/copy.mkv";
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetVideoStreamCopy(true);
  c.ConvertOptions().AudioOptions().SetAudioStreamCopy(true);
  ProgressWatch watch;
  Run(c, LongGop(), out, 12.4, 5.0, &watch);
  // The key frame at 10 s to the end at 17.4 s.
  const std::vector<std::string> frames = GrayFrames(out);
  ASSERT_FALSE(frames.empty());
  ExpectSourceFrame(frames.front(), LongGop(), 250, "first picture");
  // Every picture shown before the end is there, none missing between, and
  // none after it (this end needs no reference shown later).
  EXPECT_EQ(frames.size(), 185u);
  std::vector<double> shown;
  std::istringstream times(fixtures::RunCommand("ffprobe -v error -select_streams v -show_entries frame=pts_time "
                                                "-of csv=p=0 " + ShellQuote(out)));
  for (std::string line; std::getline(times, line);) shown.push_back(fixtures::Real(line));
  std::sort(shown.begin(), shown.end());
  ASSERT_FALSE(shown.empty());
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_NEAR(shown[i] - shown[i - 1], kFrame, 1e-3) << "after " << shown[i - 1];
  EXPECT_NEAR(shown.back() - shown.front(), 7.4 - kFrame, 1e-3);
  const auto probed = fixtures::ProbeFile(out);
  EXPECT_EQ(probed.SortedTypes(), "audio,video");
  EXPECT_GE(probed.Duration(), 7.4 - kFrame);
  EXPECT_LE(probed.Duration(), 7.4 + kFrame);
  EXPECT_EQ(watch.Last, 100);
  EXPECT_LE(watch.Highest, 100);
}

// 10 s in MKV: subtitle cues every second and chapters at 0, 2, 5 and 7 s.
std::string SubtitledWithChapters(const std::string& Dir) {
  const std::string srt = Dir + "/cues.srt";
  const std::string meta = Dir + "/chapters.txt";
  {
    std::ofstream s(srt, std::ios::binary);
    for (int i = 0; i < 10; ++i)
      s << i + 1 << "\n00:00:0" << i << ",100 --> 00:00:0" << i << ",900\nCue " << i << "\n\n";
    std::ofstream m(meta, std::ios::binary);
    m << ";FFMETADATA1\n";
    const int marks[] = {0, 2000, 5000, 7000, 10000};
    for (int i = 0; i < 4; ++i)
      m << "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" << marks[i] << "\nEND=" << marks[i + 1] << "\ntitle=Part " << i << "\n";
  }
  return fixtures::Media("trim_subs_chapters.mkv",
                         "-f lavfi -i testsrc2=size=320x240:rate=25:duration=10 -f lavfi -i sine=duration=10 -i " +
                             ShellQuote(srt) + " -i " + ShellQuote(meta) +
                             " -map 0:v -map 1:a -map 2:s -map_chapters 3 -c:v libx264 -preset ultrafast -g 50 -bf 2"
                             " -c:a flac -c:s srt");
}

TEST_F(ConverterTrim, SubtitleOutputsAdvanceAndChaptersMoveWithTheStart) {
  const std::string source = SubtitledWithChapters(Dir);
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  const TAVProfile* mkv = nullptr;
  for (int i = 0; i < catalogue.ProfileCount(); ++i)
    if (catalogue.Profiles(i)->Description() == "Matroska Video(.mkv)") mkv = catalogue.Profiles(i);
  ASSERT_NE(mkv, nullptr);
  {
    TAVConverter c;
    mkv->ApplyProfile(c);
    ProgressWatch watch;
    Run(c, source, Dir + "/end3.mkv", 0, 3.0, &watch);
    const auto probed = fixtures::ProbeFile(Dir + "/end3.mkv");
    EXPECT_EQ(probed.SortedTypes(), "audio,subtitle,video");
    // The muxer may move everything by the audio encoder's delay: measured from the first picture.
    const double first = probed.First("video")->Number("start_time");
    EXPECT_LE(probed.Duration() - first, 3.0 + kFrame + 1e-3);
    EXPECT_GE(probed.Duration() - first, 3.0 - kFrame);
    EXPECT_EQ(fixtures::CountFrames(Dir + "/end3.mkv", "video"), 75);
    EXPECT_EQ(watch.Last, 100);
    EXPECT_LE(watch.Highest, 100);
  }
  {
    TAVConverter c;
    mkv->ApplyProfile(c);
    Run(c, source, Dir + "/from4.mkv", 4.0, 4.0);
    // Chapters at 2 (cut to the start), 5 and 7 s land at 0, 1 and 3 s; the one from 7 s ends at the end.
    EXPECT_EQ(fixtures::Probe(Dir + "/from4.mkv", "chapter=start_time,end_time", "-show_chapters"),
              "start_time=0.000000\nend_time=1.000000\nTAG:title=Part 1\nstart_time=1.000000\nend_time=3.000000\n"
              "TAG:title=Part 2\nstart_time=3.000000\nend_time=4.000000\nTAG:title=Part 3\n");
    // The cue shown from 4.1 s is the first, 0.1 s after the first picture.
    const std::string cues = fixtures::Probe(Dir + "/from4.mkv", "packet=pts_time", "-select_streams s");
    const double first = fixtures::ProbeFile(Dir + "/from4.mkv").First("video")->Number("start_time");
    EXPECT_NEAR(fixtures::Real(cues.substr(cues.find('=') + 1)) - first, 0.1, 1e-3) << cues;
  }
}

// Mean difference of the bottom quarter of two gray pictures.
double BottomDifference(const std::string& A, const std::string& B) {
  if (A.size() != kFrameBytes || B.size() != kFrameBytes) return -1;
  double sum = 0;
  const size_t from = kFrameBytes * 3 / 4;
  for (size_t i = from; i < kFrameBytes; ++i)
    sum += std::abs(static_cast<unsigned char>(A[i]) - static_cast<unsigned char>(B[i]));
  return sum / static_cast<double>(kFrameBytes - from);
}

TEST_F(ConverterTrim, BurnedInCueStartsOnThePictureAtItsTime) {
  const std::string source = fixtures::Media(
      "cue_gray.mp4", "-f lavfi -i color=c=gray:size=320x240:rate=25:duration=3 -c:v libx264 -preset ultrafast -bf 2");
  {
    std::ofstream srt(Dir + "/cue.srt", std::ios::binary);
    srt << "1\n00:00:02,200 --> 00:00:02,800\nWWWW WWWW\n\n";
  }
  TSubtitleFilter subs;
  subs.SetSubtitleFile(Dir + "/cue.srt");
  subs.SetFontFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  const std::string clean = GrayFrames(source, "eq(n\\,0)").at(0);
  // Untrimmed, the cue is on picture 55 (2.200 s); from 1 s on, on picture 30. Cues keep the source's times.
  for (const double start : {0.0, 1.0}) {
    SCOPED_TRACE(start);
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
    c.ConvertOptions().FilterOptions().SetVideoFilters(subs.GetFilterText());
    Run(c, source, Dir + "/cue.mkv", start, 0);
    const int at = static_cast<int>(std::lround((2.2 - start) / kFrame));
    const std::vector<std::string> frames = GrayFrames(Dir + "/cue.mkv", Format("eq(n\\,%d)+eq(n\\,%d)", at - 1, at));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_LT(BottomDifference(frames[0], clean), 1.0) << "the picture before the cue";
    EXPECT_GT(BottomDifference(frames[1], clean), 4.0) << "the picture at the cue";
  }
}

TEST_F(ConverterTrim, StreamAddedMidFileIsIgnored) {
  // A broadcast recording: the program gains an audio stream from 8 s to 10 s,
  // later than the library looks when it opens the file (its first seconds and
  // its last 250 KB).
  auto part = [](const char* Name, const char* Sound, int Offset, int Seconds) {
    return fixtures::Media(Name, Format("-f lavfi -i testsrc2=size=160x120:rate=25:duration=%d %s -c:v mpeg2video "
                                        "-b:v 2M -minrate 2M -maxrate 2M -bufsize 1M -output_ts_offset %d",
                                        Seconds, Sound, Offset));
  };
  const std::string joined = Dir + "/late_audio.ts";
  {
    std::ofstream out(joined, std::ios::binary);
    for (const std::string& p : {part("late_part1.ts", "", 0, 8),
                                 part("late_part2.ts", "-f lavfi -i sine=duration=2 -c:a mp2", 8, 2),
                                 part("late_part3.ts", "", 10, 4)}) {
      std::ifstream in(p, std::ios::binary);
      out << in.rdbuf();
    }
  }
  ASSERT_EQ(fixtures::Probe(joined, "stream=codec_type", "-select_streams a"), "");  // not seen at setup
  TAVConverter c;
  Run(c, joined, Dir + "/late.avi", 0, 0);
  const auto probed = fixtures::ProbeFile(Dir + "/late.avi");
  EXPECT_EQ(probed.Types(), "video");
  EXPECT_NEAR(probed.Duration(), 14.0, 0.2);
}

}  // namespace
