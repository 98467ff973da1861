// Subtitles, stream copy, encoder output, bitstream filters and muxing.
#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"
#include "Converter/AVConverterLocks.h"

namespace {
constexpr size_t kSubtitleBufferSize = 1048576;
constexpr int kDvbPacketsPerSubtitle = 2;
constexpr int64_t kDvbTicksPerMs = 90;
constexpr int64_t kMicroPerMs = 1000;
}  // namespace

int64_t TConvertJob::ReceivePackets(TOutputStream& Ost) {
  AVCodecContext* enc = Ost.Enc.get();
  ff::PacketPtr pkt = ff::MakePacket();
  int64_t written = 0;
  auto writeStats = [&] {
    fputs(enc->stats_out, Ost.LogFile.get());
    Ost.StatsWritten = enc->stats_out;
  };
  for (;;) {
    int ret;
    {
      std::lock_guard<std::mutex> g(CodecLock());
      ret = avcodec_receive_packet(enc, pkt.get());
    }
    // libvpx hands its first pass's statistics over once, with the end.
    if (ret == AVERROR_EOF && Ost.LogFile && enc->stats_out && enc->stats_out != Ost.StatsWritten) writeStats();
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) break;
    if (ret < 0) throw Exception(enc->codec_type == AVMEDIA_TYPE_AUDIO ? "Audio encoding failed"
                                                                       : "Video encoding failed");
    written += pkt->size;
    if (enc->codec_type == AVMEDIA_TYPE_AUDIO) FOptions.SetAudioSize(FOptions.AudioSize() + pkt->size);
    else FOptions.SetVideoSize(FOptions.VideoSize() + pkt->size);
    if (Ost.LogFile && enc->stats_out) writeStats();
    pkt->stream_index = Ost.St->index;
    av_packet_rescale_ts(pkt.get(), enc->time_base, Ost.St->time_base);
    WritePacket(Ost, pkt.get());
    av_packet_unref(pkt.get());
  }
  return written;
}

void TConvertJob::WriteSubtitle(TOutputStream& Ost, TInputStream& Ist, AVSubtitle* Sub, int64_t PacketPts) {
  if (PacketPts == AV_NOPTS_VALUE) throw Exception("Subtitle packets must have a pts");
  AVCodecContext* enc = Ost.Enc.get();
  if (FSubtitleBuffer.empty()) FSubtitleBuffer.resize(kSubtitleBufferSize);
  const int packets = enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE ? kDvbPacketsPerSubtitle : 1;
  const int64_t basePts = av_rescale_q(PacketPts, Ist.St->time_base, AV_TIME_BASE_Q) +
                          static_cast<int64_t>(Sub->start_display_time) * kMicroPerMs;
  Sub->end_display_time -= Sub->start_display_time;
  Sub->start_display_time = 0;
  Sub->pts = basePts;
  const uint32_t shown = Sub->end_display_time;
  for (int i = 0; i < packets; ++i) {
    // The second DVB packet clears the subtitle.
    const unsigned rects = Sub->num_rects;
    if (i == 1) Sub->num_rects = 0;
    int size;
    {
      std::lock_guard<std::mutex> g(CodecLock());
      size = avcodec_encode_subtitle(enc, FSubtitleBuffer.data(), static_cast<int>(FSubtitleBuffer.size()), Sub);
    }
    Sub->num_rects = rects;
    if (size < 0) throw Exception("Subtitle encoding failed");
    ff::PacketPtr pkt = ff::MakePacket();
    if (av_new_packet(pkt.get(), size) < 0) throw Exception("Subtitle encoding failed");
    memcpy(pkt->data, FSubtitleBuffer.data(), static_cast<size_t>(size));
    pkt->stream_index = Ost.St->index;
    pkt->pts = av_rescale_q(basePts, AV_TIME_BASE_Q, Ost.St->time_base);
    pkt->duration = av_rescale_q(static_cast<int64_t>(shown) * kMicroPerMs, AV_TIME_BASE_Q, Ost.St->time_base);
    if (enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE)
      pkt->pts += kDvbTicksPerMs * (i == 0 ? Sub->start_display_time : Sub->end_display_time);
    pkt->dts = pkt->pts;
    WritePacket(Ost, pkt.get());
    ++Ost.FramesWritten;
  }
  // The stream's position: the end of what it has written.
  const int64_t end = basePts + static_cast<int64_t>(shown) * kMicroPerMs;
  Ost.SyncOpts = std::max(Ost.SyncOpts, av_rescale_q(end, AV_TIME_BASE_Q, enc->time_base));
}

void TConvertJob::CopyPacket(TOutputStream& Ost, TInputStream& Ist, const AVPacket* Packet) {
  const AVRational tb = Ost.St->time_base;
  const int64_t startOffset = av_rescale_q(FConverter.TempStartTime, AV_TIME_BASE_Q, tb);
  // The range: packets shown before its start are left out. A packet decoded
  // at or after its end can't be shown before it (decoding precedes
  // showing), nor can anything decoded later: the copy ends there. Packets
  // decoded before the end but shown after it are held back: a B-frame shown
  // before the end may still follow and refer to them.
  const TInputFile& file = FileOf(Ist);
  const int64_t shownAt = Packet->pts != AV_NOPTS_VALUE ? av_rescale_q(Packet->pts, Ist.St->time_base, AV_TIME_BASE_Q)
                                                        : Ist.Pts;
  const int64_t decodedAt =
      Packet->dts != AV_NOPTS_VALUE ? av_rescale_q(Packet->dts, Ist.St->time_base, AV_TIME_BASE_Q) : shownAt;
  if (decodedAt >= file.TrimEnd) {
    Ost.Ended = true;
    Ost.HeldPastEnd.clear();  // nothing shown before the end needed them
    return;
  }
  if (shownAt < file.TrimStart) return;
  if (Ost.FramesWritten == 0 && !(Packet->flags & AV_PKT_FLAG_KEY) && !FOptions.CopyInitialNonkeyframes())
    return;
  if (Ist.St->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
    FOptions.SetAudioSize(FOptions.AudioSize() + Packet->size);
  ff::PacketPtr pkt = ff::MakePacket();
  if (av_packet_ref(pkt.get(), Packet) < 0) throw Exception("no memory");
  pkt->stream_index = Ost.St->index;
  pkt->pts = Packet->pts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE
                                           : av_rescale_q(Packet->pts, Ist.St->time_base, tb) - startOffset;
  pkt->dts = (Packet->dts == AV_NOPTS_VALUE ? av_rescale_q(Ist.Pts, AV_TIME_BASE_Q, tb)
                                            : av_rescale_q(Packet->dts, Ist.St->time_base, tb)) -
             startOffset;
  pkt->duration = av_rescale_q(Packet->duration, Ist.St->time_base, tb);
  // Output position for choosing the next input, in the settings' time base.
  Ost.SyncOpts = av_rescale_q(Ist.NextPts - FConverter.TempStartTime, AV_TIME_BASE_Q, Ost.Enc->time_base);
  if (shownAt >= file.TrimEnd) {
    Ost.HeldPastEnd.push_back(std::move(pkt));
    return;
  }
  for (ff::PacketPtr& held : Ost.HeldPastEnd) {
    WritePacket(Ost, held.get());
    ++Ost.FramesWritten;
  }
  Ost.HeldPastEnd.clear();
  WritePacket(Ost, pkt.get());
  ++Ost.FramesWritten;
}

void TConvertJob::MuxPacket(TOutputStream& Ost, AVPacket* Packet) {
  TOutputFile& file = FOutputFiles[static_cast<size_t>(Ost.FileIndex)];
  // An empty packet carries only side data (FLAC's closing stream header), no media.
  const bool media = Packet->size > 0;
  const int ret = av_interleaved_write_frame(file.Ctx.get(), Packet);  // takes the packet's data
  if (ret < 0) {
    LogWriteError(file.FileName, ret);
    throw Exception("av_interleaved_write_frame() ");
  }
  if (media) ++file.Packets;
}

void TConvertJob::WritePacket(TOutputStream& Ost, AVPacket* Packet) {
  if (!Ost.Bsf) {
    MuxPacket(Ost, Packet);
    return;
  }
  const AVRational outTb = Ost.Bsf->time_base_out;
  av_packet_rescale_ts(Packet, Ost.St->time_base, Ost.Bsf->time_base_in);
  if (av_bsf_send_packet(Ost.Bsf.get(), Packet) < 0) return;  // a filter failure is not reported
  ff::PacketPtr filtered = ff::MakePacket();
  while (av_bsf_receive_packet(Ost.Bsf.get(), filtered.get()) == 0) {
    av_packet_rescale_ts(filtered.get(), outTb, Ost.St->time_base);
    filtered->stream_index = Ost.St->index;
    MuxPacket(Ost, filtered.get());
    av_packet_unref(filtered.get());
  }
}
