#pragma once
// Owning handles for FFmpeg objects.
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace ff {

struct CodecContextDeleter {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct InputDeleter {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
// An output context; closes its byte stream when the format writes a file.
struct OutputDeleter {
  void operator()(AVFormatContext* c) const {
    if (c->oformat && !(c->oformat->flags & AVFMT_NOFILE) && !(c->flags & AVFMT_FLAG_CUSTOM_IO) && c->pb)
      avio_closep(&c->pb);
    avformat_free_context(c);
  }
};
struct SwrDeleter {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct SwsDeleter {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct AudioFifoDeleter {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct BsfDeleter {
  void operator()(AVBSFContext* b) const { av_bsf_free(&b); }
};
// A custom I/O context with its buffer (the buffer may have been replaced by the library).
struct IODeleter {
  void operator()(AVIOContext* c) const {
    av_freep(&c->buffer);
    avio_context_free(&c);
  }
};
struct FreeDeleter {
  void operator()(void* p) const { av_free(p); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using InputPtr = std::unique_ptr<AVFormatContext, InputDeleter>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
using BsfPtr = std::unique_ptr<AVBSFContext, BsfDeleter>;
using IOPtr = std::unique_ptr<AVIOContext, IODeleter>;

// A dictionary freed on scope exit.
class Dictionary {
 public:
  Dictionary() = default;
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;
  ~Dictionary() { av_dict_free(&FDict); }
  AVDictionary** operator&() { return &FDict; }
  AVDictionary* get() const { return FDict; }
  void Set(const char* Key, const char* Value) { av_dict_set(&FDict, Key, Value, 0); }
  void Set(const char* Key, int64_t Value) { av_dict_set_int(&FDict, Key, Value, 0); }

 private:
  AVDictionary* FDict = nullptr;
};

inline FramePtr MakeFrame() { return FramePtr(av_frame_alloc()); }
inline PacketPtr MakePacket() { return PacketPtr(av_packet_alloc()); }

// The library's error text for an error code.
std::string ErrorText(int Code);

}  // namespace ff
