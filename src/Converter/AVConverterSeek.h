#pragma once
// The start-time seek of an input (worker thread of the job, at setup).
#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
}

// Seeks Ctx so that the first key frame of its video read afterwards is shown
// at or before Target (AV_TIME_BASE units on the file's own clock). Demuxers
// without an index (MPEG-TS, MPEG-PS) land on the packet before Target, which
// is seldom a key frame: the decoder then starts at the key frame after it and
// the pictures between are lost. Such a seek steps back, further each time,
// until it lands before a key frame. False when no seek could be made.
bool SeekBeforeKeyFrame(AVFormatContext* Ctx, int64_t Target);

// Where an output that starts at Start (AV_TIME_BASE units on the file's
// clock) begins so that sound and picture stay together: the time of the
// picture on screen at Start, which opens the output, when Ctx's video keeps
// a constant rate (else Start). Cutting the sound at Start instead put it
// ahead of the picture by up to a frame.
int64_t PictureAlignedStart(const AVFormatContext* Ctx, int64_t Start);
