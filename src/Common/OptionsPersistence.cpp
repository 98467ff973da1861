#include "Common/OptionsPersistence.h"

#include "Common/CConversionSettings.h"

namespace {

template <class C, class Sub>
TPersistentProperty Nested(const char* Name, Sub& (*Get)(C&), const TPersistentClass& Class) {
  TPersistentProperty p{Name, TPropKind::Object};
  p.Object = [Get](void* o) -> void* { return &Get(*static_cast<C*>(o)); };
  p.ObjectClass = &Class;
  return p;
}

const std::vector<const char*> kSampleFormats{"sfAuto", "sfU8", "sfS16", "sfS32", "sfFLT", "sfDBL"};
constexpr int64_t kMaxFramesDefault64 = kMaxFramesDefault;

const TPersistentClass& RationalClass() {
  static const TPersistentClass c{"TRational",
                                  {IntProperty("num", &TRational::num, &TRational::Setnum, 25),
                                   IntProperty("den", &TRational::den, &TRational::Setden, 1)}};
  return c;
}

const TPersistentClass& AudioClass() {
  using A = TAudioOptions;
  static const TPersistentClass c{
      "TAudioOptions",
      {IntProperty("AudioChannels", &A::AudioChannels, &A::SetAudioChannels),
       IntProperty("AudioSampleRate", &A::AudioSampleRate, &A::SetAudioSampleRate),
       IntProperty("AudioVolume", &A::AudioVolume, &A::SetAudioVolume),
       IntProperty("AudioSyncMethod", &A::AudioSyncMethod, &A::SetAudioSyncMethod),
       BoolProperty("AudioDisable", &A::AudioDisable, &A::SetAudioDisable),
       EnumProperty("AudioSampleFmt", &A::AudioSampleFmt, &A::SetAudioSampleFmt, kSampleFormats),
       BoolProperty("AudioStreamCopy", &A::AudioStreamCopy, &A::SetAudioStreamCopy),
       StringProperty("EncoderAudioCodecName", &A::EncoderAudioCodecName, &A::SetEncoderAudioCodecName),
       StringProperty("DecoderAudioCodecName", &A::DecoderAudioCodecName, &A::SetDecoderAudioCodecName),
       IntProperty("AudioCodecTag", &A::AudioCodecTag, &A::SetAudioCodecTag),
       StringProperty("AudioLanguage", &A::AudioLanguage, &A::SetAudioLanguage),
       FloatProperty("AudioQScale", &A::AudioQScale, &A::SetAudioQScale),
       FloatProperty("AudioDriftThreshold", &A::AudioDriftThreshold, &A::SetAudioDriftThreshold),
       IntProperty("Bitrate", &A::Bitrate, &A::SetBitrate),
       IntProperty("MaxFrames", &A::MaxFrames, &A::SetMaxFrames, kMaxFramesDefault64)}};
  return c;
}

const TPersistentClass& SubtitleClass() {
  using S = TSubtitleOptions;
  static const TPersistentClass c{
      "TSubtitleOptions",
      {StringProperty("SubtitleLanguage", &S::SubtitleLanguage, &S::SetSubtitleLanguage),
       StringProperty("SubtitleCodecName", &S::SubtitleCodecName, &S::SetSubtitleCodecName),
       BoolProperty("SubtitleDisable", &S::SubtitleDisable, &S::SetSubtitleDisable),
       BoolProperty("SubtitleStreamCopy", &S::SubtitleStreamCopy, &S::SetSubtitleStreamCopy),
       IntProperty("SubtitleCodecTag", &S::SubtitleCodecTag, &S::SetSubtitleCodecTag)}};
  return c;
}

TRational& FrameRateOf(TVideoOptions& V) { return V.FrameRate(); }

const TPersistentClass& VideoClass() {
  using V = TVideoOptions;
  static const TPersistentClass c{
      "TVideoOptions",
      {IntProperty("FrameLeftBand", &V::FrameLeftBand, &V::SetFrameLeftBand),
       IntProperty("FrameRightBand", &V::FrameRightBand, &V::SetFrameRightBand),
       IntProperty("FrameTopBand", &V::FrameTopBand, &V::SetFrameTopBand),
       IntProperty("FrameBottomBand", &V::FrameBottomBand, &V::SetFrameBottomBand),
       IntProperty("FrameWidth", &V::FrameWidth, &V::SetFrameWidth),
       IntProperty("FrameHeight", &V::FrameHeight, &V::SetFrameHeight),
       StringProperty("EncoderVideoCodecName", &V::EncoderVideoCodecName, &V::SetEncoderVideoCodecName),
       StringProperty("DecoderVideoCodecName", &V::DecoderVideoCodecName, &V::SetDecoderVideoCodecName),
       BoolProperty("VideoDisable", &V::VideoDisable, &V::SetVideoDisable),
       BoolProperty("VideoStreamCopy", &V::VideoStreamCopy, &V::SetVideoStreamCopy),
       IntProperty("VideoCodecTag", &V::VideoCodecTag, &V::SetVideoCodecTag),
       StringProperty("VideoLanguage", &V::VideoLanguage, &V::SetVideoLanguage),
       IntProperty("VideoGlobalHeader", &V::VideoGlobalHeader, &V::SetVideoGlobalHeader),
       BoolProperty("IntraOnly", &V::IntraOnly, &V::SetIntraOnly),
       FloatProperty("VideoQscale", &V::VideoQscale, &V::SetVideoQscale),
       BoolProperty("SameQuality", &V::SameQuality, &V::SetSameQuality),
       StringProperty("VideoRcOverrideString", &V::VideoRcOverrideString, &V::SetVideoRcOverrideString),
       IntProperty("IntraDcPrecision", &V::IntraDcPrecision, &V::SetIntraDcPrecision, 8),
       IntProperty("VideoSyncMethod", &V::VideoSyncMethod, &V::SetVideoSyncMethod),
       IntProperty("TopFieldFirst", &V::TopFieldFirst, &V::SetTopFieldFirst),
       BoolProperty("ForceFPS", &V::ForceFPS, &V::SetForceFPS),
       ListProperty<V>("IntraMatrix", &V::IntraMatrix, &V::SetIntraMatrix),
       ListProperty<V>("InterMatrix", &V::InterMatrix, &V::SetInterMatrix),
       Nested<V, TRational>("FrameRate", &FrameRateOf, RationalClass()),
       FloatProperty("FrameAspectRatio", &V::FrameAspectRatio, &V::SetFrameAspectRatio),
       IntProperty("MeThreshold", &V::MeThreshold, &V::SetMeThreshold),
       BoolProperty("Deinterlace", &V::Deinterlace, &V::SetDeinterlace),
       IntProperty("Pass", &V::Pass, &V::SetPass),
       IntProperty("MaxFrames", &V::MaxFrames, &V::SetMaxFrames),
       IntProperty("Bitrate", &V::Bitrate, &V::SetBitrate)}};
  return c;
}

const TPersistentClass& MuxerClass() {
  using M = TMuxerOptions;
  static const TPersistentClass c{
      "TMuxerOptions",
      {FloatProperty("MuxPreload", &M::MuxPreload, &M::SetMuxPreload),
       FloatProperty("MuxMaxDelay", &M::MuxMaxDelay, &M::SetMuxMaxDelay),
       ListProperty<M>("AudioBitstreamFilters", &M::AudioBitstreamFilters, &M::SetAudioBitstreamFilters),
       ListProperty<M>("SubtitleBitstreamFilters", &M::SubtitleBitstreamFilters, &M::SetSubtitleBitstreamFilters),
       ListProperty<M>("VideoBitstreamFilters", &M::VideoBitstreamFilters, &M::SetVideoBitstreamFilters)}};
  return c;
}

const TPersistentClass& GrabClass() {
  using G = TGrabOptions;
  static const TPersistentClass c{"TGrabOptions",
                                  {IntProperty("VideoChannel", &G::VideoChannel, &G::SetVideoChannel),
                                   StringProperty("VideoStandard", &G::VideoStandard, &G::SetVideoStandard),
                                   BoolProperty("InputSync", &G::InputSync, &G::SetInputSync)}};
  return c;
}

const TPersistentClass& FilterClass() {
  static const TPersistentClass c{
      "TFilterOptions",
      {StringProperty("VideoFilters", &TFilterOptions::VideoFilters, &TFilterOptions::SetVideoFilters)}};
  return c;
}

TAudioOptions& AudioOf(TAVConvertOptions& O) { return O.AudioOptions(); }
TSubtitleOptions& SubtitleOf(TAVConvertOptions& O) { return O.SubtitleOptions(); }
TVideoOptions& VideoOf(TAVConvertOptions& O) { return O.VideoOptions(); }
TMuxerOptions& MuxerOf(TAVConvertOptions& O) { return O.MuxerOptions(); }
TGrabOptions& GrabOf(TAVConvertOptions& O) { return O.GrabOptions(); }
TFilterOptions& FilterOf(TAVConvertOptions& O) { return O.FilterOptions(); }
TAVConvertOptions& OptionsOf(TConversionSettings& S) { return S.ConvertOptions(); }

template <class T>
TPersistentProperty Field(const char* Name, TPropKind Kind, T TConversionSettings::*Member) {
  TPersistentProperty p{Name, Kind};
  if constexpr (std::is_same_v<T, std::string>) {
    p.GetString = [Member](const void* o) { return static_cast<const TConversionSettings*>(o)->*Member; };
    p.SetString = [Member](void* o, const std::string& v) { static_cast<TConversionSettings*>(o)->*Member = v; };
  } else if constexpr (std::is_same_v<T, double>) {
    p.GetFloat = [Member](const void* o) { return static_cast<const TConversionSettings*>(o)->*Member; };
    p.SetFloat = [Member](void* o, double v) { static_cast<TConversionSettings*>(o)->*Member = v; };
  } else {
    p.GetInt = [Member](const void* o) { return static_cast<int64_t>(static_cast<const TConversionSettings*>(o)->*Member); };
    p.SetInt = [Member](void* o, int64_t v) { static_cast<TConversionSettings*>(o)->*Member = static_cast<T>(v); };
  }
  return p;
}

}  // namespace

const TPersistentClass& ConvertOptionsClass() {
  using O = TAVConvertOptions;
  static const TPersistentClass c{
      "TAVConvertOptions",
      {Nested<O, TAudioOptions>("AudioOptions", &AudioOf, AudioClass()),
       Nested<O, TSubtitleOptions>("SubtitleOptions", &SubtitleOf, SubtitleClass()),
       Nested<O, TVideoOptions>("VideoOptions", &VideoOf, VideoClass()),
       Nested<O, TMuxerOptions>("MuxerOptions", &MuxerOf, MuxerClass()),
       Nested<O, TGrabOptions>("GrabOptions", &GrabOf, GrabClass()),
       Nested<O, TFilterOptions>("FilterOptions", &FilterOf, FilterClass()),
       ListProperty<O>("MetaData", &O::MetaData, &O::SetMetaData),
       ListProperty<O>("CodecOptions", &O::CodecOptions, &O::SetCodecOptions),
       StringProperty("OutputFormat", &O::OutputFormat, &O::SetOutputFormat),
       StringProperty("InputFormat", &O::InputFormat, &O::SetInputFormat),
       IntProperty("StartTime", &O::StartTime, &O::SetStartTime),
       IntProperty("RecordingTime", &O::RecordingTime, &O::SetRecordingTime),
       IntProperty("ThreadCount", &O::ThreadCount, &O::SetThreadCount, 1),
       ListProperty<O>("StreamMaps", &O::StreamMaps, &O::SetStreamMaps),
       IntProperty("TargetSize", &O::TargetSize, &O::SetTargetSize, 0)}};
  return c;
}

const TPersistentClass& ConversionSettingsClass() {
  using S = TConversionSettings;
  static const TPersistentClass c{"TConversionSettings",
                                  {Field("SourceFile", TPropKind::String, &S::SourceFile),
                                   Field("TargetFile", TPropKind::String, &S::TargetFile),
                                   Field("Profile", TPropKind::String, &S::Profile),
                                   Field("CategoryId", TPropKind::Int32, &S::CategoryId),
                                   Nested<S, TAVConvertOptions>("ConvertOptions", &OptionsOf, ConvertOptionsClass()),
                                   Field("Duration", TPropKind::Float, &S::Duration),
                                   Field("IsCaptured", TPropKind::Bool, &S::IsCaptured)}};
  return c;
}
