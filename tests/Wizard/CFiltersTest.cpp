#include "Wizard/CFilters.h"

#include <gtest/gtest.h>

#include <memory>

#include "Common/Errors.h"
#include "Wizard/CFilterDialogs.h"

namespace {

constexpr TColor kYellow = 0x00FFFF;  // red 255, green 255, blue 0
constexpr TColor kBlue = 0xFF0000;

TEST(CFiltersText, LogoWritesPositionAndDoubledBackslashes) {
  TLogoFilter f;
  f.SetX(10);
  f.SetY(20);
  f.SetLogoFile("C:\\a\\b.png");
  EXPECT_EQ(f.GetFilterText(), "logo=10|20|C:\\\\a\\\\b.png");
  EXPECT_EQ(f.GetFilterName(), "Logo Filter");
}

TEST(CFiltersText, OverlayTextColoursLineBreaksAndLayout) {
  TOverlayTextFilter f;
  f.SetText("a\r\nb");
  f.SetFontFile("C:\\f\\a.ttf");
  f.SetX(3);
  f.SetY(4);
  f.SetFontSize(16);
  f.SetFontColor(kYellow);
  f.SetBgColor(kBlue);
  EXPECT_EQ(f.GetFilterText(),
            "drawtext=fontfile=\\'C:\\\\f\\\\a.ttf\\'#text='a\\nb'#x=3#y=4#fontsize=16"
            "#fgcolor=0xFFFF00FF#bgcolor=0x0000FF00");
  EXPECT_EQ(f.GetFilterName(), "Overlay Text Filter");
  // A lone CR or LF is kept as it is.
  f.SetText("a\rb\nc");
  EXPECT_NE(f.GetFilterText().find("text='a\rb\nc'"), std::string::npos);
}

TEST(CFiltersText, SubtitleWithAndWithoutCodePage) {
  TSubtitleFilter f;
  f.SetSubtitleFile("C:\\s.srt");
  f.SetFontFile("C:\\f.ttf");
  f.SetFontColor(kBlue);
  EXPECT_EQ(f.GetFilterText(), "ass=filename$C:\\\\s.srt#font$C:\\\\f.ttf#color$0xFF00");
  f.SetCodePage("GB18030");
  EXPECT_EQ(f.GetFilterText(), "ass=filename$C:\\\\s.srt#font$C:\\\\f.ttf#color$0xFF00#codepage$GB18030");
  f.SetFontColor(kYellow);
  EXPECT_NE(f.GetFilterText().find("color$0xFFFF0000#"), std::string::npos);
  EXPECT_EQ(f.GetFilterName(), "Hard Subtitle Filter");
}

TEST(CFiltersText, StandardFiltersInFixedOrder) {
  TVideoStdFilter f;
  f.SetRotate(true);
  f.SetDegree(45);
  EXPECT_EQ(f.GetFilterText(), "rotate=45");
  f.SetVerticalFilp(true);
  f.SetHorizontalFilip(true);
  f.SetNegate(true);
  f.SetDrawBox(true);
  f.SetBX(1);
  f.SetBY(2);
  f.SetBWidth(3);
  f.SetBHeight(4);
  f.SetBColor("Red");
  f.SetDegree(90);
  EXPECT_EQ(f.GetFilterText(), "vflip,hflip,drawbox=1:2:3:4:Red,negate,rotate=90");
  EXPECT_EQ(f.GetFilterName(), "Standar Filters");
  TVideoStdFilter none;
  EXPECT_EQ(none.GetFilterText(), "");
}

TEST(CFiltersText, SwapRedBlueIgnoresTheTopByte) {
  EXPECT_EQ(SwapRedBlue(0x00123456), 0x00563412u);
  EXPECT_EQ(SwapRedBlue(0xAB0000FF), 0x00FF0000u);
}

TEST(CFiltersText, ListRuleWrapsItemsWithSeparatorsOrSpaces) {
  EXPECT_EQ(JoinFilterTexts({}), "");
  EXPECT_EQ(JoinFilterTexts({""}), "  ");
  EXPECT_EQ(JoinFilterTexts({"a", "b"}), "a,b");
  EXPECT_EQ(JoinFilterTexts({"a", "b,c", "d e", "f\tg"}), "a, b,c , d e , f\tg ");

  TLogoFilter logo;
  logo.SetLogoFile("/tmp/a.png");
  TVideoStdFilter std;
  std.SetVerticalFilp(true);
  std.SetHorizontalFilip(true);
  EXPECT_EQ(BuildFilterChain({&logo, &std}), "logo=0|0|/tmp/a.png, vflip,hflip ");
  EXPECT_EQ(BuildFilterChain({}), "");

  TLogoFilter spaced;
  spaced.SetLogoFile("/tmp/my logo.png");
  EXPECT_EQ(BuildFilterChain({&spaced}), " logo=0|0|/tmp/my logo.png ");
}

TEST(CFiltersText, ChainSyntaxInNamesAndTextsIsEscaped) {
  TLogoFilter logo;
  logo.SetLogoFile("/tmp/it's [x],y;z#.png");
  EXPECT_EQ(logo.GetFilterText(), "logo=0|0|/tmp/it\\'s \\[x\\]\\,y\\;z#.png");

  TSubtitleFilter sub;
  sub.SetSubtitleFile("/s/a#b,c.srt");
  sub.SetFontFile("/f/x'y.ttf");
  EXPECT_EQ(sub.GetFilterText(), "ass=filename$/s/a\\#b\\,c.srt#font$/f/x\\'y.ttf#color$0x000");

  TOverlayTextFilter text;
  text.SetText("it's, \"quoted\"; #1 \\ [a]");
  text.SetFontFile("/f/o'k.ttf");
  EXPECT_NE(text.GetFilterText().find("fontfile=\\'/f/o\\'k.ttf\\'#text='it'\\''s, \"quoted\"; #1 \\ [a]'#"),
            std::string::npos)
      << text.GetFilterText();
}

// Dialog stand-in that records what happened to it.
struct TDialogLog {
  int Created = 0, Destroyed = 0, Loaded = 0;
  bool Ok = true;
  int LoadedX = -1;
};

class TFakeLogoDialog : public TFilterDialog<TLogoFilter> {
 public:
  explicit TFakeLogoDialog(TDialogLog& Log) : FLog(Log) { ++FLog.Created; }
  ~TFakeLogoDialog() override { ++FLog.Destroyed; }
  void Load(const TLogoFilter& F) override {
    ++FLog.Loaded;
    FLog.LoadedX = F.X();
  }
  bool ShowModal() override {
    EXPECT_EQ(FLog.Destroyed, FLog.Created - 1);
    return FLog.Ok;
  }
  void Store(TLogoFilter& F) const override {
    F.SetX(7);
    F.SetY(8);
    F.SetLogoFile("/p.png");
  }

 private:
  TDialogLog& FLog;
};

class TFakeFactory : public TFilterDialogFactory {
 public:
  TDialogLog Log;
  std::unique_ptr<TFilterDialog<TLogoFilter>> CreateLogoDialog() override {
    return std::make_unique<TFakeLogoDialog>(Log);
  }
  std::unique_ptr<TFilterDialog<TOverlayTextFilter>> CreateOverlayTextDialog() override { return nullptr; }
  std::unique_ptr<TFilterDialog<TSubtitleFilter>> CreateSubtitleDialog() override { return nullptr; }
  std::unique_ptr<TFilterDialog<TVideoStdFilter>> CreateVideoStdDialog() override { return nullptr; }
};

class CFiltersDialog : public ::testing::Test {
 protected:
  void SetUp() override { FOld = SetFilterDialogFactory(&FFactory); }
  void TearDown() override { SetFilterDialogFactory(FOld); }
  TFakeFactory FFactory;
  TFilterDialogFactory* FOld = nullptr;
};

TEST_F(CFiltersDialog, NewCopiesOnOkAndDestroysTheDialog) {
  TLogoFilter f;
  EXPECT_TRUE(f.ExecuteNew());
  EXPECT_EQ(f.X(), 7);
  EXPECT_EQ(f.LogoFile(), "/p.png");
  EXPECT_EQ(FFactory.Log.Loaded, 0);
  EXPECT_EQ(FFactory.Log.Created, 1);
  EXPECT_EQ(FFactory.Log.Destroyed, 1);
}

TEST_F(CFiltersDialog, CancelChangesNothing) {
  FFactory.Log.Ok = false;
  TLogoFilter f;
  f.SetX(3);
  EXPECT_FALSE(f.ExecuteEdit());
  EXPECT_EQ(f.X(), 3);
  EXPECT_EQ(f.LogoFile(), "");
  EXPECT_EQ(FFactory.Log.Destroyed, 1);
}

TEST_F(CFiltersDialog, EditFillsTheDialogFirst) {
  TLogoFilter f;
  f.SetX(42);
  EXPECT_TRUE(f.ExecuteEdit());
  EXPECT_EQ(FFactory.Log.Loaded, 1);
  EXPECT_EQ(FFactory.Log.LoadedX, 42);
  EXPECT_EQ(f.X(), 7);
}

TEST_F(CFiltersDialog, MissingDialogIsAnAssertionFailure) {
  TVideoStdFilter f;
  EXPECT_THROW(f.ExecuteNew(), EAssertionFailed);
  SetFilterDialogFactory(nullptr);
  TLogoFilter logo;
  EXPECT_THROW(logo.ExecuteNew(), EAssertionFailed);
}

}  // namespace
