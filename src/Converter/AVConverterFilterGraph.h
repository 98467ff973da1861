#pragma once
// The video filter graph of one re-encoded video stream:
//   buffer -> [yadif] -> [crop] -> [scale] -> user chain ("in" .. "out") -> buffersink
// The sink accepts only the encoder's pixel format; the encoder size is read
// back from the sink. Worker thread of the job only.
#include <mutex>
#include <string>

#include "Converter/FFmpegPtr.h"

extern "C" {
#include <libavfilter/avfilter.h>
}

struct TVideoGraphInput {
  int Width = 0, Height = 0;
  AVPixelFormat PixFmt = AV_PIX_FMT_NONE;
  AVRational TimeBase{1, 1000000};
  AVRational SampleAspect{0, 1};
  AVRational FrameRate{0, 1};
};

struct TVideoGraphOutput {
  bool Crop = false;
  int LeftBand = 0, TopBand = 0, RightBand = 0, BottomBand = 0;
  int Width = 0, Height = 0;
  AVPixelFormat PixFmt = AV_PIX_FMT_NONE;
  int SwsFlags = 4;
  bool Deinterlace = false;
};

class TVideoFilterGraph {
 public:
  TVideoFilterGraph();
  ~TVideoFilterGraph();
  TVideoFilterGraph(const TVideoFilterGraph&) = delete;
  TVideoFilterGraph& operator=(const TVideoFilterGraph&) = delete;

  // False on any failure (the caller raises "Error opening filters!"); the
  // reason goes to the library log.
  bool Build(const TVideoGraphInput& In, const TVideoGraphOutput& Out, const std::string& ChainText);
  int OutputWidth() const;
  int OutputHeight() const;
  AVRational OutputTimeBase() const;
  // Takes a reference to Decoded; nullptr ends the stream.
  int Push(AVFrame* Decoded);
  // 0 with a picture in Out, AVERROR(EAGAIN) when none is ready, AVERROR_EOF at the end.
  int Pull(AVFrame* Out);
  // The filters in graph order, for diagnostics and tests ("buffer,scale=640:360:flags=0x4,buffersink").
  const std::string& Description() const { return FDescription; }

 private:
  struct GraphDeleter {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
  };
  bool AddFilter(const char* Name, const std::string& Args, AVFilterContext** Last);
  std::unique_ptr<AVFilterGraph, GraphDeleter> FGraph;
  AVFilterContext* FSource = nullptr;  // owned by the graph
  AVFilterContext* FSink = nullptr;    // owned by the graph
  std::string FDescription;
};

// Serialises the sink side of every graph in the process.
std::mutex& FilterLock();
