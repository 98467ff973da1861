// The second half of Transcode: the packet loop, decoding, draining, trailers.
#include <chrono>
#include <cmath>
#include <thread>

extern "C" {
#include <libavutil/pixdesc.h>
#include <libavutil/time.h>
}

#include "Common/Errors.h"
#include "Common/MainThreadDispatcher.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterFilterBuild.h"
#include "Converter/AVConverterJob.h"
#include "Converter/AVConverterLocks.h"
#include "Converter/DecodeTowards.h"

namespace {

constexpr double kNothingYet = 1e100;
constexpr auto kTryAgainWait = std::chrono::milliseconds(10);
constexpr int64_t kReportInterval = 500000;  // microseconds between reports
constexpr double kMinReportSeconds = 0.01;
constexpr double kFarAway = 10000000000.0;
constexpr int kNormalVolume = 256;
constexpr int kVolumeShift = 8;
constexpr int kVolumeRounding = 128;
constexpr double kMicro = 1000000.0;
constexpr int kMaxDrainErrors = 64;  // damaged pictures tolerated while a decoder drains
constexpr double kBitsPerKilobit = 1000.0;
constexpr int kBitsPerByte = 8;

int64_t ClipS16(int64_t v) { return v < INT16_MIN ? INT16_MIN : v > INT16_MAX ? INT16_MAX : v; }

}  // namespace

double TConvertJob::OutputPosition(const TOutputStream& Ost) const {
  const double written = static_cast<double>(Ost.SyncOpts) *
                         av_q2d(Ost.Enc->time_base.num ? Ost.Enc->time_base : Ost.St->time_base);
  if (Ost.Enc->codec_type != AVMEDIA_TYPE_SUBTITLE) return written;
  // Subtitles are sparse: the stream is complete up to where its input has been read.
  const TInputFile& file = FileOf(FInputStreams[static_cast<size_t>(Ost.SourceIndex)]);
  return file.ReadTime == INT64_MIN ? written
                                    : std::max(written, static_cast<double>(file.ReadTime) / kMicro);
}

void TConvertJob::MarkEnded(int Index) {
  for (auto& p : FOutputStreams)
    if (p->SourceIndex == Index) p->Ended = true;
}

bool TConvertJob::AllEnded(int Index) const {
  // A cue is muxed near its time but may come after later pictures: subtitles are always read.
  if (FInputStreams[static_cast<size_t>(Index)].St->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE) return false;
  for (const auto& p : FOutputStreams)
    if (p->SourceIndex == Index && !p->Ended) return false;
  return true;
}

int TConvertJob::ReadPacket(TInputFile& File, AVPacket* Packet) {
  if (File.Pending.empty()) return av_read_frame(File.Ctx.get(), Packet);
  av_packet_move_ref(Packet, File.Pending.front().get());
  File.Pending.pop_front();
  return 0;
}

void TConvertJob::CorrectTimestamps(TInputFile& File, TInputStream& Ist, AVPacket* Packet) {
  const AVRational tb = Ist.St->time_base;
  AVPacket* pkt = Packet;
  if (pkt->dts != AV_NOPTS_VALUE) pkt->dts += av_rescale_q(File.TsOffset, AV_TIME_BASE_Q, tb);
  if (pkt->pts != AV_NOPTS_VALUE) pkt->pts += av_rescale_q(File.TsOffset, AV_TIME_BASE_Q, tb);
  const double scale = File.TsScale[static_cast<size_t>(pkt->stream_index)];
  if (scale != 0) {
    if (pkt->dts != AV_NOPTS_VALUE) pkt->dts = std::llround(pkt->dts * scale);
    if (pkt->pts != AV_NOPTS_VALUE) pkt->pts = std::llround(pkt->pts * scale);
  }
  if (pkt->dts != AV_NOPTS_VALUE && Ist.NextPts != AV_NOPTS_VALUE &&
      (File.Ctx->iformat->flags & AVFMT_TS_DISCONT)) {
    const int64_t pktTime = av_rescale_q(pkt->dts, tb, AV_TIME_BASE_Q);
    const int64_t delta = pktTime - Ist.NextPts;
    if ((std::llabs(delta) > FOptions.DtsDeltaThreshold() * kMicro || pktTime + 1 < Ist.Pts) &&
        !FOptions.CopyTS()) {
      File.TsOffset -= delta;
      pkt->dts -= av_rescale_q(delta, AV_TIME_BASE_Q, tb);
      if (pkt->pts != AV_NOPTS_VALUE) pkt->pts -= av_rescale_q(delta, AV_TIME_BASE_Q, tb);
    }
  }
  const int64_t t = pkt->dts != AV_NOPTS_VALUE ? pkt->dts : pkt->pts;
  if (t != AV_NOPTS_VALUE) File.ReadTime = std::max(File.ReadTime, av_rescale_q(t, tb, AV_TIME_BASE_Q));
}

void TConvertJob::ApplyVolume(AVFrame* Frame) const {
  const int volume = FOptions.AudioOptions().AudioVolume();
  if (volume == kNormalVolume) return;
  const auto format = static_cast<AVSampleFormat>(Frame->format);
  const int planes = av_sample_fmt_is_planar(format) ? Frame->ch_layout.nb_channels : 1;
  const int perPlane = Frame->nb_samples * (av_sample_fmt_is_planar(format) ? 1 : Frame->ch_layout.nb_channels);
  const double gain = volume / static_cast<double>(kNormalVolume);
  for (int p = 0; p < planes; ++p) {
    uint8_t* data = Frame->extended_data[p];
    switch (av_get_packed_sample_fmt(format)) {
      case AV_SAMPLE_FMT_S16: {
        auto* s = reinterpret_cast<int16_t*>(data);
        for (int i = 0; i < perPlane; ++i)
          s[i] = static_cast<int16_t>(ClipS16((static_cast<int64_t>(s[i]) * volume + kVolumeRounding) >> kVolumeShift));
        break;
      }
      case AV_SAMPLE_FMT_S32: {
        auto* s = reinterpret_cast<int32_t*>(data);
        for (int i = 0; i < perPlane; ++i) {
          int64_t v = (static_cast<int64_t>(s[i]) * volume + kVolumeRounding) >> kVolumeShift;
          s[i] = static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
        }
        break;
      }
      case AV_SAMPLE_FMT_FLT: {
        auto* s = reinterpret_cast<float*>(data);
        for (int i = 0; i < perPlane; ++i) s[i] = static_cast<float>(s[i] * gain);
        break;
      }
      case AV_SAMPLE_FMT_DBL: {
        auto* s = reinterpret_cast<double*>(data);
        for (int i = 0; i < perPlane; ++i) s[i] *= gain;
        break;
      }
      case AV_SAMPLE_FMT_U8: {
        for (int i = 0; i < perPlane; ++i) {
          int64_t v = ((static_cast<int64_t>(data[i]) - 128) * volume + kVolumeRounding) >> kVolumeShift;
          data[i] = static_cast<uint8_t>(std::clamp<int64_t>(v + 128, 0, UINT8_MAX));
        }
        break;
      }
      default:
        break;
    }
  }
}

void TConvertJob::UpdateReport(bool Final) {
  if (!Final) {
    const int64_t now = av_gettime();
    const int64_t last = FConverter.FLastTime.load();
    if (last == 0) {
      FConverter.FLastTime.store(now);
      return;
    }
    if (now - last < kReportInterval) return;
    FConverter.FLastTime.store(now);
  }
  AVIOContext* pb = FOutputFiles.empty() ? nullptr : FOutputFiles[0].Ctx->pb;
  int64_t size = 0;
  if (pb) {
    size = avio_size(pb);
    if (size < 0) size = avio_tell(pb);
  }
  FConverter.FTargetFileSize.store(size);
  double t = kFarAway;
  for (const auto& ost : FOutputStreams) {
    if (ost->Cover) continue;  // one picture at the start, no position
    const double pos = OutputPosition(*ost);
    if (pos > 0 && pos < t) t = pos;
  }
  if (t < kMinReportSeconds) t = kMinReportSeconds;
  FConverter.SetBitrate(static_cast<double>(size) * kBitsPerByte / t / kBitsPerKilobit);
}

void TConvertJob::RunLoop() {
  TAVConverter& c = FConverter;
  const TAudioOptions& audio = FOptions.AudioOptions();
  const TVideoOptions& video = FOptions.VideoOptions();
  int tryAgain = 0;
  FPacket = ff::MakePacket();
  for (;;) {
    double smallestInput = kNothingYet;
    double smallestOutput = kNothingYet;
    MainThread().RunProgress([&c] { c.DoProgress(); });
    if (c.State() == csPaused) c.WaitWhilePaused();
    if (c.State() == csStopped) {
      MainThread().RunAndWait([&c] { c.DoStopped(); });
      break;
    }
    TInputFile* chosen = nullptr;
    bool limitReached = false;
    for (const auto& p : FOutputStreams) {
      TOutputStream& ost = *p;
      if (ost.Cover) continue;
      const TInputStream& ist = FInputStreams[static_cast<size_t>(ost.SourceIndex)];
      TInputFile& file = FInputFiles[static_cast<size_t>(ist.FileIndex)];
      const double opts = OutputPosition(ost);
      // A video copy's position follows decoding, and B-frames shown before the
      // end may still come: the copy itself ends it (CopyPacket).
      const bool copiedVideo = ost.StreamCopy && ist.St->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
      if (!copiedVideo && opts * kMicro >= static_cast<double>(file.TrimEnd)) ost.Ended = true;
      if (ost.Ended) continue;  // the rest of its input lies past the chosen range
      if (file.NoPacket) continue;
      const double ipts = static_cast<double>(ist.Pts);
      if (!file.EndReached) {
        if (ipts < smallestInput) {
          smallestInput = ipts;
          if (FOptions.GrabOptions().InputSync()) chosen = &file;
        }
        if (opts < smallestOutput) {
          smallestOutput = opts;
          if (!FOptions.GrabOptions().InputSync()) chosen = &file;
        }
      }
      const AVMediaType type = ost.Enc->codec_type;
      const int limit = type == AVMEDIA_TYPE_VIDEO ? video.MaxFrames()
                        : type == AVMEDIA_TYPE_AUDIO ? audio.MaxFrames()
                        : type == AVMEDIA_TYPE_SUBTITLE ? INT32_MAX
                                                        : FOptions.MaxDataFrames();
      if (ost.FramesWritten >= limit) {
        limitReached = true;
        break;
      }
    }
    if (limitReached) break;
    if (!chosen) {
      if (tryAgain > 0) {
        for (auto& f : FInputFiles) f.NoPacket = false;
        tryAgain = 0;
        std::this_thread::sleep_for(kTryAgainWait);
        continue;
      }
      break;
    }
    c.SetConvertedDuration(std::max(0.0, smallestOutput - static_cast<double>(FLeadIn) / kMicro));
    if (FOptions.LimitFileSize() != 0 && FOutputFiles[0].Ctx->pb &&
        avio_tell(FOutputFiles[0].Ctx->pb) > FOptions.LimitFileSize())
      break;

    AVPacket* pkt = FPacket.get();
    int ret = ReadPacket(*chosen, pkt);
    if (ret == AVERROR(EAGAIN)) {
      chosen->NoPacket = true;
      ++tryAgain;
      continue;
    }
    // A read cut short by a stop request is not the input's end: the stop
    // check at the top of the loop ends the job.
    if (ret == AVERROR_EXIT && c.State() == csStopped) continue;
    if (ret < 0) {
      chosen->EndReached = true;
      if (chosen->Capture && ret != AVERROR_EOF && ret != AVERROR_EXIT) {
        // The device failed: what was recorded is written out, then the job fails.
        FInputError = Format("Error reading input %s: %s", chosen->FileName.c_str(), AVErrorText(ret).c_str());
        break;
      }
      if (FOptions.ShortTest()) break;
      continue;
    }
    for (auto& f : FInputFiles) f.NoPacket = false;
    tryAgain = 0;

    // Streams that appeared after setup (a program adding a stream mid-file) have no tables.
    // Packets of streams nobody writes any more are not decoded either.
    if (pkt->stream_index >= chosen->StreamCount ||
        FInputStreams[static_cast<size_t>(chosen->FirstStream + pkt->stream_index)].Unmapped ||
        AllEnded(chosen->FirstStream + pkt->stream_index)) {
      av_packet_unref(pkt);
      continue;
    }
    const int index = chosen->FirstStream + pkt->stream_index;
    TInputStream& ist = FInputStreams[static_cast<size_t>(index)];
    CorrectTimestamps(*chosen, ist, pkt);
    ret = ProcessPacket(ist, index, pkt);
    av_packet_unref(pkt);
    if (ret >= 0) UpdateReport(false);
  }
  const bool stopped = c.State() == csStopped;
  for (size_t i = 0; i < FInputStreams.size(); ++i)
    if (FInputStreams[i].DecodingNeeded) ProcessPacket(FInputStreams[i], static_cast<int>(i), nullptr);
  WriteTrailers(c.State() == csStopped);
  UpdateReport(true);
  if (!stopped) c.FFinished.store(true);  // Progress reports 100 from here on
  for (auto& ost : FOutputStreams) {
    ost->Stage.reset();
    ost->Graph.reset();
  }
  if (!FInputError.empty()) throw Exception(FInputError);
}

void TConvertJob::WaitForRateEmulation(const TInputStream& Ist) const {
  if (!FOptions.RateEmu()) return;
  const int64_t elapsed = av_gettime() - Ist.RateEmuStart;
  if (Ist.Pts > elapsed) std::this_thread::sleep_for(std::chrono::milliseconds((Ist.Pts - elapsed) / 1000));
}

void TConvertJob::HandleFrame(TInputStream& Ist, int Index, AVFrame* Frame) {
  WaitForRateEmulation(Ist);
  for (auto& p : FOutputStreams) {
    TOutputStream& ost = *p;
    if (ost.SourceIndex != Index || !ost.EncodingNeeded) continue;
    if (ost.Enc->codec_type == AVMEDIA_TYPE_AUDIO) WriteAudio(ost, Ist, Frame);
  }
}

void TConvertJob::HandleVideoFrame(TInputStream& Ist, int Index, AVFrame* Frame) {
  WaitForRateEmulation(Ist);
  for (auto& p : FOutputStreams) {
    TOutputStream& ost = *p;
    if (ost.SourceIndex != Index || !ost.EncodingNeeded || !ost.Graph) continue;
    if (Frame) {
      const int w = (ost.Transposed ? Frame->height : Frame->width) - ost.LeftBand - ost.RightBand;
      const int h = (ost.Transposed ? Frame->width : Frame->height) - ost.TopBand - ost.BottomBand;
      if ((w != ost.ExpectedWidth || h != ost.ExpectedHeight || Frame->format != ost.ExpectedPixFmt) &&
          !ost.Scale)
        throw Exception(Format("Input Stream #%d.%d frame size changed to %dx%d, %s", Ist.FileIndex,
                               Ist.StreamIndex, Frame->width, Frame->height,
                               av_get_pix_fmt_name(static_cast<AVPixelFormat>(Frame->format))));
    }
    if (ost.Stage) {
      // The stage returns the pictures of the previous one; at the end, all.
      std::vector<ff::FramePtr> made;
      ost.Stage->Exchange(Frame, made);
      if (!Frame) ost.Stage->Finish(made);
      for (const auto& picture : made) WriteFiltered(ost, Ist, picture.get());
      continue;
    }
    int pushed;
    {
      std::lock_guard<std::mutex> g(CodecLock());
      pushed = ost.Graph->Push(Frame);
    }
    if (pushed < 0) continue;
    if (!ost.Pulled && !(ost.Pulled = ff::MakeFrame())) continue;  // no memory: as a refused picture
    while (ost.Graph->Pull(ost.Pulled.get()) == 0) {
      WriteFiltered(ost, Ist, ost.Pulled.get());
      av_frame_unref(ost.Pulled.get());
    }
  }
}

void TConvertJob::WriteFiltered(TOutputStream& Ost, TInputStream& Ist, AVFrame* Picture) {
  if (Picture->pts != AV_NOPTS_VALUE)
    Ist.Pts = av_rescale_q(Picture->pts, Ost.GraphTimeBase, AV_TIME_BASE_Q) - FGraphShift;
  // Pictures in bars keep the aspect the frame was given for them.
  if (!Ost.BoxWidth) Ost.Enc->sample_aspect_ratio = Picture->sample_aspect_ratio;
  WriteVideo(Ost, Ist, Picture);
}

int TConvertJob::ProcessPacket(TInputStream& Ist, int Index, const AVPacket* Packet) {
  if (Ist.NextPts == AV_NOPTS_VALUE) Ist.NextPts = Ist.Pts;
  const AVRational tb = Ist.St->time_base;
  if (Packet && Packet->dts != AV_NOPTS_VALUE) {
    Ist.NextPts = Ist.Pts = av_rescale_q(Packet->dts, tb, AV_TIME_BASE_Q);
  }
  AVCodecContext* dec = Ist.Dec.get();
  const AVMediaType type = Ist.St->codecpar->codec_type;

  if (!Ist.DecodingNeeded) {
    // Stream copy only.
    if (!Packet) return 0;
    Ist.Pts = Ist.NextPts;
    if (type == AVMEDIA_TYPE_AUDIO && Ist.St->codecpar->sample_rate > 0) {
      const int frameSize = Ist.St->codecpar->frame_size;
      Ist.NextPts += static_cast<int64_t>(AV_TIME_BASE) * frameSize / Ist.St->codecpar->sample_rate;
    } else if (type == AVMEDIA_TYPE_VIDEO) {
      if (Packet->duration > 0) Ist.NextPts += av_rescale_q(Packet->duration, tb, AV_TIME_BASE_Q);
      else if (Ist.St->r_frame_rate.num)
        Ist.NextPts += av_rescale_q(1, av_inv_q(Ist.St->r_frame_rate), AV_TIME_BASE_Q);
    }
    for (auto& p : FOutputStreams)
      if (p->SourceIndex == Index && !p->EncodingNeeded) CopyPacket(*p, Ist, Packet);
    return 0;
  }

  if (type == AVMEDIA_TYPE_SUBTITLE) {
    if (!Packet) {
      DrainEncoders(Index);
      return 0;
    }
    AVSubtitle sub{};
    int got = 0;
    int ret;
    {
      std::lock_guard<std::mutex> g(CodecLock());
      ret = avcodec_decode_subtitle2(dec, &sub, &got, const_cast<AVPacket*>(Packet));
    }
    if (ret < 0) return -1;
    Ist.Pts = Ist.NextPts;
    if (got) {
      if (Packet->pts == AV_NOPTS_VALUE || TrimSubtitle(Ist, Index, &sub, Packet->pts))
        for (auto& p : FOutputStreams)
          if (p->SourceIndex == Index && p->EncodingNeeded) WriteSubtitle(*p, Ist, &sub, Packet->pts);
      avsubtitle_free(&sub);
    }
    return 0;
  }

  int ret;
  // Pictures before the start are dropped once decoded; those nothing refers to need no decoding.
  if (type == AVMEDIA_TYPE_VIDEO && Packet) SkipUnreferencedBefore(dec, *Packet, tb, FileOf(Ist).TrimStart);
  {
    std::lock_guard<std::mutex> g(CodecLock());
    ret = avcodec_send_packet(dec, Packet);
  }
  // The end marker is taken even when the call reports a picture decoded before it as damaged.
  if (ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN) && Packet) return -1;
  if (!FDecoded && !(FDecoded = ff::MakeFrame())) throw Exception("no memory");
  AVFrame* frame = FDecoded.get();
  int failed = 0;  // damaged pictures met
  for (;;) {
    {
      std::lock_guard<std::mutex> g(CodecLock());
      ret = avcodec_receive_frame(dec, frame);
    }
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) break;
    if (ret < 0) {
      // A damaged picture (a file cut off mid-packet) fails alone: while draining,
      // the pictures held behind it, and the encoders' own, are still to come.
      if (++failed > kMaxDrainErrors || Packet) break;
      continue;
    }
    const int64_t best = frame->best_effort_timestamp;
    Ist.Pts = best != AV_NOPTS_VALUE ? av_rescale_q(best, tb, AV_TIME_BASE_Q) : Ist.NextPts;
    if (type == AVMEDIA_TYPE_AUDIO) {
      if (frame->sample_rate > 0)
        Ist.NextPts = Ist.Pts + static_cast<int64_t>(AV_TIME_BASE) * frame->nb_samples / frame->sample_rate;
      if (TrimAudio(Ist, Index, frame)) {
        ApplyVolume(frame);
        HandleFrame(Ist, Index, frame);
      }
    } else if (type == AVMEDIA_TYPE_VIDEO) {
      Ist.Quality = frame->quality;
      const AVRational rate = dec->framerate.num ? dec->framerate : Ist.St->r_frame_rate;
      int64_t duration = frame->pkt_duration > 0 ? av_rescale_q(frame->pkt_duration, tb, AV_TIME_BASE_Q)
                         : rate.num ? av_rescale_q(1 + frame->repeat_pict, av_inv_q(rate), AV_TIME_BASE_Q)
                                    : 0;
      Ist.NextPts = Ist.Pts + duration;
      const int64_t decoded = Ist.Pts;
      if (TrimPicture(Ist, Index)) {
        // The graph gets the picture's own timestamp, unrounded, on the source's time line.
        const int64_t shift = av_rescale_q(FGraphShift, AV_TIME_BASE_Q, tb);
        const bool own = best != AV_NOPTS_VALUE && Ist.Pts == decoded;  // not moved to the start
        frame->pts = own ? best + shift : av_rescale_q(Ist.Pts + FGraphShift, AV_TIME_BASE_Q, tb);
        HandleVideoFrame(Ist, Index, frame);
      }
    }
    av_frame_unref(frame);
  }
  if (!Packet) {
    if (type == AVMEDIA_TYPE_VIDEO) HandleVideoFrame(Ist, Index, nullptr);
    DrainEncoders(Index);
  }
  return failed > 0 ? -1 : 0;
}

void TConvertJob::DrainEncoders(int Index) {
  for (auto& p : FOutputStreams) {
    TOutputStream& ost = *p;
    if (ost.SourceIndex != Index || !ost.EncodingNeeded) continue;
    switch (ost.Enc->codec_type) {
      case AVMEDIA_TYPE_AUDIO:
        EncodeAudioFrames(ost, true);
        break;
      case AVMEDIA_TYPE_VIDEO:
        EncodeVideo(ost, nullptr);
        break;
      default:
        break;
    }
  }
}
