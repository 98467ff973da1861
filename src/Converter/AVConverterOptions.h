#pragma once
// The conversion options: what a profile sets, the wizard completes, the
// settings record stores and the converter reads. Plain settings objects:
// defaults in the constructor, setters (some validating through
// ShowErrorMessage, never throwing), and Assign copying the stored properties
// through the setters. Main thread, except that a running job reads them and
// writes back the values listed in AVConverterInputs.cpp.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Common/StringList.h"

#define QB_PROPERTY(Type, Name, Default)        \
 public:                                        \
  Type Name() const { return F##Name; }         \
  void Set##Name(Type Value) { F##Name = Value; } \
                                                \
 private:                                       \
  Type F##Name = Default;

#define QB_TEXT_PROPERTY(Name)                                  \
 public:                                                        \
  const std::string& Name() const { return F##Name; }           \
  void Set##Name(const std::string& Value) { F##Name = Value; } \
                                                                \
 private:                                                       \
  std::string F##Name;

#define QB_LIST_PROPERTY(Name)                                   \
 public:                                                         \
  const TStringList& Name() const { return F##Name; }            \
  TStringList& Name() { return F##Name; }                        \
  void Set##Name(const TStringList& Value) { F##Name = Value; }  \
                                                                 \
 private:                                                        \
  TStringList F##Name;

#define QB_NO_COPY(Class)           \
 public:                            \
  Class(const Class&) = delete;     \
  Class& operator=(const Class&) = delete;

enum TAVAudioSampleFormat { sfAuto, sfU8, sfS16, sfS32, sfFLT, sfDBL };

constexpr int32_t kMaxFramesDefault = 2147483647;
constexpr int64_t kRecordToTheEnd = INT64_MAX;
constexpr float kNoAudioQScale = -99999.0f;
constexpr int kMatrixSize = 64;
using TQuantMatrix = std::array<uint16_t, kMatrixSize>;

class TRational {
  QB_NO_COPY(TRational)
 public:
  TRational() = default;
  void Assign(const TRational& Source);
  QB_PROPERTY(int32_t, num, 25)
  QB_PROPERTY(int32_t, den, 1)
};

class TAudioOptions {
  QB_NO_COPY(TAudioOptions)
 public:
  TAudioOptions() = default;
  void Assign(const TAudioOptions& Source);
  TAVAudioSampleFormat AudioSampleFmt() const { return FAudioSampleFmt; }
  // sfAuto is ignored: once chosen, a format can only change to another one.
  void SetAudioSampleFmt(TAVAudioSampleFormat Value);

  QB_PROPERTY(int32_t, AudioChannels, 0)
  QB_PROPERTY(int32_t, AudioSampleRate, 0)
  QB_PROPERTY(int32_t, AudioVolume, 256)
  QB_PROPERTY(int32_t, AudioSyncMethod, 0)
  QB_PROPERTY(bool, AudioDisable, false)
  QB_PROPERTY(bool, AudioStreamCopy, false)
  QB_TEXT_PROPERTY(EncoderAudioCodecName)
  QB_TEXT_PROPERTY(DecoderAudioCodecName)
  QB_PROPERTY(int32_t, AudioCodecTag, 0)
  QB_TEXT_PROPERTY(AudioLanguage)
  QB_PROPERTY(float, AudioQScale, kNoAudioQScale)
  QB_PROPERTY(float, AudioDriftThreshold, 0.1f)
  QB_PROPERTY(int32_t, Bitrate, 0)
  QB_PROPERTY(int32_t, MaxFrames, kMaxFramesDefault)

 private:
  TAVAudioSampleFormat FAudioSampleFmt = sfAuto;
};

class TVideoOptions {
  QB_NO_COPY(TVideoOptions)
 public:
  TVideoOptions() = default;
  void Assign(const TVideoOptions& Source);

  // Validating setters: refusals are shown and the old value stays.
  int32_t FrameLeftBand() const { return FFrameLeftBand; }
  int32_t FrameRightBand() const { return FFrameRightBand; }
  int32_t FrameTopBand() const { return FFrameTopBand; }
  int32_t FrameBottomBand() const { return FFrameBottomBand; }
  void SetFrameLeftBand(int32_t Value);
  void SetFrameRightBand(int32_t Value);
  void SetFrameTopBand(int32_t Value);
  void SetFrameBottomBand(int32_t Value);
  int32_t Pass() const { return FPass; }
  void SetPass(int32_t Value);
  const TStringList& IntraMatrix() const { return FIntraMatrix; }
  const TStringList& InterMatrix() const { return FInterMatrix; }
  void SetIntraMatrix(const TStringList& Value);
  void SetInterMatrix(const TStringList& Value);
  const TQuantMatrix& Intra_Matrix() const { return FIntra_Matrix; }
  const TQuantMatrix& Inter_Matrix() const { return FInter_Matrix; }

  TRational& FrameRate() { return FFrameRate; }
  const TRational& FrameRate() const { return FFrameRate; }
  void SetFrameRate(const TRational& Value) { FFrameRate.Assign(Value); }

  // Not stored but copied by Assign.
  int8_t FVideoDiscard() const { return FFVideoDiscard; }
  void SetFVideoDiscard(int8_t Value) { FFVideoDiscard = Value; }
  int32_t FFramePixFormat() const { return FFFramePixFormat; }
  void SetFFramePixFormat(int32_t Value) { FFFramePixFormat = Value; }

  QB_PROPERTY(int32_t, FrameWidth, 0)
  QB_PROPERTY(int32_t, FrameHeight, 0)
  QB_TEXT_PROPERTY(EncoderVideoCodecName)
  QB_TEXT_PROPERTY(DecoderVideoCodecName)
  QB_PROPERTY(bool, VideoDisable, false)
  QB_PROPERTY(bool, VideoStreamCopy, false)
  QB_PROPERTY(int32_t, VideoCodecTag, 0)
  QB_TEXT_PROPERTY(VideoLanguage)
  QB_PROPERTY(int32_t, VideoGlobalHeader, 0)
  QB_PROPERTY(bool, IntraOnly, false)
  QB_PROPERTY(float, VideoQscale, 0.0f)
  QB_PROPERTY(bool, SameQuality, false)
  QB_TEXT_PROPERTY(VideoRcOverrideString)
  QB_PROPERTY(int32_t, IntraDcPrecision, 8)
  QB_PROPERTY(int32_t, VideoSyncMethod, -1)
  QB_PROPERTY(int32_t, TopFieldFirst, -1)
  QB_PROPERTY(bool, ForceFPS, false)
  QB_PROPERTY(float, FrameAspectRatio, 0.0f)
  QB_PROPERTY(int32_t, MeThreshold, 0)
  QB_PROPERTY(bool, Deinterlace, false)
  QB_PROPERTY(int32_t, MaxFrames, kMaxFramesDefault)
  QB_PROPERTY(int32_t, Bitrate, 0)

 private:
  bool SetBand(int32_t& Band, int32_t Value, const char* Message);
  bool ParseMatrix(const TStringList& Lines, TQuantMatrix& Matrix);
  int32_t FFrameLeftBand = 0, FFrameRightBand = 0, FFrameTopBand = 0, FFrameBottomBand = 0;
  int32_t FPass = 0;
  TStringList FIntraMatrix, FInterMatrix;
  TQuantMatrix FIntra_Matrix{}, FInter_Matrix{};
  TRational FFrameRate;
  int8_t FFVideoDiscard = 0;
  int32_t FFFramePixFormat = -1;
};

class TSubtitleOptions {
  QB_NO_COPY(TSubtitleOptions)
 public:
  TSubtitleOptions() = default;
  void Assign(const TSubtitleOptions& Source);
  QB_TEXT_PROPERTY(SubtitleLanguage)
  QB_TEXT_PROPERTY(SubtitleCodecName)
  QB_PROPERTY(bool, SubtitleDisable, false)
  QB_PROPERTY(bool, SubtitleStreamCopy, false)
  QB_PROPERTY(int32_t, SubtitleCodecTag, 0)
};

class TMuxerOptions {
  QB_NO_COPY(TMuxerOptions)
 public:
  TMuxerOptions() = default;
  void Assign(const TMuxerOptions& Source);
  QB_PROPERTY(float, MuxPreload, 0.5f)
  QB_PROPERTY(float, MuxMaxDelay, 0.7f)
  QB_LIST_PROPERTY(AudioBitstreamFilters)
  QB_LIST_PROPERTY(SubtitleBitstreamFilters)
  QB_LIST_PROPERTY(VideoBitstreamFilters)
};

class TGrabOptions {
  QB_NO_COPY(TGrabOptions)
 public:
  TGrabOptions() = default;
  void Assign(const TGrabOptions& Source);
  QB_PROPERTY(int32_t, VideoChannel, 0)
  QB_TEXT_PROPERTY(VideoStandard)
  QB_PROPERTY(bool, InputSync, false)
};

class TFilterOptions {
  QB_NO_COPY(TFilterOptions)
 public:
  TFilterOptions() = default;
  void Assign(const TFilterOptions& Source);
  QB_TEXT_PROPERTY(VideoFilters)
};

struct TInputTSScaleEntry {
  int FileIndex = 0;
  int StreamIndex = 0;
  double Scale = 0.0;
};

#define QB_OBJECT_PROPERTY(Class, Name)                          \
 public:                                                         \
  Class& Name() { return F##Name; }                              \
  const Class& Name() const { return F##Name; }                  \
  void Set##Name(const Class& Value) { F##Name.Assign(Value); }  \
                                                                 \
 private:                                                        \
  Class F##Name;

class TAVConvertOptions {
  QB_NO_COPY(TAVConvertOptions)
 public:
  TAVConvertOptions() = default;
  // Copies the stored properties through the setters; run-time ones stay.
  void Assign(const TAVConvertOptions& Source);
  // Adds Key=Value to CodecOptions or replaces the value of the line named
  // Key (case ignored); an empty Value removes an existing line.
  void SetAdvancedOption(const std::string& Key, const std::string& Value);

  QB_OBJECT_PROPERTY(TAudioOptions, AudioOptions)
  QB_OBJECT_PROPERTY(TSubtitleOptions, SubtitleOptions)
  QB_OBJECT_PROPERTY(TVideoOptions, VideoOptions)
  QB_OBJECT_PROPERTY(TMuxerOptions, MuxerOptions)
  QB_OBJECT_PROPERTY(TGrabOptions, GrabOptions)
  QB_OBJECT_PROPERTY(TFilterOptions, FilterOptions)
  QB_LIST_PROPERTY(MetaData)
  QB_LIST_PROPERTY(CodecOptions)
  QB_TEXT_PROPERTY(OutputFormat)
  QB_TEXT_PROPERTY(InputFormat)
  QB_PROPERTY(int64_t, StartTime, 0)
  QB_PROPERTY(int64_t, RecordingTime, kRecordToTheEnd)
  QB_PROPERTY(int32_t, ThreadCount, 1)
  QB_LIST_PROPERTY(StreamMaps)
  // Bytes the output may take at most (0: no limit). The job then derives
  // its bit rates from it and encodes in passes (TargetSize.h).
  QB_PROPERTY(int64_t, TargetSize, 0)

  // Run-time properties: neither stored nor copied.
  QB_PROPERTY(bool, PGMYUVCompatibilityHack, false)
  QB_PROPERTY(int32_t, ProgramID, 0)
  QB_PROPERTY(bool, LoopInput, false)
  QB_PROPERTY(int32_t, LoopOutput, -1)
  QB_PROPERTY(bool, RateEmu, false)
  QB_PROPERTY(bool, DoPSNR, false)
  QB_PROPERTY(float, DtsDeltaThreshold, 10.0f)
  QB_PROPERTY(int64_t, AudioSize, 0)
  QB_PROPERTY(int32_t, SwsFlags, 4)
  QB_PROPERTY(int64_t, VideoSize, 0)  // 64-bit: a 32-bit count wraps past 2 GB
  QB_PROPERTY(int64_t, RecTimestamp, 0)
  QB_PROPERTY(int64_t, LimitFileSize, 0)
  QB_PROPERTY(bool, ShortTest, false)
  QB_PROPERTY(int32_t, MaxDataFrames, kMaxFramesDefault)
  QB_PROPERTY(bool, CopyInitialNonkeyframes, false)
  QB_PROPERTY(int64_t, InputTSOffset, 0)
  QB_PROPERTY(bool, CopyTS, false)

 public:
  std::vector<TInputTSScaleEntry>& InputTSScale() { return FInputTSScale; }
  const std::vector<TInputTSScaleEntry>& InputTSScale() const { return FInputTSScale; }

 private:
  std::vector<TInputTSScaleEntry> FInputTSScale;
};
