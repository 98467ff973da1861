#include "cli/StandardStreams.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

constexpr const char* kFileProtocol = "file:";

// The descriptor the pipe protocol writes Name to: the number after "pipe:"
// when that is all there is, standard output otherwise (as FFmpeg reads it).
int PipeOutputDescriptor(const std::string& Name) {
  const char* number = Name.c_str() + std::char_traits<char>::length(kPipeProtocol);
  char* end = nullptr;
  const long fd = std::strtol(number, &end, 10);
  return end == number || *end != '\0' ? STDOUT_FILENO : static_cast<int>(fd);
}

}  // namespace

bool WritesToStandardOutput(const std::string& Target) {
  if (IsPipeName(Target)) return PipeOutputDescriptor(Target) == STDOUT_FILENO;
  const bool file = Target.rfind(kFileProtocol, 0) == 0;
  const std::string path = file ? Target.substr(std::char_traits<char>::length(kFileProtocol)) : Target;
  struct stat out {}, target {};
  return fstat(STDOUT_FILENO, &out) == 0 && stat(path.c_str(), &target) == 0 && out.st_dev == target.st_dev &&
         out.st_ino == target.st_ino;
}

FILE* HumanTextStream(const std::string& Target) { return WritesToStandardOutput(Target) ? stderr : stdout; }
