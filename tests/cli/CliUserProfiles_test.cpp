// The CLI offers the catalogue the GUI offers: the user's Profiles.ini, as the
// profile editor writes it, replaces the built-in profiles unless left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Converter/AVProfile.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"

namespace {

using fixtures::ShellQuote;

constexpr const char* kDataFolder = "/QuillbrookSoft/VIVUraraZuzavizezUDO/";

std::string RunCli(const std::string& DataHome, const std::string& Args, int* Status) {
  return fixtures::RunCommand("XDG_DATA_HOME=" + ShellQuote(DataHome) + " " + QB_CLI + " " + Args + " 2>&1", Status);
}

int CountLines(const std::string& Text) { return static_cast<int>(std::count(Text.begin(), Text.end(), '\n')); }

TEST(CliUserProfiles, ListsMarksAndConvertsAProfileOfTheEditor) {
  const std::string home = fixtures::TempDir("cli_user_profiles");
  std::filesystem::create_directories(home + kDataFolder);
  // What the editor's exit saves: the whole catalogue plus the new profile.
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  auto mine = std::make_unique<TAVCustomVideoProfile>();
  mine->SetDescription("My <small> & tiny AVI");
  mine->SetExtension(".avi");
  mine->SetCategory("AVI");
  mine->VideoEncoder = MPEG4;
  mine->FrameWidth = 160;
  mine->FrameHeight = 120;
  mine->FrameRate = r25;
  mine->VideoBitrate = 300;
  mine->AudioEncoder = MP3;
  mine->SampleRate = 22050;
  mine->AudioBitrate = 64;
  mine->AudioChannels = mono1;
  mine->Format = F_AVI;
  catalogue.AddProfile(std::move(mine));
  SaveProfiles(catalogue, home + kDataFolder + kProfilesFileName);

  int status = -1;
  const std::string list = RunCli(home, "--list-profiles", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(list.find("AVI\tMy <small> & tiny AVI\t.avi\tuser\n"), std::string::npos) << list;
  EXPECT_NE(list.find("AVI\tDivX影片(*.avi)\t.avi\n"), std::string::npos);
  EXPECT_EQ(list.find("\tuser\n"), list.rfind("\tuser\n"));  // the built-in ones are not marked
  const std::string builtIn = RunCli(home, "--list-profiles --no-user-profiles", &status);
  EXPECT_EQ(CountLines(list), CountLines(builtIn) + 1);
  EXPECT_EQ(builtIn.find("tiny AVI"), std::string::npos);

  const std::string target = home + "/out.avi";
  const std::string out = RunCli(home, "--profile " + ShellQuote("My <small> & tiny AVI") + " " +
                                           ShellQuote(fixtures::Clip640x480(1.0)) + " " + ShellQuote(target), &status);
  ASSERT_EQ(status, 0) << out;
  const auto f = fixtures::ProbeFile(target);
  EXPECT_EQ((*f.First("video"))["codec_name"], "mpeg4");
  EXPECT_EQ(f.First("video")->Number("width"), 160);
  EXPECT_EQ((*f.First("audio"))["codec_name"], "mp3");
  // Left out, the built-in catalogue does not know it.
  RunCli(home, "--no-user-profiles --profile " + ShellQuote("My <small> & tiny AVI") + " " +
                   ShellQuote(fixtures::Clip640x480(1.0)) + " " + ShellQuote(home + "/no.avi"), &status);
  EXPECT_EQ(status, 2);
}

// A file that cannot be read or holds no profile: the built-in catalogue, a
// warning naming the file, and its bytes kept as Profiles.ini.bak.
TEST(CliUserProfiles, AnUnusableFileGivesTheBuiltInCatalogue) {
  const std::string home = fixtures::TempDir("cli_bad_profiles");
  const std::string file = home + kDataFolder + kProfilesFileName;
  int status = -1;
  const std::string builtIn = RunCli(home, "--list-profiles --no-user-profiles", &status);
  for (const std::string& bytes : {std::string(), std::string("\x93\0garbage\xff[Prof", 15)}) {
    std::filesystem::create_directories(home + kDataFolder);
    std::ofstream(file, std::ios::binary) << bytes;
    const std::string list = RunCli(home, "--list-profiles", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(list.rfind("Warning: " + file + " could not be read (it holds no profile); it was kept as " + file +
                             ".bak and the built-in profiles are used\n",
                         0),
              0u)
        << list;
    EXPECT_EQ(list.substr(list.find('\n') + 1), builtIn);
    std::ifstream kept(file + ".bak", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), bytes);
    std::filesystem::remove(file + ".bak");
  }
  std::filesystem::create_directories(file);  // a folder in its place
  const std::string out = RunCli(home, ShellQuote(fixtures::Clip640x480(1.0)) + " " + ShellQuote(home + "/out.avi"),
                                 &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find(file + " could not be read (it is a folder)"), std::string::npos) << out;
}

}  // namespace
