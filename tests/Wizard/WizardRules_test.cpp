// The wizard's target names and trim range, without a window.
#include <gtest/gtest.h>

#include "Converter/AVConverterOptions.h"
#include "Wizard/WizardRules.h"

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
