// Every shown catalogue profile converts a short clip without an error box:
// its 2010 option names reach FFmpeg 5.1 in their current form.
#include <gtest/gtest.h>

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
