#include "Converter/AVConverterFilterGraph.h"

#include <map>
#include <set>

#include "Common/Errors.h"
#include "Converter/AVConverterFilterBuild.h"
#include "Converter/AVConverterFilterChainParser.h"
#include "Converter/AVConverterFilterEntries.h"
#include "Media/SynthFilter.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

namespace {

constexpr const char* kSynthName = "synth";
// Formats the AviSynth step works in.
constexpr AVPixelFormat kSynthFormats[] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_NONE};

struct TBufferSrcParametersDeleter {
  void operator()(AVBufferSrcParameters* P) const { av_free(P); }
};

bool Fail(const char* What, const std::string& Detail) {
  av_log(nullptr, AV_LOG_ERROR, "%s%s\n", What, Detail.c_str());
  return false;
}

// System entries and synth steps stand between plain commas: labels and ";"
// would tie them into a graph the system can't see.
bool CheckSystemEntry(const TChainEntry& E) {
  auto plain = [](char S) { return S == 0 || S == ','; };
  if (E.HasLabels || !plain(E.SeparatorBefore) || !plain(E.SeparatorAfter))
    return Fail("Labels and \";\" can not be used around the filter ", E.Name);
  return true;
}

AVFilterContext* CreateSource(AVFilterGraph* Graph, const TVideoGraphInput& In) {
  const AVFilter* buffer = avfilter_get_by_name("buffer");
  AVFilterContext* ctx = buffer ? avfilter_graph_alloc_filter(Graph, buffer, "src") : nullptr;
  std::unique_ptr<AVBufferSrcParameters, TBufferSrcParametersDeleter> par(av_buffersrc_parameters_alloc());
  if (!ctx || !par) return nullptr;
  par->format = In.PixFmt;
  par->width = In.Width;
  par->height = In.Height;
  par->time_base = In.TimeBase;
  par->sample_aspect_ratio = In.SampleAspect;
  par->frame_rate = In.FrameRate;
  int r = av_buffersrc_parameters_set(ctx, par.get());
  if (r >= 0) r = avfilter_init_str(ctx, nullptr);
  if (r < 0) {
    av_log(nullptr, AV_LOG_ERROR, "Can not create the picture source %dx%d: %s\n", In.Width, In.Height,
           AVErrorText(r).c_str());
    return nullptr;
  }
  return ctx;
}

AVFilterContext* CreateSink(AVFilterGraph* Graph, const AVPixelFormat* Formats) {
  const AVFilter* sink = avfilter_get_by_name("buffersink");
  AVFilterContext* ctx = sink ? avfilter_graph_alloc_filter(Graph, sink, "out") : nullptr;
  if (!ctx) return nullptr;
  std::lock_guard<std::mutex> g(FilterLock());
  int r = Formats ? av_opt_set_int_list(ctx, "pix_fmts", Formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN) : 0;
  if (r >= 0) r = avfilter_init_str(ctx, nullptr);
  if (r < 0) {
    av_log(nullptr, AV_LOG_ERROR, "Can not create the picture sink: %s\n", AVErrorText(r).c_str());
    return nullptr;
  }
  return ctx;
}

// Hands Text to the library's chain parser between the open ends "in" (pad 0
// of From) and "out" (pad 0 of To).
bool ParseLibraryChain(AVFilterGraph* Graph, const std::string& Text, AVFilterContext* From,
                       AVFilterContext* To) {
  TFilterInOutPtr outputs(avfilter_inout_alloc()), inputs(avfilter_inout_alloc());
  if (!outputs || !inputs) return Fail("Out of memory", "");
  outputs->name = av_strdup("in");
  outputs->filter_ctx = From;
  outputs->pad_idx = 0;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = To;
  inputs->pad_idx = 0;
  AVFilterInOut* ins = inputs.release();
  AVFilterInOut* outs = outputs.release();
  int r = avfilter_graph_parse_ptr(Graph, Text.c_str(), &ins, &outs, nullptr);
  TFilterInOutPtr leftIns(ins), leftOuts(outs);
  if (r < 0) return Fail("Error parsing the filter chain: ", Text + " (" + AVErrorText(r) + ")");
  return true;
}

}  // namespace

std::mutex& FilterLock() {
  static std::mutex lock;
  return lock;
}

struct TVideoFilterGraph::TPiece {
  TFilterGraphPtr Graph;
  AVFilterContext* Source = nullptr;
  AVFilterContext* Sink = nullptr;
  std::unique_ptr<TSynthFilter> Synth;  // runs on this piece's output; null for the last piece
  bool EndSent = false;                 // the end of stream was passed to the next piece
  std::map<const AVFilterContext*, std::string> Labels;  // filters the graph added itself
  std::set<const AVFilterContext*> Anchors;               // pass-through ends of library chains
};

TVideoFilterGraph::TVideoFilterGraph() = default;
TVideoFilterGraph::~TVideoFilterGraph() = default;

bool TVideoFilterGraph::Build(const TVideoGraphInput& In, const TVideoGraphOutput& Out,
                              const std::string& ChainText) {
  FPieces.clear();
  std::vector<TChainEntry> entries;
  std::string error;
  if (!ParseFilterChain(ChainText, entries, error))
    return Fail("Error parsing the filter chain: ", ChainText + " (" + error + ")");

  std::vector<std::unique_ptr<TSynthFilter>> steps;
  std::vector<std::pair<size_t, size_t>> ranges;  // entries of each piece
  size_t first = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].Name != kSynthName) continue;
    if (!CheckSystemEntry(entries[i])) return false;
    auto step = TSynthFilter::Create(UnescapeChainToken(entries[i].Args));
    if (!step) return false;
    steps.push_back(std::move(step));
    ranges.emplace_back(first, i);
    first = i + 1;
  }
  ranges.emplace_back(first, entries.size());

  TVideoGraphInput in = In;
  for (size_t p = 0; p < ranges.size(); ++p) {
    auto piece = std::make_unique<TPiece>();
    const bool feedsSynth = p < steps.size();
    if (!BuildPiece(*piece, entries, ranges[p].first, ranges[p].second, ChainText, in,
                    p == 0 ? &Out : nullptr, feedsSynth, Out.PixFmt)) {
      FPieces.clear();
      return false;
    }
    if (feedsSynth) piece->Synth = std::move(steps[p]);
    const AVFilterContext* sink = piece->Sink;
    in.Width = av_buffersink_get_w(sink);
    in.Height = av_buffersink_get_h(sink);
    in.PixFmt = static_cast<AVPixelFormat>(av_buffersink_get_format(sink));
    in.TimeBase = av_buffersink_get_time_base(sink);
    in.SampleAspect = av_buffersink_get_sample_aspect_ratio(sink);
    in.FrameRate = av_buffersink_get_frame_rate(sink);
    FPieces.push_back(std::move(piece));
  }
  return true;
}

bool TVideoFilterGraph::BuildPiece(TPiece& Piece, const std::vector<TChainEntry>& Entries, size_t First,
                                   size_t Last, const std::string& ChainText, const TVideoGraphInput& In,
                                   const TVideoGraphOutput* Head, bool FeedsSynth, AVPixelFormat SinkFormat) {
  Piece.Graph.reset(avfilter_graph_alloc());
  AVFilterGraph* graph = Piece.Graph.get();
  if (!graph) return Fail("Out of memory", "");
  graph->opaque = FLogOwner;
  graph->nb_threads = FThreadCount;
  const int swsFlags = Head ? Head->SwsFlags : 0;
  // Used for the scalers the library inserts where formats differ.
  graph->scale_sws_opts = av_strdup(Format("flags=0x%X", swsFlags).c_str());

  Piece.Source = CreateSource(graph, In);
  if (!Piece.Source) return false;
  Piece.Labels[Piece.Source] = "buffer";
  const AVPixelFormat own[] = {SinkFormat, AV_PIX_FMT_NONE};
  Piece.Sink = CreateSink(graph, FeedsSynth ? kSynthFormats : SinkFormat == AV_PIX_FMT_NONE ? nullptr : own);
  if (!Piece.Sink) return false;
  Piece.Labels[Piece.Sink] = "buffersink";

  AVFilterContext* last = Piece.Source;
  auto append = [&](AVFilterContext* Ctx, std::string Label) {
    if (!Ctx || !LinkFilters(last, 0, Ctx, 0)) return false;
    Piece.Labels[Ctx] = std::move(Label);
    last = Ctx;
    return true;
  };
  if (Head && Head->Deinterlace && !append(CreateFilter(graph, "yadif", "deinterlace", {}), "yadif"))
    return false;
  if (Head) {
    for (const auto& [name, args] : Head->Upright) {
      const std::string label = args.empty() ? name : name + "=" + args;
      if (!append(CreateFilterWithArgs(graph, name.c_str(), "upright_" + name, args), label)) return false;
    }
    const int uprightW = Head->Transposed ? In.Height : In.Width;
    const int uprightH = Head->Transposed ? In.Width : In.Height;
    const int width = uprightW - Head->LeftBand - Head->RightBand;
    const int height = uprightH - Head->TopBand - Head->BottomBand;
    if (Head->Crop) {
      if (width <= 0 || height <= 0) return Fail("The crop bands leave no picture", "");
      std::string args = Format("%d:%d:%d:%d", width, height, Head->LeftBand, Head->TopBand);
      if (!append(CreateFilterWithArgs(graph, "crop", "crop", args), "crop=" + args)) return false;
    }
    const bool boxed = Head->BoxWidth > 0 && Head->BoxHeight > 0;
    const int pictureW = boxed ? Head->BoxWidth : Head->Width, pictureH = boxed ? Head->BoxHeight : Head->Height;
    if (width != pictureW || height != pictureH) {
      std::string args = Format("%d:%d:flags=0x%X", pictureW, pictureH, swsFlags);
      if (!append(CreateFilterWithArgs(graph, "scale", "scale", args), "scale=" + args)) return false;
    }
    if (boxed && (pictureW != Head->Width || pictureH != Head->Height)) {
      std::string args = Format("%d:%d:(ow-iw)/2:(oh-ih)/2:black", Head->Width, Head->Height);
      if (!append(CreateFilterWithArgs(graph, "pad", "bars", args), "pad=" + args)) return false;
    }
  }

  for (size_t i = First; i < Last;) {
    const TChainEntry& e = Entries[i];
    if (TEntryBuilder build = FindEntryBuilder(e.Name)) {
      if (!CheckSystemEntry(e)) return false;
      last = build(graph, e, Format("%s_%zu", e.Name.c_str(), i), last);
      if (!last) return false;
      ++i;
      continue;
    }
    // A run of entries for the library goes to its parser as written.
    size_t j = i;
    while (j < Last && !FindEntryBuilder(Entries[j].Name)) ++j;
    const std::string text = ChainText.substr(e.Begin, Entries[j - 1].End - e.Begin);
    AVFilterContext* to = Piece.Sink;
    if (j < Last) {
      to = CreateFilter(graph, "null", Format("chain_%zu", j), {});
      if (!to) return false;
      Piece.Anchors.insert(to);
    }
    if (!ParseLibraryChain(graph, text, last, to)) return false;
    last = to;
    i = j;
  }
  if (last != Piece.Sink && !LinkFilters(last, 0, Piece.Sink, 0)) return false;

  int r = avfilter_graph_config(graph, nullptr);
  if (r < 0) return Fail("Error configuring the filter graph: ", AVErrorText(r));
  return true;
}

int TVideoFilterGraph::Push(AVFrame* Decoded) {
  if (FPieces.empty()) return AVERROR(EINVAL);
  int r = av_buffersrc_add_frame_flags(FPieces.front()->Source, Decoded,
                                       Decoded ? AV_BUFFERSRC_FLAG_KEEP_REF : 0);
  for (size_t p = 0; r >= 0 && p + 1 < FPieces.size(); ++p) r = Forward(p);
  return r;
}

int TVideoFilterGraph::Forward(size_t Piece) {
  TPiece& from = *FPieces[Piece];
  TPiece& to = *FPieces[Piece + 1];
  TFramePtr frame(av_frame_alloc());
  if (!frame) return AVERROR(ENOMEM);
  for (;;) {
    int r = av_buffersink_get_frame(from.Sink, frame.get());
    if (r == AVERROR(EAGAIN)) return 0;
    if (r == AVERROR_EOF) {
      if (from.EndSent) return 0;
      from.EndSent = true;
      return av_buffersrc_add_frame_flags(to.Source, nullptr, 0);
    }
    if (r < 0) return r;
    r = from.Synth->Process(frame.get());
    if (r >= 0) r = av_buffersrc_add_frame_flags(to.Source, frame.get(), 0);
    av_frame_unref(frame.get());
    if (r < 0) return r;
  }
}

int TVideoFilterGraph::Pull(AVFrame* Out) {
  if (FPieces.empty()) return AVERROR(EINVAL);
  return av_buffersink_get_frame(FPieces.back()->Sink, Out);
}

int TVideoFilterGraph::OutputWidth() const {
  return FPieces.empty() ? 0 : av_buffersink_get_w(FPieces.back()->Sink);
}
int TVideoFilterGraph::OutputHeight() const {
  return FPieces.empty() ? 0 : av_buffersink_get_h(FPieces.back()->Sink);
}
AVRational TVideoFilterGraph::OutputTimeBase() const {
  return FPieces.empty() ? AVRational{0, 1} : av_buffersink_get_time_base(FPieces.back()->Sink);
}
AVRational TVideoFilterGraph::OutputSampleAspect() const {
  return FPieces.empty() ? AVRational{0, 1} : av_buffersink_get_sample_aspect_ratio(FPieces.back()->Sink);
}
AVPixelFormat TVideoFilterGraph::OutputPixFmt() const {
  return FPieces.empty() ? AV_PIX_FMT_NONE
                         : static_cast<AVPixelFormat>(av_buffersink_get_format(FPieces.back()->Sink));
}

std::string TVideoFilterGraph::Description() const {
  std::string out;
  for (const auto& piece : FPieces) {
    if (!out.empty()) out += ",synth,";
    std::string chain;
    for (const AVFilterContext* f = piece->Source; f;) {
      auto label = piece->Labels.find(f);
      const bool inserted = std::string_view(f->name).starts_with("auto_");
      if (label != piece->Labels.end()) chain += (chain.empty() ? "" : ",") + label->second;
      else if (!inserted && !piece->Anchors.count(f)) chain += (chain.empty() ? "" : ",") + std::string(f->filter->name);
      f = f->nb_outputs > 0 && f->outputs[0] ? f->outputs[0]->dst : nullptr;
    }
    out += chain;
  }
  return out;
}
