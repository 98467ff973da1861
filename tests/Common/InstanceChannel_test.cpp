// The instance channel's private folder, its lock and the hand-over message,
// which arrives from outside and is not trusted.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Common/InstanceChannel.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& Path) {
  struct stat st {};
  EXPECT_EQ(::lstat(Path.c_str(), &st), 0) << Path;
  EXPECT_EQ(st.st_uid, ::geteuid());
  return st.st_mode & 07777;
}

class InstanceChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir(Runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", Runtime.c_str(), 1);
    setenv("XDG_DATA_HOME", (Dir + "/data").c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }
  std::string Dir = fixtures::TempDir("instance_channel");
  std::string Runtime = Dir + "/run";
};

TEST_F(InstanceChannel, FolderIsPrivateAndNeverAnotherOne) {
  EXPECT_EQ(InstanceFolder(), Runtime + "/quillbrook/");
  EXPECT_EQ(ModeOf(Runtime + "/quillbrook"), 0700u);
  // A looser folder of the user's own is tightened.
  ::chmod((Runtime + "/quillbrook").c_str(), 0755);
  EXPECT_EQ(InstanceFolder(), Runtime + "/quillbrook/");
  EXPECT_EQ(ModeOf(Runtime + "/quillbrook"), 0700u);
  // A link in its place is not followed: the data folder's private folder serves.
  fs::remove(Runtime + "/quillbrook");
  fs::create_directories(Dir + "/elsewhere");
  fs::create_directory_symlink(Dir + "/elsewhere", Runtime + "/quillbrook");
  const std::string dataFolder = Dir + "/data/QuillbrookSoft/VIVUraraZuzavizezUDO/instance/";
  EXPECT_EQ(InstanceFolder(), dataFolder);
  EXPECT_EQ(ModeOf(dataFolder), 0700u);
  // So does a runtime folder that others can enter, and none at all.
  fs::remove(Runtime + "/quillbrook");
  ::chmod(Runtime.c_str(), 0755);
  EXPECT_EQ(InstanceFolder(), dataFolder);
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(InstanceFolder(), dataFolder);
  EXPECT_FALSE(fs::exists(Runtime + "/quillbrook"));
}

TEST_F(InstanceChannel, OneLockHolderAtATime) {
  const std::string folder = InstanceFolder();
  auto first = std::make_unique<TInstanceLock>(folder);
  EXPECT_TRUE(first->Owned());
  EXPECT_FALSE(TInstanceLock(folder).Owned());
  first.reset();  // as when the holder ends, however it ends
  EXPECT_TRUE(TInstanceLock(folder).Owned());
}

TEST_F(InstanceChannel, MessageKeepsOnlyExistingRegularFiles) {
  const std::string file = Dir + "/clip <b>&.mp4";
  std::ofstream(file) << "x";
  const std::string fifo = Dir + "/fifo";
  ::mkfifo(fifo.c_str(), 0600);
  fs::create_directories(Dir + "/folder");
  const std::string message = EncodeOpenMessage({file, Dir + "/folder", Dir + "/missing.mp4", fifo, "", file});
  EXPECT_EQ(DecodeOpenMessage(message), std::vector<std::string>({file, file}));

  // Relative names are made absolute by the sender and refused on arrival.
  const fs::path cwd = fs::current_path();
  fs::current_path(Dir);
  EXPECT_EQ(DecodeOpenMessage(EncodeOpenMessage({"clip <b>&.mp4"})), std::vector<std::string>({file}));
  fs::current_path(cwd);
  EXPECT_EQ(DecodeOpenMessage(std::string("QBOPEN1\n") + "clip.mp4" + '\0'), std::vector<std::string>());

  // Malformed: another format, a cut-off path, too long, too many names.
  EXPECT_FALSE(DecodeOpenMessage("hello"));
  EXPECT_FALSE(DecodeOpenMessage(std::string("QBOPEN1\n") + file));
  EXPECT_FALSE(DecodeOpenMessage(std::string("QBOPEN1\n") + std::string(kMaxOpenMessageBytes, '/') + '\0'));
  EXPECT_FALSE(DecodeOpenMessage(EncodeOpenMessage(std::vector<std::string>(kMaxOpenMessagePaths + 1, file))));
  EXPECT_EQ(DecodeOpenMessage(EncodeOpenMessage({})), std::vector<std::string>());
}

}  // namespace
