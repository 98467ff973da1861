#include "Converter/AVConverterOptionContexts.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include "Common/Errors.h"
#include "Common/StringList.h"
#include "Converter/avlib.h"

namespace {

// Type masks of the codec contexts 0..4: video, audio, data, subtitle, attachment.
constexpr int kTypeMask[TOptionContexts::kCodecContexts] = {ofVideo, ofAudio, 0, ofSubtitle, 0};
constexpr int kScalerSide = 16;  // the scaler context is created for 16x16 pixels
constexpr size_t kOptionTextSize = 256;

constexpr size_t kTagLength = 4;

bool ValidVideoStreamSetting(const TCompatOption& O) {
  if (O.Name == "pix_fmt") return av_get_pix_fmt(O.Value.c_str()) != AV_PIX_FMT_NONE;
  return O.Value.size() == kTagLength;  // "vtag": four characters
}

}  // namespace

TOptionContexts::TOptionContexts(int SwsFlags) {
  for (int t = 0; t < kCodecContexts; ++t) {
    FCodec[t].reset(avcodec_alloc_context3(nullptr));
    if (FCodec[t]) FCodec[t]->codec_type = static_cast<AVMediaType>(t);
  }
  FFormat.reset(avformat_alloc_context());
  FSws.reset(sws_alloc_context());
  if (FSws) {
    av_opt_set_int(FSws.get(), "srcw", kScalerSide, 0);
    av_opt_set_int(FSws.get(), "srch", kScalerSide, 0);
    av_opt_set_int(FSws.get(), "dstw", kScalerSide, 0);
    av_opt_set_int(FSws.get(), "dsth", kScalerSide, 0);
    av_opt_set_int(FSws.get(), "sws_flags", SwsFlags, 0);
  }
}

TOptionContexts::~TOptionContexts() = default;

int TOptionContexts::SwsFlags() const {
  int64_t v = 0;
  if (FSws) av_opt_get_int(FSws.get(), "sws_flags", 0, &v);
  return static_cast<int>(v);
}

void TOptionContexts::ApplyLine(const std::string& Line) {
  size_t eq = Line.find('=');
  if (eq == std::string::npos) {
    ApplyOption("", "");
    return;
  }
  ApplyOption(Line.substr(0, eq), Line.substr(eq + 1));
}

int TOptionContexts::ApplyOption(const std::string& Name, const std::string& Value) {
  if (Name.empty()) return -1;
  int result = -1;
  for (const TCompatOption& o : TranslateOption(Name, Value)) {
    // Settings the engine makes itself, and options moved to one encoder or
    // muxer, are judged here; generic options by their contexts below.
    const bool valid =
        o.Scope == TCompatScope::VideoStream ? ValidVideoStreamSetting(o) : FPrivateCheck.Accepts(o);
    if (!valid) {
      ShowErrorMessage("Invalid value for Option!");
      return -1;
    }
    if (o.Scope != TCompatScope::Generic) {
      FPrivate.push_back(o);
      result = 0;
      continue;
    }
    const std::vector<THolder> holders = Holders(o.Name);
    if (holders.empty()) continue;
    int ret = 0;
    for (const THolder& h : holders)
      if ((ret = av_opt_set(h.Context, h.Name, o.Value.c_str(), 0)) < 0) break;
    if (ret < 0) {
      ShowErrorMessage("Invalid value for Option!");
      return -1;
    }
    FOptNames.push_back(holders.back().Option->name);
    result = 0;
  }
  return result;
}

std::vector<TOptionContexts::THolder> TOptionContexts::Holders(const std::string& Name) const {
  std::vector<THolder> holders;
  const char* name = Name.c_str();
  const int restrict = RestrictedTypeMask(Name);
  for (int t = 0; t < kCodecContexts; ++t) {
    const int mask = kTypeMask[t];
    if (restrict && mask != restrict) continue;
    if (const AVOption* opt = av_opt_find(FCodec[t].get(), name, nullptr, mask, 0))
      holders.push_back({FCodec[t].get(), name, opt});
  }
  for (void* context : {static_cast<void*>(FFormat.get()), static_cast<void*>(FSws.get())})
    if (holders.empty() && context)
      if (const AVOption* opt = av_opt_find(context, name, nullptr, 0, 0)) holders.push_back({context, name, opt});
  if (holders.empty() && Name.size() > 1) {
    // "aXXX", "vXXX", "sXXX": the option XXX of the audio, video or subtitle codec.
    int t = -1;
    switch (Name[0]) {
      case 'a': t = AVMEDIA_TYPE_AUDIO; break;
      case 'v': t = AVMEDIA_TYPE_VIDEO; break;
      case 's': t = AVMEDIA_TYPE_SUBTITLE; break;
      default: break;
    }
    if (t >= 0)
      if (const AVOption* opt = av_opt_find(FCodec[t].get(), name + 1, nullptr, 0, 0))
        holders.push_back({FCodec[t].get(), name + 1, opt});
  }
  return holders;
}

bool TOptionContexts::Knows(const std::string& Name, const std::string& Value) const {
  for (const TCompatOption& o : TranslateOption(Name, Value))
    if (o.Scope != TCompatScope::Generic || !Holders(o.Name).empty()) return true;
  return false;
}

bool IsKnownAdvancedOption(const std::string& Name, const std::string& Value) {
  return TOptionContexts(0).Knows(Name, Value);
}

std::string TOptionContexts::VideoStreamSetting(const std::string& Name) const {
  std::string value;
  for (const TCompatOption& o : FPrivate)
    if (o.Scope == TCompatScope::VideoStream && o.Name == Name) value = o.Value;
  return value;
}

template <class Put>
void TOptionContexts::CopyOptions(void* Source, int Flags, Put PutOption) const {
  if (!Source) return;
  for (const std::string& name : FOptNames) {
    const AVOption* opt = av_opt_find(Source, name.c_str(), nullptr, 0, 0);
    if (!opt || (opt->flags & Flags) != Flags) continue;
    uint8_t* text = nullptr;
    if (av_opt_get(Source, name.c_str(), 0, &text) < 0 || !text) continue;
    std::string value(reinterpret_cast<char*>(text));
    av_free(text);
    if (value.size() >= kOptionTextSize) value.resize(kOptionTextSize - 1);
    PutOption(name, value);
  }
  // Private options follow the generic ones; they go to encoders and muxers.
  if (!(Flags & ofEncoding)) return;
  for (const TCompatOption& o : FPrivate) {
    bool wanted = (o.Scope == TCompatScope::VideoEncoder && (Flags & ofVideo)) ||
                  (o.Scope == TCompatScope::Muxer && Source == FFormat.get());
    if (wanted) PutOption(o.Name, o.Value);
  }
}

void TOptionContexts::CopyContextOptions(void* Target, void* Source, int Flags) const {
  CopyOptions(Source, Flags, [Target](const std::string& n, const std::string& v) {
    // Unknown to this particular encoder or muxer: silently not applicable.
    av_opt_set(Target, n.c_str(), v.c_str(), AV_OPT_SEARCH_CHILDREN);
  });
}

void TOptionContexts::CopyContextOptions(AVDictionary** Target, void* Source, int Flags) const {
  CopyOptions(Source, Flags, [Target](const std::string& n, const std::string& v) {
    av_dict_set(Target, n.c_str(), v.c_str(), 0);
  });
}

AVCodecID FindCodecId(const std::string& Name, AVMediaType Type, bool Encoder,
                      const AVCodec** Codec) {
  if (Codec) *Codec = nullptr;
  if (Name.empty()) return AV_CODEC_ID_NONE;
  const AVCodec* c = Encoder ? avcodec_find_encoder_by_name(TranslateEncoderName(Name).c_str())
                             : avcodec_find_decoder_by_name(Name.c_str());
  if (!c) throw Exception("Unknown Codec Name");
  if (c->type != Type) throw Exception("Invalid codec type");
  if (Codec) *Codec = c;
  return c->id;
}
