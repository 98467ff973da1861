// Audio of re-encoded streams: conversion to the encoder's format, rate and
// channels, synchronisation, and encoding in whole encoder frames.
#include <cmath>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"
#include "Converter/AVConverterLocks.h"

namespace {
constexpr double kSyncSlack = 50.0;  // samples of drift that are ignored
}

void KeepOlderChannelFields(AVCodecContext* Ctx) {
  av_opt_set_int(Ctx, "ac", Ctx->ch_layout.nb_channels, 0);
  av_opt_set_int(Ctx, "channel_layout",
                 Ctx->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? static_cast<int64_t>(Ctx->ch_layout.u.mask) : 0, 0);
}

double TConvertJob::SyncInputTime(const TOutputStream& Ost) const {
  const TInputStream& sync = FInputStreams[static_cast<size_t>(Ost.SyncIndex)];
  return static_cast<double>(sync.Pts - FConverter.TempStartTime) / AV_TIME_BASE;
}

void TConvertJob::EnsureResampler(TOutputStream& Ost, const AVFrame* Frame) {
  const bool same = Ost.Swr && Ost.SwrInFormat == Frame->format && Ost.SwrInRate == Frame->sample_rate &&
                    av_channel_layout_compare(&Ost.SwrInLayout, &Frame->ch_layout) == 0;
  if (same) return;
  AVCodecContext* enc = Ost.Enc.get();
  SwrContext* swr = nullptr;
  int ret = swr_alloc_set_opts2(&swr, &enc->ch_layout, enc->sample_fmt, enc->sample_rate, const_cast<AVChannelLayout*>(&Frame->ch_layout),
                                static_cast<AVSampleFormat>(Frame->format), Frame->sample_rate, 0, nullptr);
  Ost.Swr.reset(swr);
  if (ret < 0 || swr_init(swr) < 0)
    throw Exception(Format("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                           Frame->ch_layout.nb_channels, Frame->sample_rate, enc->ch_layout.nb_channels,
                           enc->sample_rate));
  av_channel_layout_uninit(&Ost.SwrInLayout);
  av_channel_layout_copy(&Ost.SwrInLayout, &Frame->ch_layout);
  Ost.SwrInFormat = Frame->format;
  Ost.SwrInRate = Frame->sample_rate;
}

void TConvertJob::WriteAudio(TOutputStream& Ost, TInputStream& Ist, const AVFrame* Frame) {
  AVCodecContext* enc = Ost.Enc.get();
  const TAudioOptions& audio = FOptions.AudioOptions();
  EnsureResampler(Ost, Frame);
  const int rate = enc->sample_rate;
  const int channels = enc->ch_layout.nb_channels;

  // Convert the whole chunk into the encoder's format first.
  const int capacity = swr_get_out_samples(Ost.Swr.get(), Frame->nb_samples);
  if (capacity < 0) throw Exception("av_audio_convert() failed");
  uint8_t** converted = nullptr;
  int lineSize = 0;
  if (av_samples_alloc_array_and_samples(&converted, &lineSize, channels, capacity + 1, enc->sample_fmt, 0) < 0)
    throw Exception("Out of memory in do_audio_out");
  struct Samples {
    uint8_t** Data;
    ~Samples() {
      if (Data) av_freep(&Data[0]);
      av_freep(&Data);
    }
  } holder{converted};

  int64_t skip = 0;     // converted samples dropped from the front
  int64_t silence = 0;  // samples of silence put before them
  const int method = audio.AudioSyncMethod();
  const int fifoSamples = av_audio_fifo_size(Ost.Fifo.get());
  if (method != 0) {
    const double delta = SyncInputTime(Ost) * rate - static_cast<double>(Ost.SyncOpts) - fifoSamples;
    if (std::fabs(delta) > kSyncSlack) {
      if (Ist.IsStart || std::fabs(delta) > audio.AudioDriftThreshold() * rate) {
        if (delta < 0) skip = std::llround(-delta);
        else silence = std::llround(delta);
        Ist.IsStart = false;
      } else if (method > 1) {
        const int comp = static_cast<int>(std::clamp<double>(std::nearbyint(delta), -method, method));
        swr_set_compensation(Ost.Swr.get(), comp, rate);
      }
    }
  } else {
    // Never back: sound a demuxer dated like the packet before it (MPEG-PS AC3
    // does) follows that packet instead of making the muxer refuse the stream.
    const int64_t at = std::llround(SyncInputTime(Ost) * rate) - fifoSamples;
    Ost.SyncOpts = Ost.SoundStarted ? std::max(Ost.SyncOpts, at) : at;
    Ost.SoundStarted = true;
    if (!Ost.LateSoundPadded) {
      // Sound that starts after the picture would play at once in such a
      // container: silence holds its place (less the encoder's own delay).
      Ost.LateSoundPadded = true;
      const int64_t primed = std::min(Ost.PrimingLeft, std::max<int64_t>(Ost.SyncOpts, 0));
      Ost.PrimingLeft -= primed;
      silence = std::max<int64_t>(Ost.SyncOpts - primed, 0);
      Ost.SyncOpts -= silence;  // the first frame at the delay, its packet at 0
    }
  }

  const int count = swr_convert(Ost.Swr.get(), converted, capacity,
                                const_cast<const uint8_t**>(Frame->extended_data), Frame->nb_samples);
  if (count < 0) throw Exception("av_audio_convert() failed");
  if (Ost.PrimingLeft > 0 && skip < count) {
    // The encoder puts its delay before this sound; the samples it covers are
    // left out, and the stream's time moves past them.
    const int64_t priming = std::min<int64_t>(Ost.PrimingLeft, count - skip);
    skip += priming;
    Ost.PrimingLeft -= priming;
    Ost.SyncOpts += priming;
  }

  if (silence > 0) {
    ff::FramePtr gap = ff::MakeFrame();
    gap->nb_samples = static_cast<int>(silence);
    gap->format = enc->sample_fmt;
    av_channel_layout_copy(&gap->ch_layout, &enc->ch_layout);
    if (av_frame_get_buffer(gap.get(), 0) < 0) throw Exception("Out of memory in do_audio_out");
    av_samples_set_silence(gap->extended_data, 0, gap->nb_samples, channels, enc->sample_fmt);
    if (av_audio_fifo_write(Ost.Fifo.get(), reinterpret_cast<void**>(gap->extended_data), gap->nb_samples) < 0)
      throw Exception("av_fifo_realloc2() failed");
  }
  if (skip < count) {
    const int keep = count - static_cast<int>(skip);
    const int bytes = av_get_bytes_per_sample(enc->sample_fmt);
    const bool planar = av_sample_fmt_is_planar(enc->sample_fmt);
    std::vector<void*> planes(static_cast<size_t>(planar ? channels : 1));
    for (size_t p = 0; p < planes.size(); ++p)
      planes[p] = converted[p] + skip * bytes * (planar ? 1 : channels);
    if (av_audio_fifo_write(Ost.Fifo.get(), planes.data(), keep) < keep)
      throw Exception("av_fifo_realloc2() failed");
  }
  EncodeAudioFrames(Ost, false);
}

void TConvertJob::EncodeAudioFrames(TOutputStream& Ost, bool Flush) {
  AVCodecContext* enc = Ost.Enc.get();
  const bool variable = enc->frame_size <= 1 || (Ost.Encoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
  const bool smallLast = Ost.Encoder->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
  ff::FramePtr frame = ff::MakeFrame();
  for (;;) {
    const int available = av_audio_fifo_size(Ost.Fifo.get());
    if (available <= 0) break;
    int n = variable ? available : enc->frame_size;
    if (!variable && available < n) {
      if (!Flush) break;
      if (!smallLast) {
        av_audio_fifo_drain(Ost.Fifo.get(), available);  // the encoder can't take a short frame
        break;
      }
      n = available;
    }
    frame->nb_samples = n;
    frame->format = enc->sample_fmt;
    av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
    frame->sample_rate = enc->sample_rate;
    if (av_frame_get_buffer(frame.get(), 0) < 0) throw Exception("Out of memory in do_audio_out");
    av_audio_fifo_read(Ost.Fifo.get(), reinterpret_cast<void**>(frame->extended_data), n);
    frame->pts = Ost.SyncOpts;
    Ost.SyncOpts += n;
    int ret;
    {
      std::lock_guard<std::mutex> g(CodecLock());
      ret = avcodec_send_frame(enc, frame.get());
    }
    av_frame_unref(frame.get());
    if (ret < 0) throw Exception("Audio encoding failed");
    ReceivePackets(Ost);
    ++Ost.FramesWritten;
  }
  if (Flush) {
    {
      std::lock_guard<std::mutex> g(CodecLock());
      avcodec_send_frame(enc, nullptr);
    }
    ReceivePackets(Ost);
  }
}
