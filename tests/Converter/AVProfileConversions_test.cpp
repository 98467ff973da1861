// Every shown catalogue profile converts a short clip without an error box:
// its 2010 option names reach FFmpeg 5.1 in their current form. The image
// sequence and DV targets convert from sources they were not made for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Converter/AVProfileCatalogue.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/ScopedLocale.h"

namespace {

class CatalogueConversion : public ::testing::TestWithParam<int> {};

TEST_P(CatalogueConversion, ConvertsWithoutErrors) {
  TAVProfileList list;
  BuildProfileCatalogue(list);
  const TAVProfile* profile = list.Profiles(GetParam());
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string src = fixtures::Media("profile_src.mkv",
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=0.6 "
                                          "-f lavfi -i sine=duration=0.6:sample_rate=44100 -ac 2 -c:v mpeg4 -c:a pcm_s16le");
  const std::string dir = fixtures::TempDir("profile" + std::to_string(GetParam()));
  std::string target = dir + "/out" + profile->Extension();
  TAVConverter c;
  c.ConvertOptions().SetThreadCount(2);
  ASSERT_TRUE(profile->ApplyProfile(c));
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, loop, src, target).Finished);
  EXPECT_TRUE(errors.Messages().empty()) << profile->Description() << ": " << errors.Messages()[0];
  EXPECT_EQ(events.Completed, 1);
  const size_t pattern = target.find("%1d");
  if (pattern != std::string::npos) target.replace(pattern, 3, "1");
  const auto probed = fixtures::ProbeFile(target);
  const bool audioOnly = dynamic_cast<const TAVCustomVideoProfile*>(profile) == nullptr &&
                         dynamic_cast<const TAVCustomAudioProfile*>(profile) != nullptr;
  EXPECT_NE(probed.First("audio"), nullptr) << profile->Description();
  if (!audioOnly) {
    const auto* v = probed.First("video");
    ASSERT_NE(v, nullptr) << profile->Description();
    if (const auto* vp = dynamic_cast<const TAVCustomVideoProfile*>(profile); vp && vp->FrameWidth > 0)
      EXPECT_EQ(v->Number("width"), vp->FrameWidth) << profile->Description();
  }
}

std::vector<int> ShownProfiles() {
  TAVProfileList list;
  BuildProfileCatalogue(list);
  std::vector<int> out;
  for (int i = 0; i < list.ProfileCount(); ++i)
    if (dynamic_cast<TAVCustomAudioProfile*>(list.Profiles(i))) out.push_back(i);
  return out;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CatalogueConversion, ::testing::ValuesIn(ShownProfiles()));

// Converts Source with Profile applied (and the advanced options Options) to
// Target; true when the job completed without an error box.
bool ConvertWith(const TAVProfile& Profile, const std::string& Source, const std::string& Target,
                 const std::vector<std::pair<std::string, std::string>>& Options = {}) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  TAVConverter c;
  c.ConvertOptions().SetThreadCount(2);
  Profile.ApplyProfile(c);
  for (const auto& [k, v] : Options) c.ConvertOptions().SetAdvancedOption(k, v);
  harness::Events events;
  events.Attach(c);
  if (!harness::Run(c, loop, Source, Target).Finished) return false;
  std::string log;
  for (const auto& l : events.Log) log += l;
  for (const auto& m : errors.Messages()) ADD_FAILURE() << Profile.Description() << ": " << m << "\n" << log;
  return errors.Messages().empty() && events.Completed == 1;
}

TEST(TargetProfiles, ImageSequencesAreNumberedPicturesOfEveryOfferedType) {
  const std::string src = fixtures::Media("profile_src.mkv",
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=0.6 "
                                          "-f lavfi -i sine=duration=0.6:sample_rate=44100 -ac 2 -c:v mpeg4 -c:a pcm_s16le");
  const int frames = fixtures::CountFrames(src, "video");
  const std::map<TAVImageType, std::string> codecs{
      {bitmap, "bmp"}, {jpeg, "mjpeg"}, {png, "png"}, {gif, "gif"}, {tiff, "tiff"}};
  for (const auto& [type, codec] : codecs) {
    TAVImageProfile profile;
    profile.ImageType = type;
    const std::string dir = fixtures::TempDir("image_" + codec);
    ASSERT_TRUE(ConvertWith(profile, src, dir + "/pic" + profile.GetExtension())) << codec;
    const std::string ext = profile.GetExtension().substr(3);  // after "%1d"
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), frames)
        << codec;
    for (int n : {1, frames}) {
      const std::string picture = dir + "/pic" + std::to_string(n) + ext;
      EXPECT_EQ(fixtures::Probe(picture, "stream=codec_name,width,height"),
                "codec_name=" + codec + "\nwidth=320\nheight=240\n")
          << picture;
    }
  }
}

TEST(TargetProfiles, DvFromAnySoundIsComplete) {
  const std::string low = fixtures::Media("dv_src_22k_mono.mkv",
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 "
                                          "-f lavfi -i sine=duration=2:sample_rate=22050 -ac 1 -c:v mpeg4 -c:a pcm_s16le");
  const std::string cd = fixtures::Media("dv_src_44k_stereo.mkv",
                                         "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 "
                                         "-f lavfi -i sine=duration=2:sample_rate=44100 -ac 2 -c:v mpeg4 -c:a pcm_s16le");
  struct TCase {
    const char* Name;
    std::unique_ptr<TAVTargetProfile> Profile;
    TAVTarget Target;
    const char* Video;  // ffprobe's fields of the picture
    const char* CdRate;  // the sample rate made of 44.1 kHz (the 480-line systems take 48 kHz only)
  };
  TCase cases[] = {
      {"dv_pal", std::make_unique<TAVDvProfile>(), pal, "width=720\nheight=576\npix_fmt=yuv420p\nr_frame_rate=25/1\n",
       "48000"},
      {"dv_ntsc", std::make_unique<TAVDvProfile>(), ntsc,
       "width=720\nheight=480\npix_fmt=yuv411p\nr_frame_rate=30000/1001\n", "48000"},
      {"dv50_pal", std::make_unique<TAVDv50Profile>(), pal, "width=720\nheight=576\npix_fmt=yuv422p\nr_frame_rate=25/1\n",
       "44100"},
      {"dv50_ntsc", std::make_unique<TAVDv50Profile>(), ntsc,
       "width=720\nheight=480\npix_fmt=yuv422p\nr_frame_rate=30000/1001\n", "48000"},
  };
  for (TCase& c : cases) {
    c.Profile->Target = c.Target;
    for (const std::string& src : {low, cd}) {
      const std::string out = fixtures::TempDir(c.Name) + "/out.dv";
      ASSERT_TRUE(ConvertWith(*c.Profile, src, out)) << c.Name << " " << src;
      EXPECT_EQ(fixtures::Probe(out, "stream=width,height,pix_fmt,r_frame_rate", "-select_streams v"), c.Video) << c.Name;
      const std::string rate = src == low ? "48000" : c.CdRate;
      EXPECT_EQ(fixtures::Probe(out, "stream=codec_name,sample_rate,channels", "-select_streams a:0"),
                "codec_name=pcm_s16le\nsample_rate=" + rate + "\nchannels=2\n")
          << c.Name << " " << src;
      EXPECT_NEAR(fixtures::ProbeFile(out).Duration(), 2.0, 0.1) << c.Name;
      // Every frame decodes.
      EXPECT_EQ(fixtures::RunCommand("ffmpeg -v error -i " + fixtures::ShellQuote(out) + " -f null - 2>&1"), "") << c.Name;
    }
  }
}

TEST(TargetProfiles, TranslatedOptionsReachTheEncoder) {
  // x264 writes its settings into the stream ("... me=umh ..."): the file itself says what it got.
  const std::string src = fixtures::Media("profile_src.mkv",
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=0.6 "
                                          "-f lavfi -i sine=duration=0.6:sample_rate=44100 -ac 2 -c:v mpeg4 -c:a pcm_s16le");
  TAVCustomVideoProfile profile;
  profile.VideoEncoder = H264;
  profile.AudioEncoder = AAC;
  profile.Format = F_MP4;
  const std::string out = fixtures::TempDir("x264_umh") + "/out.mp4";
  ASSERT_TRUE(ConvertWith(profile, src, out, {{"me_method", "umh"}}));
  std::ifstream in(out, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find(" me=umh "), std::string::npos);
  EXPECT_EQ(bytes.find(" me=hex "), std::string::npos);
}

// A host in a locale with a decimal comma (as the GUI adopts the user's):
// the options' numbers ("i_qfactor=0.71", the muxer's 0.5 s preload) still
// reach the media library as written.
TEST(CommaLocaleConversion, MatroskaProfileConvertsWithoutOptionErrors) {
  const fixtures::ScopedLocale comma(fixtures::kCommaLocale);
  if (!comma.Active()) GTEST_SKIP() << fixtures::kCommaLocale << " is not installed (scripts/setup.sh makes it)";
  TAVProfileList list;
  BuildProfileCatalogue(list);
  const TAVProfile* mkv = nullptr;
  for (int i = 0; i < list.ProfileCount(); ++i)
    if (list.Profiles(i)->Description() == "Matroska Video(.mkv)") mkv = list.Profiles(i);
  ASSERT_NE(mkv, nullptr);
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string target = fixtures::TempDir("comma_locale") + "/out.mkv";
  TAVConverter c;
  ASSERT_TRUE(mkv->ApplyProfile(c));
  ASSERT_TRUE(harness::Run(c, loop, fixtures::Clip640x480(1.0), target).Finished);
  EXPECT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  const auto probed = fixtures::ProbeFile(target);
  const auto* video = probed.First("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ((*video)["codec_name"], "h264");
}

}  // namespace
