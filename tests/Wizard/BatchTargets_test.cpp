// Batch targets: beside each source or mirrored below a folder, never a
// source of the batch or a file on disk, never twice the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Wizard/BatchTargets.h"
#include "support/Fixtures.h"

namespace {

TEST(BatchTargets, NoTargetNamesASourceOrAnotherTarget) {
  const std::string dir = fixtures::TempDir("batch_targets");
  std::filesystem::create_directories(dir + "/v");
  for (const char* f : {"/v/a.avi", "/v/a.mp4"}) std::ofstream(dir + f) << "x";
  // Through a link to the folder, a.mp4 is still the source it names.
  std::filesystem::create_directory_symlink(dir + "/v", dir + "/link");
  // v/b.mp4 is no source, but on disk: never overwritten.
  std::ofstream(dir + "/v/b.mp4") << "x";
  const std::vector<TBatchSource> sources = {
      {dir + "/link/a.avi", ""}, {dir + "/v/a.mp4", ""}, {dir + "/w/a.mkv", ""}, {dir + "/v/b.avi", ""}};
  EXPECT_EQ(BatchTargets(sources, ".mp4", ""), (std::vector<std::string>{dir + "/link/a (1).mp4", dir + "/v/a (2).mp4",
                                                                        dir + "/w/a.mp4", dir + "/v/b (1).mp4"}));
  // Re-rooted: the sub-folders below the folder; same names are numbered.
  const std::vector<TBatchSource> tree = {
      {dir + "/v/a.avi", ""}, {dir + "/x/a.avi", ""}, {dir + "/s/d1/a.avi", "s/d1"}, {dir + "/s/b.avi", "s"}};
  EXPECT_EQ(BatchTargets(tree, ".mkv", "/out/"),
            (std::vector<std::string>{"/out/a.mkv", "/out/a (1).mkv", "/out/s/d1/a.mkv", "/out/s/b.mkv"}));
}

}  // namespace
