#pragma once
// Progress of one conversion on the terminal: a redrawn bar on a terminal,
// plain lines otherwise. One thread at a time (the caller holds the CLI's
// output lock: the worker draws progress, the main thread the final line).
#include <cstdint>
#include <cstdio>
#include <string>

class TAVConverter;

// "progress=45% bitrate=812.4kbit/s size=1200KB used=0:0:3 left=0:0:4".
std::string ProgressFigures(const TAVConverter& Converter);

class TProgressDisplay {
 public:
  TProgressDisplay(FILE* Out, bool Terminal);
  // Draws at most every few hundred milliseconds unless Final.
  void Update(const TAVConverter& Converter, bool Final = false);

 private:
  FILE* FOut;
  bool FTerminal;
  int64_t FLastDraw = 0;
};
