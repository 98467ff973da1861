#pragma once
// Fitting a conversion into a size: the bit rates that fill it, the floor
// below which no picture is worth showing, and the correction after a pass
// that came out too large. Pure arithmetic; any thread.
#include <cstdint>
#include <optional>
#include <string>

#include <vector>

#include "Common/SizeText.h"

// What the plan needs to know of a job, once its inputs and outputs are set up.
struct TSizeRequest {
  int64_t TargetBytes = 0;
  double Seconds = 0;               // the span written: trimmed, or the whole source
  bool Video = false;               // a re-encoded video stream
  int Width = 0, Height = 0;        // of the output pictures
  double FrameRate = 0;
  std::vector<int64_t> AudioRates;  // bits/s of each re-encoded audio stream
  int64_t FixedRate = 0;            // bits/s of streams copied unchanged
  std::string AudioEncoder;         // encoder name of the audio streams
  std::string Format;               // the output container's short name
};

// A size larger than the picture could ever need gives it no more than this
// (bits/s; encoders take rates in kbit/s as 32-bit numbers): the file stays
// below the size without filling it.
constexpr int64_t kLargestVideoRate = 400000000;

struct TSizePlan {
  int64_t VideoRate = 0;               // bits/s (0 without video)
  std::vector<int64_t> AudioRates;     // bits/s, one per audio stream
  int64_t OverheadBytes = 0;           // the container's estimated share
};

// The rates for Request; an Exception naming the smallest size that can work
// when the video (or, without video, the audio) would fall below its floor.
TSizePlan PlanTargetSize(const TSizeRequest& Request);

// The video rate for a pass that must end below Target after one of Rate
// gave a file of Actual bytes: scaled by the overshoot of the part the video
// controls, less a further margin.
int64_t CorrectedRate(int64_t Rate, int64_t OtherBytes, int64_t Target, int64_t Actual);

// Bits the video of a first pass's statistics (the library's own MPEG
// encoders) needs at least, at the coarsest quantiser Qmax: the second pass
// of those encoders fails on a rate below that.
double LeastBitsAtQuantiser(const std::string& Stats, int Qmax);

// The size a job needs for VideoBits of video besides OtherBytes (sound,
// copies, container), with the plan's margin.
int64_t SizeForVideoBits(double VideoBits, int64_t OtherBytes);

// The refusal of a size below Smallest.
std::string TooSmallMessage(int64_t Target, int64_t Smallest);

// The lowest video rate that still shows a picture at this size and rate.
int64_t VideoFloor(int Width, int Height, double FrameRate);
