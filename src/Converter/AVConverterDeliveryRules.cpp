#include "Converter/AVConverterDeliveryRules.h"

#include "Converter/AVConverterTargetRules.h"

#include <array>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace {

constexpr std::array<AVCodecID, 7> kDeliveryCodecs{AV_CODEC_ID_H264,       AV_CODEC_ID_HEVC,      AV_CODEC_ID_AV1,
                                                   AV_CODEC_ID_VP9,        AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MPEG2VIDEO,
                                                   AV_CODEC_ID_MPEG4};
// Encoders that refuse a 4:2:0 picture of odd width or height.
constexpr std::array<AVCodecID, 3> kWholeChromaCodecs{AV_CODEC_ID_H264, AV_CODEC_ID_HEVC, AV_CODEC_ID_AV1};
constexpr int kDeliveryDepth = 8;

constexpr std::array<const char*, 3> kDiscMuxers{"dvd", "svcd", "vcd"};
constexpr std::array<int, 5> kDiscWidths{720, 704, 544, 480, 352};
constexpr std::array<int, 2> kPalHeights{576, 288};
constexpr std::array<int, 2> kNtscHeights{480, 240};
constexpr AVRational kPalRate{25, 1};
constexpr AVRational kNtscRate{30000, 1001};
constexpr AVRational kFilmRate{24000, 1001};

// The display aspects a DVD player shows, and how far a source may be from
// one before it gets bars (the encoder signals the nearest; 2 % is not seen).
constexpr std::array<double, 2> kMpeg2Aspects{4.0 / 3.0, 16.0 / 9.0};
constexpr double kAspectTolerance = 0.02;
constexpr int kMaxAspectTerm = 255;

template <size_t N>
bool Has(const std::array<AVCodecID, N>& Ids, AVCodecID Id) {
  for (AVCodecID i : Ids)
    if (i == Id) return true;
  return false;
}

bool IsPlain420(AVPixelFormat F) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(F);
  return d && !(d->flags & AV_PIX_FMT_FLAG_RGB) && d->log2_chroma_w == 1 && d->log2_chroma_h == 1 &&
         d->comp[0].depth == kDeliveryDepth;
}

int EvenDown(double V) { return std::max(2, static_cast<int>(V) & ~1); }

}  // namespace

AVPixelFormat DeliveryPixelFormat(const AVCodec* Codec, AVPixelFormat Chosen) {
  if (!Codec || !Has(kDeliveryCodecs, Codec->id) || Chosen == AV_PIX_FMT_NONE || IsPlain420(Chosen)) return Chosen;
  return ListsPixelFormat(Codec->pix_fmts, AV_PIX_FMT_YUV420P) ? AV_PIX_FMT_YUV420P : Chosen;
}

void FitSubsampledSize(AVCodecContext* Enc) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(Enc->pix_fmt);
  if (!d || !Has(kWholeChromaCodecs, Enc->codec_id)) return;
  Enc->width &= ~((1 << d->log2_chroma_w) - 1);
  Enc->height &= ~((1 << d->log2_chroma_h) - 1);
}

AVRational DiscFrameRate(const AVOutputFormat* Format, const AVCodecContext* Enc, AVRational Requested) {
  bool disc = false;
  for (const char* muxer : kDiscMuxers) disc = disc || (Format && std::strcmp(Format->name, muxer) == 0);
  if (!disc || (Enc->codec_id != AV_CODEC_ID_MPEG1VIDEO && Enc->codec_id != AV_CODEC_ID_MPEG2VIDEO)) return {0, 0};
  bool discWidth = false;
  for (int w : kDiscWidths) discWidth = discWidth || Enc->width == w;
  if (!discWidth) return {0, 0};
  for (int h : kPalHeights)
    if (Enc->height == h) return kPalRate;
  for (int h : kNtscHeights)
    if (Enc->height == h) return av_cmp_q(Requested, kFilmRate) == 0 ? kFilmRate : kNtscRate;
  return {0, 0};
}

TPictureBox Mpeg2PictureBox(const AVCodecContext* Enc, double SourceAspect) {
  TPictureBox box;
  if (Enc->codec_id != AV_CODEC_ID_MPEG2VIDEO || SourceAspect <= 0 || Enc->width <= 0 || Enc->height <= 0)
    return box;
  double target = kMpeg2Aspects[0];
  for (double a : kMpeg2Aspects)
    if (std::fabs(std::log(SourceAspect / a)) < std::fabs(std::log(SourceAspect / target))) target = a;
  if (std::fabs(SourceAspect / target - 1.0) <= kAspectTolerance) return box;
  // Narrower than the frame's aspect: bars left and right; wider: above and below.
  box.Width = SourceAspect < target ? EvenDown(Enc->width * SourceAspect / target) : Enc->width;
  box.Height = SourceAspect < target ? Enc->height : EvenDown(Enc->height * target / SourceAspect);
  box.SampleAspect = av_d2q(target * Enc->height / Enc->width, kMaxAspectTerm);
  return box;
}
