#pragma once
// The files of a batch: files named by the user and the files found in the
// folders they named, walked recursively. Any thread (file system only).
#include <functional>
#include <string>
#include <vector>

struct TBatchSource {
  std::string File;
  // Where the file's target goes below a re-rooted target folder: empty for
  // a file named by itself, else the named folder's own name followed by the
  // sub-folders down to the file ("Phone/2024/May"), so the tree is mirrored.
  std::string SubFolder;
};

struct TBatchSources {
  std::vector<TBatchSource> Files;   // named files first in the given order, each folder's files sorted by path
  std::vector<std::string> Skipped;  // files that Accept refused, in the same order
};

// Accept decides whether a file can be converted (the probe's verdict).
// Files found in folders always go through it; named files only when
// CheckNamedFiles is set (a name the user typed is tried and may fail, even
// when there is no such file); a checked name that is neither a file nor a
// folder is skipped. Symbolic links to
// folders are not followed, so a link loop cannot make the walk endless.
TBatchSources CollectBatchSources(const std::vector<std::string>& Paths,
                                  const std::function<bool(const std::string&)>& Accept, bool CheckNamedFiles);
