#pragma once
// What some targets require of their streams whatever the source is, applied
// when the job sets up its outputs (worker thread of the job):
// - a target name with a frame number ("%1d") is an image sequence, also for
//   picture types whose own muxer writes one animated file (GIF);
// - JPEG pictures are full-range YUV, as the encoder requires by default;
// - DV video has the pixel format and frame rate of a DV system of its size;
//   DV audio is 16-bit stereo at 48, 44.1 or 32 kHz (48 kHz only with
//   the 480-line systems).
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// The muxer for Name when Guessed was chosen from its extension.
const AVOutputFormat* ImageSequenceFormat(const AVOutputFormat* Guessed, const std::string& Name);
// The picture codec of an image sequence Name written by Format, Guessed
// being what the library guessed.
AVCodecID ImageSequenceCodec(const AVOutputFormat* Format, const std::string& Name, AVCodecID Guessed);

// Whether the AV_PIX_FMT_NONE-terminated List (may be null) holds F.
bool ListsPixelFormat(const AVPixelFormat* List, AVPixelFormat F);

// A pixel format Codec takes by default for Wanted, or AV_PIX_FMT_NONE when
// the usual choice (Wanted if listed, else the first listed) stands.
AVPixelFormat RequiredPixelFormat(const AVCodec* Codec, AVPixelFormat Wanted, int StrictCompliance);

// Gives a DV video encoder the pixel format and frame rate of a DV system of
// its size: the one of Requested (the pixel format the profile asked for
// before the source's replaced it) when there is one, else of its own pixel
// format, else the first system of that size.
void FitDvVideo(AVCodecContext* Enc, AVPixelFormat Requested);

// Adjusts channels and sample rate of an audio stream of a DV container
// whose pictures are FrameHeight lines high.
void FitDvAudio(const AVOutputFormat* Format, AVCodecContext* Enc, int FrameHeight);

// Settings an image-sequence picture encoder needs (each GIF picture a whole
// file of its own, not a frame of an animation).
void FitPictureEncoder(const AVOutputFormat* Format, AVCodecContext* Enc);
