// The first half of Transcode: stream tables, mapping, codec preparation,
// encoders and decoders, chapters and headers.
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <system_error>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/time.h>
#include <libavutil/pixdesc.h>
}

#include "Common/FileText.h"
#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"
#include "Converter/AVConverterLocks.h"

namespace {

constexpr int kNormalVolume = 256;
constexpr int kFifoSamples = 1024;
constexpr double kMilli = 1.0 / 1000;
constexpr const char* kPassLogPattern = "ffmpeg2pass-%d.log";

}  // namespace

void TConvertJob::BuildStreamTables() {
  if (FOptions.RateEmu())
    for (auto& ist : FInputStreams) ist.RateEmuStart = av_gettime();
  for (size_t i = 0; i < FOutputFiles.size(); ++i)
    if (FOutputFiles[i].Ctx->nb_streams == 0) throw Exception("Output file does not contain any stream");
  // Covers are mapped when they are added; stream maps name the other streams.
  size_t count = 0;
  for (const auto& ost : FOutputStreams)
    if (!ost->Cover) ++count;
  if (!FStreamMaps.empty() && FStreamMaps.size() != count)
    throw Exception("Number of stream maps must match number of output streams");
  for (const auto& m : FStreamMaps) {
    auto valid = [this](int f, int s) {
      return f >= 0 && f < static_cast<int>(FInputFiles.size()) && s >= 0 &&
             s < static_cast<int>(FInputFiles[static_cast<size_t>(f)].Ctx->nb_streams);
    };
    if (!valid(m.FileIndex, m.StreamIndex))
      throw Exception(Format("Could not find input stream #%d.%d", m.FileIndex, m.StreamIndex));
    if (!valid(m.SyncFileIndex, m.SyncStreamIndex))
      throw Exception(Format("Could not find sync stream #%d.%d", m.SyncFileIndex, m.SyncStreamIndex));
  }
}

void TConvertJob::MapStreams() {
  size_t n = 0;  // position among the mapped output streams
  for (auto& p : FOutputStreams) {
    TOutputStream& ost = *p;
    if (ost.Cover) continue;
    const AVMediaType type = ost.Enc->codec_type;
    int source = -1;
    if (!FStreamMaps.empty()) {
      const TStreamMap& m = FStreamMaps[n++];
      source = FInputFiles[static_cast<size_t>(m.FileIndex)].FirstStream + m.StreamIndex;
      if (FInputStreams[static_cast<size_t>(source)].St->codecpar->codec_type != type)
        throw Exception(Format("Codec type mismatch for mapping #%d.%d -> #%d.%d", m.FileIndex,
                               m.StreamIndex, ost.FileIndex, ost.Index));
      ost.SyncIndex = FInputFiles[static_cast<size_t>(m.SyncFileIndex)].FirstStream + m.SyncStreamIndex;
    } else {
      int bestFrames = -1;
      for (size_t i = 0; i < FInputStreams.size(); ++i) {
        const TInputStream& ist = FInputStreams[i];
        if (FOptions.ProgramID() != 0) {
          AVProgram* p = av_find_program_from_stream(
              FInputFiles[static_cast<size_t>(ist.FileIndex)].Ctx.get(), nullptr, ist.StreamIndex);
          bool inProgram = false;
          for (AVFormatContext* ic = FInputFiles[static_cast<size_t>(ist.FileIndex)].Ctx.get(); p;
               p = av_find_program_from_stream(ic, p, ist.StreamIndex))
            if (p->id == FOptions.ProgramID()) inProgram = true;
          if (!inProgram) continue;
        }
        if (!ist.Unmapped || ist.St->discard == AVDISCARD_ALL || ist.St->codecpar->codec_type != type ||
            IsAttachedPicture(ist.St))
          continue;
        // The frames examined while probing are private to the library; its own
        // choice of the best stream of a kind weighs them, so that stream wins.
        AVFormatContext* ic = FInputFiles[static_cast<size_t>(ist.FileIndex)].Ctx.get();
        const int score = av_find_best_stream(ic, type, -1, -1, nullptr, 0) == ist.StreamIndex ? 1 : 0;
        if (score > bestFrames) {
          bestFrames = score;
          source = static_cast<int>(i);
        }
      }
      if (source < 0 && FOptions.ProgramID() == 0) {
        for (size_t i = 0; i < FInputStreams.size(); ++i) {
          const TInputStream& ist = FInputStreams[i];
          if (ist.St->codecpar->codec_type == type && ist.St->discard != AVDISCARD_ALL && !IsAttachedPicture(ist.St))
            source = static_cast<int>(i);
        }
      }
      if (source < 0) throw Exception("Could not find input stream matching output stream ");
      ost.SyncIndex = source;
    }
    ost.SourceIndex = source;
    FInputStreams[static_cast<size_t>(source)].Unmapped = false;
  }
}

void TConvertJob::PrepareCopy(TOutputStream& Ost, TInputStream& Ist) {
  AVCodecParameters* in = Ist.St->codecpar;
  AVCodecParameters* out = Ost.St->codecpar;
  AVFormatContext* oc = FOutputFiles[static_cast<size_t>(Ost.FileIndex)].Ctx.get();
  const unsigned wantedTag = Ost.Enc->codec_tag;
  if (avcodec_parameters_copy(out, in) < 0) throw Exception("no memory");
  out->codec_tag = wantedTag;
  if (wantedTag == 0) {
    const AVCodecTag* const* tags = oc->oformat->codec_tag;
    if (!tags || av_codec_get_id(tags, in->codec_tag) == in->codec_id ||
        !av_codec_get_tag(tags, in->codec_id))
      out->codec_tag = in->codec_tag;
  }
  // Time base: the frame duration when it is coarser than a fine stream time base.
  const AVRational frameTb = Ist.St->r_frame_rate.num ? av_inv_q(Ist.St->r_frame_rate) : AVRational{0, 1};
  if (in->codec_type == AVMEDIA_TYPE_VIDEO && frameTb.num && av_q2d(frameTb) > av_q2d(Ist.St->time_base) &&
      av_q2d(Ist.St->time_base) < kMilli)
    Ost.St->time_base = frameTb;
  else
    Ost.St->time_base = Ist.St->time_base;
  Ost.Enc->time_base = Ist.St->time_base;  // the unit of its output position
  switch (in->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      if (FOptions.AudioOptions().AudioVolume() != kNormalVolume)
        throw Exception("-acodec copy and -vol are incompatible (frames are not decoded)");
      if ((in->codec_id == AV_CODEC_ID_MP3 && out->block_align == 1) || in->codec_id == AV_CODEC_ID_AC3)
        out->block_align = 0;
      break;
    case AVMEDIA_TYPE_VIDEO:
      // The display matrix and the stream's other side data go along.
      for (int i = 0; i < Ist.St->nb_side_data; ++i) {
        const AVPacketSideData& sd = Ist.St->side_data[i];
        uint8_t* copy = av_stream_new_side_data(Ost.St, sd.type, sd.size);
        if (!copy) throw Exception("no memory");
        memcpy(copy, sd.data, sd.size);
      }
      out->sample_aspect_ratio = Ost.St->sample_aspect_ratio.num ? Ost.St->sample_aspect_ratio
                                                                 : in->sample_aspect_ratio;
      Ost.St->sample_aspect_ratio = out->sample_aspect_ratio;
      Ost.St->avg_frame_rate = Ist.St->avg_frame_rate;
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      break;
    default:
      throw Exception("unknown codec type");
  }
}

void TConvertJob::PrepareVideoEncode(TOutputStream& Ost, TInputStream& Ist) {
  AVCodecContext* enc = Ost.Enc.get();
  const AVCodecContext* dec = Ist.Dec.get();
  const TVideoOptions& video = FOptions.VideoOptions();
  // A source the library could not read a picture format or size from can't
  // be decoded either (and the scaler aborts the process on such input).
  if (enc->pix_fmt == AV_PIX_FMT_NONE || dec->pix_fmt == AV_PIX_FMT_NONE || dec->width <= 0 || dec->height <= 0)
    throw Exception("Video pixel format is unknown, stream can not be decoded");
  Ost.Crop = video.FrameLeftBand() || video.FrameRightBand() || video.FrameTopBand() || video.FrameBottomBand();
  if (Ost.Crop) {
    Ost.LeftBand = video.FrameLeftBand();
    Ost.RightBand = video.FrameRightBand();
    Ost.TopBand = video.FrameTopBand();
    Ost.BottomBand = video.FrameBottomBand();
  }
  // Pictures are turned upright first; the bands and sizes are the upright picture's.
  Ost.Transposed = Ist.Upright.Transposed();
  const int uprightW = Ost.Transposed ? dec->height : dec->width;
  const int uprightH = Ost.Transposed ? dec->width : dec->height;
  const int srcW = uprightW - video.FrameLeftBand() - video.FrameRightBand();
  const int srcH = uprightH - video.FrameTopBand() - video.FrameBottomBand();
  Ost.Scale = srcW != enc->width || srcH != enc->height || dec->pix_fmt != enc->pix_fmt;
  if (Ost.Scale) {
    FOptions.SetSwsFlags(FContexts.SwsFlags());
    if (srcW <= 0 || srcH <= 0 || enc->width <= 0 || enc->height <= 0 || !sws_isSupportedInput(dec->pix_fmt) ||
        !sws_isSupportedOutput(enc->pix_fmt))
      throw Exception("Cannot get resampling context");
    Ost.Sws.reset(sws_getContext(srcW, srcH, dec->pix_fmt, enc->width, enc->height, enc->pix_fmt,
                                 FOptions.SwsFlags(), nullptr, nullptr, nullptr));
    if (!Ost.Sws) throw Exception("Cannot get resampling context");
    enc->bits_per_raw_sample = 0;
  }
  Ost.ExpectedWidth = srcW;
  Ost.ExpectedHeight = srcH;
  Ost.ExpectedPixFmt = dec->pix_fmt;
  Ist.DecodingNeeded = true;
  Ost.EncodingNeeded = true;

  TVideoGraphInput in{};
  in.Width = dec->width;
  in.Height = dec->height;
  in.PixFmt = dec->pix_fmt;
  in.TimeBase = Ist.St->time_base;  // pictures keep their exact timestamps
  in.SampleAspect = dec->sample_aspect_ratio;
  in.FrameRate = Ist.St->r_frame_rate;
  TVideoGraphOutput out{};
  out.Crop = Ost.Crop;
  out.LeftBand = Ost.LeftBand;
  out.TopBand = Ost.TopBand;
  out.RightBand = Ost.RightBand;
  out.BottomBand = Ost.BottomBand;
  out.Width = enc->width;
  out.Height = enc->height;
  out.BoxWidth = Ost.BoxWidth;
  out.BoxHeight = Ost.BoxHeight;
  out.PixFmt = enc->pix_fmt;
  out.SwsFlags = FContexts.SwsFlags();
  out.Deinterlace = video.Deinterlace();
  out.Upright = Ist.Upright.Filters();
  out.Transposed = Ost.Transposed;
  // The output is upright: no rotation tag is carried over.
  av_dict_set(&Ost.St->metadata, "rotate", nullptr, 0);
  Ost.Graph = std::make_unique<TVideoFilterGraph>();
  Ost.Graph->SetLogOwner(&FConverter);
  Ost.Graph->SetThreadCount(FOptions.ThreadCount());
  if (!Ost.Graph->Build(in, out, FOptions.FilterOptions().VideoFilters()))
    throw Exception("Error opening filters!");
  enc->width = Ost.Graph->OutputWidth();
  enc->height = Ost.Graph->OutputHeight();
  Ost.GraphTimeBase = Ost.Graph->OutputTimeBase();
  // With more than one thread allowed, pictures are filtered beside decoding
  // and encoding (one job thread more), unless the encoder keeps threads of
  // its own busy between its calls (x264, x265, SVT-AV1, libvpx): there the
  // stage only adds wake-ups (measured 3 % slower at 640x480).
  const bool ownThreads = Ost.Encoder && (Ost.Encoder->capabilities & AV_CODEC_CAP_OTHER_THREADS);
  if (FOptions.ThreadCount() > 1 && !ownThreads && !Ost.Graph->HasSynthStep()) {
    try {
      Ost.Stage = std::make_unique<TVideoFilterStage>(*Ost.Graph, &FConverter);
    } catch (const std::system_error&) {
      // No thread to be had (the user's limit): the worker filters, as with one thread.
    }
  }
}

namespace {

constexpr const char* kX265 = "libx265";
constexpr const char* kX265Params = "x265-params";

// Adds the pass and its statistics file to the encoder's x265-params.
void AddX265Pass(AVCodecContext* Enc, int Pass, const std::string& Stats) {
  AVDictionary* params = nullptr;
  av_opt_get_dict_val(Enc->priv_data, kX265Params, 0, &params);
  av_dict_set(&params, "pass", std::to_string(Pass).c_str(), 0);
  av_dict_set(&params, "stats", Stats.c_str(), 0);
  av_opt_set_dict_val(Enc->priv_data, kX265Params, params, 0);
  av_dict_free(&params);
}

}  // namespace

std::string TConvertJob::PassLogName(int Position) const {
  const std::string& folder = FConverter.FPassLogFolder;
  return (folder.empty() ? "" : folder + "/") + Format(kPassLogPattern, Position);
}

void TConvertJob::PrepareTwoPass(TOutputStream& Ost, int Position) {
  AVCodecContext* enc = Ost.Enc.get();
  if (!(enc->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2))) return;
  const std::string name = PassLogName(Position);
  // Encoders that keep their own statistics file (libx264) are pointed at ours;
  // libx265 takes the pass and the file only among its own parameters.
  av_opt_set(enc, "stats", name.c_str(), AV_OPT_SEARCH_CHILDREN);
  if (strcmp(Ost.Encoder->name, kX265) == 0) AddX265Pass(enc, enc->flags & AV_CODEC_FLAG_PASS1 ? 1 : 2, name);
  if (enc->flags & AV_CODEC_FLAG_PASS1) {
    Ost.LogFile.reset(fopen(name.c_str(), "wb"));
    if (!Ost.LogFile) throw Exception(Format("Cannot open file \"%s\". %s", name.c_str(), strerror(errno)));
    return;
  }
  const std::optional<std::string> read = ReadFileText(name);
  if (!read) throw Exception(Format("Cannot open file \"%s\". %s", name.c_str(), strerror(errno)));
  const std::string& stats = *read;
  char* buffer = static_cast<char*>(av_malloc(stats.size() + 1));
  if (!buffer) throw Exception("Could not allocate log buffer");
  memcpy(buffer, stats.data(), stats.size());
  buffer[stats.size()] = '\0';
  enc->stats_in = buffer;
}

void TConvertJob::PrepareSubtitleEncode(TOutputStream& Ost, TInputStream& Ist) {
  // Text subtitle encoders take their style header from the decoder, which
  // makes it when it opens; so this decoder opens ahead of the others.
  OpenDecoder(Ist);
  AVCodecContext* enc = Ost.Enc.get();
  const AVCodecContext* dec = Ist.Dec.get();
  if (dec->subtitle_header && dec->subtitle_header_size > 0) {
    enc->subtitle_header = static_cast<uint8_t*>(av_mallocz(static_cast<size_t>(dec->subtitle_header_size) + 1));
    if (!enc->subtitle_header) throw Exception("no memory");
    memcpy(enc->subtitle_header, dec->subtitle_header, static_cast<size_t>(dec->subtitle_header_size));
    enc->subtitle_header_size = dec->subtitle_header_size;
  }
  enc->time_base = AV_TIME_BASE_Q;
  enc->width = dec->width;
  enc->height = dec->height;
}

void TConvertJob::PrepareStream(TOutputStream& Ost) {
  TInputStream& ist = FInputStreams[static_cast<size_t>(Ost.SourceIndex)];
  av_dict_copy(&Ost.St->metadata, ist.St->metadata, AV_DICT_DONT_OVERWRITE);
  Ost.St->disposition = ist.St->disposition;
  if (Ost.Cover) {
    PrepareCover(Ost, ist);
    return;
  }
  if (Ost.StreamCopy) {
    PrepareCopy(Ost, ist);
    return;
  }
  AVCodecContext* enc = Ost.Enc.get();
  enc->bits_per_raw_sample = ist.Dec->bits_per_raw_sample;
  enc->chroma_sample_location = ist.Dec->chroma_sample_location;
  switch (enc->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      Ost.Fifo.reset(av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, kFifoSamples));
      if (!Ost.Fifo) throw Exception("no memory");
      Ost.Resample = enc->sample_rate != ist.Dec->sample_rate || FOptions.AudioOptions().AudioSyncMethod() > 1;
      ist.DecodingNeeded = true;
      Ost.EncodingNeeded = true;
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      ist.DecodingNeeded = true;
      Ost.EncodingNeeded = true;
      PrepareSubtitleEncode(Ost, ist);
      break;
    case AVMEDIA_TYPE_VIDEO:
      PrepareVideoEncode(Ost, ist);
      break;
    default:
      throw Exception("unknown codec type");
  }
}

void TConvertJob::OpenEncoders() {
  for (size_t n = 0; n < FOutputStreams.size(); ++n) {
    TOutputStream& ost = *FOutputStreams[n];
    if (!ost.EncodingNeeded) continue;
    if (!ost.Encoder) throw Exception("Unsupported codec for output stream ");
    PrepareTwoPass(ost, static_cast<int>(n));
    AVCodecContext* enc = ost.Enc.get();
    if (enc->rc_max_rate > 0 && enc->bit_rate > enc->rc_max_rate) {
      // Encoders refuse a bit rate above the maximum; one profile asks for that.
      av_log(enc, AV_LOG_WARNING, "Bit rate %" PRId64 " is above the maximum %" PRId64 "; using the maximum\n",
             enc->bit_rate, enc->rc_max_rate);
      enc->bit_rate = enc->rc_max_rate;
    }
    enc->opaque = &FConverter;  // routes its log lines, also from its threads
    int ret;
    {
      std::lock_guard<std::mutex> g(CodecLock());
      ret = avcodec_open2(enc, ost.Encoder, nullptr);
    }
    if (ret < 0)
      throw Exception(
          "Error while opening codec for output stream - maybe incorrect parameters such as bit_rate, "
          "rate, width or height");
    avcodec_parameters_from_context(ost.St->codecpar, enc);
    ost.St->time_base = enc->time_base;
    // AVI plays sound from its first byte on, whatever the timestamps say: beside
    // a picture the encoder's delay is taken from the sound itself, and sound
    // that starts late is given silence before it, so it stays with the picture.
    // Sound alone starts at once, and keeps all of itself (an MP3's header
    // tells players to skip the delay).
    const AVFormatContext* oc = FOutputFiles[static_cast<size_t>(ost.FileIndex)].Ctx.get();
    if (enc->codec_type == AVMEDIA_TYPE_AUDIO &&
        ((oc->oformat->flags & AVFMT_NOTIMESTAMPS) || strcmp(oc->oformat->name, "avi") == 0) &&
        HasOwnStream(oc, AVMEDIA_TYPE_VIDEO)) {
      ost.PrimingLeft = enc->initial_padding;
      ost.LateSoundPadded = false;
    }
    if (enc->codec_type == AVMEDIA_TYPE_VIDEO) ost.St->avg_frame_rate = enc->framerate;
  }
}

void TConvertJob::OpenDecoder(TInputStream& Ist) {
  if (avcodec_is_open(Ist.Dec.get())) return;
  if (!Ist.Decoder) throw Exception("Unsupported codec for input stream ");
  int ret;
  {
    std::lock_guard<std::mutex> g(CodecLock());
    ret = avcodec_open2(Ist.Dec.get(), Ist.Decoder, nullptr);
  }
  if (ret < 0) throw Exception("Error while opening codec for input stream ");
}

void TConvertJob::OpenDecoders() {
  for (auto& ist : FInputStreams)
    if (ist.DecodingNeeded) OpenDecoder(ist);
}

void TConvertJob::InitBitstreamFilters() {
  for (auto& p : FOutputStreams) {
    TOutputStream& ost = *p;
    if (ost.BitstreamFilters.empty()) continue;
    AVBSFList* list = av_bsf_list_alloc();
    for (const auto& name : ost.BitstreamFilters) av_bsf_list_append2(list, name.c_str(), nullptr);
    AVBSFContext* bsf = nullptr;
    int ret = av_bsf_list_finalize(&list, &bsf);
    av_bsf_list_free(&list);
    if (ret < 0) continue;
    ost.Bsf.reset(bsf);
    avcodec_parameters_copy(bsf->par_in, ost.St->codecpar);
    bsf->time_base_in = ost.St->time_base;
    if (av_bsf_init(bsf) < 0) {
      ost.Bsf.reset();
      continue;
    }
    avcodec_parameters_copy(ost.St->codecpar, bsf->par_out);
  }
}

void TConvertJob::CopyChapters(int InputIndex, int OutputIndex) {
  AVFormatContext* ic = FInputFiles[static_cast<size_t>(InputIndex)].Ctx.get();
  AVFormatContext* oc = FOutputFiles[static_cast<size_t>(OutputIndex)].Ctx.get();
  // Chapters move with the output's real beginning and are cut at its end.
  const TInputFile& file = FInputFiles[static_cast<size_t>(InputIndex)];
  const bool noLimit = file.TrimEnd == INT64_MAX;
  for (unsigned i = 0; i < ic->nb_chapters; ++i) {
    const AVChapter* in = ic->chapters[i];
    const int64_t offset = av_rescale_q(FConverter.TempStartTime - file.TsOffset, AV_TIME_BASE_Q, in->time_base);
    const int64_t limit = noLimit ? INT64_MAX : av_rescale_q(file.TrimEnd, AV_TIME_BASE_Q, in->time_base);
    if (in->end - offset <= 0) continue;
    if (!noLimit && in->start - offset >= limit) break;
    AVChapter* out = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
    if (!out) throw Exception("Copy chapters failed");
    out->id = in->id;
    out->time_base = in->time_base;
    out->start = std::max<int64_t>(0, in->start - offset);
    out->end = noLimit ? in->end - offset : std::min(limit, in->end - offset);
    av_dict_copy(&out->metadata, in->metadata, 0);
    if (av_dynarray_add_nofree(&oc->chapters, reinterpret_cast<int*>(&oc->nb_chapters), out) < 0) {
      av_dict_free(&out->metadata);
      av_free(out);
      throw Exception("Copy chapters failed");
    }
  }
}

void TConvertJob::WriteHeaders() {
  for (auto& f : FOutputFiles) {
    const int ret = avformat_write_header(f.Ctx.get(), nullptr);
    if (ret < 0) {
      LogWriteError(f.FileName, ret);
      throw Exception("Could not write header for output file  (incorrect codec parameters ?)");
    }
    f.HeaderWritten = true;
  }
}

void TConvertJob::Transcode() {
  // The used time of a job in passes counts from its first pass.
  const bool laterPass = FConverter.FPassNumber.load() > 1;
  if (!laterPass) {
    FConverter.FTimerStart.store(0);
    FConverter.FLastTime.store(0);
  }
  FConverter.FState.store(csRunning);
  BuildStreamTables();
  MapStreams();
  for (auto& ost : FOutputStreams) PrepareStream(*ost);
  CheckStop();
  OpenEncoders();
  OpenDecoders();
  InitBitstreamFilters();
  for (auto& ist : FInputStreams) {
    const AVRational rate = ist.St->avg_frame_rate;
    ist.Pts = rate.num ? -std::llround(ist.St->codecpar->video_delay * 1000000.0 / av_q2d(rate)) : 0;
    ist.NextPts = AV_NOPTS_VALUE;
    ist.IsStart = true;
  }
  FGraphShift = FOptions.CopyTS() ? 0 : FStartTime;
  FindCopyOrigins();
  for (size_t i = 0; i < FInputFiles.size(); ++i)
    if (FInputFiles[i].Ctx->nb_chapters)
      for (size_t o = 0; o < FOutputFiles.size(); ++o) CopyChapters(static_cast<int>(i), static_cast<int>(o));
  CheckStop();
  WriteHeaders();
  FInSetup.store(false);
  if (!laterPass) FConverter.FTimerStart.store(av_gettime());
  try {
    RunLoop();
  } catch (...) {
    CloseAfterFailure();
    throw;
  }
}
