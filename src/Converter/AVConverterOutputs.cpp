// Job step 7: output containers, their streams and codec settings.
#include <climits>
#include <cmath>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <utility>

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "Common/Errors.h"
#include "Common/SameFile.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"
#include "Converter/avlib.h"
#include "Converter/AVConverterDeliveryRules.h"
#include "Converter/AVConverterIO.h"
#include "Converter/AVConverterTargetRules.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLambdaPerQuant = FF_QP2LAMBDA;  // quality lambda per quantizer step (118)
constexpr int kMaxAspectTerm = 255;
constexpr int kDefaultFrameRate = 25;
constexpr float kNoAudioQuality = -99999.0f;
constexpr int kDcPrecisionBase = 8;
constexpr double kMicro = 1000000.0;
constexpr int kOccupancyNum = 3, kOccupancyDen = 4;

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Output paths being written by running jobs of this process: two jobs never
// write one file.
std::mutex gClaimLock;                            // guards gClaimed
std::map<std::string, std::string> gClaimed;      // path -> first input of the job

// A pixel format or sample-entry tag the profile asks for; a pixel format the
// encoder cannot take leaves the one chosen from the source.
void ApplyVideoStreamSettings(const TOptionContexts& Contexts, AVCodecContext* Enc, const AVCodec* Codec) {
  const AVPixelFormat wanted = av_get_pix_fmt(Contexts.VideoStreamSetting("pix_fmt").c_str());
  if (wanted != AV_PIX_FMT_NONE && Codec && Codec->pix_fmts)
    for (const AVPixelFormat* p = Codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
      if (*p == wanted) Enc->pix_fmt = wanted;
  const std::string tag = Contexts.VideoStreamSetting("vtag");
  if (!tag.empty()) Enc->codec_tag = MKTAG(tag[0], tag[1], tag[2], tag[3]);
}

// A channel layout the encoder takes: the asked one, else one of as many
// channels, else the nearest with fewer, else the nearest with more (six
// asked of MP3 become stereo, not its first layout, mono), said in the log.
void FitChannelLayout(const AVCodec* Codec, AVCodecContext* Enc) {
  const int asked = Enc->ch_layout.nb_channels;
  auto rank = [asked](int N) {
    return N == asked ? std::pair{0, 0} : N < asked ? std::pair{1, asked - N} : std::pair{2, N - asked};
  };
  const AVChannelLayout* best = nullptr;
  for (const AVChannelLayout* l = Codec->ch_layouts; l->nb_channels; ++l) {
    if (av_channel_layout_compare(l, &Enc->ch_layout) == 0) return;
    if (!best || rank(l->nb_channels) < rank(best->nb_channels)) best = l;
  }
  if (best->nb_channels != asked)
    av_log(Enc, AV_LOG_WARNING, "The %s encoder can't write %d channels: %d are written\n", Codec->name, asked,
           best->nb_channels);
  av_channel_layout_copy(&Enc->ch_layout, best);
}

}  // namespace

bool TConvertJob::InputsHave(AVMediaType Type) const {
  for (const auto& f : FInputFiles)
    if (HasOwnStream(f.Ctx.get(), Type)) return true;
  return false;
}

std::vector<std::string> TConvertJob::ParseBitstreamFilters(const TStringList& Names) {
  std::vector<std::string> chain;
  for (int i = 0; i < Names.Count(); ++i) {
    const std::string& name = Names[i];
    if (!av_bsf_get_by_name(name.c_str())) {
      ShowErrorMessage("Invalid BitstreamFilter " + name);
      if (i == 0) return {};
      continue;
    }
    chain.push_back(name);
  }
  return chain;
}

TOutputStream& TConvertJob::NewStream(TOutputFile& File, int FileIndex, AVMediaType Type,
                                      const TStringList& Filters) {
  AVStream* st = avformat_new_stream(File.Ctx.get(), nullptr);
  if (!st) throw Exception("Could not alloc stream");
  auto ost = std::make_unique<TOutputStream>();
  ost->FileIndex = FileIndex;
  ost->Index = st->index;
  ost->St = st;
  ost->Enc.reset(avcodec_alloc_context3(nullptr));
  if (!ost->Enc) throw Exception("Could not alloc stream");
  ost->Enc->codec_type = Type;
  ost->BitstreamFilters = ParseBitstreamFilters(Filters);
  FOutputStreams.push_back(std::move(ost));
  return *FOutputStreams.back();
}

void TConvertJob::SetUpOutput(int Index) {
  const std::string& name = FConverter.OutputFiles()[Index];
  TAudioOptions& audio = FOptions.AudioOptions();
  TVideoOptions& video = FOptions.VideoOptions();
  TAVConverter& c = FConverter;

  // 1. Working values from the options.
  if (audio.AudioChannels() != 0) c._AudioChannels = audio.AudioChannels();
  if (audio.AudioSampleRate() != 0) c._AudioSampleRate = audio.AudioSampleRate();
  if (audio.AudioSampleFmt() != sfAuto) c._AudioSampleFmt = static_cast<int>(audio.AudioSampleFmt()) - 1;
  if (video.FrameWidth() != 0) c._FrameWidth = video.FrameWidth();
  if (video.FrameHeight() != 0) c._FrameHeight = video.FrameHeight();
  if (c._FrameWidth != 0 && c._FrameHeight != 0) {
    c._FrameWidth -= video.FrameLeftBand() + video.FrameRightBand();
    c._FrameHeight -= video.FrameTopBand() + video.FrameBottomBand();
    if (c._FrameWidth <= 0 || c._FrameHeight <= 0)
      ShowErrorMessage("crop dimensions are outside the range of the original image.");
    else if (video.FrameHeight() != 0)
      c._FrameHeight = video.FrameHeight();
  }

  // The source must never be overwritten.
  const std::string target = ResolvedPath(name);
  for (const auto& f : FInputFiles)
    if (!IsStreamName(name) && NamesSameFile(f.FileName, name)) throw Exception(kTargetIsSourceMessage);

  // 2.-4. Container and its format.
  const AVOutputFormat* format = FOutputFormat;
  std::string guessName = IsStreamName(name) ? StreamNameForGuess(name) : name;
  if (!format) format = ImageSequenceFormat(av_guess_format(nullptr, guessName.c_str(), nullptr), guessName);
  if (!format) throw Exception(Format("Unable to find a suitable output format for %s", name.c_str()));
  AVFormatContext* raw = nullptr;
  if (avformat_alloc_output_context2(&raw, format, nullptr, name.c_str()) < 0 || !raw)
    throw Exception(Format("Unable to find a suitable output format for %s", name.c_str()));
  raw->opaque = &FConverter;  // routes its log lines
  TOutputFile file;
  file.Ctx.reset(raw);
  file.FileName = name;
  AVFormatContext* oc = raw;

  // 5. Which kinds of stream the output gets.
  bool useVideo = format->video_codec != AV_CODEC_ID_NONE || video.VideoStreamCopy() ||
                  !video.EncoderVideoCodecName().empty();
  bool useAudio = format->audio_codec != AV_CODEC_ID_NONE || audio.AudioStreamCopy() ||
                  !audio.EncoderAudioCodecName().empty();
  const TSubtitleOptions& subtitle = FOptions.SubtitleOptions();
  bool useSubtitle = format->subtitle_codec != AV_CODEC_ID_NONE || subtitle.SubtitleStreamCopy() ||
                     !subtitle.SubtitleCodecName().empty();
  if (!FInputFiles.empty()) {
    useVideo = useVideo && InputsHave(AVMEDIA_TYPE_VIDEO);
    useAudio = useAudio && InputsHave(AVMEDIA_TYPE_AUDIO);
    useSubtitle = useSubtitle && InputsHave(AVMEDIA_TYPE_SUBTITLE);
  }
  if (audio.AudioDisable()) useAudio = false;
  if (video.VideoDisable()) useVideo = false;
  if (subtitle.SubtitleDisable()) useSubtitle = false;

  FOutputFiles.push_back(std::move(file));
  TOutputFile& out = FOutputFiles.back();
  // 6. Streams in the order video, audio, subtitle.
  if (useVideo) NewVideoStream(out, Index);
  if (useAudio) NewAudioStream(out, Index);
  if (useSubtitle) NewSubtitleStream(out, Index);
  if (!useVideo && useAudio) AddCover(out, Index);

  // 7.-8. Creation time and metadata.
  if (FOptions.RecTimestamp() != 0)
    av_dict_set_int(&oc->metadata, "creation_time", FOptions.RecTimestamp(), 0);
  const TStringList& meta = FOptions.MetaData();
  for (int i = 0; i < meta.Count(); ++i)
    av_dict_set(&oc->metadata, meta.Names(i).c_str(), meta.ValueFromIndex(i).c_str(), 0);

  // 10. Image sequences need a frame number pattern.
  if ((format->flags & AVFMT_NEEDNUMBER) && !av_filename_number_test(name.c_str()))
    throw Exception("unexpected error");

  // 11. The file itself: missing folders are created; an existing file is overwritten.
  if (!(format->flags & AVFMT_NOFILE)) {
    {
      std::lock_guard<std::mutex> g(gClaimLock);
      auto it = gClaimed.find(target);
      if (it != gClaimed.end()) {
        av_log(nullptr, AV_LOG_ERROR, "%s is being written by another conversion (of %s)\n",
               name.c_str(), it->second.c_str());
        throw Exception("Could not open file");
      }
      gClaimed[target] = FConverter.InputFiles()[0];
      FClaimedOutputs.push_back(target);
    }
    if (IsStreamName(name)) {
      out.CustomIO = OpenStreamIO(name, true);
      if (!out.CustomIO) throw Exception("Could not open file");
      oc->pb = out.CustomIO.get();
      oc->flags |= AVFMT_FLAG_CUSTOM_IO;
    } else {
      fs::path dir = fs::path(name).parent_path();
      std::error_code ec;
      if (!dir.empty()) fs::create_directories(dir, ec);
      oc->interrupt_callback = OutputInterrupt();
      const int ret = avio_open2(&oc->pb, name.c_str(), AVIO_FLAG_WRITE, &oc->interrupt_callback, nullptr);
      if (ret < 0) {
        LogWriteError(name, ret);
        throw Exception("Could not open file");
      }
      out.Created = true;
    }
  }

  // 13. Muxing parameters.
  oc->max_delay = static_cast<int>(std::lround(FOptions.MuxerOptions().MuxMaxDelay() * kMicro));
  av_opt_set_int(oc, "preload", std::lround(FOptions.MuxerOptions().MuxPreload() * kMicro),
                 AV_OPT_SEARCH_CHILDREN);
  if (FOptions.LoopOutput() != -1) av_opt_set_int(oc, "loop", FOptions.LoopOutput(), AV_OPT_SEARCH_CHILDREN);
  oc->flags |= AVFMT_FLAG_NONBLOCK;
  // 14. Advanced container options.
  FContexts.CopyContextOptions(oc, FContexts.Format(), ofEncoding);
}

void TConvertJob::NewVideoStream(TOutputFile& File, int FileIndex) {
  TVideoOptions& video = FOptions.VideoOptions();
  AVFormatContext* oc = File.Ctx.get();
  TOutputStream& ost = NewStream(File, FileIndex, AVMEDIA_TYPE_VIDEO,
                                 FOptions.MuxerOptions().VideoBitstreamFilters());
  AVCodecContext* enc = ost.Enc.get();
  AVCodecContext* opts = FContexts.Codec(AVMEDIA_TYPE_VIDEO);
  enc->thread_count = FOptions.ThreadCount();
  if (video.VideoCodecTag() != 0) enc->codec_tag = static_cast<unsigned>(video.VideoCodecTag());
  const int globalHeader = video.VideoGlobalHeader();
  if ((globalHeader & 1) || (globalHeader == 0 && (oc->oformat->flags & AVFMT_GLOBALHEADER))) {
    enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    opts->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (globalHeader & 2) {
    enc->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
    opts->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
  }
  const int width = FConverter._FrameWidth;
  const int height = FConverter._FrameHeight;
  const double aspect = width ? video.FrameAspectRatio() * height / static_cast<double>(width) : 0.0;
  if (video.VideoStreamCopy()) {
    ost.StreamCopy = true;
    if (!FOptions.FilterOptions().VideoFilters().empty())
      av_log(nullptr, AV_LOG_WARNING, "The video filters are left out: the video is copied, not re-encoded\n");
    // A copied picture stays as stored, turned by its display matrix.
    ost.St->sample_aspect_ratio = av_d2q(FVideoTransposed && aspect != 0.0 ? 1.0 / aspect : aspect, kMaxAspectTerm);
  } else {
    AVRational rate{video.FrameRate().num(), video.FrameRate().den()};
    if (rate.num == 0) rate = {kDefaultFrameRate, 1};
    AVCodecID id = ImageSequenceCodec(
        oc->oformat, File.FileName,
        av_guess_codec(oc->oformat, nullptr, File.FileName.c_str(), nullptr, AVMEDIA_TYPE_VIDEO));
    const AVCodec* codec = nullptr;
    if (!video.EncoderVideoCodecName().empty())
      id = FindCodecId(video.EncoderVideoCodecName(), AVMEDIA_TYPE_VIDEO, true, &codec);
    if (!codec) codec = avcodec_find_encoder(id);
    ost.Encoder = codec;
    // The settings context becomes one for this encoder, so its private options apply.
    ost.Enc.reset(avcodec_alloc_context3(codec));
    enc = ost.Enc.get();
    enc->codec_type = AVMEDIA_TYPE_VIDEO;
    enc->codec_id = id;
    enc->thread_count = FOptions.ThreadCount();
    if (video.VideoCodecTag() != 0) enc->codec_tag = static_cast<unsigned>(video.VideoCodecTag());
    enc->flags |= opts->flags & AV_CODEC_FLAG_GLOBAL_HEADER;
    enc->flags2 |= opts->flags2 & AV_CODEC_FLAG2_LOCAL_HEADER;
    FContexts.CopyContextOptions(enc, opts, ofEncoding | ofVideo);
    if (codec && codec->supported_framerates && !video.ForceFPS())
      rate = codec->supported_framerates[av_find_nearest_q_idx(rate, codec->supported_framerates)];
    enc->time_base = av_inv_q(rate);
    enc->framerate = rate;
    enc->width = width;
    enc->height = height;
    enc->sample_aspect_ratio = av_d2q(aspect, kMaxAspectTerm);
    ost.St->sample_aspect_ratio = enc->sample_aspect_ratio;
    enc->pix_fmt = static_cast<AVPixelFormat>(video.FFramePixFormat());
    if (codec && codec->pix_fmts) {
      const AVPixelFormat* p = codec->pix_fmts;
      while (*p != AV_PIX_FMT_NONE && *p != enc->pix_fmt) ++p;
      const bool mjpegException = codec->id == AV_CODEC_ID_MJPEG && enc->strict_std_compliance < 0 &&
                                  (enc->pix_fmt == AV_PIX_FMT_YUV420P || enc->pix_fmt == AV_PIX_FMT_YUV422P);
      if (*p == AV_PIX_FMT_NONE && !mjpegException) enc->pix_fmt = codec->pix_fmts[0];
    }
    enc->pix_fmt = DeliveryPixelFormat(codec, enc->pix_fmt);
    if (AVPixelFormat required = RequiredPixelFormat(codec, enc->pix_fmt, enc->strict_std_compliance);
        required != AV_PIX_FMT_NONE)
      enc->pix_fmt = required;
    ApplyVideoStreamSettings(FContexts, enc, codec);
    FitDvVideo(enc, static_cast<AVPixelFormat>(FRequestedPixFormat));
    FitPictureEncoder(oc->oformat, enc);
    FitSubsampledSize(enc);
    if (const AVRational disc = DiscFrameRate(oc->oformat, enc, FRequestedFrameRate); disc.num) {
      enc->framerate = disc;
      enc->time_base = av_inv_q(disc);
    }
    if (const auto level = FitH264Level(enc))
      av_log(nullptr, AV_LOG_WARNING, "H.264 level %d.%d can't hold %dx%d at %.3g fps: %s\n", level->first / 10,
             level->first % 10, enc->width, enc->height, av_q2d(enc->framerate),
             level->second > 0 ? Format("level %d.%d is written", level->second / 10, level->second % 10).c_str()
                               : "the encoder chooses the level");
    if (const TPictureBox box = Mpeg2PictureBox(enc, video.FrameAspectRatio()); box.Width) {
      ost.BoxWidth = box.Width;
      ost.BoxHeight = box.Height;
      enc->sample_aspect_ratio = ost.St->sample_aspect_ratio = box.SampleAspect;
    }
    if (video.IntraOnly()) enc->gop_size = 0;
    if (video.VideoQscale() != 0 || video.SameQuality()) {
      enc->flags |= AV_CODEC_FLAG_QSCALE;
      enc->global_quality = static_cast<int>(std::lround(kLambdaPerQuant * video.VideoQscale()));
    }
    auto copyMatrix = [](uint16_t** target, const auto& values) {
      *target = static_cast<uint16_t*>(av_malloc(sizeof(uint16_t) * values.size()));
      if (*target) std::copy(values.begin(), values.end(), *target);
    };
    if (video.IntraMatrix().Count() > 0) copyMatrix(&enc->intra_matrix, video.Intra_Matrix());
    if (video.InterMatrix().Count() > 0) copyMatrix(&enc->inter_matrix, video.Inter_Matrix());
    if (enc->rc_initial_buffer_occupancy == 0)
      enc->rc_initial_buffer_occupancy = enc->rc_buffer_size * kOccupancyNum / kOccupancyDen;
    enc->intra_dc_precision = video.IntraDcPrecision() - kDcPrecisionBase;
    if (FOptions.DoPSNR()) enc->flags |= AV_CODEC_FLAG_PSNR;
    if (video.Pass() == 1) enc->flags |= AV_CODEC_FLAG_PASS1;
    else if (video.Pass() != 0) enc->flags |= AV_CODEC_FLAG_PASS2;
  }
  if (!Trim(video.VideoLanguage()).empty())
    av_dict_set(&ost.St->metadata, "language", video.VideoLanguage().c_str(), 0);
}

void TConvertJob::NewAudioStream(TOutputFile& File, int FileIndex) {
  TAudioOptions& audio = FOptions.AudioOptions();
  AVFormatContext* oc = File.Ctx.get();
  TOutputStream& ost = NewStream(File, FileIndex, AVMEDIA_TYPE_AUDIO,
                                 FOptions.MuxerOptions().AudioBitstreamFilters());
  AVCodecContext* opts = FContexts.Codec(AVMEDIA_TYPE_AUDIO);
  if (oc->oformat->flags & AVFMT_GLOBALHEADER) opts->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const TAVConverter& c = FConverter;
  if (audio.AudioStreamCopy()) {
    ost.StreamCopy = true;
  } else {
    AVCodecID id = av_guess_codec(oc->oformat, nullptr, File.FileName.c_str(), nullptr, AVMEDIA_TYPE_AUDIO);
    const AVCodec* codec = nullptr;
    if (!audio.EncoderAudioCodecName().empty())
      id = FindCodecId(audio.EncoderAudioCodecName(), AVMEDIA_TYPE_AUDIO, true, &codec);
    if (!codec) codec = avcodec_find_encoder(id);
    ost.Encoder = codec;
    ost.Enc.reset(avcodec_alloc_context3(codec));
  }
  AVCodecContext* enc = ost.Enc.get();
  enc->codec_type = AVMEDIA_TYPE_AUDIO;
  enc->thread_count = FOptions.ThreadCount();
  if (audio.AudioCodecTag() != 0) enc->codec_tag = static_cast<unsigned>(audio.AudioCodecTag());
  if (oc->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (!ost.StreamCopy) {
    const AVCodec* codec = ost.Encoder;
    FContexts.CopyContextOptions(enc, opts, ofEncoding | ofAudio);
    if (codec) enc->codec_id = codec->id;
    if (audio.AudioQScale() > kNoAudioQuality) {
      enc->flags |= AV_CODEC_FLAG_QSCALE;
      enc->global_quality = static_cast<int>(std::lround(kLambdaPerQuant * audio.AudioQScale()));
    }
    // "ac" and "ar" lines set the codec context's own count and rate: like "b" and "ab",
    // they win over the profile.
    int channels = c._AudioChannels;
    int64_t asked = 0;
    if (av_opt_get_int(enc, "ac", 0, &asked) >= 0 && asked > 0 && asked <= INT_MAX) channels = static_cast<int>(asked);
    const int rate = av_opt_get_int(enc, "ar", 0, &asked) >= 0 && asked > 0 && asked <= INT_MAX
                         ? static_cast<int>(asked)
                         : c._AudioSampleRate;
    AVChannelLayout layout{};
    av_channel_layout_from_mask(&layout, c._ChannelLayout);
    if (!c._ChannelLayout || layout.nb_channels != audio.AudioChannels() || layout.nb_channels != channels)
      av_channel_layout_default(&layout, channels);
    av_channel_layout_uninit(&enc->ch_layout);
    enc->ch_layout = layout;
    enc->sample_fmt = static_cast<AVSampleFormat>(c._AudioSampleFmt);
    enc->sample_rate = rate;
    if (codec && codec->sample_fmts) {
      const AVSampleFormat* f = codec->sample_fmts;
      while (*f != AV_SAMPLE_FMT_NONE && *f != enc->sample_fmt) ++f;
      if (*f == AV_SAMPLE_FMT_NONE) enc->sample_fmt = codec->sample_fmts[0];
    }
    if (codec && codec->supported_samplerates) {
      int best = codec->supported_samplerates[0];
      for (const int* r = codec->supported_samplerates; *r; ++r)
        if (std::abs(*r - enc->sample_rate) < std::abs(best - enc->sample_rate)) best = *r;
      if (best != enc->sample_rate) {
        av_log(enc, AV_LOG_WARNING, "Requested sampling rate unsupported using closest supported (%d)\n", best);
        enc->sample_rate = best;
      }
    }
    if (codec && codec->ch_layouts) FitChannelLayout(codec, enc);
    enc->time_base = AVRational{1, enc->sample_rate > 0 ? enc->sample_rate : 1};
    FitDvAudio(oc->oformat, enc, FConverter._FrameHeight);
    KeepOlderChannelFields(enc);
  } else {
    av_channel_layout_default(&enc->ch_layout, c._AudioChannels);
    enc->sample_rate = c._AudioSampleRate;
    enc->time_base = AVRational{1, c._AudioSampleRate > 0 ? c._AudioSampleRate : 1};
  }
  if (!Trim(audio.AudioLanguage()).empty())
    av_dict_set(&ost.St->metadata, "language", audio.AudioLanguage().c_str(), 0);
}

bool TConvertJob::NewSubtitleStream(TOutputFile& File, int FileIndex) {
  const TSubtitleOptions& subtitle = FOptions.SubtitleOptions();
  AVFormatContext* oc = File.Ctx.get();
  AVCodecID id = AV_CODEC_ID_NONE;
  const AVCodec* codec = nullptr;
  if (!subtitle.SubtitleStreamCopy()) {
    id = FindCodecId(subtitle.SubtitleCodecName(), AVMEDIA_TYPE_SUBTITLE, true, &codec);
    if (id == AV_CODEC_ID_NONE) {
      // No name given: the container's own subtitle encoder, when the source's
      // subtitles can be turned into it (text to text, bitmap to bitmap).
      id = oc->oformat->subtitle_codec;
      codec = avcodec_find_encoder(id);
      const AVCodecDescriptor* target = avcodec_descriptor_get(id);
      const AVCodecDescriptor* source = nullptr;
      for (const auto& f : FInputFiles)
        for (unsigned i = 0; i < f.Ctx->nb_streams && !source; ++i)
          if (f.Ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE &&
              f.Ctx->streams[i]->discard != AVDISCARD_ALL)
            source = avcodec_descriptor_get(f.Ctx->streams[i]->codecpar->codec_id);
      const int kinds = AV_CODEC_PROP_BITMAP_SUB | AV_CODEC_PROP_TEXT_SUB;
      if (!codec || !target || !source || ((target->props & kinds) & (source->props & kinds)) == 0) {
        av_log(nullptr, AV_LOG_WARNING,
               "Subtitles of the source can't be converted to %s; the output gets none\n",
               target ? target->name : "this container");
        return false;
      }
    }
  }
  TOutputStream& ost = NewStream(File, FileIndex, AVMEDIA_TYPE_SUBTITLE,
                                 FOptions.MuxerOptions().SubtitleBitstreamFilters());
  if (subtitle.SubtitleStreamCopy()) {
    ost.StreamCopy = true;
  } else {
    ost.Encoder = codec;
    ost.Enc.reset(avcodec_alloc_context3(codec));
    ost.Enc->codec_type = AVMEDIA_TYPE_SUBTITLE;
    ost.Enc->codec_id = id;
    FContexts.CopyContextOptions(ost.Enc.get(), FContexts.Codec(AVMEDIA_TYPE_SUBTITLE),
                                 ofEncoding | ofSubtitle);
  }
  if (subtitle.SubtitleCodecTag() != 0) ost.Enc->codec_tag = static_cast<unsigned>(subtitle.SubtitleCodecTag());
  if (!subtitle.SubtitleLanguage().empty())
    av_dict_set(&ost.St->metadata, "language", subtitle.SubtitleLanguage().c_str(), 0);
  return true;
}

void ReleaseClaimedOutputs(const std::vector<std::string>& Paths) {
  std::lock_guard<std::mutex> g(gClaimLock);
  for (const auto& p : Paths) gClaimed.erase(p);
}
