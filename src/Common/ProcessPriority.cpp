#include "Common/ProcessPriority.h"

#include <sys/resource.h>
#include <sys/types.h>

#include <charconv>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {
constexpr const char* kThreadFolder = "/proc/self/task";
}  // namespace

bool SetProcessNice(int Nice) {
  // Threads started while the folder is read took their creator's value,
  // which may not have been set yet: read again until no thread is new.
  std::set<pid_t> done;
  bool accepted = true;
  for (bool found = true; found;) {
    found = false;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kThreadFolder, ec)) {
      const std::string name = entry.path().filename().string();
      pid_t tid = 0;
      const auto r = std::from_chars(name.data(), name.data() + name.size(), tid);
      if (r.ec != std::errc() || !done.insert(tid).second) continue;
      found = true;
      if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), Nice) != 0) accepted = false;
    }
  }
  return accepted;
}
