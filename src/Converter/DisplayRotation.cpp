#include "Converter/DisplayRotation.h"

#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/display.h>
}

namespace {

constexpr double kFullTurn = 360.0;
constexpr double kQuarterTurn = 90.0;
constexpr double kHalfTurn = 180.0;
constexpr double kThreeQuarterTurns = 270.0;
constexpr double kAngleTolerance = 1.0;  // degrees
// Matrix entries (16.16 fixed point, row-major 3x3) whose signs tell a flip.
constexpr int kScaleX = 0, kShearY = 3, kScaleY = 4;

bool Near(double A, double B) { return std::fabs(A - B) < kAngleTolerance; }

}  // namespace

bool TUpright::Transposed() const {
  return Turn == TUprightTurn::Clock || Turn == TUprightTurn::CClock || Turn == TUprightTurn::ClockFlip ||
         Turn == TUprightTurn::CClockFlip;
}

std::vector<std::pair<std::string, std::string>> TUpright::Filters() const {
  switch (Turn) {
    case TUprightTurn::Clock: return {{"transpose", "clock"}};
    case TUprightTurn::CClock: return {{"transpose", "cclock"}};
    case TUprightTurn::ClockFlip: return {{"transpose", "clock_flip"}};
    case TUprightTurn::CClockFlip: return {{"transpose", "cclock_flip"}};
    case TUprightTurn::HFlip: return {{"hflip", ""}};
    case TUprightTurn::VFlip: return {{"vflip", ""}};
    case TUprightTurn::HVFlip: return {{"hflip", ""}, {"vflip", ""}};
    case TUprightTurn::Other: {
      char angle[64];
      snprintf(angle, sizeof(angle), "%.6f*PI/180", Degrees);
      for (char* c = angle; *c; ++c)
        if (*c == ',') *c = '.';  // the filter reads "." whatever the locale
      return {{"rotate", angle}};
    }
    case TUprightTurn::None: break;
  }
  return {};
}

TUpright UprightOf(const AVStream* St) {
  const auto* m = reinterpret_cast<const int32_t*>(av_stream_get_side_data(St, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
  TUpright up;
  if (!m) return up;
  double theta = -std::round(av_display_rotation_get(m));
  theta -= kFullTurn * std::floor(theta / kFullTurn + 0.9 / kFullTurn);
  if (Near(theta, kQuarterTurn)) {
    up.Turn = m[kShearY] > 0 ? TUprightTurn::CClockFlip : TUprightTurn::Clock;
  } else if (Near(theta, kHalfTurn)) {
    const bool h = m[kScaleX] < 0, v = m[kScaleY] < 0;
    up.Turn = h && v ? TUprightTurn::HVFlip : h ? TUprightTurn::HFlip : v ? TUprightTurn::VFlip : TUprightTurn::None;
  } else if (Near(theta, kThreeQuarterTurns)) {
    up.Turn = m[kShearY] < 0 ? TUprightTurn::ClockFlip : TUprightTurn::CClock;
  } else if (std::fabs(theta) > kAngleTolerance) {
    up.Turn = TUprightTurn::Other;
    up.Degrees = theta;
  } else if (m[kScaleY] < 0) {
    up.Turn = TUprightTurn::VFlip;
  }
  return up;
}

void TurnPicture(const TUpright& Up, std::vector<uint8_t>& Pixels, int& Width, int& Height, int PixelBytes) {
  if (Up.Turn == TUprightTurn::None || Up.Turn == TUprightTurn::Other) return;
  const int w = Width, h = Height;
  const int outW = Up.Transposed() ? h : w;
  const int outH = Up.Transposed() ? w : h;
  std::vector<uint8_t> out(Pixels.size());
  for (int y = 0; y < outH; ++y) {
    for (int x = 0; x < outW; ++x) {
      int sx = x, sy = y;  // the source pixel shown at (x, y)
      switch (Up.Turn) {
        case TUprightTurn::Clock: sx = y; sy = h - 1 - x; break;
        case TUprightTurn::CClock: sx = w - 1 - y; sy = x; break;
        case TUprightTurn::ClockFlip: sx = w - 1 - y; sy = h - 1 - x; break;
        case TUprightTurn::CClockFlip: sx = y; sy = x; break;
        case TUprightTurn::HFlip: sx = w - 1 - x; break;
        case TUprightTurn::VFlip: sy = h - 1 - y; break;
        case TUprightTurn::HVFlip: sx = w - 1 - x; sy = h - 1 - y; break;
        default: break;
      }
      memcpy(&out[(static_cast<size_t>(y) * outW + x) * PixelBytes],
             &Pixels[(static_cast<size_t>(sy) * w + sx) * PixelBytes], static_cast<size_t>(PixelBytes));
    }
  }
  Pixels.swap(out);
  Width = outW;
  Height = outH;
}
