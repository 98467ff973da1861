#pragma once
// The decoding core of the preview control: one still frame of a video file
// at a chosen time, the picture on screen at that time (the one a trim
// starting there begins with). Main thread. Errors are shown with ShowErrorMessage, never raised.
//
// Picture layout: packed 24-bit BGR (blue, green, red bytes), top row first,
// rows of exactly Width x 3 bytes, upright at the video's own size (turned by
// the stream's display matrix, as a phone's portrait video is shown).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Converter/DisplayRotation.h"
#include "Converter/FFmpegPtr.h"

class TAVPreviewDecoder {
 public:
  TAVPreviewDecoder();
  ~TAVPreviewDecoder() { CloseFile(); }
  TAVPreviewDecoder(const TAVPreviewDecoder&) = delete;
  TAVPreviewDecoder& operator=(const TAVPreviewDecoder&) = delete;

  const std::string& InputFile() const { return FInputFile; }
  // A missing file shows "File:%s does not exist!" and changes nothing.
  void SetInputFile(const std::string& Name);
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Position in seconds (absolute once a frame was decoded, start time included).
  double timestamp() const { return static_cast<double>(Ftimestamp) / 1000000.0; }
  void SetTimestamp(double Seconds);
  double Duration() const { return FDuration; }
  int64_t StartTime() const { return FStartTime; }

  // The size of Picture: the upright picture's.
  int Width() const { return FShownWidth; }
  int Height() const { return FShownHeight; }
  const std::vector<uint8_t>& Picture() const { return FPicture; }

  // Called after each decoded picture (the widget repaints).
  std::function<void()> OnPicture;

 private:
  bool OpenFile();
  void DecodeFrame();
  void CloseFile();

  std::string FInputFile;
  int64_t Ftimestamp = 0;
  bool FActive = false;
  ff::InputPtr ic;
  int videoStream = -1;
  ff::CodecContextPtr pCodecCtx;
  ff::FramePtr pFrame;
  ff::FramePtr pLater;   // the next decoded picture while looking for the one at the target
  bool FShown = false;   // a picture was decoded since the input was opened
  ff::SwsPtr pSwsCtx;
  int64_t FStartTime = 0;
  double FDuration = 0.0;
  int FWidth = 0, FHeight = 0;            // as decoded
  int FShownWidth = 0, FShownHeight = 0;  // upright
  TUpright FUpright;
  std::vector<uint8_t> FPicture;
  std::vector<uint8_t> FScratch;  // the scaler's padded output
};
