#pragma once
// Decoding towards a time (a preview position, a trim's start): pictures
// that end well before it are decoded only for the pictures that refer to
// them, so those that nothing refers to may be left out. Any thread.
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
}

// Sets Decoder, before Packet is sent to it, to leave out Packet's picture
// when nothing refers to it and it ends at least two picture durations before
// Time (µs, on the time line of Packet's timestamps in TimeBase): the picture
// just before Time may be the one on screen at it. Packets without a
// timestamp or a duration are always decoded.
void SkipUnreferencedBefore(AVCodecContext* Decoder, const AVPacket& Packet, AVRational TimeBase, int64_t Time);
