#include "Converter/AVConverterFilterChainParser.h"

#include <gtest/gtest.h>

#include "Wizard/CFilters.h"

namespace {

std::vector<TChainEntry> Parse(const std::string& Text) {
  std::vector<TChainEntry> entries;
  std::string error;
  EXPECT_TRUE(ParseFilterChain(Text, entries, error)) << Text << ": " << error;
  return entries;
}

std::vector<std::string> Unescaped(const std::string& Raw, char Separator, size_t Max = static_cast<size_t>(-1)) {
  std::vector<std::string> out;
  for (const auto& p : SplitChainRaw(Raw, Separator, Max)) out.push_back(UnescapeChainToken(p));
  return out;
}

TEST(FilterChainParser, EntriesNamesArgumentsAndSeparators) {
  auto e = Parse("  vflip , scale=iw*2:ih;[a]negate[b],logo=1|2|x ");
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].Name, "vflip");
  EXPECT_FALSE(e[0].HasArgs);
  EXPECT_EQ(e[0].SeparatorAfter, ',');
  EXPECT_EQ(e[1].Name, "scale");
  EXPECT_EQ(e[1].Args, "iw*2:ih");
  EXPECT_EQ(e[1].SeparatorAfter, ';');
  EXPECT_EQ(e[2].Name, "negate");
  EXPECT_TRUE(e[2].HasLabels);
  EXPECT_EQ(e[2].SeparatorBefore, ';');
  EXPECT_EQ(e[3].Args, "1|2|x ");
  const std::string text = "  vflip , scale=iw*2:ih;[a]negate[b],logo=1|2|x ";
  EXPECT_EQ(text.substr(e[2].Begin, e[2].End - e[2].Begin), "[a]negate[b]");
  EXPECT_EQ(text.substr(e[3].Begin, e[3].End - e[3].Begin), "logo=1|2|x");
  EXPECT_TRUE(Parse("   ").empty());
}

TEST(FilterChainParser, EscapesAndQuotesProtectSeparators) {
  auto e = Parse("drawtext=text='a, b; [c]'#x=1,logo=0|0|/p/a\\,b\\;c\\[d\\].png,hflip");
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(Unescaped(e[0].Args, '#')[0], "text=a, b; [c]");
  EXPECT_EQ(Unescaped(e[1].Args, '|', 3)[2], "/p/a,b;c[d].png");
  EXPECT_EQ(e[2].Name, "hflip");
  // The last piece keeps separators beyond MaxParts.
  EXPECT_EQ(Unescaped("1|2|a|b", '|', 3)[2], "a|b");
  // Unprotected blanks go, protected ones stay.
  EXPECT_EQ(UnescapeChainToken("  a b  "), "a b");
  EXPECT_EQ(UnescapeChainToken(" ' a ' "), " a ");
  EXPECT_EQ(UnescapeChainToken("a\\ "), "a ");
  EXPECT_EQ(UnescapeChainToken("'it'\\''s'"), "it's");
}

TEST(FilterChainParser, MalformedChainsAreRefused) {
  std::vector<TChainEntry> e;
  std::string error;
  for (const char* bad : {"vflip,", ",vflip", "vflip]", "[a vflip", "vflip,,hflip", "=x"}) {
    EXPECT_FALSE(ParseFilterChain(bad, e, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

// What the descriptors write reads back as the very names and texts they hold.
TEST(FilterChainParser, DescriptorTextsReadBackUnchanged) {
  const std::string nasty = "/t/it's a [b],c;d#e\\f.png";
  TLogoFilter logo;
  logo.SetX(5);
  logo.SetLogoFile(nasty);
  TSubtitleFilter sub;
  sub.SetSubtitleFile(nasty);
  sub.SetFontFile("/f/x'#y.ttf");
  sub.SetCodePage("GB18030");
  TOverlayTextFilter text;
  text.SetText("He said 'hi', then; left # [now] \\o/");
  text.SetFontFile(nasty);
  TVideoStdFilter std;
  std.SetNegate(true);
  std.SetVerticalFilp(true);

  auto e = Parse(BuildFilterChain({&logo, &text, &sub, &std}));
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].Name, "logo");
  auto logoParts = Unescaped(e[0].Args, '|', 3);
  EXPECT_EQ(logoParts[0], "5");
  EXPECT_EQ(logoParts[2], nasty);

  EXPECT_EQ(e[1].Name, "drawtext");
  auto textOptions = SplitChainRaw(e[1].Args, '#');
  ASSERT_EQ(textOptions.size(), 7u);
  EXPECT_EQ(Unescaped(textOptions[0], '=', 2)[1], "'" + nasty + "'");
  EXPECT_EQ(Unescaped(textOptions[1], '=', 2)[1], "He said 'hi', then; left # [now] \\o/");

  EXPECT_EQ(e[2].Name, "ass");
  auto subOptions = SplitChainRaw(e[2].Args, '#');
  ASSERT_EQ(subOptions.size(), 4u);
  EXPECT_EQ(Unescaped(subOptions[0], '$', 2)[1], nasty);
  EXPECT_EQ(Unescaped(subOptions[1], '$', 2)[1], "/f/x'#y.ttf");
  EXPECT_EQ(Unescaped(subOptions[3], '$', 2)[1], "GB18030");

  EXPECT_EQ(e[3].Name, "vflip");
  EXPECT_EQ(e[4].Name, "negate");
}

}  // namespace
