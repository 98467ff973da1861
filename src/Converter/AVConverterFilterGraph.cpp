#include "Converter/AVConverterFilterGraph.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

#include "Common/Errors.h"

namespace {

struct InOutDeleter {
  void operator()(AVFilterInOut* p) const { avfilter_inout_free(&p); }
};
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutDeleter>;

}  // namespace

std::mutex& FilterLock() {
  static std::mutex lock;
  return lock;
}

TVideoFilterGraph::TVideoFilterGraph() : FGraph(avfilter_graph_alloc()) {}
TVideoFilterGraph::~TVideoFilterGraph() = default;

bool TVideoFilterGraph::AddFilter(const char* Name, const std::string& Args, AVFilterContext** Last) {
  AVFilterContext* f = nullptr;
  if (avfilter_graph_create_filter(&f, avfilter_get_by_name(Name), Name, Args.c_str(), nullptr,
                                   FGraph.get()) < 0)
    return false;
  if (avfilter_link(*Last, 0, f, 0) < 0) return false;
  *Last = f;
  FDescription += std::string(",") + Name + (Args.empty() ? "" : "=" + Args);
  return true;
}

bool TVideoFilterGraph::Build(const TVideoGraphInput& In, const TVideoGraphOutput& Out,
                              const std::string& ChainText) {
  if (!FGraph) return false;
  const std::string srcArgs =
      Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", In.Width, In.Height, In.PixFmt,
             In.TimeBase.num, In.TimeBase.den, In.SampleAspect.num, In.SampleAspect.den ? In.SampleAspect.den : 1) +
      (In.FrameRate.num ? Format(":frame_rate=%d/%d", In.FrameRate.num, In.FrameRate.den) : std::string());
  if (avfilter_graph_create_filter(&FSource, avfilter_get_by_name("buffer"), "src", srcArgs.c_str(), nullptr,
                                   FGraph.get()) < 0)
    return false;
  FSink = avfilter_graph_alloc_filter(FGraph.get(), avfilter_get_by_name("buffersink"), "out");
  if (!FSink) return false;
  const AVPixelFormat formats[] = {Out.PixFmt, AV_PIX_FMT_NONE};
  if (av_opt_set_int_list(FSink, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN) < 0 ||
      avfilter_init_str(FSink, nullptr) < 0)
    return false;
  FDescription = "buffer";
  AVFilterContext* last = FSource;
  if (Out.Deinterlace && !AddFilter("yadif", "", &last)) return false;
  if (Out.Crop &&
      !AddFilter("crop", Format("%d:%d:%d:%d", Out.Width, Out.Height, Out.LeftBand, Out.TopBand), &last))
    return false;
  if (In.Width - Out.LeftBand - Out.RightBand != Out.Width || In.Height - Out.TopBand - Out.BottomBand != Out.Height) {
    if (!AddFilter("scale", Format("%d:%d:flags=0x%X", Out.Width, Out.Height, Out.SwsFlags), &last)) return false;
  }
  if (!ChainText.empty()) {
    InOutPtr outputs(avfilter_inout_alloc());
    InOutPtr inputs(avfilter_inout_alloc());
    if (!outputs || !inputs) return false;
    outputs->name = av_strdup("in");
    outputs->filter_ctx = last;
    outputs->pad_idx = 0;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = FSink;
    inputs->pad_idx = 0;
    AVFilterInOut* in = inputs.release();
    AVFilterInOut* out = outputs.release();
    const int ret = avfilter_graph_parse_ptr(FGraph.get(), ChainText.c_str(), &in, &out, nullptr);
    avfilter_inout_free(&in);
    avfilter_inout_free(&out);
    if (ret < 0) return false;
    FDescription += "," + ChainText;
  } else if (avfilter_link(last, 0, FSink, 0) < 0) {
    return false;
  }
  FDescription += ",buffersink";
  const std::string scaler = Format("flags=0x%X", Out.SwsFlags);
  av_opt_set(FGraph.get(), "scale_sws_opts", scaler.c_str(), 0);
  return avfilter_graph_config(FGraph.get(), nullptr) >= 0;
}

int TVideoFilterGraph::OutputWidth() const { return av_buffersink_get_w(FSink); }
int TVideoFilterGraph::OutputHeight() const { return av_buffersink_get_h(FSink); }
AVRational TVideoFilterGraph::OutputTimeBase() const { return av_buffersink_get_time_base(FSink); }

int TVideoFilterGraph::Push(AVFrame* Decoded) {
  return av_buffersrc_add_frame_flags(FSource, Decoded, AV_BUFFERSRC_FLAG_KEEP_REF);
}

int TVideoFilterGraph::Pull(AVFrame* Out) {
  std::lock_guard<std::mutex> g(FilterLock());
  return av_buffersink_get_frame(FSink, Out);
}
