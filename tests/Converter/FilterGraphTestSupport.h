#pragma once
// Decoding fixture pictures, running them through a TVideoFilterGraph and
// getting the ffmpeg CLI's pictures for the same filters, as packed raw bytes.
#include <memory>
#include <string>
#include <vector>

#include "Converter/AVConverterFilterGraph.h"

namespace graphtest {

struct TDecoded {
  std::vector<TFramePtr> Frames;
  TVideoGraphInput Input;
};
// Every picture of the first video stream of File.
TDecoded DecodeVideo(const std::string& File);

// The encoder side as the engine fills it for an encoder of the picture's own size.
TVideoGraphOutput SameSizeOutput(const TVideoGraphInput& In);

struct TGraphRun {
  bool Built = false;
  std::string Description;
  int Width = 0, Height = 0;
  std::vector<std::string> Pictures;  // packed, in the graph's output format
  std::vector<int64_t> Pts;           // in the sink's time base
  AVRational TimeBase{0, 1};
};
// Builds a graph, pushes every picture, the end of stream, and pulls all output.
TGraphRun RunGraph(const TDecoded& Source, const TVideoGraphOutput& Out, const std::string& Chain);

// ffmpeg -i File -vf Vf, every picture as packed yuv420p.
std::vector<std::string> CliPictures(const std::string& File, const std::string& Vf, int Width, int Height);

// Peak signal-to-noise ratio of two 8-bit pictures of one size (infinite when equal).
double Psnr(const std::string& A, const std::string& B);

// Library log lines written while it lives.
class TLogCapture {
 public:
  TLogCapture();
  ~TLogCapture();
  std::string Text() const;
};

// Sizes of a packed yuv420p picture.
size_t PictureSize(int Width, int Height);

// Pixel (X, Y) of a packed yuv420p picture as Y, U, V.
struct TYuv {
  int Y, U, V;
};
TYuv PixelAt(const std::string& Picture, int Width, int Height, int X, int Y);

// Count of luma samples that differ by more than Tolerance inside / outside a rectangle.
struct TChangeCount {
  int Inside = 0, Outside = 0;
};
TChangeCount CountChanges(const std::string& A, const std::string& B, int Width, int Height, int Left,
                          int Top, int Right, int Bottom, int Tolerance);

}  // namespace graphtest
