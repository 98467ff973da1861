#pragma once
// The video filter graph of one re-encoded video stream:
//   buffer -> [yadif] -> [upright turn] -> [crop] -> [scale] -> user chain -> buffersink
// The sink accepts only the encoder's pixel format; the encoder's size is read
// back from the sink (the user's chain may change it). The chain is text in
// the system's syntax (AVConverterFilterEntries.h). A "synth" entry cuts the
// chain: each piece is a graph of its own, and pictures pass from one piece's
// sink through the AviSynth step (Media/SynthFilter.h) into the next piece's
// source; pieces that feed a synth step end in 4:2:0.
//
// Threads: a graph is built by a job's worker and then used by one thread
// only: the worker, or the filter stage that runs it beside decoding and
// encoding (AVConverterFilterStage.h). The filter
// lock guards the configuration of sinks (the pixel format constraint), which
// took the place of the old sink filter's callbacks.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Converter/AVConverterFilterChainParser.h"
#include "Converter/AVConverterFilterHandles.h"

extern "C" {
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
}

class TSynthFilter;

// The process-wide filter lock.
std::mutex& FilterLock();

// What the decoder delivers.
struct TVideoGraphInput {
  int Width = 0, Height = 0;
  AVPixelFormat PixFmt = AV_PIX_FMT_NONE;
  AVRational TimeBase{1, 1000000};   // of the pictures' pts
  AVRational SampleAspect{0, 1};
  AVRational FrameRate{0, 1};        // 0/1 when unknown
};

// What the encoder wants.
struct TVideoGraphOutput {
  bool Crop = false;                 // any band not 0
  int LeftBand = 0, TopBand = 0, RightBand = 0, BottomBand = 0;
  int Width = 0, Height = 0;         // the encoder's size before the user's chain
  int BoxWidth = 0, BoxHeight = 0;   // the picture scaled into black bars of that size (0: none)
  AVPixelFormat PixFmt = AV_PIX_FMT_NONE;  // NONE: any format
  int SwsFlags = 0;                  // scaler flags, e.g. 4 for bicubic
  bool Deinterlace = false;
  // Filters turning the picture upright, (name, arguments), before crop and
  // scale; Transposed when they trade width and height.
  std::vector<std::pair<std::string, std::string>> Upright;
  bool Transposed = false;
};

class TVideoFilterGraph {
 public:
  TVideoFilterGraph();
  ~TVideoFilterGraph();
  TVideoFilterGraph(const TVideoFilterGraph&) = delete;
  TVideoFilterGraph& operator=(const TVideoFilterGraph&) = delete;

  // The object the graph's log lines belong to (its opaque field); set before Build.
  void SetLogOwner(void* Owner) { FLogOwner = Owner; }
  // Threads its filters may slice a picture over; set before Build. The
  // conversion's codec thread count, as the ffmpeg CLI gives its filters the
  // encoder's: the library's own choice (processors + 1) only adds wake-ups
  // next to codec threads that already keep the processors busy.
  void SetThreadCount(int Threads) { FThreadCount = Threads > 0 ? Threads : 0; }

  // Builds the graph. False on any failure (the caller raises
  // "Error opening filters!"); the reason is in the library log.
  bool Build(const TVideoGraphInput& In, const TVideoGraphOutput& Out, const std::string& ChainText);

  // The sink's picture: size, time base of the pulled pts, aspect, format.
  int OutputWidth() const;
  int OutputHeight() const;
  AVRational OutputTimeBase() const;
  AVRational OutputSampleAspect() const;
  AVPixelFormat OutputPixFmt() const;

  // Takes a reference to Decoded (the caller keeps its frame); nullptr ends
  // the stream. The caller holds the codec lock around it. 0 or a negative
  // library error.
  int Push(AVFrame* Decoded);
  // 0 with a picture in Out, AVERROR(EAGAIN) when more input is needed,
  // AVERROR_EOF after the end, another negative error on failure.
  int Pull(AVFrame* Out);

  // The chain has an AviSynth step, whose script environment stays on the
  // thread that built it.
  bool HasSynthStep() const { return FPieces.size() > 1; }

  // The built chain as filter names in order, with the arguments of the
  // filters the graph adds itself; pieces joined by ",synth,". For example
  // "buffer,scale=640:360:flags=0x4,buffersink".
  std::string Description() const;

 private:
  struct TPiece;
  bool BuildPiece(TPiece& Piece, const std::vector<TChainEntry>& Entries, size_t First,
                  size_t Last, const std::string& ChainText, const TVideoGraphInput& In,
                  const TVideoGraphOutput* Head, bool FeedsSynth, AVPixelFormat SinkFormat);
  int Forward(size_t Piece);

  std::vector<std::unique_ptr<TPiece>> FPieces;  // worker thread only
  void* FLogOwner = nullptr;
  int FThreadCount = 0;  // 0: the library's choice
};
