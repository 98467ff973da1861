#pragma once
// Pictures with a display matrix (phone videos recorded upright, "rotate"
// tags): how they are turned upright, in the direction the ffmpeg CLI turns
// them when it decodes such a file. Any thread.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

enum class TUprightTurn { None, Clock, CClock, ClockFlip, CClockFlip, HFlip, VFlip, HVFlip, Other };

struct TUpright {
  TUprightTurn Turn = TUprightTurn::None;
  double Degrees = 0.0;  // clockwise angle for Other

  // Width and height trade places.
  bool Transposed() const;
  // The library filters that turn the picture, in order: (name, arguments).
  std::vector<std::pair<std::string, std::string>> Filters() const;
};

// The turn a stream's display matrix asks for (None without one).
TUpright UprightOf(const AVStream* St);

// Turns a packed picture (rows of Width x PixelBytes bytes, top row first)
// upright; Width and Height become the upright size. Other angles are left as
// they are.
void TurnPicture(const TUpright& Up, std::vector<uint8_t>& Pixels, int& Width, int& Height, int PixelBytes);
