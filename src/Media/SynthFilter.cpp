#include "Media/SynthFilter.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

#include "Common/Errors.h"

extern "C" {
#include <libavutil/common.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

namespace {

constexpr const char* kSourceFunction = "FfmpegSource";
constexpr const char* kSourceSignature = "i";
constexpr const char* kScriptFunction = "ScriptClip";
constexpr unsigned kClipRate = 24;
constexpr int kClipFrames = 1;
constexpr int kFrameAlign = 16;
constexpr int kPlaneCount = 3;
constexpr std::array<int, kPlaneCount> kPlanes{kAvsPlanarY, kAvsPlanarU, kAvsPlanarV};

// Steps alive in the process, found by the small integer that "FfmpegSource"
// receives (a pointer does not fit AviSynth's 32-bit integers). Guarded by gLiveLock.
std::mutex gLiveLock;
std::map<int, TSynthFilter*> gLive;
int gNextId = 1;

AVS_Value VoidValue() {
  AVS_Value v{};
  v.type = kAvsTypeVoid;
  return v;
}

AVS_Value ErrorValue(const char* Text) {
  AVS_Value v{};
  v.type = kAvsTypeError;
  v.d.string = Text;
  return v;
}

int ParityOf(AVS_FilterInfo*, int) { return 0; }
int NoAudio(AVS_FilterInfo*, void*, int64_t, int64_t) { return 0; }
int NoCacheHints(AVS_FilterInfo*, int, int) { return 0; }

}  // namespace

std::unique_ptr<TSynthFilter> TSynthFilter::Create(const std::string& Expression) {
  if (Expression.empty()) {
    av_log(nullptr, AV_LOG_ERROR, "synth needs an AviSynth expression\n");
    return nullptr;
  }
  if (Expression.size() > kMaxScriptLength) {
    av_log(nullptr, AV_LOG_ERROR, "The synth expression is longer than %zu characters\n",
           kMaxScriptLength);
    return nullptr;
  }
  std::unique_ptr<TSynthFilter> f(new TSynthFilter());
  std::string why;
  if (!BindSynthApi(f->FApi, why)) {
    av_log(nullptr, AV_LOG_ERROR, "synth is not available: %s\n", why.c_str());
    return nullptr;
  }
  f->FEnv = std::unique_ptr<AVS_ScriptEnvironment, TSynthEnvironmentDeleter>(
      f->FApi.create_script_environment(kAvsInterfaceVersion),
      TSynthEnvironmentDeleter{f->FApi.delete_script_environment});
  if (!f->FEnv) {
    av_log(nullptr, AV_LOG_ERROR, "synth: AviSynth can not create a script environment\n");
    return nullptr;
  }
  f->FApi.add_function(f->FEnv.get(), kSourceFunction, kSourceSignature, &TSynthFilter::FfmpegSource,
                       nullptr);
  f->FScript = Expression;
  std::replace(f->FScript.begin(), f->FScript.end(), '|', ',');
  std::lock_guard<std::mutex> g(gLiveLock);
  f->FId = gNextId++;
  gLive[f->FId] = f.get();
  return f;
}

TSynthFilter::~TSynthFilter() {
  std::lock_guard<std::mutex> g(gLiveLock);
  gLive.erase(FId);
}

int TSynthFilter::Process(AVFrame* Picture) {
  int r = av_frame_make_writable(Picture);
  if (r < 0) return r;
  if (av_pix_fmt_get_chroma_sub_sample(static_cast<AVPixelFormat>(Picture->format), &FChromaShiftX,
                                       &FChromaShiftY) < 0)
    return AVERROR(EINVAL);
  FCurrent = Picture;
  RunScript();
  FCurrent = nullptr;
  return 0;
}

void TSynthFilter::RunScript() {
  AVS_ScriptEnvironment* env = FEnv.get();
  AVS_Value id{};
  id.type = kAvsTypeInt;
  id.d.integer = FId;
  AVS_Value source = FApi.invoke(env, kSourceFunction, id, nullptr);
  if (source.type == kAvsTypeError) return;
  AVS_Value script{};
  script.type = kAvsTypeString;
  script.d.string = FScript.c_str();
  const std::array<AVS_Value, 2> args{source, script};
  AVS_Value list{};
  list.type = kAvsTypeArray;
  list.array_size = static_cast<short>(args.size());
  list.d.array = args.data();
  AVS_Value result = FApi.invoke(env, kScriptFunction, list, nullptr);
  FApi.release_value(source);
  if (result.type == kAvsTypeError) return;
  AVS_Clip* clip = FApi.take_clip(result, env);
  FApi.release_value(result);
  if (!clip) return;
  FApi.get_video_info(clip);
  AVS_VideoFrame* frame = FApi.get_frame(clip, 0);
  bool failed = FApi.clip_get_error && FApi.clip_get_error(clip);
  if (frame && !failed) CopyBack(frame);
  if (frame) FApi.release_video_frame(frame);
  FApi.release_clip(clip);
}

void TSynthFilter::CopyBack(const AVS_VideoFrame* Frame) {
  for (int p = 0; p < kPlaneCount; ++p) {
    const int plane = kPlanes[static_cast<size_t>(p)];
    const int width = p == 0 ? FCurrent->width : AV_CEIL_RSHIFT(FCurrent->width, FChromaShiftX);
    const int height = p == 0 ? FCurrent->height : AV_CEIL_RSHIFT(FCurrent->height, FChromaShiftY);
    const int rows = std::min(FApi.get_height_p(Frame, plane), height);
    const int bytes = std::min(FApi.get_row_size_p(Frame, plane), width);
    if (rows <= 0 || bytes <= 0) continue;
    FApi.bit_blt(FEnv.get(), FCurrent->data[p], FCurrent->linesize[p], FApi.get_read_ptr_p(Frame, plane),
                 FApi.get_pitch_p(Frame, plane), bytes, rows);
  }
}

AVS_Value TSynthFilter::FfmpegSource(AVS_ScriptEnvironment* Env, AVS_Value Args, void*) {
  const AVS_Value first = Args.type == kAvsTypeArray ? Args.d.array[0] : Args;
  TSynthFilter* self = nullptr;
  {
    std::lock_guard<std::mutex> g(gLiveLock);
    auto it = gLive.find(first.d.integer);
    if (it != gLive.end()) self = it->second;
  }
  if (!self || !self->FCurrent) return ErrorValue("FfmpegSource: no picture");
  AVS_FilterInfo* info = nullptr;
  AVS_Clip* clip = self->FApi.new_c_filter(Env, &info, VoidValue(), 0);
  if (!clip || !info) return ErrorValue("FfmpegSource: no clip");
  info->vi = AVS_VideoInfo{};
  info->vi.width = self->FCurrent->width;
  info->vi.height = self->FCurrent->height;
  info->vi.fps_numerator = kClipRate;
  info->vi.fps_denominator = 1;
  info->vi.num_frames = kClipFrames;
  info->vi.pixel_type = kAvsPixelTypeI420;
  info->user_data = self;
  info->get_frame = &TSynthFilter::FrameSourceGetFrame;
  info->free_filter = &TSynthFilter::FrameSourceFree;
  info->get_parity = ParityOf;
  info->get_audio = NoAudio;
  info->set_cache_hints = NoCacheHints;
  AVS_Value v = VoidValue();
  self->FApi.set_to_clip(&v, clip);
  self->FApi.release_clip(clip);
  return v;
}

AVS_VideoFrame* TSynthFilter::FrameSourceGetFrame(AVS_FilterInfo* Info, int) {
  auto* self = static_cast<TSynthFilter*>(Info->user_data);
  if (!self || !self->FCurrent) return nullptr;
  AVS_VideoFrame* frame = self->FApi.new_video_frame_a(Info->env, &Info->vi, kFrameAlign);
  if (!frame) return nullptr;
  for (int p = 0; p < kPlaneCount; ++p) {
    const int plane = kPlanes[static_cast<size_t>(p)];
    self->FApi.bit_blt(Info->env, self->FApi.get_write_ptr_p(frame, plane),
                       self->FApi.get_pitch_p(frame, plane), self->FCurrent->data[p],
                       self->FCurrent->linesize[p], self->FApi.get_row_size_p(frame, plane),
                       self->FApi.get_height_p(frame, plane));
  }
  return frame;
}

void TSynthFilter::FrameSourceFree(AVS_FilterInfo* Info) { Info->user_data = nullptr; }
