#pragma once
// Advanced option contexts of one job: the library's own option classes
// decide which names exist and which values are valid; the values recorded
// here are copied into every real decoder, encoder and container the job opens.
// Worker thread of the job only.
#include <string>
#include <vector>

#include "Converter/AVConverterCompat.h"
#include "Converter/AVConverterPrivateOptions.h"
#include "Converter/FFmpegPtr.h"

// Option flag bits of the library's option tables.
enum TOptionFlag : int {
  ofEncoding = 1,
  ofDecoding = 2,
  ofAudio = 8,
  ofVideo = 16,
  ofSubtitle = 32,
};

class TOptionContexts {
 public:
  static constexpr int kCodecContexts = 5;  // video, audio, data, subtitle, attachment

  // Creates a fresh set with the library defaults; SwsFlags seeds the scaler.
  explicit TOptionContexts(int SwsFlags);
  ~TOptionContexts();
  TOptionContexts(const TOptionContexts&) = delete;
  TOptionContexts& operator=(const TOptionContexts&) = delete;

  // 0 when some context took the option, -1 otherwise. A rejected value shows
  // "Invalid value for Option!".
  int ApplyOption(const std::string& Name, const std::string& Value);
  // Applies one "name=value" line.
  void ApplyLine(const std::string& Line);
  // True when ApplyOption would find a place for Name (its value not judged).
  bool Knows(const std::string& Name, const std::string& Value) const;

  // Copies every recorded option of Source whose flags contain all of Flags
  // into Target (an AVCodecContext or AVFormatContext with its private data).
  void CopyContextOptions(void* Target, void* Source, int Flags) const;
  // The same into a dictionary, for contexts opened later (input containers).
  void CopyContextOptions(AVDictionary** Target, void* Source, int Flags) const;

  AVCodecContext* Codec(int MediaType) const { return FCodec[MediaType].get(); }
  AVFormatContext* Format() const { return FFormat.get(); }
  SwsContext* Scaler() const { return FSws.get(); }
  // Scaler flags currently in the scaler context.
  int SwsFlags() const;
  const std::vector<std::string>& OptNames() const { return FOptNames; }
  // The last value given for a setting of the output video stream
  // ("pix_fmt", "vtag"), or "" when none was given.
  std::string VideoStreamSetting(const std::string& Name) const;

 private:
  struct FormatDeleter {
    void operator()(AVFormatContext* c) const { avformat_free_context(c); }
  };
  template <class Put>
  void CopyOptions(void* Source, int Flags, Put PutOption) const;
  // A context that has a generic option, and the name it has there.
  struct THolder {
    void* Context;
    const char* Name;  // points into the name looked up
    const AVOption* Option;
  };
  // Every context that takes the generic option Name, as ApplyOption sets it:
  // the codec contexts of its media types, else the container, else the
  // scaler, else the codec named by a type letter ("aXXX"); empty: none.
  std::vector<THolder> Holders(const std::string& Name) const;

  ff::CodecContextPtr FCodec[kCodecContexts];
  std::unique_ptr<AVFormatContext, FormatDeleter> FFormat;
  ff::SwsPtr FSws;
  std::vector<std::string> FOptNames;       // names set successfully, in order
  std::vector<TCompatOption> FPrivate;      // translated private options, in order
  TPrivateOptionCheck FPrivateCheck;        // judges FPrivate's values
};

// True when a job's option contexts know the advanced option Name=Value; a
// job ignores an option they do not know. Any thread (builds its own set).
bool IsKnownAdvancedOption(const std::string& Name, const std::string& Value);

// Codec id of a codec named Name: 0 for an empty name, "Unknown Codec Name",
// "Invalid codec type" errors otherwise. Codec receives the codec found.
AVCodecID FindCodecId(const std::string& Name, AVMediaType Type, bool Encoder,
                      const AVCodec** Codec = nullptr);
