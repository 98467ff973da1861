#pragma once
// Progress of a batch: one line per running file, redrawn in place on a
// terminal, printed once a second otherwise; each file's outcome on a line of
// its own. Main thread.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

class TAVConverter;

class TBatchProgress {
 public:
  TBatchProgress(FILE* Out, bool Terminal);
  // Running: (file name, its converter) of every running file, in start order.
  void Update(const std::vector<std::pair<std::string, const TAVConverter*>>& Running);
  // A file's outcome ("converted", "failed: ...", "skipped"), above the progress lines.
  void Outcome(const std::string& Name, const std::string& Text);

 private:
  void EraseBlock();

  FILE* FOut;
  bool FTerminal;
  int64_t FLastDraw = 0;
  int FDrawnLines = 0;  // progress lines on the terminal below the outcomes
};
