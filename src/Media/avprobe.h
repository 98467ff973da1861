#pragma once
// TAVProbe: opens a media file and describes its first video and first audio
// stream. Main thread; the media library must be loaded first.
#include <string>

#include "Converter/FFmpegPtr.h"

class TAVProbe {
 public:
  TAVProbe() = default;
  ~TAVProbe() { SetActive(false); }
  TAVProbe(const TAVProbe&) = delete;
  TAVProbe& operator=(const TAVProbe&) = delete;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Name) { FFileName = Name; }
  bool Active() const { return FActive; }
  // Opens (a missing file is no error: nothing happens) or closes; raises on failure.
  void SetActive(bool Value);

  const AVInputFormat* ForcedFormat = nullptr;
  bool HasAudio = false;
  bool HasVideo = false;
  std::string AudioCodec;
  std::string VideoCodec;
  int32_t VideoWidth = 0;
  int32_t VideoHeight = 0;
  int32_t AudioRate = 0;
  int32_t AudioChannelCount = 0;
  int32_t AudioBitrate = 0;
  int32_t VideoBitrate = 0;
  double VideoFps = 0.0;
  double Duration = 0.0;  // seconds, 0 when the container does not say

 private:
  void Open();
  void OpenStream(AVStream* Stream, ff::CodecContextPtr& Decoder);
  void Close();

  std::string FFileName;
  bool FActive = false;
  ff::InputPtr FInput;
  ff::CodecContextPtr FVideoDecoder;
  ff::CodecContextPtr FAudioDecoder;
};

// Why the probe does not accept FileName as a source (its error text, or what
// the file lacks); "" when it opens it and finds a video or an audio stream,
// what the wizard accepts. Main thread.
std::string ProbeRefusal(const std::string& FileName);
