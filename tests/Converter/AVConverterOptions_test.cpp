// Conversion options: defaults, validating setters and their messages,
// Assign through the setters, advanced options and matrices.
#include <gtest/gtest.h>

#include "Converter/AVConverterOptions.h"
#include "support/ConverterHarness.h"

namespace {

TStringList Lines(int Count, const std::string& Value = "16") {
  TStringList l;
  for (int i = 0; i < Count; ++i) l.Add(Value);
  return l;
}

TEST(ConvertOptions, Defaults) {
  TAVConvertOptions o;
  EXPECT_EQ(o.RecordingTime(), 9223372036854775807);
  EXPECT_EQ(o.ThreadCount(), 1);
  EXPECT_FLOAT_EQ(o.DtsDeltaThreshold(), 10.0f);
  EXPECT_EQ(o.SwsFlags(), 4);
  EXPECT_EQ(o.LoopOutput(), -1);
  EXPECT_EQ(o.MaxDataFrames(), 2147483647);
  EXPECT_EQ(o.AudioOptions().AudioVolume(), 256);
  EXPECT_FLOAT_EQ(o.AudioOptions().AudioQScale(), -99999.0f);
  EXPECT_FLOAT_EQ(o.AudioOptions().AudioDriftThreshold(), 0.1f);
  EXPECT_EQ(o.AudioOptions().AudioSampleFmt(), sfAuto);
  EXPECT_EQ(o.AudioOptions().MaxFrames(), 2147483647);
  EXPECT_EQ(o.VideoOptions().TopFieldFirst(), -1);
  EXPECT_EQ(o.VideoOptions().VideoSyncMethod(), -1);
  EXPECT_EQ(o.VideoOptions().IntraDcPrecision(), 8);
  EXPECT_EQ(o.VideoOptions().FrameRate().num(), 25);
  EXPECT_EQ(o.VideoOptions().FrameRate().den(), 1);
  EXPECT_EQ(o.VideoOptions().FFramePixFormat(), -1);
  EXPECT_EQ(o.VideoOptions().FVideoDiscard(), 0);
  EXPECT_FLOAT_EQ(o.MuxerOptions().MuxPreload(), 0.5f);
  EXPECT_FLOAT_EQ(o.MuxerOptions().MuxMaxDelay(), 0.7f);
}

TEST(ConvertOptions, RefusalsKeepTheOldValue) {
  harness::ErrorRecorder errors;
  TVideoOptions v;
  v.SetFrameLeftBand(8);
  v.SetFrameLeftBand(-1);
  v.SetFrameRightBand(-2);
  v.SetFrameTopBand(-3);
  v.SetFrameBottomBand(-4);
  v.SetPass(2);
  v.SetPass(3);
  v.SetPass(-1);
  EXPECT_EQ(v.FrameLeftBand(), 8);
  EXPECT_EQ(v.FrameRightBand(), 0);
  EXPECT_EQ(v.Pass(), 2);
  EXPECT_EQ(errors.Messages(),
            (std::vector<std::string>{"Incorrect left crop size", "Incorrect right crop size",
                                      "Incorrect top crop size", "Incorrect bottom crop size",
                                      "pass number can be only 0, 1 or 2", "pass number can be only 0, 1 or 2"}));
}

TEST(ConvertOptions, SampleFormatCanOnlyChangeToAnotherFormat) {
  TAudioOptions a;
  a.SetAudioSampleFmt(sfS16);
  a.SetAudioSampleFmt(sfAuto);
  EXPECT_EQ(a.AudioSampleFmt(), sfS16);
  TAudioOptions autoFmt;
  a.Assign(autoFmt);
  EXPECT_EQ(a.AudioSampleFmt(), sfS16);
}

TEST(ConvertOptions, Matrices) {
  harness::ErrorRecorder errors;
  TVideoOptions v;
  v.SetIntraMatrix(Lines(63));
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"matrix element count should be equal 64"});
  EXPECT_TRUE(v.IntraMatrix().Empty());
  errors.Clear();

  TStringList bad;
  for (int i = 0; i < 64; ++i) bad.Add(i == 5 ? "2.5" : std::to_string(i + 1));
  v.SetIntraMatrix(bad);
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"Invalid matrix element"});
  EXPECT_TRUE(v.IntraMatrix().Empty());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(v.Intra_Matrix()[static_cast<size_t>(i)], i + 1);
  EXPECT_EQ(v.Intra_Matrix()[5], 0);
  errors.Clear();

  for (const char* bad : {"0", "65536", "-3", "x"}) {
    v.SetInterMatrix(Lines(64, bad));
    EXPECT_EQ(errors.Messages(), std::vector<std::string>{"Invalid matrix element"}) << bad;
    errors.Clear();
  }
  v.SetInterMatrix(Lines(64, "17"));
  EXPECT_TRUE(errors.Messages().empty());
  EXPECT_EQ(v.InterMatrix().Count(), 64);
  EXPECT_EQ(v.Inter_Matrix()[63], 17);
  v.SetInterMatrix(TStringList());  // empty: accepted, values stay
  EXPECT_TRUE(v.InterMatrix().Empty());
  EXPECT_EQ(v.Inter_Matrix()[63], 17);
}

TEST(ConvertOptions, AdvancedOptionsReplaceWithoutRegardToCase) {
  TAVConvertOptions o;
  o.SetAdvancedOption("g", "15");
  o.SetAdvancedOption("G", "18");
  EXPECT_EQ(o.CodecOptions(), TStringList({"G=18"}));
  o.SetAdvancedOption("bf", "");  // new key, empty value: appended as is
  EXPECT_EQ(o.CodecOptions(), TStringList({"G=18", "bf="}));
  o.SetAdvancedOption("g", "");  // existing key, empty value: removed
  EXPECT_EQ(o.CodecOptions(), TStringList({"bf="}));
  EXPECT_EQ(o.CodecOptions().Value("BF"), "");
  EXPECT_EQ(o.CodecOptions().IndexOfName("BF"), 0);
}

TEST(ConvertOptions, AssignCopiesStoredPropertiesOnly) {
  harness::ErrorRecorder errors;
  TAVConvertOptions src;
  src.AudioOptions().SetAudioChannels(2);
  src.AudioOptions().SetAudioSampleFmt(sfFLT);
  src.AudioOptions().SetEncoderAudioCodecName("mp2");
  src.VideoOptions().SetFrameWidth(320);
  src.VideoOptions().SetFrameTopBand(4);
  src.VideoOptions().SetPass(1);
  src.VideoOptions().SetFFramePixFormat(4);
  src.VideoOptions().SetFVideoDiscard(8);
  src.VideoOptions().SetForceFPS(true);
  src.VideoOptions().FrameRate().Setnum(30000);
  src.VideoOptions().FrameRate().Setden(1001);
  src.VideoOptions().SetInterMatrix(Lines(64, "9"));
  src.SubtitleOptions().SetSubtitleLanguage("chi");
  src.MuxerOptions().SetMuxPreload(0.44f);
  src.MuxerOptions().VideoBitstreamFilters().Add("h264_mp4toannexb");
  src.GrabOptions().SetInputSync(true);
  src.FilterOptions().SetVideoFilters("hflip");
  src.MetaData().Add("title=x");
  src.SetAdvancedOption("g", "12");
  src.SetOutputFormat("avi");
  src.SetInputFormat("mp4");
  src.SetStartTime(5);
  src.SetRecordingTime(6);
  src.SetThreadCount(3);
  src.StreamMaps().Add("0=1");
  // Run-time properties are not copied.
  src.SetCopyTS(true);
  src.SetProgramID(9);
  src.SetAudioSize(100);

  TAVConvertOptions dst;
  dst.SetProgramID(4);
  dst.Assign(src);
  EXPECT_TRUE(errors.Messages().empty());
  EXPECT_EQ(dst.AudioOptions().AudioChannels(), 2);
  EXPECT_EQ(dst.AudioOptions().AudioSampleFmt(), sfFLT);
  EXPECT_EQ(dst.AudioOptions().EncoderAudioCodecName(), "mp2");
  EXPECT_EQ(dst.VideoOptions().FrameWidth(), 320);
  EXPECT_EQ(dst.VideoOptions().FrameTopBand(), 4);
  EXPECT_EQ(dst.VideoOptions().Pass(), 1);
  EXPECT_EQ(dst.VideoOptions().FFramePixFormat(), 4);
  EXPECT_EQ(dst.VideoOptions().FVideoDiscard(), 8);
  EXPECT_TRUE(dst.VideoOptions().ForceFPS());
  EXPECT_EQ(dst.VideoOptions().FrameRate().num(), 30000);
  EXPECT_EQ(dst.VideoOptions().FrameRate().den(), 1001);
  EXPECT_EQ(dst.VideoOptions().Inter_Matrix()[0], 9);
  EXPECT_EQ(dst.SubtitleOptions().SubtitleLanguage(), "chi");
  EXPECT_FLOAT_EQ(dst.MuxerOptions().MuxPreload(), 0.44f);
  EXPECT_EQ(dst.MuxerOptions().VideoBitstreamFilters().Count(), 1);
  EXPECT_TRUE(dst.GrabOptions().InputSync());
  EXPECT_EQ(dst.FilterOptions().VideoFilters(), "hflip");
  EXPECT_EQ(dst.MetaData(), src.MetaData());
  EXPECT_EQ(dst.CodecOptions(), TStringList({"g=12"}));
  EXPECT_EQ(dst.OutputFormat(), "avi");
  EXPECT_EQ(dst.InputFormat(), "mp4");
  EXPECT_EQ(dst.StartTime(), 5);
  EXPECT_EQ(dst.RecordingTime(), 6);
  EXPECT_EQ(dst.ThreadCount(), 3);
  EXPECT_EQ(dst.StreamMaps(), TStringList({"0=1"}));
  EXPECT_FALSE(dst.CopyTS());
  EXPECT_EQ(dst.ProgramID(), 4);
  EXPECT_EQ(dst.AudioSize(), 0);
}

}  // namespace
