#pragma once
// "wavcap": an input format that records 16-bit PCM from the default ALSA
// capture device and delivers it as packets with wall-clock timestamps.
// One capture at a time in the process. The converter's worker reads it; an
// ALSA capture thread of ours fills it.
#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
}

constexpr const char* kWavCapFormatName = "wavcap";
constexpr int kWavCapBufferBytes = 4096;

// The input format to hand to avformat_open_input (options "sample_rate", "channels").
const AVInputFormat* WavCapInputFormat();

// Microseconds that Bytes of captured 16-bit samples took to record.
int64_t WavCapBytesDuration(int64_t Bytes, int SampleRate, int Channels);

// Time stamp (microseconds) of a packet of Bytes captured 16-bit samples that
// ends at Now: Now less the time the bytes took to record, but never before
// NotBefore (the end of the packet before), so time stamps never go back.
int64_t WavCapPacketPts(int64_t Now, int64_t Bytes, int SampleRate, int Channels, int64_t NotBefore = INT64_MIN);

// ALSA device name used for capture ("default").
constexpr const char* kWavCapDevice = "default";
