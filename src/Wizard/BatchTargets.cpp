#include "Wizard/BatchTargets.h"

#include <set>

#include "Common/SameFile.h"
#include "Wizard/WizardRules.h"

std::vector<std::string> BatchTargets(const std::vector<TBatchSource>& Sources, const std::string& Extension,
                                      const std::string& Folder) {
  // Every source and every target handed out so far, links resolved.
  std::set<std::string> taken;
  for (const TBatchSource& s : Sources) taken.insert(ResolvedPath(s.File));
  const auto isTaken = [&taken](const std::string& Name) { return taken.count(ResolvedPath(Name)) > 0; };
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
