// Video of re-encoded streams: frame duplication and dropping to follow the
// output frame rate, and encoding.
#include <cmath>
#include <cstring>

#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"
#include "Converter/AVConverterLocks.h"

namespace {
constexpr double kDropBelow = -1.1;
constexpr double kDuplicateAbove = 1.1;
constexpr double kSkipBelow = -0.6;
constexpr double kJumpAbove = 0.6;
constexpr int kSkipGapsMethod = 2;
}  // namespace

int TConvertJob::WriteVideo(TOutputStream& Ost, TInputStream& Ist, AVFrame* Picture) {
  const TVideoOptions& video = FOptions.VideoOptions();
  const double syncTicks = SyncInputTime(Ost) / av_q2d(Ost.Enc->time_base);
  int64_t frames = 1;
  const int method = video.VideoSyncMethod();
  if (method != 0) {
    const double vdelta = syncTicks - static_cast<double>(Ost.SyncOpts) - Ost.OpeningOffset;
    if (vdelta < kDropBelow) {
      frames = 0;
    } else if (method == kSkipGapsMethod) {
      if (vdelta <= kSkipBelow) frames = 0;
      else if (vdelta > kJumpAbove) Ost.SyncOpts = std::llround(syncTicks);
    } else if (Ost.FramesWritten == 0) {
      // The first picture opens the output, and the pictures after it keep its
      // offset: an AVI with B-frames dates every picture a frame late.
      if (vdelta > kDuplicateAbove) frames = std::llround(vdelta);
      else Ost.OpeningOffset = vdelta;
    } else {
      // Each picture fills the output slots nearest its time. The 2010 rule
      // (duplicate only past kDuplicateAbove) let a picture after a gap, or
      // each one when the rate changes, run a frame and a half early.
      frames = std::max<int64_t>(0, std::llround(vdelta + 1));
    }
  } else {
    Ost.SyncOpts = std::llround(syncTicks);
  }
  frames = std::min<int64_t>(frames, static_cast<int64_t>(video.MaxFrames()) - Ost.FramesWritten);
  if (frames <= 0) return 0;
  const int before = static_cast<int>(FOptions.VideoSize());
  for (int64_t i = 0; i < frames; ++i) {
    EncodeVideo(Ost, Picture);
    ++Ost.SyncOpts;
    ++Ost.FramesWritten;
  }
  (void)Ist;
  return static_cast<int>(FOptions.VideoSize()) - before;
}

void TConvertJob::EncodeVideo(TOutputStream& Ost, const AVFrame* Picture) {
  AVCodecContext* enc = Ost.Enc.get();
  const TVideoOptions& video = FOptions.VideoOptions();
  int ret;
  if (Picture) {
    ff::FramePtr frame = ff::MakeFrame();
    if (av_frame_ref(frame.get(), Picture) < 0) throw Exception("Video encoding failed");
    if (enc->flags & (AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME))
      frame->top_field_first = video.TopFieldFirst() == -1 ? Picture->top_field_first : video.TopFieldFirst();
    const TInputStream& src = FInputStreams[static_cast<size_t>(Ost.SourceIndex)];
    if (video.SameQuality()) frame->quality = src.Quality;
    else if (enc->flags & AV_CODEC_FLAG_QSCALE) frame->quality = enc->global_quality;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    frame->pts = Ost.SyncOpts;
    std::lock_guard<std::mutex> g(CodecLock());
    ret = avcodec_send_frame(enc, frame.get());
  } else {
    std::lock_guard<std::mutex> g(CodecLock());
    ret = avcodec_send_frame(enc, nullptr);
  }
  if (ret < 0 && ret != AVERROR_EOF) throw Exception("Video encoding failed");
  ReceivePackets(Ost);
}
