#include "Converter/AVConverterTargetRules.h"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace {

// Muxers that write every picture into one animated file.
constexpr std::array<const char*, 3> kAnimatedPictureMuxers{"gif", "apng", "webp"};

// JPEG's full-range twin of each limited-range YUV format.
constexpr std::array<std::pair<AVPixelFormat, AVPixelFormat>, 3> kFullRange{{
    {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P},
    {AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUVJ422P},
    {AV_PIX_FMT_YUV444P, AV_PIX_FMT_YUVJ444P},
}};

// Pixel formats of the DV systems, in the order a size's system is looked for.
constexpr std::array<AVPixelFormat, 3> kDvPixelFormats{AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV411P, AV_PIX_FMT_YUV422P};
constexpr int kDvChannels = 2;
constexpr int kDvDefaultRate = 48000;
constexpr std::array<int, 3> kDvRates{48000, 44100, 32000};
constexpr int kDv525LineHeight = 480;  // the 525/60 systems, whose muxer takes 48 kHz only

bool IsAnimatedPictureMuxer(const AVOutputFormat* Format) {
  if (!Format) return false;
  for (const char* muxer : kAnimatedPictureMuxers)
    if (std::strcmp(Format->name, muxer) == 0) return true;
  return false;
}

}  // namespace

bool ListsPixelFormat(const AVPixelFormat* List, AVPixelFormat F) {
  for (; List && *List != AV_PIX_FMT_NONE; ++List)
    if (*List == F) return true;
  return false;
}

const AVOutputFormat* ImageSequenceFormat(const AVOutputFormat* Guessed, const std::string& Name) {
  if (av_filename_number_test(Name.c_str()) && IsAnimatedPictureMuxer(Guessed))
    return av_guess_format("image2", nullptr, nullptr);
  return Guessed;
}

AVCodecID ImageSequenceCodec(const AVOutputFormat* Format, const std::string& Name, AVCodecID Guessed) {
  if (!Format || std::strcmp(Format->name, "image2") != 0) return Guessed;
  // The sequence muxer knows no GIF pictures by name; the animated muxer's codec is the picture's.
  const AVOutputFormat* single = av_guess_format(nullptr, Name.c_str(), nullptr);
  return IsAnimatedPictureMuxer(single) ? single->video_codec : Guessed;
}

AVPixelFormat RequiredPixelFormat(const AVCodec* Codec, AVPixelFormat Wanted, int StrictCompliance) {
  // Limited-range YUV in JPEG is unofficial: the encoder refuses it unless told otherwise.
  if (!Codec || Codec->id != AV_CODEC_ID_MJPEG || StrictCompliance <= FF_COMPLIANCE_UNOFFICIAL)
    return AV_PIX_FMT_NONE;
  for (const auto& [limited, full] : kFullRange)
    if (Wanted == limited && ListsPixelFormat(Codec->pix_fmts, full)) return full;
  return AV_PIX_FMT_NONE;
}

void FitDvVideo(AVCodecContext* Enc, AVPixelFormat Requested) {
  if (Enc->codec_id != AV_CODEC_ID_DVVIDEO) return;
  std::vector<AVPixelFormat> candidates{Requested, Enc->pix_fmt};
  candidates.insert(candidates.end(), kDvPixelFormats.begin(), kDvPixelFormats.end());
  const AVDVProfile* system = nullptr;
  for (AVPixelFormat f : candidates)
    if (f != AV_PIX_FMT_NONE && (system = av_dv_codec_profile2(Enc->width, Enc->height, f, Enc->framerate))) break;
  for (size_t i = 0; !system && i < candidates.size(); ++i)
    if (candidates[i] != AV_PIX_FMT_NONE) system = av_dv_codec_profile(Enc->width, Enc->height, candidates[i]);
  if (!system) return;  // no DV at this size: the encoder says so when it is opened
  Enc->pix_fmt = system->pix_fmt;
  Enc->time_base = system->time_base;
  Enc->framerate = av_inv_q(system->time_base);
}

void FitDvAudio(const AVOutputFormat* Format, AVCodecContext* Enc, int FrameHeight) {
  if (!Format || std::strcmp(Format->name, "dv") != 0) return;
  if (Enc->ch_layout.nb_channels != kDvChannels) {
    av_channel_layout_uninit(&Enc->ch_layout);
    av_channel_layout_default(&Enc->ch_layout, kDvChannels);
  }
  if (FrameHeight != kDv525LineHeight)
    for (int rate : kDvRates)
      if (Enc->sample_rate == rate) return;
  Enc->sample_rate = kDvDefaultRate;
  Enc->time_base = AVRational{1, kDvDefaultRate};
}

void FitPictureEncoder(const AVOutputFormat* Format, AVCodecContext* Enc) {
  if (!Format || std::strcmp(Format->name, "image2") != 0 || Enc->codec_id != AV_CODEC_ID_GIF) return;
  av_opt_set(Enc, "gifimage", "1", AV_OPT_SEARCH_CHILDREN);
}
