// A size-limited job's rates: planned from what the first pass's setup
// found, then set on the encoders of every pass before they open.
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterJob.h"

namespace {

constexpr double kKilo = 1000.0;
constexpr double kBitsPerByte = 8.0;

// The library's own MPEG encoders: their rate control reads and writes
// statistics lines, and refuses a second pass it cannot fit (the quantiser
// runs out at 31).
constexpr const char* kMpegEncoders[] = {"mpeg4", "msmpeg4", "msmpeg4v2", "wmv1", "wmv2",     "h263",
                                         "h263p", "flv",     "rv10",      "rv20", "mpeg1video", "mpeg2video"};
constexpr int kMpegCoarsestQuantiser = 31;
// Other encoders whose second pass reads what the first one measured.
constexpr const char* kTwoPassEncoders[] = {"libx264", "libxvid", "libx265", "libvpx", "libvpx-vp9"};
// Quality settings that would override a bit rate.
constexpr const char* kQualityOptions[] = {"crf", "qp"};

template <size_t N>
bool Named(const AVCodec* Codec, const char* const (&Names)[N]) {
  if (!Codec) return false;
  for (const char* name : Names)
    if (strcmp(Codec->name, name) == 0) return true;
  return false;
}

bool KeepsStatistics(const AVCodec* Codec) { return Named(Codec, kMpegEncoders) || Named(Codec, kTwoPassEncoders); }

// Bits per second of uncompressed sound (PCM): no rate to choose.
int64_t FixedAudioRate(const AVCodecContext* Enc) {
  const int bits = av_get_bits_per_sample(Enc->codec_id);
  return bits > 0 ? static_cast<int64_t>(bits) * Enc->sample_rate * Enc->ch_layout.nb_channels : 0;
}

// Back to the encoder's own default: the profile's quality mode is off.
void ClearQuality(AVCodecContext* Enc) {
  Enc->flags &= ~AV_CODEC_FLAG_QSCALE;
  Enc->global_quality = 0;
  if (!Enc->priv_data) return;
  for (const char* name : kQualityOptions) {
    const AVOption* o = av_opt_find(Enc->priv_data, name, nullptr, 0, 0);
    if (!o) continue;
    if (o->type == AV_OPT_TYPE_INT || o->type == AV_OPT_TYPE_INT64) av_opt_set_int(Enc->priv_data, name, o->default_val.i64, 0);
    else if (o->type == AV_OPT_TYPE_FLOAT || o->type == AV_OPT_TYPE_DOUBLE)
      av_opt_set_double(Enc->priv_data, name, o->default_val.dbl, 0);
  }
}

bool Reencoded(const TOutputStream& Ost, AVMediaType Type) {
  return Ost.Enc && Ost.Enc->codec_type == Type && !Ost.StreamCopy && !Ost.Cover;
}

}  // namespace

int64_t TConvertJob::SourceRate(AVMediaType Type) const {
  // Streams are mapped later; the first of the type is what a copy takes.
  for (const TInputFile& file : FInputFiles)
    for (unsigned i = 0; i < file.Ctx->nb_streams; ++i) {
      const AVStream* st = file.Ctx->streams[i];
      if (st->codecpar->codec_type == Type && !IsAttachedPicture(st)) return st->codecpar->bit_rate;
    }
  return 0;
}

int TConvertJob::PositionOf(const TOutputStream& Ost) const {
  for (size_t n = 0; n < FOutputStreams.size(); ++n)
    if (FOutputStreams[n].get() == &Ost) return static_cast<int>(n);
  return -1;
}

TSizeRequest TConvertJob::SizeRequest(const std::vector<TOutputStream*>& Video,
                                      const std::vector<TOutputStream*>& Audio) const {
  TSizeRequest r;
  r.TargetBytes = FOptions.TargetSize();
  r.Seconds = FConverter.SpanSeconds();
  r.Format = FOutputFiles.front().Ctx->oformat->name;
  if (!Video.empty()) {
    const AVCodecContext* enc = Video.front()->Enc.get();
    r.Video = true;
    r.Width = enc->width;
    r.Height = enc->height;
    r.FrameRate = enc->framerate.den > 0 ? av_q2d(enc->framerate) : 0;
  }
  for (const TOutputStream* ost : Audio) r.AudioRates.push_back(ost->Enc->bit_rate);
  if (!Audio.empty() && Audio.front()->Encoder) r.AudioEncoder = Audio.front()->Encoder->name;
  for (const auto& ost : FOutputStreams) {
    if (ost->StreamCopy && ost->Enc) r.FixedRate += SourceRate(ost->Enc->codec_type);
    else if (Reencoded(*ost, AVMEDIA_TYPE_AUDIO)) r.FixedRate += FixedAudioRate(ost->Enc.get());
  }
  return r;
}

void TConvertJob::FitToSize(TSizeFit& Fit) {
  if (FOutputStreams.empty()) throw Exception("A target size needs an output stream");
  std::vector<TOutputStream*> video, audio;
  for (auto& ost : FOutputStreams) {
    if (Reencoded(*ost, AVMEDIA_TYPE_VIDEO)) video.push_back(ost.get());
    else if (Reencoded(*ost, AVMEDIA_TYPE_AUDIO) && FixedAudioRate(ost->Enc.get()) == 0) audio.push_back(ost.get());
    else if (ost->StreamCopy && ost->Enc && ost->Enc->codec_type == AVMEDIA_TYPE_VIDEO && !ost->Cover)
      throw Exception("A target size needs the video to be re-encoded, not copied");
  }
  if (!Fit.Plan) {
    const TSizeRequest r = SizeRequest(video, audio);
    if (video.empty() && audio.empty()) throw Exception("A target size needs a re-encoded stream");
    Fit.Plan = PlanTargetSize(r);
    Fit.TwoPass = !video.empty() && KeepsStatistics(video.front()->Encoder);
    int64_t audioRate = 0;
    for (int64_t rate : Fit.Plan->AudioRates) audioRate += rate;
    Fit.OtherBytes = static_cast<int64_t>(static_cast<double>(audioRate + r.FixedRate) * r.Seconds / kBitsPerByte) +
                     Fit.Plan->OverheadBytes;
    FConverter.FPassCount.store(Fit.TwoPass ? 2 : 1);
    av_log(FOutputFiles.front().Ctx.get(), AV_LOG_WARNING,
           "Target size %s for %.2f s: video %.0f kbit/s, other streams %.0f kbit/s, %s\n",
           MegabytesText(r.TargetBytes).c_str(), r.Seconds, static_cast<double>(Fit.Plan->VideoRate) / kKilo,
           static_cast<double>(audioRate + r.FixedRate) / kKilo, Fit.TwoPass ? "two passes" : "one pass");
  }
  for (TOutputStream* ost : video) {
    AVCodecContext* enc = ost->Enc.get();
    ClearQuality(enc);
    if (Named(ost->Encoder, kMpegEncoders)) {
      // The size comes before the profile's quality bounds.
      enc->qmax = kMpegCoarsestQuantiser;
      Fit.Qmax = kMpegCoarsestQuantiser;
      Fit.MpegStats = PassLogName(PositionOf(*ost));
    }
    enc->bit_rate = Fit.Plan->VideoRate;
    enc->flags &= ~(AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2);
    if (Fit.TwoPass) enc->flags |= Fit.Pass == 1 ? AV_CODEC_FLAG_PASS1 : AV_CODEC_FLAG_PASS2;
  }
  for (size_t i = 0; i < audio.size(); ++i) {
    ClearQuality(audio[i]->Enc.get());
    audio[i]->Enc->bit_rate = Fit.Plan->AudioRates[i];
  }
}
