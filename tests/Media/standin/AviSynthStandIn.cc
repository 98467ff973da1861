// A stand-in for the AviSynth library: just the C-interface calls the synth
// step makes, with three expressions ScriptClip understands:
//   Invert...  every sample of every plane becomes 255 minus itself
//   Shrink...  a frame of half the width and height, all samples 0
//   Pass...    the source frame unchanged
// Anything else makes ScriptClip fail. Built by the tests as libavisynth.so.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Media/SynthInterface.h"
#include "Media/standin/AviSynthStandIn.h"

namespace {

TStandInStats gStats{};

constexpr int kPlanes = 3;
constexpr int kMaxSample = 255;

struct TFunction {
  AVS_ApplyFunc Apply;
  void* UserData;
};

enum TClipKind { ckFilter, ckInvert, ckShrink, ckPass };

}  // namespace

struct AVS_ScriptEnvironment {
  std::map<std::string, TFunction> Functions;
};

struct AVS_VideoFrame {
  int Refs = 1;
  int Width[kPlanes], Height[kPlanes], Pitch[kPlanes];
  std::vector<uint8_t> Data[kPlanes];
};

struct AVS_Clip {
  int Refs = 1;
  TClipKind Kind = ckFilter;
  AVS_FilterInfo Info{};
  AVS_Clip* Child = nullptr;
};

namespace {

int PlaneIndex(int Plane) { return Plane == kAvsPlanarU ? 1 : Plane == kAvsPlanarV ? 2 : 0; }

AVS_VideoFrame* NewFrame(int Width, int Height, int Align) {
  auto* f = new AVS_VideoFrame();
  for (int p = 0; p < kPlanes; ++p) {
    f->Width[p] = p ? (Width + 1) / 2 : Width;
    f->Height[p] = p ? (Height + 1) / 2 : Height;
    f->Pitch[p] = (f->Width[p] + Align - 1) / Align * Align;
    f->Data[p].assign(static_cast<size_t>(f->Pitch[p]) * f->Height[p], 0);
  }
  ++gStats.LiveFrames;
  return f;
}

AVS_Clip* NewClip(TClipKind Kind) {
  ++gStats.LiveClips;
  auto* c = new AVS_Clip();
  c->Kind = Kind;
  return c;
}

AVS_Value Error(const char* Text) {
  AVS_Value v{};
  v.type = kAvsTypeError;
  v.d.string = Text;
  return v;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) TStandInStats* standin_stats() { return &gStats; }

__attribute__((visibility("default"))) AVS_ScriptEnvironment* avs_create_script_environment(int Version) {
  ++gStats.EnvironmentsCreated;
  gStats.InterfaceVersion = Version;
  return new AVS_ScriptEnvironment();
}

__attribute__((visibility("default"))) void avs_delete_script_environment(AVS_ScriptEnvironment* Env) {
  ++gStats.EnvironmentsDeleted;
  delete Env;
}

__attribute__((visibility("default"))) int avs_add_function(AVS_ScriptEnvironment* Env, const char* Name,
                                                            const char* Params, AVS_ApplyFunc Apply,
                                                            void* UserData) {
  Env->Functions[Name] = {Apply, UserData};
  if (std::string(Name) == "FfmpegSource")
    strncpy(gStats.SourceSignature, Params, sizeof gStats.SourceSignature - 1);
  return 0;
}

__attribute__((visibility("default"))) void avs_release_clip(AVS_Clip* Clip) {
  if (!Clip || --Clip->Refs > 0) return;
  if (Clip->Kind == ckFilter && Clip->Info.free_filter) Clip->Info.free_filter(&Clip->Info);
  avs_release_clip(Clip->Child);
  --gStats.LiveClips;
  delete Clip;
}

__attribute__((visibility("default"))) void avs_release_value(AVS_Value V) {
  if (V.type == kAvsTypeClip) avs_release_clip(static_cast<AVS_Clip*>(V.d.clip));
}

__attribute__((visibility("default"))) AVS_Clip* avs_take_clip(AVS_Value V, AVS_ScriptEnvironment*) {
  auto* c = static_cast<AVS_Clip*>(V.d.clip);
  ++c->Refs;
  return c;
}

__attribute__((visibility("default"))) void avs_set_to_clip(AVS_Value* V, AVS_Clip* Clip) {
  ++Clip->Refs;
  V->type = kAvsTypeClip;
  V->array_size = 0;
  V->d.clip = Clip;
}

__attribute__((visibility("default"))) const AVS_VideoInfo* avs_get_video_info(AVS_Clip* Clip) {
  while (Clip->Kind != ckFilter) Clip = Clip->Child;
  return &Clip->Info.vi;
}

__attribute__((visibility("default"))) void avs_release_video_frame(AVS_VideoFrame* Frame) {
  if (!Frame || --Frame->Refs > 0) return;
  --gStats.LiveFrames;
  delete Frame;
}

__attribute__((visibility("default"))) AVS_VideoFrame* avs_get_frame(AVS_Clip* Clip, int N) {
  if (Clip->Kind == ckFilter) {
    gStats.SourceFrameAsked = N;
    return Clip->Info.get_frame(&Clip->Info, N);
  }
  AVS_VideoFrame* src = avs_get_frame(Clip->Child, N);
  if (!src || Clip->Kind == ckPass) return src;
  AVS_VideoFrame* out = nullptr;
  if (Clip->Kind == ckShrink) {
    out = NewFrame(src->Width[0] / 2, src->Height[0] / 2, 1);
  } else {
    out = NewFrame(src->Width[0], src->Height[0], 1);
    for (int p = 0; p < kPlanes; ++p)
      for (int y = 0; y < src->Height[p]; ++y)
        for (int x = 0; x < src->Width[p]; ++x)
          out->Data[p][static_cast<size_t>(y) * out->Pitch[p] + x] =
              static_cast<uint8_t>(kMaxSample - src->Data[p][static_cast<size_t>(y) * src->Pitch[p] + x]);
  }
  avs_release_video_frame(src);
  return out;
}

__attribute__((visibility("default"))) AVS_VideoFrame* avs_new_video_frame_a(AVS_ScriptEnvironment*,
                                                                            const AVS_VideoInfo* Vi, int Align) {
  return NewFrame(Vi->width, Vi->height, Align);
}

__attribute__((visibility("default"))) void avs_bit_blt(AVS_ScriptEnvironment*, uint8_t* Dst, int DstPitch,
                                                       const uint8_t* Src, int SrcPitch, int RowSize,
                                                       int Height) {
  for (int y = 0; y < Height; ++y) memcpy(Dst + y * DstPitch, Src + y * SrcPitch, static_cast<size_t>(RowSize));
}

__attribute__((visibility("default"))) AVS_Clip* avs_new_c_filter(AVS_ScriptEnvironment* Env,
                                                                 AVS_FilterInfo** Info, AVS_Value Child,
                                                                 int StoreChild) {
  AVS_Clip* c = NewClip(ckFilter);
  c->Info.env = Env;
  if (StoreChild && Child.type == kAvsTypeClip) c->Child = avs_take_clip(Child, Env);
  *Info = &c->Info;
  return c;
}

__attribute__((visibility("default"))) AVS_Value avs_invoke(AVS_ScriptEnvironment* Env, const char* Name,
                                                           AVS_Value Args, const char**) {
  auto fn = Env->Functions.find(Name);
  if (fn != Env->Functions.end()) return fn->second.Apply(Env, Args, fn->second.UserData);
  if (std::string(Name) != "ScriptClip") return Error("unknown function");
  ++gStats.ScriptClipCalls;
  if (Args.type != kAvsTypeArray || Args.array_size != 2 || Args.d.array[0].type != kAvsTypeClip ||
      Args.d.array[1].type != kAvsTypeString)
    return Error("ScriptClip: bad arguments");
  const std::string script = Args.d.array[1].d.string;
  strncpy(gStats.LastScript, script.c_str(), sizeof gStats.LastScript - 1);
  auto* source = static_cast<AVS_Clip*>(Args.d.array[0].d.clip);
  const AVS_VideoInfo& vi = source->Info.vi;
  gStats.SourceWidth = vi.width;
  gStats.SourceHeight = vi.height;
  gStats.SourceFrames = vi.num_frames;
  gStats.SourcePixelType = vi.pixel_type;
  gStats.SourceRateNum = vi.fps_numerator;
  gStats.SourceRateDen = vi.fps_denominator;
  TClipKind kind;
  if (script.rfind("Invert", 0) == 0) kind = ckInvert;
  else if (script.rfind("Shrink", 0) == 0) kind = ckShrink;
  else if (script.rfind("Pass", 0) == 0) kind = ckPass;
  else return Error("Script error: there is no function named that");
  AVS_Clip* clip = NewClip(kind);
  clip->Child = avs_take_clip(Args.d.array[0], Env);
  AVS_Value v{};
  avs_set_to_clip(&v, clip);
  avs_release_clip(clip);
  return v;
}

__attribute__((visibility("default"))) int avs_get_pitch_p(const AVS_VideoFrame* F, int Plane) {
  return F->Pitch[PlaneIndex(Plane)];
}
__attribute__((visibility("default"))) int avs_get_row_size_p(const AVS_VideoFrame* F, int Plane) {
  return F->Width[PlaneIndex(Plane)];
}
__attribute__((visibility("default"))) int avs_get_height_p(const AVS_VideoFrame* F, int Plane) {
  return F->Height[PlaneIndex(Plane)];
}
__attribute__((visibility("default"))) const uint8_t* avs_get_read_ptr_p(const AVS_VideoFrame* F, int Plane) {
  return F->Data[PlaneIndex(Plane)].data();
}
__attribute__((visibility("default"))) uint8_t* avs_get_write_ptr_p(const AVS_VideoFrame* F, int Plane) {
  return const_cast<uint8_t*>(F->Data[PlaneIndex(Plane)].data());
}

}  // extern "C"
