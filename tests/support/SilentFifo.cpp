#include "support/SilentFifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace fixtures {

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(10);
}

SilentFifo::SilentFifo(const std::string& Path) : FPath(Path) {
  unlink(Path.c_str());
  mkfifo(Path.c_str(), 0600);
}

SilentFifo::~SilentFifo() {
  if (FWriter >= 0) close(FWriter);
  unlink(FPath.c_str());
}

bool SilentFifo::WaitForReader(const std::function<bool()>& Waiting) {
  // Opening the write end without blocking fails with ENXIO while no reader has it open.
  while (FWriter < 0) {
    FWriter = open(FPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (FWriter >= 0) break;
    if (errno != ENXIO || !Waiting()) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

}  // namespace fixtures
