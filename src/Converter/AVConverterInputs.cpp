// Job steps 1, 4, 5 and 6: stream maps, forced formats, opening the inputs.
#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"
#include "Converter/AVConverterSeek.h"
#include "Converter/AVConverterIO.h"
#include "Converter/avlib.h"
#include "Converter/AVConverterWaitingIO.h"

namespace {

constexpr int kProbeSampleRate = 44100;
constexpr int kProbeChannels = 1;
constexpr int kNoticeLevel = 16;  // the converter's own notices

// Whether seeking moves in the input rather than reading through it.
bool CanSeek(const AVFormatContext* Ctx) {
  if (Ctx->pb) return (Ctx->pb->seekable & AVIO_SEEKABLE_NORMAL) != 0;
  return Ctx->iformat && Ctx->iformat->read_seek;  // demuxers without a byte stream seek themselves
}

// Decimal integer of the whole text, as the runtime's StrToInt reads it.
int StrToInt(const std::string& Text) {
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(Text.c_str(), &end, 10);
  if (Text.empty() || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
    throw Exception(Format("'%s' is not a valid integer value", Text.c_str()));
  return static_cast<int>(v);
}

// "ac" and "ar" lines are meant for the output; a decoder told a count or
// rate other than the stream's would read PCM as something else.
void KeepStreamSoundFormat(AVCodecContext* Dec, const AVCodecParameters* Par) {
  Dec->sample_rate = Par->sample_rate;
  av_channel_layout_uninit(&Dec->ch_layout);
  av_channel_layout_copy(&Dec->ch_layout, &Par->ch_layout);
  KeepOlderChannelFields(Dec);
}

// The message names only the library's code; the log line says which file and why.
[[noreturn]] void FailOpen(const std::string& Name, int Code) {
  LogWriteError(Name, Code);
  throw Exception(Format("Could not open file:%d!", Code));
}

}  // namespace

void TConvertJob::ParseStreamMaps() {
  const TStringList& maps = FOptions.StreamMaps();
  for (int i = 0; i < maps.Count(); ++i) {
    TStreamMap m;
    m.FileIndex = StrToInt(maps.Names(i));
    m.StreamIndex = StrToInt(maps.ValueFromIndex(i));
    m.SyncFileIndex = m.FileIndex;
    m.SyncStreamIndex = m.StreamIndex;
    FStreamMaps.push_back(m);
  }
}

void TConvertJob::ResolveFormats() {
  FInputFormat = nullptr;
  FOutputFormat = nullptr;
  const std::string& in = FOptions.InputFormat();
  const std::string& out = FOptions.OutputFormat();
  if (in.empty() && out.empty()) return;
  if (!in.empty()) {
    FInputFormat = FindInputFormat(in);
  }
  if (!out.empty()) FOutputFormat = FindOutputFormatByName(out);
  if (!FInputFormat && !FOutputFormat)
    throw Exception(Format("Unknown input %s or Output format %s", in.c_str(), out.c_str()));
}

void TConvertJob::OpenInput(int Index) {
  QB_ASSERT("AVConverter", Index >= 0 && Index < FConverter.InputFiles().Count());
  const std::string& name = FConverter.InputFiles()[Index];
  TVideoOptions& video = FOptions.VideoOptions();
  TAudioOptions& audio = FOptions.AudioOptions();

  ff::InputPtr ic(avformat_alloc_context());
  if (!ic) throw Exception("no memory");
  ic->opaque = &FConverter;  // routes its log lines

  // The parameters capture devices and raw inputs read; other demuxers ignore them.
  ff::Dictionary params;
  params.Set("sample_rate", kProbeSampleRate);
  params.Set("channels", kProbeChannels);
  if (video.FrameRate().num() != 0 && video.FrameRate().den() != 0)
    params.Set("framerate", Format("%d/%d", video.FrameRate().num(), video.FrameRate().den()).c_str());
  if (FConverter._FrameWidth > 0 && FConverter._FrameHeight > 0)
    params.Set("video_size", Format("%dx%d", FConverter._FrameWidth, FConverter._FrameHeight).c_str());
  if (video.FFramePixFormat() >= 0)
    params.Set("pixel_format", av_get_pix_fmt_name(static_cast<AVPixelFormat>(video.FFramePixFormat())));
  params.Set("channel", FOptions.GrabOptions().VideoChannel());
  if (!FOptions.GrabOptions().VideoStandard().empty())
    params.Set("standard", FOptions.GrabOptions().VideoStandard().c_str());
  if (FOptions.LoopInput()) params.Set("loop", 1);
  FContexts.CopyContextOptions(&params, FContexts.Format(), ofDecoding);

  TInputFile file;
  file.FileName = name;
  file.Capture = IsCaptureFormat(FInputFormat);
  const AVCodec* forcedVideo = nullptr;
  const AVCodec* forcedAudio = nullptr;
  const AVCodec* forcedSubtitle = nullptr;
  ic->video_codec_id = FindCodecId(video.DecoderVideoCodecName(), AVMEDIA_TYPE_VIDEO, false, &forcedVideo);
  if (FOptions.PGMYUVCompatibilityHack()) {
    ic->video_codec_id = AV_CODEC_ID_PGMYUV;
    forcedVideo = avcodec_find_decoder(AV_CODEC_ID_PGMYUV);
  }
  ic->audio_codec_id = FindCodecId(audio.DecoderAudioCodecName(), AVMEDIA_TYPE_AUDIO, false, &forcedAudio);
  ic->subtitle_codec_id = FindCodecId(FOptions.SubtitleOptions().SubtitleCodecName(),
                                      AVMEDIA_TYPE_SUBTITLE, false, &forcedSubtitle);
  ic->flags |= AVFMT_FLAG_NONBLOCK;

  // Caller-owned byte streams are read through their own I/O context, and so
  // are FIFOs, devices and inherited pipes, whose reads must not outlast a
  // stop request.
  if (IsStreamName(name)) {
    file.CustomIO = OpenStreamIO(name, false);
    if (!file.CustomIO) FailOpen(name, AVERROR(ENOENT));
  } else if (IsWaitingFile(name)) {
    file.Waiting = TWaitingReader::Open(name, InputInterrupt());
    if (!file.Waiting) FailOpen(name, AVERROR(errno));
    file.CustomIO = file.Waiting->MakeIO();
    if (!file.CustomIO) throw Exception("no memory");
  }
  if (file.CustomIO) {
    ic->pb = file.CustomIO.get();
    ic->flags |= AVFMT_FLAG_CUSTOM_IO;
  }
  ic->interrupt_callback = InputInterrupt();
  PrepareDeviceUrl(name);
  AVFormatContext* raw = ic.release();
  int ret = avformat_open_input(&raw, name.c_str(), FInputFormat, &params);
  if (ret < 0) {
    // avformat_open_input freed the context; a custom I/O context stays ours.
    FailOpen(name, ret);
  }
  file.Ctx.reset(raw);
  AVFormatContext* ctx = raw;

  if (FOptions.ProgramID() != 0) {
    for (unsigned i = 0; i < ctx->nb_streams; ++i) ctx->streams[i]->discard = AVDISCARD_ALL;
    bool found = false;
    for (unsigned p = 0; p < ctx->nb_programs; ++p) {
      AVProgram* program = ctx->programs[p];
      if (program->id == FOptions.ProgramID()) {
        for (unsigned k = 0; k < program->nb_stream_indexes; ++k)
          ctx->streams[program->stream_index[k]]->discard = AVDISCARD_DEFAULT;
        found = true;
      } else {
        program->discard = AVDISCARD_ALL;
      }
    }
    if (!found) throw Exception("Specified program id not found");
  }

  ret = avformat_find_stream_info(ctx, nullptr);
  if (ret < 0) throw Exception(Format("Could not find codec parameters:%d!", ret));

  int64_t seekPosition = FOptions.StartTime();
  if (ctx->start_time != AV_NOPTS_VALUE) seekPosition += ctx->start_time;
  FConverter.TempStartTime = FOptions.StartTime();
  if (FConverter.TempStartTime != 0) {
    // Land on the key frame at or before the start; what is decoded before
    // the start is dropped by the packet loop. An input that can't seek (a
    // pipe) is decoded from its beginning: a seek there would read it away.
    if (CanSeek(ctx)) file.Seekable = SeekBeforeKeyFrame(ctx, seekPosition);
    FConverter.TempStartTime = 0;
  }
  if (ctx->duration != AV_NOPTS_VALUE)
    FConverter.SetDuration(static_cast<double>(ctx->duration) / AV_TIME_BASE);

  file.FirstStream = static_cast<int>(FInputStreams.size());
  file.TsScale.assign(ctx->nb_streams, 0.0);
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    AVStream* st = ctx->streams[i];
    AVCodecParameters* par = st->codecpar;
    TInputStream ist;
    ist.FileIndex = Index;
    ist.StreamIndex = static_cast<int>(i);
    ist.St = st;
    const AVCodec* forced = par->codec_type == AVMEDIA_TYPE_VIDEO      ? forcedVideo
                            : par->codec_type == AVMEDIA_TYPE_AUDIO    ? forcedAudio
                            : par->codec_type == AVMEDIA_TYPE_SUBTITLE ? forcedSubtitle
                                                                       : nullptr;
    ist.Decoder = forced ? forced : avcodec_find_decoder(par->codec_id);
    ist.Dec.reset(avcodec_alloc_context3(ist.Decoder));
    if (!ist.Dec || avcodec_parameters_to_context(ist.Dec.get(), par) < 0) throw Exception("no memory");
    ist.Dec->opaque = &FConverter;  // routes its log lines, also from its threads
    ist.Dec->thread_count = FOptions.ThreadCount();
    ist.Dec->pkt_timebase = st->time_base;
    AVCodecContext* dec = ist.Dec.get();
    // A cover picture sets none of the video values and is never discarded.
    switch (IsAttachedPicture(st) ? AVMEDIA_TYPE_ATTACHMENT : par->codec_type) {
      case AVMEDIA_TYPE_AUDIO:
        FContexts.CopyContextOptions(dec, FContexts.Codec(AVMEDIA_TYPE_AUDIO), ofDecoding | ofAudio);
        KeepStreamSoundFormat(dec, par);
        FConverter._ChannelLayout =
            par->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? par->ch_layout.u.mask : 0;
        FConverter._AudioChannels = par->ch_layout.nb_channels;
        FConverter._AudioSampleRate = par->sample_rate;
        FConverter._AudioSampleFmt = par->format;
        if (audio.AudioDisable()) st->discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_VIDEO: {
        FContexts.CopyContextOptions(dec, FContexts.Codec(AVMEDIA_TYPE_VIDEO), ofDecoding | ofVideo);
        // Size and aspect are those of the upright picture.
        ist.Upright = UprightOf(st);
        FVideoTransposed = ist.Upright.Transposed();
        FConverter._FrameWidth = FVideoTransposed ? par->height : par->width;
        FConverter._FrameHeight = FVideoTransposed ? par->width : par->height;
        AVRational sar = st->sample_aspect_ratio.num ? st->sample_aspect_ratio : par->sample_aspect_ratio;
        double aspect = sar.num ? av_q2d(sar) : 0.0;
        if (par->height) aspect = aspect * par->width / par->height;
        if (FVideoTransposed && aspect != 0.0) aspect = 1.0 / aspect;
        video.SetFrameAspectRatio(static_cast<float>(aspect));
        video.SetFFramePixFormat(par->format);
        if (dec->lowres) {
          video.SetFrameHeight(video.FrameHeight() >> dec->lowres);
          video.SetFrameWidth(video.FrameWidth() >> dec->lowres);
        }
        if (video.MeThreshold() != 0) dec->export_side_data |= AV_CODEC_EXPORT_DATA_MVS;
        const AVRational real = st->r_frame_rate;
        const AVRational codec = st->avg_frame_rate;
        if (codec.num && codec.den && (codec.num != real.num || codec.den != real.den)) {
          FConverter.DoLog(kNoticeLevel,
                           Format("Seems stream %d codec frame rate differs from container frame rate: "
                                  "%2.2f (%d/%d) -> %2.2f (%d/%d)\n",
                                  static_cast<int>(i), av_q2d(codec), codec.num, codec.den,
                                  av_q2d(real), real.num, real.den));
        }
        if (real.num && real.den) {
          video.FrameRate().Setnum(real.num);
          video.FrameRate().Setden(real.den);
        }
        if (video.VideoDisable()) st->discard = AVDISCARD_ALL;
        else if (video.FVideoDiscard() != 0) st->discard = static_cast<AVDiscard>(video.FVideoDiscard());
        break;
      }
      case AVMEDIA_TYPE_SUBTITLE:
        if (FOptions.SubtitleOptions().SubtitleDisable()) st->discard = AVDISCARD_ALL;
        break;
      default:
        break;
    }
    FInputStreams.push_back(std::move(ist));
  }
  if (FOptions.StartTime() != 0) {
    const int64_t aligned = PictureAlignedStart(ctx, seekPosition);
    if (Index == 0) FStartTime += aligned - seekPosition;
    seekPosition = aligned;
  }
  file.TsOffset = FOptions.InputTSOffset() - (FOptions.CopyTS() ? 0 : seekPosition);
  file.StreamCount = static_cast<int>(ctx->nb_streams);
  // The chosen range on the output time line.
  const int64_t start = seekPosition + file.TsOffset;
  if (FOptions.StartTime() != 0) file.TrimStart = start;
  const int64_t recording = FOptions.RecordingTime();
  if (recording < INT64_MAX - std::max<int64_t>(start, 0)) file.TrimEnd = start + recording;
  FInputFiles.push_back(std::move(file));
}

void TConvertJob::ApplyTimestampScales() {
  for (const auto& e : FOptions.InputTSScale()) {
    if (e.FileIndex < 0 || e.FileIndex >= static_cast<int>(FInputFiles.size())) continue;
    auto& scales = FInputFiles[static_cast<size_t>(e.FileIndex)].TsScale;
    if (e.StreamIndex >= 0 && e.StreamIndex < static_cast<int>(scales.size()))
      scales[static_cast<size_t>(e.StreamIndex)] = e.Scale;
  }
}
