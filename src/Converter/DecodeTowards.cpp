#include "Converter/DecodeTowards.h"

extern "C" {
#include <libavutil/mathematics.h>
}

namespace {
constexpr int kMarginPictures = 2;
}  // namespace

void SkipUnreferencedBefore(AVCodecContext* Decoder, const AVPacket& Packet, AVRational TimeBase, int64_t Time) {
  const bool wellBefore =
      Packet.pts != AV_NOPTS_VALUE && Packet.duration > 0 &&
      av_rescale_q(Packet.pts + kMarginPictures * Packet.duration, TimeBase, AV_TIME_BASE_Q) <= Time;
  Decoder->skip_frame = wellBefore ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}
