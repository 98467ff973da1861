#include "Common/InstanceChannel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "Common/CConfiguration.h"
#include "Common/Errors.h"

namespace fs = std::filesystem;

namespace {

constexpr mode_t kPrivateMode = 0700;
constexpr mode_t kPermissionBits = 07777;
constexpr const char* kRuntimeSubfolder = "quillbrook/";
constexpr const char* kDataSubfolder = "instance/";
constexpr const char* kLockName = "lock";
constexpr const char* kSocketName = "socket";
constexpr char kMagic[] = "QBOPEN1\n";
constexpr size_t kMagicLength = sizeof(kMagic) - 1;

// A directory that is the user's own (not a link); its mode is tightened to
// 0700 when it is looser. Created with 0700 when missing.
bool MakePrivateFolder(std::string Path) {
  // Without its final "/", so that a link in its place is seen, not followed.
  while (Path.size() > 1 && Path.back() == '/') Path.pop_back();
  if (::mkdir(Path.c_str(), kPrivateMode) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(Path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
  if ((st.st_mode & kPermissionBits) != kPrivateMode && ::chmod(Path.c_str(), kPrivateMode) != 0) return false;
  return true;
}

// $XDG_RUNTIME_DIR counts only when it is a private folder of the user's own.
std::string RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return "";
  struct stat st {};
  if (::stat(runtime, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
      (st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
    return "";
  std::string folder = runtime;
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string InstanceFolder() {
  const std::string runtime = RuntimeFolder();
  if (!runtime.empty()) {
    const std::string folder = runtime + kRuntimeSubfolder;
    if (MakePrivateFolder(folder)) return folder;
  }
  const std::string data = TAVConfiguration::GetAppDataFolder();
  std::error_code ec;
  fs::create_directories(data, ec);
  const std::string folder = data + kDataSubfolder;
  if (MakePrivateFolder(folder)) return folder;
  throw Exception("No private folder for the instance socket: " + folder);
}

std::string InstanceSocketPath(const std::string& Folder) { return Folder + kSocketName; }

TInstanceLock::TInstanceLock(const std::string& Folder) {
  FFd = ::open((Folder + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  FOwned = FFd >= 0 && ::flock(FFd, LOCK_EX | LOCK_NB) == 0;
}

TInstanceLock::~TInstanceLock() {
  if (FFd >= 0) ::close(FFd);  // closing releases the lock
}

std::string EncodeOpenMessage(const std::vector<std::string>& Paths) {
  std::string message(kMagic, kMagicLength);
  for (const std::string& path : Paths) {
    if (path.empty()) continue;
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    message += ec ? path : absolute.lexically_normal().string();
    message += '\0';
  }
  return message;
}

std::optional<std::vector<std::string>> DecodeOpenMessage(const std::string& Message) {
  if (Message.size() > kMaxOpenMessageBytes || Message.compare(0, kMagicLength, kMagic) != 0) return std::nullopt;
  if (Message.size() > kMagicLength && Message.back() != '\0') return std::nullopt;
  std::vector<std::string> paths;
  size_t count = 0;
  for (size_t start = kMagicLength; start < Message.size();) {
    const size_t end = Message.find('\0', start);
    const std::string path = Message.substr(start, end - start);
    start = end + 1;
    if (++count > kMaxOpenMessagePaths) return std::nullopt;
    std::error_code ec;
    if (!path.empty() && path.front() == '/' && fs::is_regular_file(path, ec)) paths.push_back(path);
  }
  return paths;
}
