#include "Common/BatchSources.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The files below Folder, sorted by path so that a batch is listed and
// converted in a stable order whatever the file system returns.
std::vector<fs::path> FilesBelow(const fs::path& Folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(Folder, fs::directory_options::skip_permission_denied, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code type;
    if (it->is_regular_file(type)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Path without a trailing separator ("dir/" and "dir" name the same folder).
fs::path WithoutTrailingSlash(fs::path Path) {
  Path = Path.lexically_normal();
  return Path.filename().empty() && Path.has_parent_path() && Path != Path.root_path() ? Path.parent_path() : Path;
}

// "Named/sub/sub" for File found below Folder; the folder's own name heads it
// ("." and ".." are named by the folders they stand for).
std::string SubFolderOf(const fs::path& Folder, const fs::path& File) {
  const fs::path below = File.parent_path().lexically_relative(Folder);
  fs::path sub = WithoutTrailingSlash(fs::absolute(Folder)).filename();
  if (!below.empty() && below != ".") sub /= below;
  return sub.generic_string();
}

}  // namespace

TBatchSources CollectBatchSources(const std::vector<std::string>& Paths,
                                  const std::function<bool(const std::string&)>& Accept, bool CheckNamedFiles) {
  TBatchSources out;
  auto take = [&](const std::string& File, std::string SubFolder, bool Check) {
    if (Check && !Accept(File)) out.Skipped.push_back(File);
    else out.Files.push_back({File, std::move(SubFolder)});
  };
  for (const std::string& path : Paths) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      const fs::path named = WithoutTrailingSlash(path);
      for (const fs::path& file : FilesBelow(named)) take(file.string(), SubFolderOf(named, file), true);
    } else if (CheckNamedFiles && !fs::is_regular_file(path, ec)) {
      out.Skipped.push_back(path);
    } else {
      take(path, "", CheckNamedFiles);
    }
  }
  return out;
}
