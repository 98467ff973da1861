// Progress, time figures and state transitions of the converter.
#include <gtest/gtest.h>

#include "Converter/AVConverter.h"

namespace {

TEST(ConverterTimeString, HoursMinutesSecondsWithoutPadding) {
  EXPECT_EQ(TAVConverter::GetTimeString(int64_t{0}), "0:0:0");
  EXPECT_EQ(TAVConverter::GetTimeString(int64_t{86400}), "24:0:0");
  EXPECT_EQ(TAVConverter::GetTimeString(int64_t{3725}), "1:2:5");
  EXPECT_EQ(TAVConverter::GetTimeString(int64_t{362439}), "100:40:39");
}

TEST(ConverterTimeString, DaysAsClockWithMilliseconds) {
  EXPECT_EQ(TAVConverter::GetTimeString(0.5), "12:00:00.000");
  EXPECT_EQ(TAVConverter::GetTimeString(1.5 / 86400.0), "00:00:01.500");
  EXPECT_EQ(TAVConverter::GetTimeString((3600.0 + 2 * 60 + 5.25) / 86400.0), "01:02:05.250");
}

TEST(ConverterProgress, WholeInputAndTrimmedSpans) {
  TAVConverter c;
  EXPECT_EQ(c.Progress(), 0);  // Duration 0, no trim
  EXPECT_EQ(c.GetLeftTime(), 362439);

  c.SetDuration(60.0);
  c.SetConvertedDuration(30.0);
  EXPECT_EQ(c.Progress(), 50);

  c.ConvertOptions().SetStartTime(10000000);
  c.ConvertOptions().SetRecordingTime(20000000);
  c.SetConvertedDuration(5.0);
  EXPECT_EQ(c.Progress(), 25);

  c.ConvertOptions().SetStartTime(50000000);
  c.ConvertOptions().SetRecordingTime(INT64_MAX);
  EXPECT_EQ(c.Progress(), 50);  // span is the 10 s left after the start
}

TEST(ConverterProgress, RoundsHalvesToEven) {
  TAVConverter c;
  c.SetDuration(200.0);
  c.SetConvertedDuration(1.0);  // 0.5 %
  EXPECT_EQ(c.Progress(), 0);
  c.SetConvertedDuration(3.0);  // 1.5 %
  EXPECT_EQ(c.Progress(), 2);
}

TEST(ConverterState, ControlsOutsideAJobDoNothing) {
  TAVConverter c;
  c.Stop();
  EXPECT_EQ(c.State(), csNone);
  c.Resume();
  EXPECT_EQ(c.State(), csNone);
  c.Pause();
  EXPECT_EQ(c.State(), csNone);
  EXPECT_EQ(c.GetUsedTime(), 0);
  EXPECT_EQ(c.LogLevel(), 24);
}

}  // namespace
