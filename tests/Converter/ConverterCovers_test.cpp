// Music files with cover art: the cover is never the video stream; it is
// carried over unchanged where the output container can hold one.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "Converter/AVProfileCatalogue.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

struct TCoverSource {
  std::string Extension, AudioCodec, PictureCodec;
};
void PrintTo(const TCoverSource& S, std::ostream* Out) { *Out << S.Extension; }

// One second of audio with a cover picture, as tagging tools write them.
std::string CoveredAudio(const TCoverSource& S) {
  return fixtures::Media("covered." + S.Extension,
                         "-f lavfi -i sine=duration=1 -f lavfi -i testsrc2=size=96x64:rate=1:duration=1 "
                         "-map 0 -map 1 -frames:v 1 -c:a " + S.AudioCodec + " -c:v " + S.PictureCodec +
                             " -disposition:v attached_pic");
}

// MD5 of the packets of the first picture stream, as the ffmpeg CLI copies them.
std::string PictureMd5(const std::string& File) {
  return fixtures::RunCommand("ffmpeg -v error -i " + fixtures::ShellQuote(File) + " -map 0:v:0 -c copy -f md5 -");
}

class ConverterCovers : public ::testing::TestWithParam<TCoverSource> {
 protected:
  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
};

TEST_P(ConverterCovers, AudioWithACoverConvertsLikeAudio) {
  const std::string source = CoveredAudio(GetParam());
  ASSERT_FALSE(source.empty());
  const std::string dir = fixtures::TempDir("covers_" + GetParam().Extension);
  struct TTarget {
    std::string Profile, Name;
    bool KeepsCover;
  };
  const TTarget targets[] = {{"MP3 Audio", "out.mp3", true},
                             {"M4A AAC Audio(*.m4a)", "out.m4a", true},
                             {"MPEG-4", "out.mp4", true},
                             {"Matroska Video(.mkv)", "out.mkv", true},
                             {"DivX影片(*.avi)", "out.avi", false}};
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  for (const TTarget& t : targets) {
    TAVConverter c;
    harness::Events events;
    events.Attach(c);
    const TAVProfile* profile = catalogue.FindByDescription(t.Profile);
    ASSERT_NE(profile, nullptr) << t.Profile;
    ASSERT_TRUE(profile->ApplyProfile(c));
    const std::string target = dir + "/" + t.Name;
    ASSERT_TRUE(harness::Run(c, Loop, source, target).Finished);
    EXPECT_EQ(events.Completed, 1) << t.Profile;
    EXPECT_TRUE(Errors.Messages().empty()) << t.Profile << ": " << testing::PrintToString(Errors.Messages());
    Errors.Clear();
    // Progress follows the audio (with the cover as the video it stayed at 0).
    EXPECT_EQ(c.Progress(), 100) << t.Profile;  // a job run to its end
    const fixtures::ProbedFile f = fixtures::ProbeFile(target);
    EXPECT_NEAR(f.Duration(), 1.0, 0.1) << t.Profile;
    const std::string picture = fixtures::Probe(target, "stream_disposition=attached_pic", "-select_streams v");
    if (t.KeepsCover) {
      EXPECT_EQ(f.SortedTypes(), "audio,video") << t.Profile;
      EXPECT_NE(picture.find("attached_pic=1"), std::string::npos) << t.Profile;
      EXPECT_EQ(PictureMd5(target), PictureMd5(source)) << t.Profile;
    } else {
      EXPECT_EQ(f.Types(), "audio") << t.Profile;
      std::lock_guard<std::mutex> g(events.LogLock);
      EXPECT_NE(std::find(events.Log.begin(), events.Log.end(),
                          "The cover picture is left out: the avi format can't hold one\n"),
                events.Log.end())
          << testing::PrintToString(events.Log);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ConverterCovers,
                         ::testing::Values(TCoverSource{"mp3", "libmp3lame", "mjpeg"},
                                           TCoverSource{"m4a", "aac", "png"},
                                           TCoverSource{"flac", "flac", "png"}),
                         [](const ::testing::TestParamInfo<TCoverSource>& Info) { return Info.param.Extension; });

}  // namespace
