#include "Converter/AVConverterOptions.h"

#include <cerrno>
#include <cstdlib>

#include "Converter/avlib.h"

namespace {
constexpr long kMinMatrixElement = 1;
constexpr long kMaxMatrixElement = 65535;
}  // namespace

void TRational::Assign(const TRational& Source) {
  Setnum(Source.num());
  Setden(Source.den());
}

void TAudioOptions::SetAudioSampleFmt(TAVAudioSampleFormat Value) {
  if (Value != sfAuto) FAudioSampleFmt = Value;
}

void TAudioOptions::Assign(const TAudioOptions& S) {
  SetAudioDisable(S.AudioDisable());
  SetAudioChannels(S.AudioChannels());
  SetAudioVolume(S.AudioVolume());
  SetAudioSyncMethod(S.AudioSyncMethod());
  SetAudioSampleFmt(S.AudioSampleFmt());
  SetAudioSampleRate(S.AudioSampleRate());
  SetAudioStreamCopy(S.AudioStreamCopy());
  SetEncoderAudioCodecName(S.EncoderAudioCodecName());
  SetDecoderAudioCodecName(S.DecoderAudioCodecName());
  SetAudioCodecTag(S.AudioCodecTag());
  SetAudioLanguage(S.AudioLanguage());
  SetAudioQScale(S.AudioQScale());
  SetAudioDriftThreshold(S.AudioDriftThreshold());
  SetBitrate(S.Bitrate());
  SetMaxFrames(S.MaxFrames());
}

bool TVideoOptions::SetBand(int32_t& Band, int32_t Value, const char* Message) {
  if (Value < 0) {
    ShowErrorMessage(Message);
    return false;
  }
  Band = Value;
  return true;
}

void TVideoOptions::SetFrameLeftBand(int32_t V) { SetBand(FFrameLeftBand, V, "Incorrect left crop size"); }
void TVideoOptions::SetFrameRightBand(int32_t V) { SetBand(FFrameRightBand, V, "Incorrect right crop size"); }
void TVideoOptions::SetFrameTopBand(int32_t V) { SetBand(FFrameTopBand, V, "Incorrect top crop size"); }
void TVideoOptions::SetFrameBottomBand(int32_t V) { SetBand(FFrameBottomBand, V, "Incorrect bottom crop size"); }

void TVideoOptions::SetPass(int32_t Value) {
  if (Value < 0 || Value > 2) {
    ShowErrorMessage("pass number can be only 0, 1 or 2");
    return;
  }
  FPass = Value;
}

bool TVideoOptions::ParseMatrix(const TStringList& Lines, TQuantMatrix& Matrix) {
  if (Lines.Empty()) return true;
  if (Lines.Count() != kMatrixSize) {
    ShowErrorMessage("matrix element count should be equal 64");
    return false;
  }
  for (int i = 0; i < kMatrixSize; ++i) {
    const std::string& line = Lines[i];
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(line.c_str(), &end, 10);
    // 0 makes the encoder divide by zero; above 65535 the 16-bit element wraps.
    if (line.empty() || line.find('.') != std::string::npos || *end != '\0' || errno == ERANGE ||
        v < kMinMatrixElement || v > kMaxMatrixElement) {
      ShowErrorMessage("Invalid matrix element");
      return false;
    }
    Matrix[static_cast<size_t>(i)] = static_cast<uint16_t>(v);
  }
  return true;
}

void TVideoOptions::SetIntraMatrix(const TStringList& Value) {
  if (ParseMatrix(Value, FIntra_Matrix)) FIntraMatrix = Value;
}

void TVideoOptions::SetInterMatrix(const TStringList& Value) {
  if (ParseMatrix(Value, FInter_Matrix)) FInterMatrix = Value;
}

void TVideoOptions::Assign(const TVideoOptions& S) {
  SetFrameWidth(S.FrameWidth());
  SetFrameHeight(S.FrameHeight());
  SetFrameLeftBand(S.FrameLeftBand());
  SetFrameRightBand(S.FrameRightBand());
  SetFrameTopBand(S.FrameTopBand());
  SetFrameBottomBand(S.FrameBottomBand());
  SetEncoderVideoCodecName(S.EncoderVideoCodecName());
  SetDecoderVideoCodecName(S.DecoderVideoCodecName());
  SetVideoDisable(S.VideoDisable());
  SetFVideoDiscard(S.FVideoDiscard());
  SetVideoStreamCopy(S.VideoStreamCopy());
  SetVideoCodecTag(S.VideoCodecTag());
  SetVideoLanguage(S.VideoLanguage());
  SetVideoGlobalHeader(S.VideoGlobalHeader());
  SetIntraOnly(S.IntraOnly());
  SetVideoQscale(S.VideoQscale());
  SetSameQuality(S.SameQuality());
  SetVideoRcOverrideString(S.VideoRcOverrideString());
  SetIntraDcPrecision(S.IntraDcPrecision());
  SetVideoSyncMethod(S.VideoSyncMethod());
  SetTopFieldFirst(S.TopFieldFirst());
  SetForceFPS(S.ForceFPS());  // stored, so copied too (a task would lose a profile's choice)
  SetInterMatrix(S.InterMatrix());
  SetIntraMatrix(S.IntraMatrix());
  SetFFramePixFormat(S.FFramePixFormat());
  SetFrameAspectRatio(S.FrameAspectRatio());
  SetMeThreshold(S.MeThreshold());
  SetDeinterlace(S.Deinterlace());
  SetPass(S.Pass());
  SetMaxFrames(S.MaxFrames());
  SetBitrate(S.Bitrate());
  FFrameRate.Assign(S.FrameRate());
}

void TSubtitleOptions::Assign(const TSubtitleOptions& S) {
  SetSubtitleLanguage(S.SubtitleLanguage());
  SetSubtitleCodecName(S.SubtitleCodecName());
  SetSubtitleDisable(S.SubtitleDisable());
  SetSubtitleStreamCopy(S.SubtitleStreamCopy());
  SetSubtitleCodecTag(S.SubtitleCodecTag());
}

void TMuxerOptions::Assign(const TMuxerOptions& S) {
  SetAudioBitstreamFilters(S.AudioBitstreamFilters());
  SetSubtitleBitstreamFilters(S.SubtitleBitstreamFilters());
  SetVideoBitstreamFilters(S.VideoBitstreamFilters());
  SetMuxPreload(S.MuxPreload());
  SetMuxMaxDelay(S.MuxMaxDelay());
}

void TGrabOptions::Assign(const TGrabOptions& S) {
  SetVideoChannel(S.VideoChannel());
  SetVideoStandard(S.VideoStandard());
  SetInputSync(S.InputSync());
}

void TFilterOptions::Assign(const TFilterOptions& S) { SetVideoFilters(S.VideoFilters()); }

void TAVConvertOptions::Assign(const TAVConvertOptions& S) {
  FAudioOptions.Assign(S.AudioOptions());
  FSubtitleOptions.Assign(S.SubtitleOptions());
  FVideoOptions.Assign(S.VideoOptions());
  FMuxerOptions.Assign(S.MuxerOptions());
  FGrabOptions.Assign(S.GrabOptions());
  FFilterOptions.Assign(S.FilterOptions());
  SetMetaData(S.MetaData());
  SetCodecOptions(S.CodecOptions());
  SetInputFormat(S.InputFormat());
  SetOutputFormat(S.OutputFormat());
  SetStartTime(S.StartTime());
  SetRecordingTime(S.RecordingTime());
  SetThreadCount(S.ThreadCount());
  SetTargetSize(S.TargetSize());
  SetStreamMaps(S.StreamMaps());
}

void TAVConvertOptions::SetAdvancedOption(const std::string& Key, const std::string& Value) {
  const int i = FCodecOptions.IndexOfName(Key);
  if (i < 0) {
    FCodecOptions.Add(Key + "=" + Value);
  } else if (Value.empty()) {
    FCodecOptions.Delete(i);
  } else {
    FCodecOptions[i] = Key + "=" + Value;
  }
}
