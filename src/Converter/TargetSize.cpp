#include "Converter/TargetSize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include "Common/Errors.h"

namespace {

constexpr double kBitsPerByte = 8.0;
// The plan aims this far below the size: two-pass encoders land within about
// 2 % of their rate, and most of the rest is the container's estimate.
constexpr double kAimMargin = 0.03;
// A corrective pass aims this much further below what the overshoot asks for.
constexpr double kCorrectionMargin = 0.03;
// No picture is worth showing below this, whatever its size.
constexpr int64_t kMinVideoRate = 32000;
// Above a small frame the floor grows with the pixels per second: 0.004 bits
// per pixel is about 92 kbit/s at 1280x720 and 25 frames per second.
constexpr double kFloorBitsPerPixel = 0.004;
// Sound keeps the profile's rate until the video would get less than this
// many times its floor; then it gives up to a quarter of the whole rate,
// never going below the audio floor (or its own rate, when that is lower).
constexpr double kSensibleVideoFactor = 4.0;
constexpr double kTightAudioShare = 0.25;
constexpr int64_t kAudioFloor = 32000;
// Encoders that take only the rates of the MPEG and AC-3 tables.
constexpr std::array<const char*, 5> kTableRateEncoders{"libmp3lame", "mp2", "mp2fixed", "ac3", "ac3_fixed"};
constexpr std::array<int64_t, 14> kTableRates{32000,  40000,  48000,  56000,  64000,  80000,  96000,
                                              112000, 128000, 160000, 192000, 224000, 256000, 320000};
// Container share: headers, and per packet what the container adds to it.
constexpr int64_t kHeaderBytes = 4096;
constexpr double kAudioPacketsPerSecond = 47.0;  // 1024 samples at 48 kHz; MP3 and AC-3 send fewer

struct TContainerCost {
  const char* Format;
  double BytesPerPacket;
  double Share;  // of the payload
};
// Measured on the catalogue's containers; the MPEG ones pay for packs and
// transport packets as a share, plus a half-filled last packet per frame;
// raw MP3 and AC-3 files are their frames and nothing else.
constexpr std::array<TContainerCost, 20> kContainerCosts{{
    {"avi", 24, 0},         {"mp4", 10, 0},        {"mov", 10, 0},        {"3gp", 10, 0},
    {"3g2", 10, 0},         {"ipod", 10, 0},       {"psp", 10, 0},        {"matroska", 12, 0.002},
    {"webm", 12, 0.002},    {"flv", 15, 0},        {"asf", 20, 0.03},     {"mpegts", 110, 0.022},
    {"vob", 20, 0.02},      {"dvd", 20, 0.02},     {"svcd", 20, 0.02},    {"vcd", 20, 0.02},
    {"ogg", 2, 0.01},       {"opus", 2, 0.01},     {"mp3", 0, 0},         {"ac3", 0, 0},
}};
constexpr TContainerCost kOtherContainer{"", 16, 0.01};

const TContainerCost& CostOf(const std::string& Format) {
  for (const auto& c : kContainerCosts)
    if (Format == c.Format) return c;
  return kOtherContainer;
}

bool TableRates(const std::string& Encoder) {
  return std::any_of(kTableRateEncoders.begin(), kTableRateEncoders.end(),
                     [&](const char* e) { return Encoder == e; });
}

// The highest rate the encoder takes at or below Rate (the lowest table rate at least).
int64_t EncoderRate(const std::string& Encoder, int64_t Rate) {
  if (!TableRates(Encoder)) return Rate;
  int64_t best = kTableRates.front();
  for (int64_t r : kTableRates)
    if (r <= Rate) best = r;
  return best;
}

int64_t Sum(const std::vector<int64_t>& Rates) { return std::accumulate(Rates.begin(), Rates.end(), int64_t{0}); }

int64_t OverheadBytes(const TSizeRequest& R, int64_t PayloadRate) {
  const TContainerCost& cost = CostOf(R.Format);
  const double packets =
      ((R.Video ? R.FrameRate : 0) + kAudioPacketsPerSecond * static_cast<double>(R.AudioRates.size())) * R.Seconds;
  const double payload = static_cast<double>(PayloadRate) * R.Seconds / kBitsPerByte;
  return kHeaderBytes + static_cast<int64_t>(std::ceil(packets * cost.BytesPerPacket + payload * cost.Share));
}

// Bytes a plan of these rates is expected to take, before the aim margin.
int64_t ExpectedBytes(const TSizeRequest& R, int64_t Rate) {
  const double payload = static_cast<double>(Rate) * R.Seconds / kBitsPerByte;
  return static_cast<int64_t>(std::ceil(payload / (1.0 - kAimMargin))) + OverheadBytes(R, Rate);
}

[[noreturn]] void Refuse(const TSizeRequest& R, int64_t Smallest) {
  throw Exception(TooSmallMessage(R.TargetBytes, Smallest));
}

// One number after Key in an entry of first-pass statistics ("q:236 itex:...").
double StatsField(const std::string& Entry, const char* Key) {
  const size_t at = Entry.find(Key);
  return at == std::string::npos ? 0.0 : std::strtod(Entry.c_str() + at + std::strlen(Key), nullptr);
}

constexpr double kLambdaPerQuantiser = 118.0;  // the library's FF_QP2LAMBDA

}  // namespace

std::string TooSmallMessage(int64_t Target, int64_t Smallest) {
  return Format("The target size %s is too small for this conversion: at least %s is needed",
                MegabytesText(Target).c_str(), MegabytesText(Smallest).c_str());
}

double LeastBitsAtQuantiser(const std::string& Stats, int Qmax) {
  // Texture bits scale with the inverse of the quantiser; motion vectors and
  // headers stay what they were.
  double bits = 0;
  const double coarsest = static_cast<double>(std::max(Qmax, 1)) * kLambdaPerQuantiser;
  for (size_t begin = 0, end; (end = Stats.find(';', begin)) != std::string::npos; begin = end + 1) {
    const std::string entry = Stats.substr(begin, end - begin);
    const double texture = StatsField(entry, " itex:") + StatsField(entry, " ptex:") + 1;
    bits += texture * std::min(StatsField(entry, " q:"), coarsest) / coarsest + StatsField(entry, " mv:") +
            StatsField(entry, " misc:");
  }
  return bits;
}

int64_t SizeForVideoBits(double VideoBits, int64_t OtherBytes) {
  return static_cast<int64_t>(std::ceil(VideoBits / kBitsPerByte / (1.0 - kAimMargin))) + OtherBytes;
}

int64_t VideoFloor(int Width, int Height, double FrameRate) {
  const double rate = static_cast<double>(Width) * Height * std::max(FrameRate, 1.0) * kFloorBitsPerPixel;
  return std::max(kMinVideoRate, static_cast<int64_t>(std::ceil(rate)));
}

TSizePlan PlanTargetSize(const TSizeRequest& R) {
  if (R.Seconds <= 0) throw Exception("A target size needs a source whose duration is known");
  TSizePlan plan;
  plan.AudioRates = R.AudioRates;
  const int64_t audio = Sum(R.AudioRates);
  // Everything but the container's share, in bits per second, less the margin.
  auto rateFor = [&](int64_t Overhead) {
    const double bytes = static_cast<double>(R.TargetBytes - Overhead) * (1.0 - kAimMargin);
    return static_cast<int64_t>(bytes * kBitsPerByte / R.Seconds) - R.FixedRate;
  };
  // The overhead depends a little on the rate: one refinement is enough.
  int64_t available = rateFor(OverheadBytes(R, audio + R.FixedRate));
  available = rateFor(OverheadBytes(R, std::max<int64_t>(available, 0) + R.FixedRate));

  if (!R.Video) {
    // Sound only: the profile's rate is the ceiling, the size may lower it.
    const int64_t floor = R.AudioRates.empty() ? 0 : std::min(kAudioFloor, *std::min_element(R.AudioRates.begin(), R.AudioRates.end()));
    const auto n = static_cast<int64_t>(std::max<size_t>(R.AudioRates.size(), 1));
    for (int64_t& rate : plan.AudioRates) rate = EncoderRate(R.AudioEncoder, std::min(rate, available / n));
    if (R.AudioRates.empty() || available / n < floor) Refuse(R, ExpectedBytes(R, floor * n + R.FixedRate));
    plan.OverheadBytes = OverheadBytes(R, Sum(plan.AudioRates) + R.FixedRate);
    return plan;
  }

  const int64_t floor = VideoFloor(R.Width, R.Height, R.FrameRate);
  if (available - audio < static_cast<int64_t>(kSensibleVideoFactor * static_cast<double>(floor))) {
    const int64_t share =
        static_cast<int64_t>(kTightAudioShare * static_cast<double>(available)) / std::max<int64_t>(static_cast<int64_t>(R.AudioRates.size()), 1);
    for (int64_t& rate : plan.AudioRates) {
      const int64_t lowest = std::min(rate, kAudioFloor);
      rate = std::max(lowest, EncoderRate(R.AudioEncoder, std::min(rate, share)));
    }
  }
  plan.VideoRate = std::min(available - Sum(plan.AudioRates), kLargestVideoRate);
  if (plan.VideoRate < floor) {
    int64_t lowestAudio = 0;
    for (int64_t rate : R.AudioRates) lowestAudio += std::min(rate, kAudioFloor);
    Refuse(R, ExpectedBytes(R, floor + lowestAudio + R.FixedRate));
  }
  plan.OverheadBytes = OverheadBytes(R, plan.VideoRate + Sum(plan.AudioRates) + R.FixedRate);
  return plan;
}

int64_t CorrectedRate(int64_t Rate, int64_t OtherBytes, int64_t Target, int64_t Actual) {
  const double got = static_cast<double>(Actual - OtherBytes);
  const double wanted = static_cast<double>(Target - OtherBytes);
  if (got <= 0 || wanted <= 0) return Rate / 2;
  return static_cast<int64_t>(static_cast<double>(Rate) * wanted / got * (1.0 - kCorrectionMargin));
}
