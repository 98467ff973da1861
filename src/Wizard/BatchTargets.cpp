#include "Wizard/BatchTargets.h"

#include <filesystem>
#include <set>

#include "Wizard/WizardRules.h"

namespace fs = std::filesystem;

namespace {

// The name two paths share when they name the same file (links resolved as
// far as the path exists).
std::string SameFileKey(const std::string& Path) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(fs::absolute(Path), ec);
  return (ec ? fs::absolute(Path).lexically_normal() : canonical).string();
}

// Stem + Extension, or the first of "Stem (1)Extension", "Stem (2)Extension", ...
// that Taken does not hold.
std::string FreeName(const std::string& Stem, const std::string& Extension, const std::set<std::string>& Taken) {
  std::string name = Stem + Extension;
  for (int n = 1; Taken.count(SameFileKey(name)); ++n) name = Stem + " (" + std::to_string(n) + ")" + Extension;
  return name;
}

}  // namespace

std::vector<std::string> BatchTargets(const std::vector<TBatchSource>& Sources, const std::string& Extension,
                                      const std::string& Folder) {
  std::set<std::string> taken;
  for (const TBatchSource& s : Sources) taken.insert(SameFileKey(s.File));
  std::vector<std::string> targets;
  targets.reserve(Sources.size());
  for (const TBatchSource& s : Sources) {
    std::string candidate = ReplaceExtension(s.File, Extension);
    if (!Folder.empty()) {
      std::string below = Folder;
      if (!s.SubFolder.empty()) below += (below.back() == '/' ? "" : "/") + s.SubFolder;
      candidate = RerootTarget(below, candidate);
    }
    const std::string stem = candidate.substr(0, candidate.size() - Extension.size());
    targets.push_back(FreeName(stem, Extension, taken));
    taken.insert(SameFileKey(targets.back()));
  }
  return targets;
}
