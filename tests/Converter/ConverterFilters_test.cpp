// Filter chains in the system's syntax on real conversions, compared with the
// ffmpeg CLI's own filters applied to the same source (PSNR).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

#include "Common/NumberText.h"
#include "Wizard/CFilters.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/RealText.h"

namespace {

using fixtures::ShellQuote;

constexpr double kExactPsnr = 35.0;

struct ChainCase {
  const char* Name;
  const char* Ours;     // the system's chain text
  const char* Theirs;   // the same transform in ffmpeg's own syntax
};

std::string Source() {
  return fixtures::Media("filter_src.mkv", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -c:v ffv1 -pix_fmt yuv420p");
}

// Average PSNR of A against B as the ffmpeg CLI computes it.
double Psnr(const std::string& A, const std::string& B) {
  const std::string out = fixtures::RunCommand("ffmpeg -v info -i " + ShellQuote(A) + " -i " + ShellQuote(B) +
                                               " -lavfi psnr -f null - 2>&1 | grep -o 'average:[0-9a-z.]*'");
  const std::string value = out.substr(out.find(':') + 1);
  return value.rfind("inf", 0) == 0 ? 1000.0 : fixtures::Real(value);
}

class ConverterFilters : public ::testing::TestWithParam<ChainCase> {};

TEST_P(ConverterFilters, MatchTheCliTransform) {
  const ChainCase& c = GetParam();
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir(std::string("filters_") + c.Name);
  TAVConverter conv;
  conv.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
  conv.ConvertOptions().FilterOptions().SetVideoFilters(c.Ours);
  ASSERT_TRUE(harness::Run(conv, loop, Source(), dir + "/ours.mkv").Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  fixtures::RunCommand("ffmpeg -v error -y -i " + ShellQuote(Source()) + " -vf " + ShellQuote(c.Theirs) +
                       " -c:v ffv1 " + ShellQuote(dir + "/theirs.mkv"));
  EXPECT_GT(Psnr(dir + "/ours.mkv", dir + "/theirs.mkv"), kExactPsnr);
  // A wrong transform must not pass: the untouched source differs.
  if (std::string(c.Ours) != "null") {
    EXPECT_LT(Psnr(dir + "/ours.mkv", Source()), kExactPsnr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Chains, ConverterFilters,
    ::testing::Values(ChainCase{"vflip", "vflip", "vflip"}, ChainCase{"hflip", "hflip", "hflip"},
                      ChainCase{"negate", "negate", "negate"},
                      ChainCase{"all_three", "vflip,hflip,negate", "vflip,hflip,negate"},
                      ChainCase{"rotate90", "rotate=90", "rotate=90*PI/180"},
                      ChainCase{"rotate45", "rotate=45", "rotate=45*PI/180"},
                      ChainCase{"drawbox", "drawbox=20:30:100:80:Red", "drawbox=20:30:100:80:0xFF0000:t=3"}),
    [](const ::testing::TestParamInfo<ChainCase>& I) { return std::string(I.param.Name); });

// Converts Source() to FFV1 with two codec threads, so through the filter
// stage (one picture behind), after Configure; the output's path.
std::string ConvertOnFilterThread(const std::string& Name, const std::function<void(TAVConvertOptions&)>& Configure) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string out = fixtures::TempDir("filters_" + Name) + "/ours.mkv";
  TAVConverter conv;
  conv.ConvertOptions().SetThreadCount(2);
  conv.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
  Configure(conv.ConvertOptions());
  EXPECT_TRUE(harness::Run(conv, loop, Source(), out).Finished);
  EXPECT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  return out;
}

// The deinterlacer holds one picture more, given back only at the end.
TEST(ConverterFilterChains, DeinterlacedOnItsOwnThreadWithEveryPicture) {
  const std::string ours =
      ConvertOnFilterThread("deinterlace", [](TAVConvertOptions& O) { O.VideoOptions().SetDeinterlace(true); });
  const std::string theirs = ours.substr(0, ours.rfind('/')) + "/theirs.mkv";
  fixtures::RunCommand("ffmpeg -v error -y -i " + ShellQuote(Source()) + " -vf yadif -c:v ffv1 " + ShellQuote(theirs));
  EXPECT_EQ(fixtures::CountFrames(ours, "video"), fixtures::CountFrames(Source(), "video"));
  EXPECT_GT(Psnr(ours, theirs), kExactPsnr);
}

// A picture limit must still hold exactly.
TEST(ConverterFilterChains, PictureLimitHoldsOnTheFilterThread) {
  const std::string out = ConvertOnFilterThread("limit", [](TAVConvertOptions& O) {
    O.VideoOptions().SetMaxFrames(3);
    O.FilterOptions().SetVideoFilters("negate");
  });
  EXPECT_EQ(fixtures::CountFrames(out, "video"), 3);
}

TEST(ConverterFilterChains, DoubledWidthAndInjectedNames) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("filters_names");
  {
    TAVConverter c;
    c.ConvertOptions().FilterOptions().SetVideoFilters("pad=iw*2:ih");
    ASSERT_TRUE(harness::Run(c, loop, Source(), dir + "/wide.avi").Finished);
    EXPECT_EQ(fixtures::Probe(dir + "/wide.avi", "stream=width", "-select_streams v"), "width=640\n");
  }
  // A logo whose name would inject a filter if it were spliced into the chain.
  const std::string logo = dir + "/x.png,negate";
  fixtures::RunCommand("ffmpeg -v error -y -f lavfi -i color=c=red:s=16x16 -frames:v 1 -f image2 " + ShellQuote(logo));
  TLogoFilter filter;
  filter.SetLogoFile(logo);
  filter.SetX(10);
  filter.SetY(20);
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
  c.ConvertOptions().FilterOptions().SetVideoFilters(filter.GetFilterText());
  ASSERT_TRUE(harness::Run(c, loop, Source(), dir + "/logo.mkv").Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  // Red at the logo's place, the rest not negated (close to the source outside it).
  const std::string pixel = fixtures::RunCommand(
      "ffmpeg -v error -i " + ShellQuote(dir + "/logo.mkv") +
      " -frames:v 1 -vf crop=4:4:14:24,scale=1:1 -f rawvideo -pix_fmt rgb24 - | od -An -tu1");
  int r = 0, g = 0, b = 0;
  sscanf(pixel.c_str(), "%d %d %d", &r, &g, &b);
  EXPECT_GT(r, 200);
  EXPECT_LT(g, 60);
  fixtures::RunCommand("ffmpeg -v error -y -i " + ShellQuote(Source()) +
                       " -vf crop=100:100:200:120 -c:v ffv1 " + ShellQuote(dir + "/src_part.mkv"));
  fixtures::RunCommand("ffmpeg -v error -y -i " + ShellQuote(dir + "/logo.mkv") +
                       " -vf crop=100:100:200:120 -c:v ffv1 " + ShellQuote(dir + "/out_part.mkv"));
  EXPECT_GT(Psnr(dir + "/out_part.mkv", dir + "/src_part.mkv"), kExactPsnr);
}

}  // namespace

namespace {

// Mean absolute difference of a region between two files' first matching frame at Time.
double RegionDifference(const std::string& A, const std::string& B, const std::string& Crop, double Time) {
  auto grab = [&](const std::string& F) {
    return fixtures::RunCommand("ffmpeg -v error -ss " + FloatText(Time) + " -i " + ShellQuote(F) +
                                " -frames:v 1 -vf " + Crop + " -f rawvideo -pix_fmt gray -");
  };
  const std::string a = grab(A), b = grab(B);
  if (a.empty() || a.size() != b.size()) return -1;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]));
  return sum / static_cast<double>(a.size());
}

constexpr double kChanged = 8.0;
constexpr double kUnchanged = 2.0;

TEST(ConverterFilterChains, TextWatermarkOnlyInsideItsArea) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("filters_text");
  TOverlayTextFilter text;
  text.SetText("Quill 'A,B;C'");
  text.SetFontFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  text.SetFontSize(24);
  text.SetX(10);
  text.SetY(10);
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
  c.ConvertOptions().FilterOptions().SetVideoFilters(text.GetFilterText());
  ASSERT_TRUE(harness::Run(c, loop, Source(), dir + "/text.mkv").Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  EXPECT_GT(RegionDifference(dir + "/text.mkv", Source(), "crop=120:24:10:10", 0.2), kChanged);
  const double outside = RegionDifference(dir + "/text.mkv", Source(), "crop=200:120:100:110", 0.2);
  EXPECT_GE(outside, 0);
  EXPECT_LT(outside, kUnchanged);
}

TEST(ConverterFilterChains, SubtitlesBurnedInWhileShown) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("filters_subs");
  const std::string source = fixtures::Media("filter_src3.mkv", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=3 -c:v ffv1 -pix_fmt yuv420p");
  {
    // "字幕" in GB18030 (0xD7 0xD6 0xC4 0xBB), shown from 1 s to 2 s.
    std::ofstream srt(dir + "/subs.srt", std::ios::binary);
    srt << "1\n00:00:01,000 --> 00:00:02,000\nWWWW \xD7\xD6\xC4\xBB WWWW\n\n";
  }
  TSubtitleFilter subs;
  subs.SetSubtitleFile(dir + "/subs.srt");
  subs.SetFontFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  subs.SetCodePage("GB18030");
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
  c.ConvertOptions().FilterOptions().SetVideoFilters(subs.GetFilterText());
  ASSERT_TRUE(harness::Run(c, loop, source, dir + "/subs.mkv").Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  const std::string bottom = "crop=320:60:0:180";
  EXPECT_GT(RegionDifference(dir + "/subs.mkv", source, bottom, 1.5), 2 * kUnchanged);  // shown (thin text)
  EXPECT_LT(RegionDifference(dir + "/subs.mkv", source, bottom, 0.5), kUnchanged);  // before
  EXPECT_LT(RegionDifference(dir + "/subs.mkv", source, bottom, 2.5), kUnchanged);  // after
}

// GBK text with no code page chosen is refused with a line saying what to
// choose; UTF-16 with its byte-order mark reads the same whatever was chosen.
TEST(ConverterFilterChains, SubtitleCodePages) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("filters_codepages");
  const std::string cue = "1\n00:00:00,000 --> 00:00:01,000\nWWWW \u5B57\u5E55 WWWW\n\n";
  std::ofstream(dir + "/utf8.srt") << cue;
  std::ofstream(dir + "/gbk.srt", std::ios::binary) << "1\n00:00:00,000 --> 00:00:01,000\nWWWW \xD7\xD6\xC4\xBB WWWW\n\n";
  fixtures::RunCommand("(printf '\\377\\376'; iconv -f UTF-8 -t UTF-16LE " + ShellQuote(dir + "/utf8.srt") + ") > " +
                       ShellQuote(dir + "/utf16.srt"));
  auto burn = [&](const std::string& Srt, const std::string& CodePage, const std::string& Out, harness::Events* E) {
    TSubtitleFilter subs;
    subs.SetSubtitleFile(dir + "/" + Srt);
    subs.SetFontFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    subs.SetCodePage(CodePage);
    TAVConverter c;
    c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
    c.ConvertOptions().FilterOptions().SetVideoFilters(subs.GetFilterText());
    if (E) E->Attach(c);
    EXPECT_TRUE(harness::Run(c, loop, Source(), dir + "/" + Out).Finished);
  };
  harness::Events refused;
  burn("gbk.srt", "", "gbk.mkv", &refused);
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"Error opening filters!"});
  EXPECT_NE(refused.JoinedLog().find("is not UTF-8 text: choose its code page"), std::string::npos);
  errors.Clear();
  burn("utf8.srt", "", "utf8.mkv", nullptr);
  burn("utf16.srt", "UTF-16LE", "utf16.mkv", nullptr);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  EXPECT_LT(RegionDifference(dir + "/utf16.mkv", dir + "/utf8.mkv", "crop=320:60:0:180", 0.5), kUnchanged);
  EXPECT_GT(RegionDifference(dir + "/utf16.mkv", Source(), "crop=320:60:0:180", 0.5), 2 * kUnchanged);
}

TEST(ConverterFilterChains, FilesNamedWithOuterSpacesConvert) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("filters_spaced");
  const std::string logo = dir + "/  logo .png ";
  fixtures::RunCommand("ffmpeg -v error -y -f lavfi -i color=c=red:s=16x16 -frames:v 1 -f image2 " + ShellQuote(logo));
  std::ofstream(dir + "/ subs.srt  ") << "1\n00:00:00,000 --> 00:00:01,000\nWWWW WWWW\n\n";
  TLogoFilter picture;
  picture.SetLogoFile(logo);
  picture.SetX(10);
  picture.SetY(20);
  TSubtitleFilter subs;
  subs.SetSubtitleFile(dir + "/ subs.srt  ");
  subs.SetFontFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  TAVConverter c;
  c.ConvertOptions().VideoOptions().SetEncoderVideoCodecName("ffv1");
  c.ConvertOptions().FilterOptions().SetVideoFilters(BuildFilterChain({&picture, &subs}));
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, loop, Source(), dir + "/out.mkv").Finished);
  ASSERT_TRUE(errors.Messages().empty()) << errors.Messages()[0] << "\n"
                                         << c.ConvertOptions().FilterOptions().VideoFilters() << "\n"
                                         << (events.Log.empty() ? "" : events.Log.back());
  // The picture stands at its place (red) and the subtitle line at the bottom.
  EXPECT_GT(RegionDifference(dir + "/out.mkv", Source(), "crop=12:12:12:22", 0.5), kChanged);
  EXPECT_GT(RegionDifference(dir + "/out.mkv", Source(), "crop=320:60:0:180", 0.5), 2 * kUnchanged);
}

}  // namespace
