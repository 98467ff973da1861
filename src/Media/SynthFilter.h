#pragma once
// The "synth" step of a filter chain: every picture is handed to AviSynth as
// frame 0 of a one-frame 4:2:0 clip at 24 frames per second (made by the
// system's script function "FfmpegSource"), "ScriptClip" is applied with the
// step's expression ("|" standing for ","), and the resulting frame is copied
// back into the picture, only where the two overlap. Errors inside AviSynth
// leave the picture unchanged.
//
// Each step owns its own script environment: steps of several conversions run
// at the same time on their worker threads and must not share one.
#include <memory>
#include <string>

#include "Media/SynthInterface.h"

extern "C" {
#include <libavutil/frame.h>
}

// Deletes a script environment through the bound entry point.
struct TSynthEnvironmentDeleter {
  void (*Delete)(AVS_ScriptEnvironment*) = nullptr;
  void operator()(AVS_ScriptEnvironment* E) const {
    if (E && Delete) Delete(E);
  }
};

class TSynthFilter {
 public:
  // The script text buffer of the filter held at most this many characters.
  static constexpr size_t kMaxScriptLength = 65535;

  // Worker thread. nullptr, with the reason in the library log, when the
  // expression is empty or too long, or AviSynth is missing or unusable.
  static std::unique_ptr<TSynthFilter> Create(const std::string& Expression);
  ~TSynthFilter();
  TSynthFilter(const TSynthFilter&) = delete;
  TSynthFilter& operator=(const TSynthFilter&) = delete;

  // Worker thread. Runs the expression on Picture (YUV420P or YUVJ420P) in
  // place. Negative library error only when the picture can't be made writable.
  int Process(AVFrame* Picture);

  // The script as AviSynth receives it ("|" replaced by ",").
  const std::string& Script() const { return FScript; }

 private:
  TSynthFilter() = default;
  void RunScript();
  void CopyBack(const AVS_VideoFrame* Frame);
  // AviSynth callbacks.
  static AVS_Value FfmpegSource(AVS_ScriptEnvironment* Env, AVS_Value Args, void* UserData);
  static AVS_VideoFrame* FrameSourceGetFrame(AVS_FilterInfo* Info, int N);
  static void FrameSourceFree(AVS_FilterInfo* Info);

  TSynthApi FApi;
  std::unique_ptr<AVS_ScriptEnvironment, TSynthEnvironmentDeleter> FEnv;
  std::string FScript;
  int FId = 0;                 // key of this step in the table of live steps
  AVFrame* FCurrent = nullptr;  // the picture being processed, only inside Process
  int FChromaShiftX = 0, FChromaShiftY = 0;
};
