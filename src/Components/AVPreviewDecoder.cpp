#include "Components/AVPreviewDecoder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

#include "Common/Errors.h"
#include "Converter/DecodeTowards.h"
#include "Converter/avlib.h"

namespace {
constexpr int kBytesPerPixel = 3;
constexpr int kRowAlignment = 64;
constexpr double kMicro = 1000000.0;
// Decoding threads of the preview: enough to catch up a key-frame interval
// quickly, few enough that each one's pictures (4K, several references) stay
// a small share of memory.
constexpr unsigned kMaxPreviewThreads = 4;
}  // namespace

TAVPreviewDecoder::TAVPreviewDecoder() { LoadMediaLibrary(); }

void TAVPreviewDecoder::SetInputFile(const std::string& Name) {
  std::error_code ec;
  if (!std::filesystem::exists(Name, ec)) {
    ShowErrorMessage(Format("File:%s does not exist!", Name.c_str()));
    return;
  }
  FInputFile = Name;
  if (FActive) {
    CloseFile();
    FActive = false;
  }
}

void TAVPreviewDecoder::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value) {
    if (!OpenFile()) {
      CloseFile();
      return;
    }
    DecodeFrame();
  } else {
    CloseFile();
  }
  FActive = Value;
}

bool TAVPreviewDecoder::OpenFile() {
  AVFormatContext* raw = nullptr;
  PrepareDeviceUrl(FInputFile);
  if (avformat_open_input(&raw, FInputFile.c_str(), nullptr, nullptr) != 0) return false;
  ic.reset(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) return false;
  videoStream = -1;
  for (unsigned i = 0; i < raw->nb_streams && videoStream < 0; ++i)
    if (raw->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) videoStream = static_cast<int>(i);
  if (videoStream < 0) return false;
  const AVCodecParameters* par = raw->streams[videoStream]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  if (!codec) return false;
  pCodecCtx.reset(avcodec_alloc_context3(codec));
  if (!pCodecCtx || avcodec_parameters_to_context(pCodecCtx.get(), par) < 0) return false;
  // A seek decodes up to a key-frame interval of pictures: on several processors.
  pCodecCtx->thread_count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kMaxPreviewThreads));
  if (avcodec_open2(pCodecCtx.get(), codec, nullptr) < 0) return false;
  pFrame = ff::MakeFrame();
  pLater = ff::MakeFrame();
  if (!pFrame || !pLater) return false;
  FWidth = pCodecCtx->width;
  FHeight = pCodecCtx->height;
  FUpright = UprightOf(raw->streams[videoStream]);
  if (FWidth <= 0 || FHeight <= 0 || pCodecCtx->pix_fmt == AV_PIX_FMT_NONE) return false;
  pSwsCtx.reset(sws_getContext(FWidth, FHeight, pCodecCtx->pix_fmt, FWidth, FHeight, AV_PIX_FMT_BGR24, SWS_BICUBIC,
                               nullptr, nullptr, nullptr));
  if (!pSwsCtx) return false;
  FStartTime = raw->start_time != AV_NOPTS_VALUE ? raw->start_time : 0;
  FDuration = raw->duration != AV_NOPTS_VALUE ? static_cast<double>(raw->duration) / kMicro : 0.0;
  return true;
}

void TAVPreviewDecoder::DecodeFrame() {
  const int64_t target = Ftimestamp + FStartTime;
  Ftimestamp = target;
  // Right after opening the input stands at its beginning; any other time is
  // reached from the key frame at or before it.
  if (target != 0 || FShown) {
    if (av_seek_frame(ic.get(), -1, target, AVSEEK_FLAG_BACKWARD) < 0)
      ShowErrorMessage(Format("could not seek to position %0.3f", static_cast<double>(target) / kMicro));
    else
      avcodec_flush_buffers(pCodecCtx.get());
  }
  const AVStream* st = ic->streams[videoStream];
  const AVRational rate = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
  // The picture on screen at the target: decoding goes on past those that end before it.
  auto endsBeforeTarget = [&](const AVFrame* F) {
    const int64_t pts = F->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) return false;
    const int64_t duration = F->pkt_duration > 0 ? av_rescale_q(F->pkt_duration, st->time_base, AV_TIME_BASE_Q)
                             : rate.num         ? av_rescale_q(1, av_inv_q(rate), AV_TIME_BASE_Q)
                                                : 0;
    return av_rescale_q(pts, st->time_base, AV_TIME_BASE_Q) + duration <= target;
  };
  bool held = false;  // pFrame holds a decoded picture
  // Takes every picture the decoder has ready; true once pFrame is the one at the target.
  auto receive = [&] {
    for (;;) {
      ff::FramePtr& into = held ? pLater : pFrame;
      if (avcodec_receive_frame(pCodecCtx.get(), into.get()) < 0) return false;
      if (held) std::swap(pFrame, pLater);
      av_frame_unref(pLater.get());
      held = true;
      if (!endsBeforeTarget(pFrame.get())) return true;
    }
  };
  ff::PacketPtr pkt = ff::MakePacket();
  bool got = false;
  while (!got) {
    if (av_read_frame(ic.get(), pkt.get()) < 0) {
      // End of file: the decoder may still hold pictures; else the last one is shown.
      avcodec_send_packet(pCodecCtx.get(), nullptr);
      receive();
      if (!held) return;  // nothing decoded: keep the last picture
      break;
    }
    if (pkt->stream_index == videoStream) {
      SkipUnreferencedBefore(pCodecCtx.get(), *pkt, st->time_base, target);
      avcodec_send_packet(pCodecCtx.get(), pkt.get());
      got = receive();
    }
    av_packet_unref(pkt.get());
  }
  FShown = true;
  if (pFrame->width != FWidth || pFrame->height != FHeight) {
    av_frame_unref(pFrame.get());
    return;
  }
  // The scaler writes whole SIMD blocks: convert into aligned, padded rows,
  // then keep exactly Width x 3 bytes of each.
  const int rowBytes = FWidth * kBytesPerPixel;
  const int stride = FFALIGN(rowBytes, kRowAlignment);
  FScratch.assign(static_cast<size_t>(stride) * (FHeight + 1) + kRowAlignment, 0);
  uint8_t* dst[4] = {FScratch.data(), nullptr, nullptr, nullptr};
  int dstStride[4] = {stride, 0, 0, 0};
  sws_scale(pSwsCtx.get(), pFrame->data, pFrame->linesize, 0, FHeight, dst, dstStride);
  av_frame_unref(pFrame.get());
  FPicture.resize(static_cast<size_t>(rowBytes) * FHeight);
  for (int y = 0; y < FHeight; ++y)
    memcpy(FPicture.data() + static_cast<size_t>(y) * rowBytes, FScratch.data() + static_cast<size_t>(y) * stride,
           static_cast<size_t>(rowBytes));
  FShownWidth = FWidth;
  FShownHeight = FHeight;
  TurnPicture(FUpright, FPicture, FShownWidth, FShownHeight, kBytesPerPixel);
  FActive = true;
  if (OnPicture) OnPicture();
}

void TAVPreviewDecoder::SetTimestamp(double Seconds) {
  const auto ts = static_cast<int64_t>(Seconds * kMicro);
  if (ts == Ftimestamp || !FActive) return;
  if (Seconds > FDuration) {
    ShowErrorMessage("timestamp can not be large than stream duration!");
    return;
  }
  Ftimestamp = ts;
  DecodeFrame();
}

void TAVPreviewDecoder::CloseFile() {
  pSwsCtx.reset();
  pFrame.reset();
  pLater.reset();
  pCodecCtx.reset();
  FShown = false;
  ic.reset();
  videoStream = -1;
  FActive = false;
  Ftimestamp = 0;
}
