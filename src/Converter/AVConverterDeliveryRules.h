#pragma once
// What players of the common delivery codecs (H.264, HEVC, AV1, VP9, MPEG-1,
// MPEG-2, MPEG-4) take, whatever the source: applied when the job sets up a
// re-encoded video stream (worker thread of the job). The source's own
// values stand wherever they are playable.
#include <optional>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// 8-bit 4:2:0 when Codec is a delivery codec, Chosen (carried over from the
// source) is richer (10-bit, 4:2:2, 4:4:4) and Codec takes 4:2:0; else Chosen.
AVPixelFormat DeliveryPixelFormat(const AVCodec* Codec, AVPixelFormat Chosen);

// Rounds Enc's size down to whole chroma samples for encoders that refuse
// anything else (x264, x265 and SVT-AV1 with an odd-sized 4:2:0 source).
void FitSubsampledSize(AVCodecContext* Enc);

// The rate of an MPEG-1 or MPEG-2 picture of a disc's frame size in a DVD,
// SVCD or VCD container (Format): its disc system's, by the frame's height
// (576 and 288 lines: 25; 480 and 240: 29.97, or 23.976 when Requested, what
// the profile asked before the source's rate replaced it, says so). Else
// {0, 0}: the source's rate stands.
AVRational DiscFrameRate(const AVOutputFormat* Format, const AVCodecContext* Enc, AVRational Requested);

// MPEG-2 signals only a few display aspects (DVD players: 4:3 and 16:9). For a
// picture of display aspect SourceAspect in Enc's frame, the size the picture
// is scaled to (the rest is black bars) and the frame's sample aspect, so that
// it shows undistorted; Width 0 when no bars are needed.
struct TPictureBox {
  int Width = 0, Height = 0;
  AVRational SampleAspect{0, 1};
};
TPictureBox Mpeg2PictureBox(const AVCodecContext* Enc, double SourceAspect);

// An H.264 level asked for (the profiles' "level=41") that Enc's picture size
// and rate exceed would mark the stream playable where it is not (a 4K
// source at "4.1"): Enc gets the lowest level at or above it that holds them,
// or the encoder's own choice beyond every level (FF_LEVEL_UNKNOWN). The
// level asked and the one set when it changed (levels as level_idc: 41 is 4.1).
std::optional<std::pair<int, int>> FitH264Level(AVCodecContext* Enc);
