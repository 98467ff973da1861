#include "Common/BatchSources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A folder on disk, whatever name reaches it.
using TFolderId = std::pair<dev_t, ino_t>;

bool FolderIdOf(const fs::path& Folder, TFolderId& Id) {
  struct stat s {};
  if (stat(Folder.c_str(), &s) != 0 || !S_ISDIR(s.st_mode)) return false;
  Id = {s.st_dev, s.st_ino};
  return true;
}

// Path without a trailing separator ("dir/" and "dir" name the same folder).
fs::path WithoutTrailingSlash(fs::path Path) {
  Path = Path.lexically_normal();
  return Path.filename().empty() && Path.has_parent_path() && Path != Path.root_path() ? Path.parent_path() : Path;
}

// The folder's own name ("." and ".." are named by the folders they stand for).
fs::path OwnName(const fs::path& Folder) { return WithoutTrailingSlash(fs::absolute(Folder)).filename(); }

// "Named/sub/sub" for File found below Folder.
std::string SubFolderOf(const fs::path& Folder, const fs::path& File) {
  const fs::path below = File.parent_path().lexically_relative(Folder);
  fs::path sub = OwnName(Folder);
  if (!below.empty() && below != ".") sub /= below;
  return sub.generic_string();
}

// What a walk below a named folder found: its files and the folders it could
// not read, each sorted by path so that a batch is listed and converted in a
// stable order whatever the file system returns.
struct TWalk {
  std::vector<fs::path> Files;
  std::vector<TBatchFailure> Unreadable;
};

TWalk Walk(const fs::path& Root, const std::set<TFolderId>& LeaveOut) {
  TWalk out;
  std::vector<fs::path> pending{Root};
  while (!pending.empty()) {
    const fs::path folder = std::move(pending.back());
    pending.pop_back();
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
      std::error_code type;
      TFolderId id;
      if (fs::is_directory(it->symlink_status(type))) {
        if (!(FolderIdOf(it->path(), id) && LeaveOut.count(id))) pending.push_back(it->path());
      } else if (it->is_regular_file(type)) {
        out.Files.push_back(it->path());
      }
    }
    if (ec) out.Unreadable.push_back({folder.string(), "folder not readable: " + ec.message()});
  }
  std::sort(out.Files.begin(), out.Files.end());
  std::sort(out.Unreadable.begin(), out.Unreadable.end(),
            [](const TBatchFailure& A, const TBatchFailure& B) { return A.Path < B.Path; });
  return out;
}

// Why File cannot be read (errno of opening it), 0 when it can. Not
// blocking: a named FIFO must not stall the batch before it starts.
int OpenError(const std::string& File) {
  const int fd = open(File.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  close(fd);
  return 0;
}

std::string NotReadable(int Error) { return "not readable: " + std::generic_category().message(Error); }

// The output folder and, below it, the mirror of every named folder.
std::set<TFolderId> FoldersToLeaveOut(const std::vector<std::string>& Paths, const std::string& OutputFolder) {
  std::set<TFolderId> ids;
  if (OutputFolder.empty()) return ids;
  TFolderId id;
  if (FolderIdOf(OutputFolder, id)) ids.insert(id);
  for (const std::string& path : Paths) {
    std::error_code ec;
    if (fs::is_directory(path, ec) && FolderIdOf(fs::path(OutputFolder) / OwnName(path), id)) ids.insert(id);
  }
  return ids;
}

}  // namespace

TBatchSources CollectBatchSources(const std::vector<std::string>& Paths,
                                  const std::function<TSourceVerdict(const std::string&)>& Judge,
                                  bool CheckNamedFiles, const std::string& OutputFolder) {
  TBatchSources out;
  auto judge = [&](const std::string& File, std::string SubFolder) {
    if (const int error = OpenError(File)) {
      out.Failed.push_back({File, NotReadable(error)});
      return;
    }
    TSourceVerdict verdict = Judge(File);
    if (verdict.Kind == TSourceVerdict::Skip) out.Skipped.push_back(File);
    else if (verdict.Kind == TSourceVerdict::Fail) out.Failed.push_back({File, std::move(verdict.Why)});
    else out.Files.push_back({File, std::move(SubFolder)});
  };
  const std::set<TFolderId> leaveOut = FoldersToLeaveOut(Paths, OutputFolder);
  for (const std::string& path : Paths) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      const fs::path named = WithoutTrailingSlash(path);
      TWalk walk = Walk(named, leaveOut);
      out.Failed.insert(out.Failed.end(), walk.Unreadable.begin(), walk.Unreadable.end());
      for (const fs::path& file : walk.Files) judge(file.string(), SubFolderOf(named, file));
    } else if (CheckNamedFiles) {
      if (fs::is_regular_file(path, ec)) judge(path, "");
      else out.Skipped.push_back(path);
    } else if (const int error = OpenError(path); error != 0 && error != ENOENT) {
      // A missing name is still tried: the converter may open it ("pipe:0").
      out.Failed.push_back({path, NotReadable(error)});
    } else {
      out.Files.push_back({path, ""});
    }
  }
  return out;
}
