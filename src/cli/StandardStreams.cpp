#include "cli/StandardStreams.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr const char* kFileProtocol = "file:";
}  // namespace

bool WritesToStandardOutput(const std::string& Target) {
  if (IsPipeName(Target)) return PipeDescriptor(Target, STDOUT_FILENO) == STDOUT_FILENO;
  const bool file = Target.rfind(kFileProtocol, 0) == 0;
  const std::string path = file ? Target.substr(std::char_traits<char>::length(kFileProtocol)) : Target;
  struct stat out {}, target {};
  return fstat(STDOUT_FILENO, &out) == 0 && stat(path.c_str(), &target) == 0 && out.st_dev == target.st_dev &&
         out.st_ino == target.st_ino;
}

FILE* HumanTextStream(const std::string& Target) { return WritesToStandardOutput(Target) ? stderr : stdout; }
