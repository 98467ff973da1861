#include "Converter/AVConverterDeliveryRules.h"

#include "Converter/AVConverterTargetRules.h"

#include <array>
#include <cmath>
#include <cstring>

#include <string>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace {

constexpr std::array<AVCodecID, 7> kDeliveryCodecs{AV_CODEC_ID_H264,       AV_CODEC_ID_HEVC,      AV_CODEC_ID_AV1,
                                                   AV_CODEC_ID_VP9,        AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MPEG2VIDEO,
                                                   AV_CODEC_ID_MPEG4};
// Encoders that refuse a 4:2:0 picture of odd width or height.
constexpr std::array<AVCodecID, 3> kWholeChromaCodecs{AV_CODEC_ID_H264, AV_CODEC_ID_HEVC, AV_CODEC_ID_AV1};
constexpr int kDeliveryDepth = 8;

// H.264 levels (level_idc: 41 is 4.1), lowest first, with their limits on
// macroblocks per picture and per second.
struct TH264Level {
  int Idc;
  int64_t PictureMbs, MbsPerSecond;
};
constexpr std::array<TH264Level, 16> kH264Levels{{{10, 99, 1485},        {11, 396, 3000},      {12, 396, 6000},
                                                  {13, 396, 11880},      {20, 396, 11880},     {21, 792, 19800},
                                                  {22, 1620, 20250},     {30, 1620, 40500},    {31, 3600, 108000},
                                                  {32, 5120, 216000},    {40, 8192, 245760},   {41, 8192, 245760},
                                                  {42, 8704, 522240},    {50, 22080, 589824},  {51, 36864, 983040},
                                                  {52, 36864, 2073600}}};
constexpr int kMacroblock = 16;

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

namespace {

// x264's reading of a level text: "4.1" and "41" are 4.1, "4" is 4.0.
int X264LevelIdc(const char* Text) {
  int whole = 0, tenths = 0;
  bool point = false, digits = false;
  for (const char* c = Text; *c; ++c) {
    if (*c == '.' && !point) {
      point = true;
    } else if (*c >= '0' && *c <= '9') {
      digits = true;
      if (point) tenths = tenths == 0 ? *c - '0' : tenths;
      else whole = whole * 10 + (*c - '0');
    } else {
      return 0;  // "1b" and the like: left as asked
    }
  }
  if (!digits) return 0;
  return point || whole < 10 ? whole * 10 + tenths : whole;
}

// The lowest level at or above Asked that holds Enc's picture size and rate;
// FF_LEVEL_UNKNOWN beyond every level.
int LevelHolding(const AVCodecContext* Enc, int Asked) {
  const int64_t mbs = static_cast<int64_t>((Enc->width + kMacroblock - 1) / kMacroblock) *
                      ((Enc->height + kMacroblock - 1) / kMacroblock);
  const double perSecond = static_cast<double>(mbs) * av_q2d(Enc->framerate);
  for (const TH264Level& l : kH264Levels)
    if (l.Idc >= Asked && mbs <= l.PictureMbs && perSecond <= static_cast<double>(l.MbsPerSecond)) return l.Idc;
  return FF_LEVEL_UNKNOWN;
}

}  // namespace

std::optional<std::pair<int, int>> FitH264Level(AVCodecContext* Enc) {
  if (Enc->codec_id != AV_CODEC_ID_H264 || Enc->framerate.num <= 0 || Enc->framerate.den <= 0) return std::nullopt;
  // x264 takes the level as its own option text; other encoders as the context's number.
  uint8_t* text = nullptr;
  const bool privateLevel = Enc->priv_data && av_opt_get(Enc->priv_data, "level", 0, &text) >= 0;
  const int asked = privateLevel ? (text ? X264LevelIdc(reinterpret_cast<const char*>(text)) : 0) : Enc->level;
  av_free(text);
  if (asked <= 0) return std::nullopt;
  const int holding = LevelHolding(Enc, asked);
  if (holding == asked) return std::nullopt;
  if (privateLevel) {
    const std::string written = holding > 0 ? std::to_string(holding / 10) + "." + std::to_string(holding % 10) : "";
    av_opt_set(Enc->priv_data, "level", holding > 0 ? written.c_str() : nullptr, 0);
  } else {
    Enc->level = holding;
  }
  return std::make_pair(asked, holding);
}
