// The wizard's target names and trim range, without a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "Converter/AVConverterOptions.h"
#include "Wizard/WizardRules.h"
#include "support/Fixtures.h"
#include "support/ScopedLocale.h"

namespace fs = std::filesystem;

TEST(WizardTargetNames, ExtensionIsReplacedInTheNamePartOnly) {
  EXPECT_EQ(ReplaceExtension("/v/clip.mkv", ".mp4"), "/v/clip.mp4");
  EXPECT_EQ(ReplaceExtension("/v/clip.tar.gz", ".avi"), "/v/clip.tar.avi");
  EXPECT_EQ(ReplaceExtension("/v.d/clip", ".avi"), "/v.d/clip.avi");  // a dot of the folder stays
  EXPECT_EQ(ReplaceExtension("clip", ".avi"), "clip.avi");
  // Image sequences carry their frame number pattern.
  EXPECT_EQ(ReplaceExtension("/v/a.avi", "%1d.bmp"), "/v/a%1d.bmp");
  EXPECT_EQ(ReplaceExtension("", ".avi"), ".avi");
}

TEST(WizardTargetNames, ReRootingKeepsTheNameUnderTheCategoryFolder) {
  EXPECT_EQ(RerootTarget("/out", "/v/clip.avi"), "/out/clip.avi");
  EXPECT_EQ(RerootTarget("/out/", "/v/clip.avi"), "/out/clip.avi");
  EXPECT_EQ(RerootTarget("/out", "clip.avi"), "/out/clip.avi");
  EXPECT_EQ(RerootTarget("/out", ""), "/out/");
  EXPECT_EQ(RerootTarget("", "/v/clip.avi"), "/clip.avi");
}

TEST(WizardTargetNames, TakenNamesAreNumberedBeforeTheExtension) {
  const std::set<std::string> taken{"/v/clip.avi", "/v/clip (1).avi", "/v.d/clip", "/v/a%1d.bmp"};
  const auto isTaken = [&](const std::string& n) { return taken.count(n) > 0; };
  EXPECT_EQ(UniqueTargetName("/v/clip.avi", isTaken), "/v/clip (2).avi");
  EXPECT_EQ(UniqueTargetName("/v/clip.mp4", isTaken), "/v/clip.mp4");
  EXPECT_EQ(UniqueTargetName("/v.d/clip", isTaken), "/v.d/clip (1)");  // a dot of the folder is no extension
  EXPECT_EQ(UniqueTargetName("/v/a%1d.bmp", isTaken), "/v/a%1d (1).bmp");
}

TEST(WizardTargetNames, TheSourceIsNeverProposedEvenThroughALink) {
  const std::string dir = fixtures::TempDir("wizard_target_names");
  const std::string source = dir + "/clip.avi";
  std::ofstream(source) << "x";
  fs::create_symlink(source, dir + "/link.avi");
  fs::create_directories(dir + "/sub");
  EXPECT_EQ(TargetBesideSource(source, source), dir + "/clip (1).avi");
  EXPECT_EQ(TargetBesideSource(dir + "/link.avi", source), dir + "/link (1).avi");
  EXPECT_EQ(TargetBesideSource(dir + "/sub/../clip.avi", dir + "/link.avi"), dir + "/sub/../clip (1).avi");
  EXPECT_EQ(TargetBesideSource(dir + "/clip.mp4", source), dir + "/clip.mp4");
  // An existing file that is not the source may be overwritten.
  std::ofstream(dir + "/clip (1).avi") << "y";
  EXPECT_EQ(TargetBesideSource(source, source), dir + "/clip (1).avi");
  EXPECT_FALSE(NamesSameFile(dir + "/clip (1).avi", source));
  EXPECT_FALSE(NamesSameFile("", ""));
}

TEST(WizardTrimRange, PointsGiveStartAndLengthInMicroseconds) {
  {
    TAVConvertOptions o;
    o.SetRecordingTime(kRecordWholeSource);
    TTrimRange r;
    r.SetStart(10500, o);
    EXPECT_EQ(o.StartTime(), 10500000);
    EXPECT_EQ(o.RecordingTime(), kRecordWholeSource);  // no end yet: to the end of the source
    r.SetEnd(70000, o);
    EXPECT_EQ(o.RecordingTime(), 59500000);
    EXPECT_EQ(r.SelStart, 10500);
    EXPECT_EQ(r.SelEnd, 70000);
    // A new start with an end set shortens the length again.
    r.SetStart(20000, o);
    EXPECT_EQ(o.RecordingTime(), 50000000);
  }
  {
    TAVConvertOptions o;
    TTrimRange r;
    r.SetEnd(30000, o);
    EXPECT_EQ(o.RecordingTime(), 30000000);
    EXPECT_EQ(o.StartTime(), 0);
  }
  {
    // 40 minutes overflows 32 bits in microseconds; the points are not ordered.
    TAVConvertOptions o;
    TTrimRange r;
    r.SetStart(2400000, o);
    EXPECT_EQ(o.StartTime(), 2400000000LL);
    r.SetEnd(60000, o);
    EXPECT_EQ(o.RecordingTime(), -2340000000LL);
  }
}

TEST(WizardTrimRange, LabelsShowWholeSecondsRoundedHalfToEven) {
  EXPECT_EQ(RangeLabel(0), "0:0:0");
  EXPECT_EQ(RangeLabel(10500), "0:0:10");
  EXPECT_EQ(RangeLabel(11500), "0:0:12");
  EXPECT_EQ(RangeLabel(70000), "0:1:10");
  EXPECT_EQ(RangeLabel(3723400), "1:2:3");
}

// The C library's numbers follow the user's locale in the GUI; the field
// must read the same in any.
TEST(WizardTargetSize, MegabytesWithAPointOrACommaAreBytes) {
  const fixtures::ScopedLocale comma(fixtures::kCommaLocale);
  constexpr int64_t kMB = 1048576;
  EXPECT_EQ(TargetSizeFromField(""), 0);
  EXPECT_EQ(TargetSizeFromField("  "), 0);
  EXPECT_EQ(TargetSizeFromField("25"), 25 * kMB);
  EXPECT_EQ(TargetSizeFromField(" 4,5\t"), 9 * kMB / 2);
  EXPECT_EQ(TargetSizeFromField("4.5"), 9 * kMB / 2);
  EXPECT_EQ(TargetSizeFromField("0,3"), 314572);  // 314572.8 bytes: never above what was asked
  for (const char* refused : {"0", "0,0", "-5", "abc", "4,5,6", "1e3", "25 MB", "25M", "0,0000001", "99999999999999"})
    EXPECT_EQ(TargetSizeFromField(refused), std::nullopt) << refused;
}
