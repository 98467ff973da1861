#include "Converter/AVConverterPrivateOptions.h"

#include "Converter/avlib.h"

extern "C" {
#include <libavutil/opt.h>
}

void* TPrivateOptionCheck::Judge(const std::string& Owner) {
  if (auto it = FEncoders.find(Owner); it != FEncoders.end()) return it->second.get();
  if (auto it = FMuxers.find(Owner); it != FMuxers.end()) return it->second.get();
  if (const AVCodec* encoder = avcodec_find_encoder_by_name(Owner.c_str())) {
    // Allocating sets the private defaults; nothing is opened.
    auto& ctx = FEncoders[Owner];
    ctx.reset(avcodec_alloc_context3(encoder));
    return ctx.get();
  }
  if (const AVOutputFormat* muxer = FindOutputFormatByName(Owner)) {
    AVFormatContext* raw = nullptr;
    avformat_alloc_output_context2(&raw, muxer, nullptr, nullptr);
    auto& ctx = FMuxers[Owner];
    ctx.reset(raw);
    return raw;
  }
  return nullptr;
}

bool TPrivateOptionCheck::Accepts(const TCompatOption& Option) {
  if (Option.Owner.empty()) return true;
  void* judge = Judge(Option.Owner);
  if (!judge) return true;
  const int ret = av_opt_set(judge, Option.Name.c_str(), Option.Value.c_str(), AV_OPT_SEARCH_CHILDREN);
  return ret >= 0 || ret == AVERROR_OPTION_NOT_FOUND;
}
