#include "cli/ProgressDisplay.h"

#include <chrono>
#include <string>

#include "Converter/AVConverter.h"

namespace {
constexpr int64_t kTerminalIntervalMs = 200;
constexpr int64_t kLineIntervalMs = 1000;
constexpr int kBarWidth = 30;
constexpr int kFullPercent = 100;
constexpr double kBytesPerKilobyte = 1024.0;

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The time left, or "?" before the first progress (the window shows its
// placeholder, 100:40:39, which reads like a real figure in a script's log).
std::string LeftFigure(const TAVConverter& C) {
  const int64_t left = C.GetLeftTime();
  return left == TAVConverter::kUnknownLeftTime ? "?" : TAVConverter::GetTimeString(left);
}

// " pass=1/2", " pass=corrective" in a job with passes; nothing otherwise.
std::string PassFigure(const TAVConverter& C) {
  if (C.PassCount() <= 0) return "";
  if (C.PassNumber() > C.PassCount()) return " pass=corrective";
  return " pass=" + std::to_string(C.PassNumber()) + "/" + std::to_string(C.PassCount());
}

}  // namespace

std::string ProgressFigures(const TAVConverter& C) {
  char line[256];
  snprintf(line, sizeof line, "progress=%d%% bitrate=%.1fkbit/s size=%.0fKB used=%s left=%s%s", C.Progress(), C.Bitrate(),
           static_cast<double>(C.TargetFileSize()) / kBytesPerKilobyte, TAVConverter::GetTimeString(C.GetUsedTime()).c_str(),
           LeftFigure(C).c_str(), PassFigure(C).c_str());
  return line;
}

TProgressDisplay::TProgressDisplay(FILE* Out, bool Terminal) : FOut(Out), FTerminal(Terminal) {}

void TProgressDisplay::Update(const TAVConverter& C, bool Final) {
  const int64_t now = NowMs();
  if (!Final && now - FLastDraw < (FTerminal ? kTerminalIntervalMs : kLineIntervalMs)) return;
  FLastDraw = now;
  const int percent = C.Progress();
  const std::string used = TAVConverter::GetTimeString(C.GetUsedTime());
  const std::string left = LeftFigure(C);
  const double sizeKb = static_cast<double>(C.TargetFileSize()) / kBytesPerKilobyte;
  if (FTerminal) {
    const int filled = std::min(kBarWidth, std::max(0, percent * kBarWidth / kFullPercent));
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '-');
    fprintf(FOut, "\r[%s] %3d%%  %.1f kbit/s  %.0f KB  %s used  %s left%s ", bar.c_str(), percent, C.Bitrate(),
            sizeKb, used.c_str(), left.c_str(), PassFigure(C).c_str());
    if (Final) fputc('\n', FOut);
  } else {
    fprintf(FOut, "%s\n", ProgressFigures(C).c_str());
  }
  fflush(FOut);
}
