// Conversions that must fit a size: the plan and its refusal, real two-pass
// encodes of content that is hard to compress (sizes measured on disk), the
// corrective pass, and two such jobs at once (also under ThreadSanitizer).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "Converter/AVProfileCatalogue.h"
#include "Converter/TargetSize.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/RealText.h"

namespace {

constexpr int64_t kKiB = 1024;
constexpr double kLowestShare = 0.9;  // a fitted file fills at least this much of its size

// testsrc2 under moving grain with a tone: what cameras in low light give.
std::string NoisyClip(const std::string& Size, int Seconds) {
  return fixtures::Media("noisy_" + Size + "_" + std::to_string(Seconds) + ".mkv",
                         "-f lavfi -i testsrc2=s=" + Size + ":r=25:d=" + std::to_string(Seconds) +
                             ",noise=alls=25:allf=t+u -f lavfi -i sine=f=440:d=" + std::to_string(Seconds) +
                             " -c:v libx264 -preset ultrafast -qp 10 -c:a flac");
}

int64_t FileBytes(const std::string& File) {
  std::error_code ec;
  const auto n = std::filesystem::file_size(File, ec);
  return ec ? -1 : static_cast<int64_t>(n);
}

bool Logged(harness::Events& E, const std::string& Text) {
  std::lock_guard<std::mutex> g(E.LogLock);
  return std::any_of(E.Log.begin(), E.Log.end(), [&](const std::string& l) { return l.find(Text) != std::string::npos; });
}

TSizeRequest Hd60(int64_t Bytes) {
  TSizeRequest r;
  r.TargetBytes = Bytes;
  r.Seconds = 60;
  r.Video = true;
  r.Width = 1280;
  r.Height = 720;
  r.FrameRate = 25;
  r.AudioRates = {128000};
  r.AudioEncoder = "aac";
  r.Format = "mp4";
  return r;
}

TEST(TargetSizePlan, TheSmallestSizeNamedInARefusalIsOneThatWorks) {
  std::string message;
  try {
    PlanTargetSize(Hd60(kBytesPerMegabyte / 20));
  } catch (const std::exception& e) {
    message = e.what();
  }
  const std::string lead = "The target size 0.05 MB is too small for this conversion: at least ";
  ASSERT_EQ(message.rfind(lead, 0), 0u) << message;
  const double megabytes = fixtures::Real(message.substr(lead.size()));
  const auto smallest = static_cast<int64_t>(megabytes * static_cast<double>(kBytesPerMegabyte));
  const TSizePlan plan = PlanTargetSize(Hd60(smallest));
  EXPECT_GE(plan.VideoRate, VideoFloor(1280, 720, 25));
  EXPECT_THROW(PlanTargetSize(Hd60(smallest * 95 / 100)), std::exception);
}

TEST(TargetSizePlan, SoundGivesWayOnlyWhenThePictureWouldStarve) {
  EXPECT_EQ(PlanTargetSize(Hd60(50 * kBytesPerMegabyte)).AudioRates, std::vector<int64_t>{128000});
  TSizeRequest tight = Hd60(2 * kBytesPerMegabyte);
  tight.AudioEncoder = "libmp3lame";  // table rates only
  const TSizePlan plan = PlanTargetSize(tight);
  ASSERT_EQ(plan.AudioRates.size(), 1u);
  EXPECT_LT(plan.AudioRates[0], 128000);
  EXPECT_GE(plan.AudioRates[0], 32000);
  EXPECT_EQ(plan.AudioRates[0] % 8000, 0);  // 32, 40, 48, 56, 64 ...
  // Video, sound and the container stay inside the size.
  const double bytes = static_cast<double>(plan.VideoRate + plan.AudioRates[0]) * 60 / 8 + static_cast<double>(plan.OverheadBytes);
  EXPECT_LT(bytes, 2.0 * kBytesPerMegabyte);
}

TEST(TargetSizePlan, ARawMp3TakesTheHighestTableRateThatFits) {
  TSizeRequest r;
  r.TargetBytes = 3 * kBytesPerMegabyte;  // 104.9 kbit/s over 240 s
  r.Seconds = 240;
  r.AudioRates = {128000};
  r.AudioEncoder = "libmp3lame";
  r.Format = "mp3";
  EXPECT_EQ(PlanTargetSize(r).AudioRates, std::vector<int64_t>{96000});
}

TEST(TargetSizePlan, SizesAsPeopleWriteThem) {
  EXPECT_EQ(ParseSizeText("25M"), 25 * kBytesPerMegabyte);
  EXPECT_EQ(ParseSizeText("700K"), 700 * kKiB);
  EXPECT_EQ(ParseSizeText("4.3G"), static_cast<int64_t>(4.3 * 1024 * kBytesPerMegabyte));
  EXPECT_EQ(ParseSizeText("123456"), 123456);
  for (const char* bad : {"", "0", "-5M", "5MB", "1.5", "M", "2,5M", "1.2.3M", "1025G", "8000000000G"})
    EXPECT_FALSE(ParseSizeText(bad)) << bad;
  EXPECT_EQ(MegabytesText(5 * kBytesPerMegabyte), "5.00 MB");
  EXPECT_EQ(MegabytesText(kBytesPerMegabyte + 1), "1.01 MB");  // rounded up: never less than needed
  EXPECT_EQ(MegabytesText(INT64_MAX), "8796093022208.00 MB");
  // The largest size on a minute: the picture gets what encoders can take.
  EXPECT_EQ(PlanTargetSize(Hd60(*ParseSizeText("1024G"))).VideoRate, kLargestVideoRate);
}

class ConverterTargetSize : public ::testing::Test {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("target_size");
  TAVProfileList Catalogue;
  TAVConverter C;
  harness::Events E;

  ConverterTargetSize() {
    BuildProfileCatalogue(Catalogue);
    E.Attach(C);
  }
  void Apply(const std::string& Description, int64_t Bytes) {
    const TAVProfile* p = Catalogue.FindByDescription(Description);
    ASSERT_NE(p, nullptr) << Description;
    C.ConvertOptions().SetThreadCount(2);
    p->ApplyProfile(C);
    C.ConvertOptions().SetTargetSize(Bytes);
  }
  // A refused size: one message naming the least size, no completion and no file.
  void ExpectRefused(const std::string& Out) {
    ASSERT_EQ(Errors.Messages().size(), 1u);
    EXPECT_NE(Errors.Messages()[0].find("is too small for this conversion: at least "), std::string::npos);
    EXPECT_EQ(E.Completed, 0);
    EXPECT_FALSE(std::filesystem::exists(Out));
  }
};

TEST_F(ConverterTargetSize, TwoPassesFillTheSizeAndNeverExceedIt) {
  const int64_t target = 400 * kKiB;
  Apply("MPEG-4 AVC", target);
  C.ConvertOptions().SetStartTime(2000000);
  C.ConvertOptions().SetRecordingTime(6000000);
  const std::string out = Dir + "/fit.mp4";
  ASSERT_TRUE(harness::Run(C, Loop, NoisyClip("320x240", 10), out).Finished);
  EXPECT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
  EXPECT_EQ(E.Completed, 1);
  EXPECT_EQ(C.PassCount(), 2);
  EXPECT_EQ(C.Progress(), 100);
  const int64_t bytes = FileBytes(out);
  EXPECT_LE(bytes, target);
  EXPECT_GE(static_cast<double>(bytes), kLowestShare * static_cast<double>(target));
  const std::string duration = fixtures::Probe(out, "format=duration");  // "duration=6.0..."
  EXPECT_NEAR(fixtures::Real(duration.substr(duration.find('=') + 1)), 6.0, 0.1);
  EXPECT_FALSE(std::filesystem::exists("ffmpeg2pass-0.log"));  // the job's own folder, not the current one
}

// The library's MPEG-4 encoder in AVI and libx265 (its passes through
// x265-params) fill the size as well.
TEST_F(ConverterTargetSize, DivXAndHevcFillTheSize) {
  for (const char* profile : {"DivX影片(*.avi)", "H.265/HEVC MP4(*.mp4)"}) {
    TAVConverter c;
    harness::Events events;
    events.Attach(c);
    const TAVProfile* p = Catalogue.FindByDescription(profile);
    ASSERT_NE(p, nullptr) << profile;
    c.ConvertOptions().SetThreadCount(2);
    ASSERT_TRUE(p->ApplyProfile(c));
    const int64_t target = 200 * kKiB;
    c.ConvertOptions().SetTargetSize(target);
    const std::string out = Dir + "/fill" + (profile[0] == 'D' ? std::string(".avi") : std::string(".mp4"));
    ASSERT_TRUE(harness::Run(c, Loop, NoisyClip("320x240", 4), out).Finished);
    EXPECT_TRUE(Errors.Messages().empty()) << profile << ": " << testing::PrintToString(Errors.Messages());
    EXPECT_EQ(c.PassCount(), 2) << profile;
    EXPECT_LE(FileBytes(out), target) << profile;
    EXPECT_GE(static_cast<double>(FileBytes(out)), kLowestShare * static_cast<double>(target)) << profile;
  }
}

// libvpx hands its first pass's statistics over only with its end.
TEST_F(ConverterTargetSize, Vp9KeepsItsFirstPassStatistics) {
  const int64_t target = 150 * kKiB;
  Apply("WebM VP9(*.webm)", target);
  const std::string out = Dir + "/fit.webm";
  ASSERT_TRUE(harness::Run(C, Loop, NoisyClip("320x240", 3), out).Finished);
  EXPECT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
  EXPECT_EQ(C.PassCount(), 2);
  EXPECT_LE(FileBytes(out), target);
  EXPECT_GE(static_cast<double>(FileBytes(out)), kLowestShare * static_cast<double>(target));
}

TEST_F(ConverterTargetSize, ASizeThatCannotHoldAPictureIsRefusedBeforeEncoding) {
  Apply("MPEG-4 AVC", 20 * kKiB);
  const std::string out = Dir + "/refused.mp4";
  ASSERT_TRUE(harness::Run(C, Loop, NoisyClip("320x240", 10), out).Finished);
  ExpectRefused(out);
}

// The MPEG-4 encoder's first pass shows it cannot get that small at its
// coarsest quantiser (its second pass would fail inside the library): a
// refusal as well, with nothing left behind and no completion.
TEST_F(ConverterTargetSize, ASizeTheMpegEncoderCannotReachIsRefusedAfterItsFirstPass) {
  Apply("DivX影片(*.avi)", 40 * kKiB);
  const std::string out = Dir + "/unreachable.avi";
  ASSERT_TRUE(harness::Run(C, Loop, NoisyClip("320x240", 3), out).Finished);
  EXPECT_TRUE(Logged(E, "two passes"));  // planned, so refused only after the first pass
  ExpectRefused(out);
}

TEST_F(ConverterTargetSize, AnOvershootGetsACorrectivePass) {
  // Copied FLAC sound in Matroska states no rate: the plan cannot count it,
  // so the first file is too large by about the sound's size.
  const int64_t target = 540 * kKiB;
  C.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("libx264");
  C.ConvertOptions().AudioOptions().SetAudioStreamCopy(true);
  C.ConvertOptions().SetTargetSize(target);
  const std::string out = Dir + "/corrected.mkv";
  ASSERT_TRUE(harness::Run(C, Loop, NoisyClip("320x240", 6), out).Finished);
  EXPECT_TRUE(Errors.Messages().empty()) << Errors.Messages()[0];
  EXPECT_TRUE(Logged(E, "running the second pass again"));
  EXPECT_EQ(C.PassNumber(), 3);
  EXPECT_LE(FileBytes(out), target);
  EXPECT_EQ(fixtures::Probe(out, "stream=codec_name"), "codec_name=h264\ncodec_name=flac\n");
}

// White noise as FLAC, copied: its size the plan cannot count, and more than
// the size leaves once the picture has had its share. Even the corrective
// pass cannot fit it: the job fails saying by how much and leaves no file.
TEST_F(ConverterTargetSize, AFileStillTooLargeAfterTheCorrectionFailsAndGoes) {
  const std::string loud = fixtures::Media("noise_flac.mkv",
                                           "-f lavfi -i testsrc2=s=320x240:r=25:d=4 -f lavfi "
                                           "-i anoisesrc=d=4:sample_rate=48000 -ac 2 -c:v libx264 -preset ultrafast -c:a flac");
  C.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("libx264");
  C.ConvertOptions().AudioOptions().SetAudioStreamCopy(true);
  C.ConvertOptions().SetTargetSize(200 * kKiB);
  const std::string out = Dir + "/toolarge.mkv";
  ASSERT_TRUE(harness::Run(C, Loop, loud, out).Finished);
  ASSERT_EQ(Errors.Messages().size(), 1u);
  EXPECT_NE(Errors.Messages()[0].find("larger than the target size of 204800 bytes"), std::string::npos)
      << Errors.Messages()[0];
  EXPECT_EQ(E.Completed, 1);  // it ran, and failed
  EXPECT_FALSE(std::filesystem::exists(out));
}

// Two passes cannot be written to a FIFO, nor measured there: refused at once.
TEST_F(ConverterTargetSize, ATargetWithoutASizeIsRefused) {
  const std::string fifo = Dir + "/target.mkv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Apply("MPEG-4 AVC", 400 * kKiB);
  ASSERT_TRUE(harness::Run(C, Loop, NoisyClip("320x240", 3), fifo).Finished);
  EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"A target size needs a target file whose size can be measured"});
  EXPECT_EQ(E.Completed, 0);
}

// Two jobs of different picture sizes at once: a shared statistics file
// would hand one job's first pass to the other's second, which the encoder
// refuses.
TEST(ConverterTargetSizeThreads, ParallelJobsKeepTheirOwnStatistics) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("target_size_threads");
  const std::string sizes[] = {"320x240", "352x288"};
  TAVConverter a, b;
  TAVConverter* jobs[] = {&a, &b};
  const int64_t target = 150 * kKiB;
  for (int i = 0; i < 2; ++i) {
    TAVConvertOptions& o = jobs[i]->ConvertOptions();
    o.VideoOptions().SetEncoderVideoCodecName("libx264");
    o.AudioOptions().SetEncoderAudioCodecName("aac");
    o.AudioOptions().SetBitrate(64000);
    o.SetThreadCount(1);
    o.SetTargetSize(target);
    jobs[i]->InputFiles().Add(NoisyClip(sizes[i], 3));
    jobs[i]->OutputFiles().Add(dir + "/" + sizes[i] + ".mp4");
  }
  a.Convert();
  b.Convert();
  ASSERT_TRUE(loop.WaitForJobs());
  EXPECT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  for (const std::string& s : sizes) {
    const std::string out = dir + "/" + s + ".mp4";
    EXPECT_LE(FileBytes(out), target);
    EXPECT_EQ(fixtures::Probe(out, "stream=width,height", "-select_streams v"),
              "width=" + s.substr(0, 3) + "\nheight=" + s.substr(4) + "\n");
  }
}

}  // namespace
