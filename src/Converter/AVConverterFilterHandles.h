#pragma once
// Owning handles for the filter library's objects used by the video graph.
#include <memory>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/frame.h>
}

struct TFilterGraphDeleter {
  void operator()(AVFilterGraph* G) const { avfilter_graph_free(&G); }
};
using TFilterGraphPtr = std::unique_ptr<AVFilterGraph, TFilterGraphDeleter>;

struct TFrameDeleter {
  void operator()(AVFrame* F) const { av_frame_free(&F); }
};
using TFramePtr = std::unique_ptr<AVFrame, TFrameDeleter>;

struct TFilterInOutDeleter {
  void operator()(AVFilterInOut* P) const { avfilter_inout_free(&P); }
};
using TFilterInOutPtr = std::unique_ptr<AVFilterInOut, TFilterInOutDeleter>;
