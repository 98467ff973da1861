#pragma once
// The private channel through which a second start of the application hands
// its files to the running one: a folder only the user can enter, a lock the
// running instance holds for its whole life, and the message format. The
// functions run on any thread; a lock object belongs to the thread that made it.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What one message may carry: the paths of a large multi-selection.
inline constexpr size_t kMaxOpenMessageBytes = 1 << 20;
inline constexpr size_t kMaxOpenMessagePaths = 4096;

// The folder of the lock and the socket, made with mode 0700 when missing:
// "quillbrook/" in $XDG_RUNTIME_DIR, or, where that is unset or not the
// user's own private folder, "instance/" in the application data folder. An
// existing folder must be a directory (not a link) owned by the user; a
// looser mode is tightened to 0700. Throws Exception when no such folder can
// be had. Ends with "/". (A folder whose socket path is too long for a
// socket address still holds the lock: a later start then cannot hand over,
// but it still does not run a second instance.)
std::string InstanceFolder();
std::string InstanceSocketPath(const std::string& Folder);

// The instance lock: held by at most one process of the user at a time and
// released by the system when that process ends, however it ends.
class TInstanceLock {
 public:
  // Tries once; never waits.
  explicit TInstanceLock(const std::string& Folder);
  ~TInstanceLock();
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;
  bool Owned() const { return FOwned; }

 private:
  int FFd = -1;
  bool FOwned = false;
};

// Paths, made absolute against the current folder, in the message format.
std::string EncodeOpenMessage(const std::vector<std::string>& Paths);
// The paths of a received message that name existing regular files, in
// order; nullopt when the message is malformed or too large. What arrives is
// untrusted: relative paths, empty names and everything else are dropped.
std::optional<std::vector<std::string>> DecodeOpenMessage(const std::string& Message);
