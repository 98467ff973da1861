// The INI class: private-profile semantics and exact bytes on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "Common/Errors.h"
#include "Common/IniFile.h"
#include "support/Fixtures.h"

namespace {

std::string ReadAll(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(IniFile, WritesKeysInPlaceAndInOrder) {
  const std::string path = fixtures::TempDir("ini") + "/a.ini";
  TIniFile ini(path);
  ini.WriteString("Profile", "Description0", "AAC Audio");
  ini.WriteInteger("Profile", "SampleRate0", 48000);
  ini.WriteFloat("Profile", "AudioBitrate0", 12.2);
  ini.WriteFloat("Profile", "AudioBitrate1", 128.0);
  ini.WriteString("Other", "x", "1");
  ini.WriteString("profile", "SAMPLERATE0", "44100");  // same key, other case: rewritten in place
  ini.WriteString("Profile", "Late", "y");
  EXPECT_EQ(ReadAll(path),
            "[Profile]\r\nDescription0=AAC Audio\r\nSAMPLERATE0=44100\r\nAudioBitrate0=12.2\r\n"
            "AudioBitrate1=128\r\nLate=y\r\n[Other]\r\nx=1\r\n");
  const TIniFile back(path);
  EXPECT_EQ(back.ReadInteger("PROFILE", "samplerate0", 0), 44100);
  EXPECT_DOUBLE_EQ(back.ReadFloat("Profile", "AudioBitrate0", 0), 12.2);
  EXPECT_EQ(back.ReadString("Profile", "Missing", "dflt"), "dflt");
  EXPECT_EQ(back.ReadString("Nowhere", "x", "d"), "d");
}

TEST(IniFile, NumbersBooleansAndLongValues) {
  const std::string path = fixtures::TempDir("ini_numbers") + "/n.ini";
  std::ofstream(path) << "[S]\nhex=0x1F\nHEX2=0X10\nbad=12abc\nneg=-7\nb=2\nf=1.5e3\nfbad=1,5\nlong="
                      << std::string(3000, 'v') << "\n";
  const TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "hex2", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "bad", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "neg", 0), -7);
  EXPECT_TRUE(ini.ReadBool("S", "b", false));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "f", 0), 1500.0);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "fbad", 2.5), 2.5);
  EXPECT_EQ(ini.ReadString("S", "long", "").size(), TIniFile::kMaxValueLength);
}

// The GUI runs with the user's locale: a German user's file still says "12.2".
TEST(IniFile, RealsUseAPointUnderADecimalCommaLocale) {
  const fixtures::TGermanNumbers german;
  if (!german.Active()) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  const std::string path = fixtures::TempDir("ini_german") + "/g.ini";
  {
    TIniFile ini(path);
    ini.WriteFloat("S", "r", 12.2);
    ini.WriteFloat("S", "big", 1.5e20);
  }
  EXPECT_EQ(ReadAll(path), "[S]\r\nr=12.2\r\nbig=1.5e+20\r\n");
  EXPECT_DOUBLE_EQ(TIniFile(path).ReadFloat("S", "r", 0), 12.2);
  EXPECT_DOUBLE_EQ(TIniFile(path).ReadFloat("S", "big", 0), 1.5e20);
}

TEST(IniFile, MultiLineValuesReadBackLineForLine) {
  const std::string text = "maxrate=1000000\r\npath=C:\\dir\\n\r\n";
  const std::string stored = TIniFile::EscapeLines(text);
  EXPECT_EQ(stored.find('\n'), std::string::npos);
  EXPECT_EQ(stored, "maxrate=1000000\\r\\npath=C:\\\\dir\\\\n\\r\\n");
  EXPECT_EQ(TIniFile::UnescapeLines(stored), text);
}

TEST(IniFile, UnwritableFileIsReported) {
  // A folder in the file's place can't be written, whoever runs the test.
  const std::string path = fixtures::TempDir("ini_ro") + "/p.ini";
  mkdir(path.c_str(), 0700);
  TIniFile ini(path);
  try {
    ini.WriteString("S", "k", "v");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
}

}  // namespace
