#include "Wizard/BatchTargets.h"

#include <filesystem>
#include <set>

#include "Common/SameFile.h"
#include "Wizard/WizardRules.h"

std::vector<std::string> BatchTargets(const std::vector<TBatchSource>& Sources, const std::string& Extension,
                                      const std::string& Folder) {
  // Every source and every target handed out so far, links resolved, and
  // whatever is on disk already (a file the batch skipped, a hard link of a
  // source, an earlier run's output): a batch never overwrites a file.
  std::set<std::string> taken;
  for (const TBatchSource& s : Sources) taken.insert(ResolvedPath(s.File));
  const auto isTaken = [&taken](const std::string& Name) {
    std::error_code ec;
    return taken.count(ResolvedPath(Name)) > 0 || std::filesystem::exists(std::filesystem::symlink_status(Name, ec));
  };
  std::vector<std::string> targets;
  targets.reserve(Sources.size());
  for (const TBatchSource& s : Sources) {
    std::string candidate = ReplaceExtension(s.File, Extension);
    if (!Folder.empty()) {
      std::string below = Folder;
      if (!s.SubFolder.empty()) below += (below.back() == '/' ? "" : "/") + s.SubFolder;
      candidate = RerootTarget(below, candidate);
    }
    targets.push_back(UniqueTargetName(candidate, isTaken));
    taken.insert(ResolvedPath(targets.back()));
  }
  return targets;
}
