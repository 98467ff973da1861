#include "Converter/AVConverterFontFamily.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/Fixtures.h"

TEST(FontFamily, ReadsFontsAndCollectionsAndRefusesOthers) {
  EXPECT_EQ(FontFamilyName("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"), "DejaVu Sans");
  EXPECT_EQ(FontFamilyName("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"), "DejaVu Serif");
  EXPECT_EQ(FontFamilyName("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"), "WenQuanYi Micro Hei");
  EXPECT_FALSE(FontFamilyName("/no/such/font.ttf"));
  const std::string junk = fixtures::TempDir("fontfamily") + "/junk.ttf";
  std::ofstream(junk) << "not a font at all, just some text that is long enough";
  EXPECT_FALSE(FontFamilyName(junk));
}
