// quillbrook-convert, as users start it: answers --help and usage errors
// itself and hands every other run, with the same arguments and process, to
// quillbrook-convert-engine. The engine links the media library, whose two
// hundred shared objects take tens of milliseconds to load; --help needs none.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliArguments.h"

namespace {

constexpr const char* kEngineName = "quillbrook-convert-engine";
// Where an installed engine lives, relative to this program's folder; the
// build tree keeps both programs in one folder.
constexpr const char* kInstalledEngineFolder = "../libexec/quillbrook";

std::string EnginePath() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path folder = ec ? fs::path(".") : self.parent_path();
  for (const fs::path& candidate : {folder / kEngineName, folder / kInstalledEngineFolder / kEngineName})
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  return (folder / kEngineName).string();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto parsed = ParseCliArguments(args, error);
  if (!parsed) {
    fprintf(stderr, "quillbrook-convert: %s\n%s", error.c_str(), kCliUsage);
    return kExitUsage;
  }
  if (parsed->Mode == TCliArguments::TMode::Help) {
    fputs(kCliUsage, stdout);
    return kExitOk;
  }
  const std::string engine = EnginePath();
  execv(engine.c_str(), argv);
  fprintf(stderr, "quillbrook-convert: can't start %s: %s\n", engine.c_str(), strerror(errno));
  return kExitFailed;
}
