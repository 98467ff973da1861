#pragma once
// Target names of a batch of files. Main thread (file system look-ups only).
#include <string>
#include <vector>

#include "Common/BatchSources.h"

// One target per source, in order. Each is derived as for one file: the
// source's path with Extension, or, when Folder is not empty (a re-rooted
// target), Folder followed by the source's sub-folder and its name with
// Extension, so a walked folder's tree is mirrored. No target names a
// source of the batch, another target (links resolved) or anything that
// exists on disk: such a name becomes "name (1).ext", "name (2).ext", ...
std::vector<std::string> BatchTargets(const std::vector<TBatchSource>& Sources, const std::string& Extension,
                                      const std::string& Folder);
