// Pictures, texts and subtitles drawn by the system's chain entries, written
// by the filter descriptors.
#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>

#include "FilterGraphTestSupport.h"
#include "Wizard/CFilters.h"
#include "support/Fixtures.h"

using namespace graphtest;
namespace fs = std::filesystem;

namespace {

constexpr double kExactPsnr = 35.0;
constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kBlue = 0xFF0000;
constexpr const char* kLatinFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kChineseFont = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
constexpr int kLogoX = 10, kLogoY = 20, kLogoW = 32, kLogoH = 24;

std::string SourceClip() {
  return fixtures::Media("graph_src.mkv",
                         "-f lavfi -i testsrc2=size=320x240:rate=10:duration=3 -c:v ffv1 -pix_fmt yuv420p");
}

void WriteFile(const fs::path& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary) << Bytes;
}

std::string ToGb18030(const std::string& Utf8) {
  iconv_t cd = iconv_open("GB18030", "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(Utf8.size() * 2, '\0');
  char* in = const_cast<char*>(Utf8.data());
  size_t inLeft = Utf8.size(), outLeft = out.size();
  char* o = out.data();
  EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

class FilterOverlay : public ::testing::Test {
 protected:
  void SetUp() override {
    FClip = SourceClip();
    FSource = DecodeVideo(FClip);
    ASSERT_FALSE(FSource.Frames.empty());
    TGraphRun plain = RunGraph(FSource, SameSizeOutput(FSource.Input), "");
    FPlain = plain.Pictures;
    FDir = fixtures::TempDir("overlay");
  }
  TGraphRun Run(const std::string& Chain) {
    TGraphRun run = RunGraph(FSource, SameSizeOutput(FSource.Input), Chain);
    EXPECT_TRUE(run.Built) << Chain;
    EXPECT_EQ(run.Pictures.size(), FPlain.size()) << Chain;
    return run;
  }
  int W() const { return FSource.Input.Width; }
  int H() const { return FSource.Input.Height; }
  double Seconds(const TGraphRun& Run, size_t I) const { return static_cast<double>(Run.Pts[I]) * av_q2d(Run.TimeBase); }

  std::string FClip;
  TDecoded FSource;
  std::vector<std::string> FPlain;
  std::string FDir;
};

TEST_F(FilterOverlay, LogoStaysAtItsPlaceWhateverItsFileIsNamed) {
  const std::string logo = fixtures::Media("logo_red.png", "-f lavfi -i color=c=red:s=32x24 -frames:v 1");
  for (const char* name : {"plain.png", "my logo.png", "it's.png", "x.png,negate", "[a];b.png"}) {
    const fs::path file = fs::path(FDir) / name;
    fs::copy_file(logo, file, fs::copy_options::overwrite_existing);
    TLogoFilter f;
    f.SetX(kLogoX);
    f.SetY(kLogoY);
    f.SetLogoFile(file.string());
    TGraphRun run = Run(BuildFilterChain({&f}));
    if (run.Pictures.size() != FPlain.size()) continue;
    for (size_t i : {size_t{0}, run.Pictures.size() - 1}) {
      TChangeCount c = CountChanges(run.Pictures[i], FPlain[i], W(), H(), kLogoX, kLogoY, kLogoX + kLogoW,
                                    kLogoY + kLogoH, 0);
      EXPECT_EQ(c.Outside, 0) << name << " picture " << i;
      EXPECT_GT(c.Inside, kLogoW * kLogoH / 2) << name;
      EXPECT_NEAR(PixelAt(run.Pictures[i], W(), H(), kLogoX + 5, kLogoY + 5).V, 240, 4) << name;
    }
  }
  // A comma escaped by hand is part of the name as well.
  TGraphRun byHand = Run("logo=10|20|" + FDir + "/x.png\\,negate");
  ASSERT_FALSE(byHand.Pictures.empty());
  EXPECT_EQ(CountChanges(byHand.Pictures[0], FPlain[0], W(), H(), 10, 20, 42, 44, 0).Outside, 0);

  auto cli = CliPictures(FClip, "movie=" + FDir + "/plain.png[l];[in][l]overlay=10:20", W(), H());
  TLogoFilter f;
  f.SetX(kLogoX);
  f.SetY(kLogoY);
  f.SetLogoFile(FDir + "/plain.png");
  TGraphRun run = Run(f.GetFilterText());
  ASSERT_EQ(cli.size(), run.Pictures.size());
  for (size_t i = 0; i < cli.size(); ++i) EXPECT_GT(Psnr(run.Pictures[i], cli[i]), kExactPsnr) << i;
}

TEST_F(FilterOverlay, TextDrawsExactlyWhatWasTypedInItsFont) {
  struct TCase {
    std::string Typed, Drawn, Font;
  };
  const TCase cases[] = {
      {"Hello, 'World'; #1 [x] 100%\r\nline 2 \\ end", "Hello, 'World'; #1 [x] 100%\nline 2 \\ end", kLatinFont},
      {"你好，世界", "你好，世界", kChineseFont},
  };
  for (const auto& c : cases) {
    TOverlayTextFilter f;
    f.SetText(c.Typed);
    f.SetFontFile(c.Font);
    f.SetX(20);
    f.SetY(30);
    f.SetFontSize(24);
    f.SetFontColor(kYellow);
    f.SetBgColor(kBlue);
    TGraphRun run = Run(BuildFilterChain({&f}));
    if (run.Pictures.size() != FPlain.size()) continue;
    const fs::path textFile = fs::path(FDir) / "text.txt";
    WriteFile(textFile, c.Drawn);
    auto cli = CliPictures(FClip,
                           "drawtext=fontfile=" + c.Font + ":textfile=" + textFile.string() +
                               ":expansion=none:x=20:y=30:fontsize=24:fontcolor=0xFFFF00FF:box=1:boxcolor=0x0000FF00",
                           W(), H());
    ASSERT_EQ(cli.size(), run.Pictures.size());
    for (size_t i = 0; i < cli.size(); ++i) EXPECT_GT(Psnr(run.Pictures[i], cli[i]), kExactPsnr) << c.Typed;
    TChangeCount changes = CountChanges(run.Pictures[0], FPlain[0], W(), H(), 20, 30, W(), 100, 0);
    EXPECT_EQ(changes.Outside, 0) << c.Typed;
    EXPECT_GT(changes.Inside, 200) << c.Typed;
  }
}

TEST_F(FilterOverlay, SubtitlesShowOnlyDuringTheirLineInAnyCodePage) {
  const std::string line = "你好，世界";
  const std::string srt = "1\r\n00:00:01,000 --> 00:00:02,000\r\n" + line + "\r\n\r\n";
  const std::string ass =
      "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n[V4+ Styles]\n"
      "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, "
      "Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
      "Alignment, MarginL, MarginR, MarginV, Encoding\n"
      "Style: Default,Arial,28,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,1,0,2,10,"
      "10,10,1\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
      "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,," + line + "\n";
  struct TCase {
    std::string Name, Bytes, CodePage;
  };
  const TCase cases[] = {
      {"utf8 #1, it's.srt", srt, ""},
      {"gb [18030].srt", ToGb18030(srt), "GB18030"},
      {"utf8;1.ass", ass, "UTF-8"},
      {"gb18030.ass", ToGb18030(ass), "GB18030"},
  };
  std::vector<std::vector<std::string>> results;
  for (const auto& c : cases) {
    const fs::path file = fs::path(FDir) / c.Name;
    WriteFile(file, c.Bytes);
    TSubtitleFilter f;
    f.SetSubtitleFile(file.string());
    f.SetFontFile(kChineseFont);
    f.SetFontColor(kYellow);
    f.SetCodePage(c.CodePage);
    TGraphRun run = Run(BuildFilterChain({&f}));
    if (run.Pictures.size() != FPlain.size()) continue;
    bool yellow = false;
    for (size_t i = 0; i < run.Pictures.size(); ++i) {
      const double t = Seconds(run, i);
      const int changed = CountChanges(run.Pictures[i], FPlain[i], W(), H(), 0, 0, W(), H(), 0).Inside;
      if (t > 1.05 && t < 1.95) {
        EXPECT_GT(changed, 200) << c.Name << " at " << t;
      } else if (t < 0.95 || t > 2.05) {
        EXPECT_EQ(changed, 0) << c.Name << " at " << t;
      }
      for (int y = H() / 2; y < H() && t > 1.05 && t < 1.95; y += 2)
        for (int x = 0; x < W(); x += 2) {
          TYuv p = PixelAt(run.Pictures[i], W(), H(), x, y);
          yellow |= p.Y > 180 && p.U < 60;
        }
    }
    EXPECT_TRUE(yellow) << c.Name;
    results.push_back(run.Pictures);
  }
  ASSERT_EQ(results.size(), 4u);
  // The same line in either character set is the same picture.
  EXPECT_TRUE(results[0] == results[1]);
  EXPECT_TRUE(results[2] == results[3]);
  const fs::path plain = fs::path(FDir) / "plain.srt";
  WriteFile(plain, srt);
  auto cli = CliPictures(FClip,
                         "subtitles=filename=" + plain.string() +
                             ":fontsdir=/usr/share/fonts/truetype/wqy"
                             ":force_style='FontName=WenQuanYi Micro Hei,PrimaryColour=&H0000FFFF'",
                         W(), H());
  ASSERT_EQ(cli.size(), results[0].size());
  for (size_t i = 0; i < cli.size(); ++i) EXPECT_GT(Psnr(results[0][i], cli[i]), kExactPsnr) << i;
}

TEST_F(FilterOverlay, SubtitlesUseTheChosenFontFile) {
  const fs::path file = fs::path(FDir) / "latin.srt";
  WriteFile(file, "1\n00:00:00,000 --> 00:00:03,000\nQuite a long line\n\n");
  std::vector<std::string> first;
  for (const char* font : {"DejaVuSerif.ttf", "DejaVuSansMono.ttf"}) {
    TSubtitleFilter f;
    f.SetSubtitleFile(file.string());
    f.SetFontFile(std::string("/usr/share/fonts/truetype/dejavu/") + font);
    f.SetFontColor(kYellow);
    TGraphRun run = Run(f.GetFilterText());
    ASSERT_FALSE(run.Pictures.empty());
    const std::string family = font == std::string("DejaVuSerif.ttf") ? "DejaVu Serif" : "DejaVu Sans Mono";
    auto cli = CliPictures(FClip,
                           "subtitles=filename=" + file.string() +
                               ":fontsdir=/usr/share/fonts/truetype/dejavu:force_style='FontName=" + family +
                               ",PrimaryColour=&H0000FFFF'",
                           W(), H());
    ASSERT_EQ(cli.size(), run.Pictures.size());
    EXPECT_GT(Psnr(run.Pictures[0], cli[0]), kExactPsnr) << font;
    if (first.empty()) first = run.Pictures;
    else EXPECT_FALSE(first[0] == run.Pictures[0]);
  }
}

}  // namespace
