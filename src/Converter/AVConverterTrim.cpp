// The chosen range: what is decoded before the start or from the end on is
// not written, so the output covers exactly the range the user chose. Stream
// copy of video can only begin on a key frame, so such an input begins at the
// key frame at or before the start instead. Worker thread only.
#include <chrono>
#include <thread>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"

namespace {

constexpr auto kTryAgainWait = std::chrono::milliseconds(10);
constexpr int64_t kMicroPerMs = 1000;
constexpr int64_t kNoTime = INT64_MIN;
// Picture times are rounded to microseconds: one that ends (or begins) within
// this of the range's start (or end) lies outside it.
constexpr int64_t kRounding = 1000;

// T + Delta, staying at INT64_MAX for "no end".
int64_t ShiftEnd(int64_t T, int64_t Delta) { return T == INT64_MAX ? T : T + Delta; }

// Drops Skip samples from the front of Frame and keeps Keep of the rest (no copy).
void CutSamples(AVFrame* Frame, int Skip, int Keep) {
  const auto format = static_cast<AVSampleFormat>(Frame->format);
  const bool planar = av_sample_fmt_is_planar(format);
  const int channels = Frame->ch_layout.nb_channels;
  const size_t offset = static_cast<size_t>(Skip) * av_get_bytes_per_sample(format) * (planar ? 1 : channels);
  const int planes = planar ? channels : 1;
  for (int p = 0; p < planes; ++p) {
    Frame->extended_data[p] += offset;
    if (Frame->extended_data != Frame->data && p < AV_NUM_DATA_POINTERS) Frame->data[p] += offset;
  }
  Frame->nb_samples = Keep;
}

}  // namespace

bool TConvertJob::TrimPicture(TInputStream& Ist, int Index) {
  const TInputFile& file = FileOf(Ist);
  if (file.TrimEnd != INT64_MAX && Ist.Pts >= file.TrimEnd - kRounding) {
    MarkEnded(Index);
    return false;
  }
  if (Ist.Pts < file.TrimStart) {
    if (Ist.NextPts <= file.TrimStart + kRounding) return false;
    Ist.Pts = file.TrimStart;  // the picture on screen at the start opens the output
  }
  return true;
}

bool TConvertJob::TrimAudio(TInputStream& Ist, int Index, AVFrame* Frame) {
  const TInputFile& file = FileOf(Ist);
  if (Ist.Pts >= file.TrimEnd) {
    MarkEnded(Index);
    return false;
  }
  const int rate = Frame->sample_rate;
  if (rate <= 0) return true;
  const int64_t count = Frame->nb_samples;
  const int64_t skip = Ist.Pts < file.TrimStart ? av_rescale(file.TrimStart - Ist.Pts, rate, AV_TIME_BASE) : 0;
  int64_t keep = count - skip;
  if (file.TrimEnd != INT64_MAX) {
    const int64_t untilEnd = av_rescale(file.TrimEnd - Ist.Pts, rate, AV_TIME_BASE);
    if (untilEnd <= count) {
      keep = untilEnd - skip;
      MarkEnded(Index);
    }
  }
  if (keep <= 0) return false;
  if (skip > 0 || keep < count) CutSamples(Frame, static_cast<int>(skip), static_cast<int>(keep));
  if (skip > 0) Ist.Pts += av_rescale(skip, AV_TIME_BASE, rate);
  return true;
}

bool TConvertJob::TrimSubtitle(TInputStream& Ist, int Index, AVSubtitle* Sub, int64_t PacketPts) {
  const TInputFile& file = FileOf(Ist);
  const int64_t start = av_rescale_q(PacketPts, Ist.St->time_base, AV_TIME_BASE_Q) +
                        static_cast<int64_t>(Sub->start_display_time) * kMicroPerMs;
  if (start >= file.TrimEnd) {
    MarkEnded(Index);
    return false;
  }
  const bool timed = Sub->end_display_time > Sub->start_display_time && Sub->end_display_time != UINT32_MAX;
  const int64_t end = timed ? start + static_cast<int64_t>(Sub->end_display_time - Sub->start_display_time) *
                                          kMicroPerMs
                            : INT64_MAX;
  if (end <= file.TrimStart) return false;
  if (timed && end > file.TrimEnd)
    Sub->end_display_time -= static_cast<uint32_t>((end - file.TrimEnd) / kMicroPerMs);
  if (start < file.TrimStart) {
    const auto late = static_cast<uint32_t>((file.TrimStart - start + kMicroPerMs - 1) / kMicroPerMs);
    Sub->start_display_time += late;
    if (!timed) Sub->end_display_time += late;
  }
  return true;
}

void TConvertJob::FindCopyOrigins() {
  for (size_t f = 0; f < FInputFiles.size(); ++f) {
    TInputFile& file = FInputFiles[f];
    if (file.TrimStart == kNoTime) continue;
    for (const auto& p : FOutputStreams) {
      const TInputStream& ist = FInputStreams[static_cast<size_t>(p->SourceIndex)];
      if (p->StreamCopy && ist.FileIndex == static_cast<int>(f) &&
          ist.St->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(ist.St->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        FindCopyOrigin(file, ist.StreamIndex);
        break;
      }
    }
    FLeadIn = std::max(FLeadIn, file.LeadIn);
  }
}

void TConvertJob::FindCopyOrigin(TInputFile& File, int VideoStream) {
  AVFormatContext* ic = File.Ctx.get();
  const int64_t start = File.TrimStart;
  auto timeOf = [&](const AVPacket* P) {
    const int64_t t = P->pts != AV_NOPTS_VALUE ? P->pts : P->dts;
    if (t == AV_NOPTS_VALUE) return kNoTime;
    return av_rescale_q(t, ic->streams[P->stream_index]->time_base, AV_TIME_BASE_Q) + File.TsOffset;
  };
  // After a seek the first key frame is the one at or before the start. An
  // input read from its beginning keeps what follows the latest key frame at
  // or before the start, until the start has passed.
  int64_t origin = kNoTime;
  for (;;) {
    ff::PacketPtr pkt = ff::MakePacket();
    const int ret = av_read_frame(ic, pkt.get());
    if (ret == AVERROR(EAGAIN)) {
      if (FConverter.State() == csStopped) break;  // a stalled pipe must not hold a stop
      std::this_thread::sleep_for(kTryAgainWait);
      continue;
    }
    if (ret < 0) break;
    if (pkt->stream_index >= File.StreamCount) continue;
    const bool video = pkt->stream_index == VideoStream;
    const int64_t t = timeOf(pkt.get());
    if (video && (pkt->flags & AV_PKT_FLAG_KEY) && t != kNoTime) {
      if (origin == kNoTime || t <= start) {
        origin = t;
        if (!File.Seekable)
          std::erase_if(File.Pending, [&](const ff::PacketPtr& P) { return timeOf(P.get()) < origin; });
      }
      File.Pending.push_back(std::move(pkt));
      if (File.Seekable || t >= start) break;
      continue;
    }
    File.Pending.push_back(std::move(pkt));
    if (video && origin != kNoTime && t != kNoTime && t > start) break;
  }
  if (origin == kNoTime) return;
  const int64_t lead = start - origin;
  if (FOptions.CopyTS()) {
    File.TrimStart = origin;
  } else {
    // The key frame becomes the output's beginning; the end stays where it is in the source.
    File.TsOffset += lead;
    File.TrimEnd = ShiftEnd(File.TrimEnd, lead);
  }
  File.LeadIn = std::max<int64_t>(lead, 0);
}
