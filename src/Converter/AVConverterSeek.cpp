#include "Converter/AVConverterSeek.h"

#include <algorithm>

#include "Converter/FFmpegPtr.h"

namespace {

constexpr int64_t kFirstStepBack = AV_TIME_BASE;  // 1 s, doubled at each try
constexpr int kMaxTries = 8;                      // up to 255 s back
constexpr int kMaxPacketsToKeyFrame = 4096;       // read after a seek looking for a key frame

// Time of the first key frame of stream Video read from where Ctx stands, or
// AV_NOPTS_VALUE when none comes soon.
int64_t FirstKeyFrameTime(AVFormatContext* Ctx, int Video) {
  ff::PacketPtr pkt = ff::MakePacket();
  for (int i = 0; pkt && i < kMaxPacketsToKeyFrame && av_read_frame(Ctx, pkt.get()) >= 0; ++i) {
    const bool key = pkt->stream_index == Video && (pkt->flags & AV_PKT_FLAG_KEY);
    const int64_t t = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
    const AVRational tb = Ctx->streams[Video]->time_base;
    av_packet_unref(pkt.get());
    if (key && t != AV_NOPTS_VALUE) return av_rescale_q(t, tb, AV_TIME_BASE_Q);
  }
  return AV_NOPTS_VALUE;
}

// To Time, or to the file's first byte when Time is its beginning: a seek by
// time there fails on demuxers whose first pictures are dated before it
// (B-frames), and a failed seek leaves the reading wherever the search ended.
bool SeekTo(AVFormatContext* Ctx, int64_t Time, int64_t Earliest) {
  if (Time <= Earliest && !(Ctx->iformat->flags & AVFMT_NO_BYTE_SEEK) &&
      av_seek_frame(Ctx, -1, 0, AVSEEK_FLAG_BYTE) >= 0)
    return true;
  return av_seek_frame(Ctx, -1, Time, AVSEEK_FLAG_BACKWARD) >= 0;
}

}  // namespace

bool SeekBeforeKeyFrame(AVFormatContext* Ctx, int64_t Target) {
  if (av_seek_frame(Ctx, -1, Target, AVSEEK_FLAG_BACKWARD) < 0) return false;
  const int video = av_find_best_stream(Ctx, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (video < 0 || (Ctx->streams[video]->disposition & AV_DISPOSITION_ATTACHED_PIC)) return true;
  const int64_t earliest = Ctx->start_time != AV_NOPTS_VALUE ? Ctx->start_time : 0;
  int64_t at = Target, step = kFirstStepBack;
  for (int tries = 0; tries < kMaxTries; ++tries) {
    // No key frame before the end (a start in the last group of pictures) is no landing either.
    const int64_t key = FirstKeyFrameTime(Ctx, video);
    const bool landed = (key != AV_NOPTS_VALUE && key <= Target) || at <= earliest;
    if (!landed) {
      at = std::max(earliest, at - step);
      step *= 2;
    }
    // Again from where the packets just read began, or from further back.
    if (!SeekTo(Ctx, at, earliest)) return false;
    if (landed) return true;
  }
  return true;
}

int64_t PictureAlignedStart(const AVFormatContext* Ctx, int64_t Start) {
  const int video = av_find_best_stream(const_cast<AVFormatContext*>(Ctx), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (video < 0) return Start;
  const AVStream* st = Ctx->streams[video];
  const AVRational rate = st->r_frame_rate;
  if ((st->disposition & AV_DISPOSITION_ATTACHED_PIC) || st->discard == AVDISCARD_ALL ||
      st->start_time == AV_NOPTS_VALUE || rate.num <= 0 || rate.den <= 0 || av_cmp_q(rate, st->avg_frame_rate) != 0)
    return Start;
  const int64_t first = av_rescale_q(st->start_time, st->time_base, AV_TIME_BASE_Q);
  if (Start <= first) return Start;
  const AVRational frame = av_inv_q(rate);
  const int64_t pictures = av_rescale_q_rnd(Start - first, AV_TIME_BASE_Q, frame, AV_ROUND_DOWN);
  return std::min(Start, first + av_rescale_q(pictures, frame, AV_TIME_BASE_Q));
}
