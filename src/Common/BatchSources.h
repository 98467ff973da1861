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

// A file or folder the batch cannot convert, and why.
struct TBatchFailure {
  std::string Path;
  std::string Why;
};

// What becomes of a file: converted, skipped (it is no media), or counted as
// failed at once (Why).
struct TSourceVerdict {
  enum TKind { Take, Skip, Fail };
  TKind Kind = Take;
  std::string Why;
};

struct TBatchSources {
  std::vector<TBatchSource> Files;     // named files first in the given order, each folder's files sorted by path
  std::vector<std::string> Skipped;    // files the judge skipped, in the same order
  std::vector<TBatchFailure> Failed;   // folders and files that cannot be read, files the judge failed
};

// Judge decides what becomes of a readable file (the probe's verdict). Files
// found in folders always go through it; named files only when
// CheckNamedFiles is set (a name the user typed is tried and may fail, even
// when there is no such file); a checked name that is neither a file nor a
// folder is skipped. A folder or file that exists but cannot be read fails
// with the system's reason. Symbolic links to folders are not followed, so a
// link loop cannot make the walk endless. Folders met in a walk that are
// OutputFolder, or where a named folder's tree is mirrored below it, are left
// out: a second run must not convert the first one's targets again.
TBatchSources CollectBatchSources(const std::vector<std::string>& Paths,
                                  const std::function<TSourceVerdict(const std::string&)>& Judge,
                                  bool CheckNamedFiles, const std::string& OutputFolder = "");
