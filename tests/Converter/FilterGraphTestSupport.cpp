#include "FilterGraphTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

#include "support/Fixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace graphtest {

namespace {

struct TFormatDeleter {
  void operator()(AVFormatContext* F) const { avformat_close_input(&F); }
};
struct TCodecDeleter {
  void operator()(AVCodecContext* C) const { avcodec_free_context(&C); }
};
struct TPacketDeleter {
  void operator()(AVPacket* P) const { av_packet_free(&P); }
};

std::mutex gLogLock;
std::string gLog;  // guarded by gLogLock

void Capture(void* Avcl, int Level, const char* Fmt, va_list Args) {
  if (Level > AV_LOG_WARNING) return;
  char line[1024];
  int prefix = 1;
  av_log_format_line(Avcl, Level, Fmt, Args, line, sizeof line, &prefix);
  std::lock_guard<std::mutex> g(gLogLock);
  gLog.append(line, strnlen(line, sizeof line));
}

std::string Packed(const AVFrame* F) {
  auto fmt = static_cast<AVPixelFormat>(F->format);
  int size = av_image_get_buffer_size(fmt, F->width, F->height, 1);
  std::string out(static_cast<size_t>(size), '\0');
  av_image_copy_to_buffer(reinterpret_cast<uint8_t*>(out.data()), size, F->data, F->linesize, fmt, F->width,
                          F->height, 1);
  return out;
}

}  // namespace

TDecoded DecodeVideo(const std::string& File) {
  TDecoded out;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, File.c_str(), nullptr, nullptr) < 0) {
    ADD_FAILURE() << "can not open " << File;
    return out;
  }
  std::unique_ptr<AVFormatContext, TFormatDeleter> fmt(raw);
  avformat_find_stream_info(fmt.get(), nullptr);
  int index = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    ADD_FAILURE() << "no video in " << File;
    return out;
  }
  AVStream* st = fmt->streams[index];
  const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
  std::unique_ptr<AVCodecContext, TCodecDeleter> dec(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(dec.get(), st->codecpar);
  if (avcodec_open2(dec.get(), codec, nullptr) < 0) {
    ADD_FAILURE() << "can not open the decoder of " << File;
    return out;
  }
  out.Input.Width = dec->width;
  out.Input.Height = dec->height;
  out.Input.PixFmt = dec->pix_fmt;
  out.Input.TimeBase = st->time_base;
  out.Input.SampleAspect = dec->sample_aspect_ratio;
  out.Input.FrameRate = st->avg_frame_rate;
  std::unique_ptr<AVPacket, TPacketDeleter> pkt(av_packet_alloc());
  auto drain = [&] {
    for (;;) {
      TFramePtr f(av_frame_alloc());
      if (avcodec_receive_frame(dec.get(), f.get()) < 0) return;
      f->pts = f->best_effort_timestamp;
      out.Frames.push_back(std::move(f));
    }
  };
  while (av_read_frame(fmt.get(), pkt.get()) >= 0) {
    if (pkt->stream_index == index) {
      avcodec_send_packet(dec.get(), pkt.get());
      drain();
    }
    av_packet_unref(pkt.get());
  }
  avcodec_send_packet(dec.get(), nullptr);
  drain();
  return out;
}

TVideoGraphOutput SameSizeOutput(const TVideoGraphInput& In) {
  TVideoGraphOutput out;
  out.Width = In.Width;
  out.Height = In.Height;
  out.PixFmt = AV_PIX_FMT_YUV420P;
  out.SwsFlags = SWS_BICUBIC;
  return out;
}

TGraphRun RunGraph(const TDecoded& Source, const TVideoGraphOutput& Out, const std::string& Chain) {
  TGraphRun run;
  TVideoFilterGraph graph;
  run.Built = graph.Build(Source.Input, Out, Chain);
  if (!run.Built) return run;
  run.Description = graph.Description();
  run.Width = graph.OutputWidth();
  run.Height = graph.OutputHeight();
  run.TimeBase = graph.OutputTimeBase();
  TFramePtr pulled(av_frame_alloc());
  auto pull = [&] {
    int r;
    while ((r = graph.Pull(pulled.get())) == 0) {
      run.Pictures.push_back(Packed(pulled.get()));
      run.Pts.push_back(pulled->pts);
      av_frame_unref(pulled.get());
    }
    if (r != AVERROR(EAGAIN) && r != AVERROR_EOF) ADD_FAILURE() << "pull failed: " << r;
  };
  for (const auto& f : Source.Frames) {
    EXPECT_EQ(graph.Push(f.get()), 0);
    pull();
  }
  EXPECT_EQ(graph.Push(nullptr), 0);
  pull();
  return run;
}

std::vector<std::string> CliPictures(const std::string& File, const std::string& Vf, int Width, int Height) {
  int status = 0;
  std::string bytes = fixtures::RunCommand(
      "ffmpeg -hide_banner -v error -i " + fixtures::ShellQuote(File) + " -vf " + fixtures::ShellQuote(Vf) +
          " -fps_mode passthrough -f rawvideo -pix_fmt yuv420p -",
      &status);
  EXPECT_EQ(status, 0) << Vf;
  std::vector<std::string> out;
  const size_t size = PictureSize(Width, Height);
  for (size_t at = 0; at + size <= bytes.size(); at += size) out.push_back(bytes.substr(at, size));
  return out;
}

double Psnr(const std::string& A, const std::string& B) {
  if (A.size() != B.size() || A.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < A.size(); ++i) {
    double d = static_cast<unsigned char>(A[i]) - static_cast<unsigned char>(B[i]);
    sum += d * d;
  }
  if (sum == 0) return std::numeric_limits<double>::infinity();
  constexpr double kPeak = 255.0;
  return 10 * std::log10(kPeak * kPeak / (sum / static_cast<double>(A.size())));
}

TLogCapture::TLogCapture() {
  std::lock_guard<std::mutex> g(gLogLock);
  gLog.clear();
  av_log_set_callback(Capture);
}

TLogCapture::~TLogCapture() { av_log_set_callback(av_log_default_callback); }

std::string TLogCapture::Text() const {
  std::lock_guard<std::mutex> g(gLogLock);
  return gLog;
}

size_t PictureSize(int Width, int Height) {
  return static_cast<size_t>(av_image_get_buffer_size(AV_PIX_FMT_YUV420P, Width, Height, 1));
}

TYuv PixelAt(const std::string& Picture, int Width, int Height, int X, int Y) {
  const auto* p = reinterpret_cast<const unsigned char*>(Picture.data());
  const int cw = (Width + 1) / 2, ch = (Height + 1) / 2;
  const size_t luma = static_cast<size_t>(Width) * Height;
  const size_t chroma = static_cast<size_t>(Y / 2) * cw + X / 2;
  return {p[static_cast<size_t>(Y) * Width + X], p[luma + chroma],
          p[luma + static_cast<size_t>(cw) * ch + chroma]};
}

TChangeCount CountChanges(const std::string& A, const std::string& B, int Width, int Height, int Left,
                          int Top, int Right, int Bottom, int Tolerance) {
  TChangeCount c;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      size_t i = static_cast<size_t>(y) * Width + x;
      int d = std::abs(static_cast<unsigned char>(A[i]) - static_cast<unsigned char>(B[i]));
      if (d <= Tolerance) continue;
      bool inside = x >= Left && x < Right && y >= Top && y < Bottom;
      ++(inside ? c.Inside : c.Outside);
    }
  return c;
}

}  // namespace graphtest
