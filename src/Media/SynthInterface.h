#pragma once
// The part of the AviSynth C interface that the synth step uses (the calls of
// interface version 2 with the structure layouts AviSynth+ keeps), bound at
// run time from the library that avlib loads. Frames are opaque: their planes
// are read through the exported plane accessors.
#include <cstdint>
#include <string>

extern "C" {

typedef struct AVS_Clip AVS_Clip;
typedef struct AVS_ScriptEnvironment AVS_ScriptEnvironment;
typedef struct AVS_VideoFrame AVS_VideoFrame;

typedef struct AVS_VideoInfo {
  int width, height;
  unsigned fps_numerator, fps_denominator;
  int num_frames;
  int pixel_type;
  int audio_samples_per_second;
  int sample_type;
  int64_t num_audio_samples;
  int nchannels;
  int image_type;
} AVS_VideoInfo;

typedef struct AVS_Value AVS_Value;
struct AVS_Value {
  short type;  // 'a'rray, 'c'lip, 'b'ool, 'i'nt, 'f'loat, 's'tring, 'v'oid, 'e'rror
  short array_size;
  union {
    void* clip;
    char boolean;
    int integer;
    float floating_pt;
    const char* string;
    const AVS_Value* array;
    int64_t longlong;
  } d;
};

typedef AVS_Value (*AVS_ApplyFunc)(AVS_ScriptEnvironment*, AVS_Value Args, void* UserData);

typedef struct AVS_FilterInfo AVS_FilterInfo;
struct AVS_FilterInfo {
  AVS_Clip* child;
  AVS_VideoInfo vi;
  AVS_ScriptEnvironment* env;
  AVS_VideoFrame* (*get_frame)(AVS_FilterInfo*, int n);
  int (*get_parity)(AVS_FilterInfo*, int n);
  int (*get_audio)(AVS_FilterInfo*, void* buf, int64_t start, int64_t count);
  int (*set_cache_hints)(AVS_FilterInfo*, int cachehints, int frame_range);
  void (*free_filter)(AVS_FilterInfo*);
  const char* error;
  void* user_data;
};

}  // extern "C"

constexpr int kAvsInterfaceVersion = 2;
constexpr int kAvsPlanarY = 1 << 0;
constexpr int kAvsPlanarU = 1 << 1;
constexpr int kAvsPlanarV = 1 << 2;
// Planar YUV 4:2:0 with U before V ("I420").
constexpr int kAvsPixelTypeI420 = static_cast<int>(0xA0000010u);
constexpr short kAvsTypeArray = 'a';
constexpr short kAvsTypeClip = 'c';
constexpr short kAvsTypeInt = 'i';
constexpr short kAvsTypeString = 's';
constexpr short kAvsTypeVoid = 'v';
constexpr short kAvsTypeError = 'e';

// Entry points of the bound library; all set once Bind has succeeded.
struct TSynthApi {
  AVS_ScriptEnvironment* (*create_script_environment)(int version) = nullptr;
  void (*delete_script_environment)(AVS_ScriptEnvironment*) = nullptr;
  int (*add_function)(AVS_ScriptEnvironment*, const char* name, const char* params,
                      AVS_ApplyFunc apply, void* user_data) = nullptr;
  AVS_Value (*invoke)(AVS_ScriptEnvironment*, const char* name, AVS_Value args,
                      const char** arg_names) = nullptr;
  void (*release_value)(AVS_Value) = nullptr;
  AVS_Clip* (*take_clip)(AVS_Value, AVS_ScriptEnvironment*) = nullptr;
  void (*set_to_clip)(AVS_Value*, AVS_Clip*) = nullptr;
  void (*release_clip)(AVS_Clip*) = nullptr;
  const AVS_VideoInfo* (*get_video_info)(AVS_Clip*) = nullptr;
  AVS_VideoFrame* (*get_frame)(AVS_Clip*, int n) = nullptr;
  void (*release_video_frame)(AVS_VideoFrame*) = nullptr;
  AVS_VideoFrame* (*new_video_frame_a)(AVS_ScriptEnvironment*, const AVS_VideoInfo*, int align) = nullptr;
  void (*bit_blt)(AVS_ScriptEnvironment*, uint8_t* dst, int dst_pitch, const uint8_t* src,
                  int src_pitch, int row_size, int height) = nullptr;
  AVS_Clip* (*new_c_filter)(AVS_ScriptEnvironment*, AVS_FilterInfo** fi, AVS_Value child,
                            int store_child) = nullptr;
  int (*get_pitch_p)(const AVS_VideoFrame*, int plane) = nullptr;
  int (*get_row_size_p)(const AVS_VideoFrame*, int plane) = nullptr;
  int (*get_height_p)(const AVS_VideoFrame*, int plane) = nullptr;
  const uint8_t* (*get_read_ptr_p)(const AVS_VideoFrame*, int plane) = nullptr;
  uint8_t* (*get_write_ptr_p)(const AVS_VideoFrame*, int plane) = nullptr;
  // Optional: a clip's own error, checked when present.
  const char* (*clip_get_error)(AVS_Clip*) = nullptr;
};

// Any thread. Binds Api from the AviSynth library bound by avlib; false with
// Error naming the library or the missing entry point.
bool BindSynthApi(TSynthApi& Api, std::string& Error);
