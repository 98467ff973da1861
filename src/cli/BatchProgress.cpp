#include "cli/BatchProgress.h"

#include <chrono>

#include "cli/ProgressDisplay.h"

namespace {
constexpr int64_t kTerminalIntervalMs = 200;
constexpr int64_t kLineIntervalMs = 1000;
constexpr const char* kCursorUpAndClear = "\x1b[1A\x1b[2K";

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

TBatchProgress::TBatchProgress(FILE* Out, bool Terminal) : FOut(Out), FTerminal(Terminal) {}

void TBatchProgress::EraseBlock() {
  for (; FDrawnLines > 0; --FDrawnLines) fputs(kCursorUpAndClear, FOut);
}

void TBatchProgress::Update(const std::vector<std::pair<std::string, const TAVConverter*>>& Running) {
  const int64_t now = NowMs();
  if (now - FLastDraw < (FTerminal ? kTerminalIntervalMs : kLineIntervalMs)) return;
  FLastDraw = now;
  if (FTerminal) EraseBlock();
  for (const auto& [name, converter] : Running) {
    fprintf(FOut, "%s: %s\n", name.c_str(), ProgressFigures(*converter).c_str());
    if (FTerminal) ++FDrawnLines;
  }
  fflush(FOut);
}

void TBatchProgress::Outcome(const std::string& Name, const std::string& Text) {
  if (FTerminal) {
    EraseBlock();
    FLastDraw = 0;  // the block is drawn again at the next update
  }
  fprintf(FOut, "%s: %s\n", Name.c_str(), Text.c_str());
  fflush(FOut);
}
