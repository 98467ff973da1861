#include "Converter/AVProfile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Common/Errors.h"
#include "Common/IniFile.h"
#include "Common/NumberText.h"
#include "Converter/AVConverter.h"

const std::array<TFrameSize, kFrameSizeCount> FrameSizes{{
    {"Original", 0, 0},         {"ntsc(720x480)", 720, 480},     {"pal(720x576)", 720, 576},
    {"352x240", 352, 240},      {"240x240)", 240, 240},          {"368x208", 368, 208},
    {"spal(768x576)", 768, 576}, {"720x406", 720, 406},          {"480x320", 480, 320},
    {"sqcif(128x96)", 128, 96}, {"qcif(176x144)", 176, 144},     {"cif(352x288)", 352, 288},
    {"4cif(704x576)", 704, 576}, {"16cif(1408x1152)", 1408, 1152}, {"qqvga(160x120)", 160, 120},
    {"qvga(320x240)", 320, 240}, {"vga(640x480)", 640, 480},     {"svga(800x600)", 800, 600},
    {"xga(1024x768)", 1024, 768}, {"uxga(1600x1200)", 1600, 1200}, {"qxga(2048x1536)", 2048, 1536},
    {"sxga(1280x1024)", 1280, 1024}, {"qsxga(2560x2048)", 2560, 2048}, {"hsxga(5120x4096)", 5120, 4096},
    {"wvga(852x480)", 852, 480}, {"wxga(1366x768)", 1366, 768}, {"wsxga(1600x1024)", 1600, 1024},
    {"wuxga(1920x1200)", 1920, 1200}, {"woxga(2560x1600)", 2560, 1600}, {"wqsxga(3200x2048)", 3200, 2048},
    {"wquxga(3840x2400)", 3840, 2400}, {"whsxga(6400x4096)", 6400, 4096}, {"whuxga(7680x4800)", 7680, 4800},
    {"cga(320x200)", 320, 200}, {"ega(640x350)", 640, 350},     {"hd480(852x480)", 852, 480},
    {"hd720(1280x720)", 1280, 720}, {"hd1080(1920x1080)", 1920, 1080}, {"1440x1080", 1440, 1080},
}};
const std::array<const char*, 12> VideoEncoderNames{"H263", "H264", "MPEG4", "WMV2", "MPEG2VIDEO", "MSMPEGV3",
                                                    "RV20", "XVID", "FLV", "HEVC", "AV1", "VP9"};
const std::array<const char*, 11> AudioEncoderNames{"AAC", "WMAV2", "AC3", "MP2", "MP3", "PCM_S16LE",
                                                    "RA1", "AMR_NB", "OPUS", "FLAC", "VORBIS"};
const std::array<const char*, 22> FormatNames{"NONE", "RM", "MP4", "ASF", "AVI", "3GP", "3GP2", "FLV",
                                              "MOV", "PSP", "IPOD", "SVCD", "VCD", "VOB", "DVD", "WEBM",
                                              "AC3", "MKV", "OGG", "OPUS", "FLAC", "M4A"};
const std::array<const char*, 8> FrameRateNames{"Original", "14.99", "20", "23.97", "24", "25", "29.97", "30"};
const std::array<const char*, 2> ChannelNames{"mono", "stereo"};

namespace {

constexpr const char* kSection = "Profile";
constexpr double kBitsPerKilobit = 1000.0;

struct TRate {
  int Num, Den;
};
constexpr std::array<TRate, 8> kFrameRates{{{0, 0}, {15000, 1001}, {20, 1}, {24000, 1001}, {24, 1}, {25, 1},
                                            {30000, 1001}, {30, 1}}};
constexpr std::array<TRate, 3> kTargetRates{{{25, 1}, {30000, 1001}, {24000, 1001}}};
constexpr std::array<const char*, 11> kAudioCodecs{"libfaac", "wmav2", "ac3", "mp2", "libmp3lame", "pcm_s16le",
                                                   "real_144", "libopencore_amrnb", "libopus", "flac", "libvorbis"};
// M4A is the iPod flavour of MP4, as the library itself picks for ".m4a".
constexpr std::array<const char*, 22> kFormats{"", "rm", "mp4", "asf", "avi", "3gp", "3g2", "flv", "mov",
                                               "psp", "ipod", "svcd", "vcd", "vob", "dvd", "webm", "ac3",
                                               "matroska", "ogg", "opus", "flac", "ipod"};

using TOptionPair = std::pair<const char*, const char*>;

// What a video encoder needs besides its name. Encoders with a rate factor
// take the profile's quality as "crf"; the newer ones are given 4:2:0
// pictures (what players decode in hardware) and their own speed settings,
// which Options lines of the profile override.
struct TVideoCodec {
  const char* Name;
  bool SingleThread;
  bool RateFactor;
  std::vector<TOptionPair> Defaults;
};
constexpr const char* kPortablePixFmt = "yuv420p";
// SVT-AV1 preset 10 encodes 720p at more than real time on two cores
// (docs/PERFORMANCE.md); lower presets are several times slower.
constexpr const char* kSvtAv1Preset = "10";
const std::array<TVideoCodec, 12> kVideoCodecs{{
    {"h263", true, false, {}},
    {"libx264", false, true, {}},
    {"mpeg4", false, false, {}},
    {"wmv2", true, false, {}},
    {"mpeg2video", false, false, {}},
    {"msmpeg4", false, false, {}},
    {"rv20", true, false, {}},
    {"libxvid", false, false, {}},
    {"flv", true, false, {}},
    {"libx265", false, true, {{"pix_fmt", kPortablePixFmt}}},
    {"libsvtav1", false, true, {{"pix_fmt", kPortablePixFmt}, {"preset", kSvtAv1Preset}}},
    {"libvpx-vp9", false, true,
     {{"pix_fmt", kPortablePixFmt}, {"deadline", "good"}, {"cpu-used", "4"}, {"row-mt", "1"}}},
}};
// Apple's players take HEVC in MP4 only with the "hvc1" sample entry.
constexpr const char* kHevcAppleTag = "hvc1";
constexpr std::array<const char*, 5> kImageExtensions{".bmp", ".jpg", ".png", ".gif", ".tif"};
constexpr float kFourThirds = 4.0f / 3.0f;
constexpr int kYuv420p = 0, kYuv422p = 4, kYuv411p = 7;  // the library's pixel-format numbers
constexpr int kDvWidth = 720, kDvPalHeight = 576, kDvNtscHeight = 480;

std::string Key(const char* Name, int Index) { return std::string(Name) + std::to_string(Index); }

// Containers of the MP4 family (ISO base media files).
bool IsIsoMedia(TCustomAVFormat Format) {
  return Format == F_MP4 || Format == F_MOV || Format == F_IPOD || Format == F_M4A;
}

// One x264 preset: the values of its own keys ("" = not set).
struct TX264Preset {
  const char *Partitions, *MeMethod, *Subq, *MeRange, *BStrategy, *Bf, *Refs, *DirectPred, *Trellis, *Cqp,
      *Flags2, *WPredP;
};
constexpr std::array<TX264Preset, 11> kPresets{{
    {"+parti8x8+parti4x4+partp8x8+partb8x8", "hex", "7", "16", "1", "3", "3", "1", "1", "",
     "+mixed_refs+wpred+dct8x8+fastpskip+mbtree", "2"},
    {"-parti8x8-parti4x4-partp8x8-partp4x4-partb8x8", "dia", "2", "16", "1", "3", "1", "3", "0", "",
     "-bpyramid-wpred-mixed_refs-dct8x8+fastpskip+mbtree", "2"},
    {"+parti8x8+parti4x4+partp8x8+partb8x8", "hex", "6", "16", "2", "3", "1", "3", "0", "",
     "+wpred+dct8x8+fastpskip+mbtree", "2"},
    {"+parti8x8+parti4x4+partp8x8+partb8x8", "hex", "6", "16", "1", "3", "2", "3", "0", "",
     "+wpred+dct8x8+fastpskip+mbtree", "2"},
    {"+parti8x8+parti4x4+partp8x8+partb8x8", "umh", "8", "16", "2", "3", "4", "3", "1", "",
     "+wpred+mixed_refs+dct8x8+fastpskip+mbtree", "2"},
    {"+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8", "tesa", "10", "24", "2", "3", "16", "3", "2", "",
     "+wpred+mixed_refs+dct8x8-fastpskip+mbtree", "2"},
    {"-parti8x8+parti4x4+partp8x8-partp4x4-partb8x8", "hex", "3", "16", "1", "", "", "1", "", "0",
     "+fastpskip+mbtree", "0"},
    {"-parti8x8+parti4x4+partp8x8+partp4x4-partb8x8", "hex", "5", "16", "1", "", "", "1", "", "0",
     "+fastpskip+mbtree", "2"},
    {"+parti8x8+parti4x4+partp8x8+partp4x4-partb8x8", "umh", "6", "16", "1", "", "2", "1", "", "0",
     "+dct8x8+fastpskip+mbtree", "2"},
    {"+parti8x8+parti4x4+partp8x8+partp4x4-partb8x8", "umh", "8", "16", "1", "", "4", "1", "", "0",
     "+mixed_refs+dct8x8+fastpskip+mbtree", "2"},
    {"+parti8x8+parti4x4+partp8x8+partp4x4-partb8x8", "esa", "8", "16", "1", "", "16", "1", "", "0",
     "+mixed_refs+dct8x8+fastpskip+mbtree", "2"},
}};

}  // namespace

// ---- TAVProfile ----

void TAVProfile::SetProfileList(TAVProfileList* List) {
  if (List == FProfileList || !FProfileList) return;
  std::unique_ptr<TAVProfile> self = FProfileList->RemoveProfile(this);
  if (List) List->AddProfile(std::move(self));
  // Leaving every list: the profile has no owner left and goes with `self`.
}

int TAVProfile::Index() const { return FProfileList ? FProfileList->IndexOf(this) : -1; }

void TAVProfile::SetIndex(int Value) {
  if (!FProfileList) return;
  const int count = FProfileList->ProfileCount();
  const int to = std::clamp(Value, 0, count - 1);
  const int from = Index();
  if (to != from) FProfileList->Move(from, to);
}

void TAVProfile::WriteToIni(TIniFile& AIni, int Index) const {
  AIni.WriteString(kSection, Key("Description", Index), FDescription);
  AIni.WriteString(kSection, Key("Extension", Index), GetExtension());
  AIni.WriteString(kSection, Key("Category", Index), FCategory);
}

void TAVProfile::ReadFromIni(const TIniFile& AIni, int Index) {
  FDescription = AIni.ReadString(kSection, Key("Description", Index), FDescription);
  SetExtension(AIni.ReadString(kSection, Key("Extension", Index), GetExtension()));
  FCategory = AIni.ReadString(kSection, Key("Category", Index), FCategory);
}

// ---- audio ----

std::string TAVCustomAudioProfile::AudioEncoderName() const {
  return AudioEncoder < AudioEncoderNames.size() ? AudioEncoderNames[AudioEncoder] : "";
}

void TAVCustomAudioProfile::WriteToIni(TIniFile& AIni, int Index) const {
  TAVProfile::WriteToIni(AIni, Index);
  AIni.WriteString(kSection, Key("IsVideo", Index), "0");
  AIni.WriteInteger(kSection, Key("SampleRate", Index), SampleRate);
  AIni.WriteInteger(kSection, Key("AudioEncoder", Index), AudioEncoder);
  AIni.WriteInteger(kSection, Key("AudioChannels", Index), AudioChannels);
  AIni.WriteFloat(kSection, Key("AudioBitrate", Index), AudioBitrate);
  AIni.WriteInteger(kSection, Key("Format", Index), Format);
  AIni.WriteString(kSection, Key("Options", Index), TIniFile::EscapeLines(Options.Text()));
}

void TAVCustomAudioProfile::ReadFromIni(const TIniFile& AIni, int Index) {
  TAVProfile::ReadFromIni(AIni, Index);
  SampleRate = AIni.ReadInteger(kSection, Key("SampleRate", Index), SampleRate);
  AudioEncoder = static_cast<TCustomAudioEncoder>(AIni.ReadInteger(kSection, Key("AudioEncoder", Index), AudioEncoder));
  AudioChannels =
      static_cast<TCustomAudioChannels>(AIni.ReadInteger(kSection, Key("AudioChannels", Index), AudioChannels));
  AudioBitrate = AIni.ReadFloat(kSection, Key("AudioBitrate", Index), AudioBitrate);
  Format = static_cast<TCustomAVFormat>(AIni.ReadInteger(kSection, Key("Format", Index), Format));
  const std::string current = TIniFile::EscapeLines(Options.Text());
  Options.SetText(TIniFile::UnescapeLines(AIni.ReadString(kSection, Key("Options", Index), current)));
}

bool TAVCustomAudioProfile::ApplyProfile(TAVConverter& AVConverter) const {
  TAVConvertOptions& o = AVConverter.ConvertOptions();
  o.VideoOptions().SetVideoDisable(true);
  QB_ASSERT("AVProfile", AudioEncoder < kAudioCodecs.size());
  o.AudioOptions().SetEncoderAudioCodecName(kAudioCodecs[AudioEncoder]);
  QB_ASSERT("AVProfile", Format < kFormats.size());
  if (Format != F_NONE) o.SetOutputFormat(kFormats[Format]);
  o.AudioOptions().SetBitrate(static_cast<int32_t>(std::lround(AudioBitrate * kBitsPerKilobit)));
  o.AudioOptions().SetAudioSampleRate(SampleRate);
  o.AudioOptions().SetAudioChannels(AudioChannels == mono1 ? 1 : 2);
  for (int i = 0; i < Options.Count(); ++i) o.SetAdvancedOption(Options.Names(i), Options.ValueFromIndex(i));
  return true;
}

// ---- video ----

TAVFrameSize TAVCustomVideoProfile::FrameSize() const {
  for (size_t i = 0; i < FrameSizes.size(); ++i)
    if (FrameSizes[i].FrameWidth == FrameWidth && FrameSizes[i].FrameHeight == FrameHeight)
      return static_cast<TAVFrameSize>(i);
  return fsOriginal;
}

std::string TAVCustomVideoProfile::VideoEncoderName() const {
  return VideoEncoder < VideoEncoderNames.size() ? VideoEncoderNames[VideoEncoder] : "";
}

bool TAVCustomVideoProfile::UsesQuality() const {
  return VideoBitrate == 0 && VideoEncoder < kVideoCodecs.size() && kVideoCodecs[VideoEncoder].RateFactor;
}

double TAVCustomVideoProfile::VideoFrameRate() const {
  if (FrameRate == rOriginal || FrameRate >= FrameRateNames.size()) return 0.0;
  double rate = 0.0;
  ParseFloat(FrameRateNames[FrameRate], rate);
  return rate;
}

void TAVCustomVideoProfile::WriteToIni(TIniFile& AIni, int Index) const {
  TAVCustomAudioProfile::WriteToIni(AIni, Index);
  AIni.WriteString(kSection, Key("IsVideo", Index), "1");
  AIni.WriteInteger(kSection, Key("FrameWidth", Index), FrameWidth);
  AIni.WriteInteger(kSection, Key("FrameHeight", Index), FrameHeight);
  AIni.WriteInteger(kSection, Key("VideoEncoder", Index), VideoEncoder);
  AIni.WriteInteger(kSection, Key("FrameRate", Index), FrameRate);
  AIni.WriteInteger(kSection, Key("VideoBitrate", Index), VideoBitrate);
  AIni.WriteInteger(kSection, Key("VideoQuality", Index), VideoQuality);
}

void TAVCustomVideoProfile::ReadFromIni(const TIniFile& AIni, int Index) {
  TAVCustomAudioProfile::ReadFromIni(AIni, Index);
  FrameWidth = AIni.ReadInteger(kSection, Key("FrameWidth", Index), FrameWidth);
  FrameHeight = AIni.ReadInteger(kSection, Key("FrameHeight", Index), FrameHeight);
  VideoEncoder = static_cast<TCustomVideoEncoder>(AIni.ReadInteger(kSection, Key("VideoEncoder", Index), VideoEncoder));
  FrameRate = static_cast<TCustomFrameRate>(AIni.ReadInteger(kSection, Key("FrameRate", Index), FrameRate));
  VideoBitrate = AIni.ReadInteger(kSection, Key("VideoBitrate", Index), VideoBitrate);
  VideoQuality = AIni.ReadInteger(kSection, Key("VideoQuality", Index), VideoQuality);
}

bool TAVCustomVideoProfile::ApplyProfile(TAVConverter& AVConverter) const {
  const bool result = TAVCustomAudioProfile::ApplyProfile(AVConverter);
  TAVConvertOptions& o = AVConverter.ConvertOptions();
  TVideoOptions& v = o.VideoOptions();
  v.SetVideoDisable(false);
  QB_ASSERT("AVProfile", VideoEncoder < kVideoCodecs.size());
  const TVideoCodec& codec = kVideoCodecs[VideoEncoder];
  v.SetEncoderVideoCodecName(codec.Name);
  if (codec.SingleThread) o.SetThreadCount(1);
  for (const auto& [k, value] : codec.Defaults)
    if (o.CodecOptions().IndexOfName(k) < 0) o.SetAdvancedOption(k, value);
  if (VideoEncoder == HEVC && IsIsoMedia(Format) && o.CodecOptions().IndexOfName("vtag") < 0)
    o.SetAdvancedOption("vtag", kHevcAppleTag);
  if (VideoEncoder == H264) {
    TAVX264Profile x264;
    x264.preset = basic;
    x264.ApplyProfile(AVConverter);
    v.SetPass(1);
    o.SetAdvancedOption("mbd", "rd");
    o.SetAdvancedOption("level", "41");
  }
  if (FrameWidth > 0) v.SetFrameWidth(FrameWidth);
  if (FrameHeight > 0) v.SetFrameHeight(FrameHeight);
  v.SetBitrate(static_cast<int32_t>(VideoBitrate * kBitsPerKilobit));
  if (UsesQuality() && VideoQuality > 0) {
    o.SetAdvancedOption("b", "0");  // some encoders default to a bit rate, which would cap the quality
    o.SetAdvancedOption("crf", std::to_string(VideoQuality));
  }
  if (FrameAspectRatio == AR4_3) v.SetFrameAspectRatio(kFourThirds);
  v.SetPass(Pass);
  if (FrameRate != rOriginal && FrameRate < kFrameRates.size()) {
    v.FrameRate().Setnum(kFrameRates[FrameRate].Num);
    v.FrameRate().Setden(kFrameRates[FrameRate].Den);
  }
  return result;
}

// ---- targets ----

void TAVTargetProfile::ApplyTargetFrameRate(TAVConverter& AVConverter) const {
  const TRate r = kTargetRates[Target < kTargetRates.size() ? Target : pal];
  AVConverter.ConvertOptions().VideoOptions().FrameRate().Setnum(r.Num);
  AVConverter.ConvertOptions().VideoOptions().FrameRate().Setden(r.Den);
}

struct TDiscTarget {
  const char* VideoCodec;
  const char* AudioCodec;
  const char* Format;
  int PalWidth, PalHeight, NtscWidth, NtscHeight;
  int VideoBitrate, AudioBitrate;
  std::vector<std::pair<const char*, const char*>> Advanced;
  int SampleRate;
  int Channels;       // 0: unchanged
  float MuxPreload;   // 0: unchanged
};

namespace {
const TDiscTarget kVcd{"mpeg1video", "mp2", "vcd", 352, 288, 352, 240, 1150000, 224000,
                       {{"maxrate", "1150000"}, {"minrate", "1150000"}, {"bufsize", "327680"},
                        {"packetsize", "2324"}, {"muxrate", "1411200"}},
                       44100, 2, 0.44f};
const TDiscTarget kSvcd{"mpeg2video", "mp2", "svcd", 480, 576, 480, 480, 2040000, 224000,
                        {{"maxrate", "2516000"}, {"minrate", "0"}, {"bufsize", "1835008"},
                         {"flags", "+scan_offset"}, {"packetsize", "2324"}},
                        44100, 0, 0.0f};
const TDiscTarget kDvd{"mpeg2video", "ac3", "dvd", 720, 576, 720, 480, 6000000, 448000,
                       {{"maxrate", "9000000"}, {"minrate", "0"}, {"bufsize", "1835008"},
                        {"packetsize", "2048"}, {"muxrate", "10080000"}},
                       48000, 0, 0.0f};
constexpr const char* kPalGop = "g=15";
constexpr const char* kNtscGop = "g=18";
}  // namespace

bool TAVDiscProfile::ApplyProfile(TAVConverter& AVConverter) const {
  const TDiscTarget& d = Disc();
  TAVConvertOptions& o = AVConverter.ConvertOptions();
  o.VideoOptions().SetEncoderVideoCodecName(d.VideoCodec);
  o.AudioOptions().SetEncoderAudioCodecName(d.AudioCodec);
  o.SetOutputFormat(d.Format);
  o.VideoOptions().SetFrameWidth(IsNtsc() ? d.NtscWidth : d.PalWidth);
  o.VideoOptions().SetFrameHeight(IsNtsc() ? d.NtscHeight : d.PalHeight);
  o.CodecOptions().Add(IsNtsc() ? kNtscGop : kPalGop);
  o.VideoOptions().SetBitrate(d.VideoBitrate);
  o.AudioOptions().SetBitrate(d.AudioBitrate);
  for (const auto& [k, v] : d.Advanced) o.SetAdvancedOption(k, v);
  o.AudioOptions().SetAudioSampleRate(d.SampleRate);
  if (d.Channels) o.AudioOptions().SetAudioChannels(d.Channels);
  if (d.MuxPreload > 0) o.MuxerOptions().SetMuxPreload(d.MuxPreload);
  ApplyTargetFrameRate(AVConverter);
  return true;
}

TAVVcdProfile::TAVVcdProfile() {
  SetDescription("VCD");
  SetExtension(".mpg");
}
const TDiscTarget& TAVVcdProfile::Disc() const { return kVcd; }

TAVSVcdProfile::TAVSVcdProfile() {
  SetDescription("SVCD");
  SetExtension(".mpg");
}
const TDiscTarget& TAVSVcdProfile::Disc() const { return kSvcd; }

TAVDvdProfile::TAVDvdProfile() {
  SetDescription("DVD");
  SetExtension(".vob");
}
const TDiscTarget& TAVDvdProfile::Disc() const { return kDvd; }

TAVDvProfile::TAVDvProfile() {
  SetDescription("DV");
  SetExtension(".dv");
}

// A DV frame carries the audio of its own time: the muxer counts samples, not
// time stamps. Audio time stamps that follow the source's (rounded, with the
// resampler's delay) can lag the samples by a few and starve a frame, so DV
// audio is timed by its samples and kept in step by padding or cutting.
namespace {
void KeepDvAudioInStep(TAVConvertOptions& Options) {
  if (Options.AudioOptions().AudioSyncMethod() == 0) Options.AudioOptions().SetAudioSyncMethod(1);
}
}  // namespace

bool TAVDvProfile::ApplyProfile(TAVConverter& AVConverter) const {
  TAVConvertOptions& o = AVConverter.ConvertOptions();
  o.SetOutputFormat("dv");
  o.VideoOptions().SetFrameWidth(kDvWidth);
  o.VideoOptions().SetFrameHeight(IsNtsc() ? kDvNtscHeight : kDvPalHeight);
  o.VideoOptions().SetFFramePixFormat(IsNtsc() ? kYuv411p : kYuv420p);
  o.AudioOptions().SetAudioSampleRate(48000);
  o.AudioOptions().SetAudioChannels(2);
  KeepDvAudioInStep(o);
  ApplyTargetFrameRate(AVConverter);
  return true;
}

TAVDv50Profile::TAVDv50Profile() {
  SetDescription("DV50");
  SetExtension(".dv");
}

bool TAVDv50Profile::ApplyProfile(TAVConverter& AVConverter) const {
  TVideoOptions& video = AVConverter.ConvertOptions().VideoOptions();
  video.SetFFramePixFormat(kYuv422p);
  // DV50 exists only in the DV picture sizes: without them a source of any
  // other size could not be written.
  video.SetFrameWidth(kDvWidth);
  video.SetFrameHeight(IsNtsc() ? kDvNtscHeight : kDvPalHeight);
  KeepDvAudioInStep(AVConverter.ConvertOptions());
  ApplyTargetFrameRate(AVConverter);
  return true;
}

// ---- image and x264 ----

TAVImageProfile::TAVImageProfile() { SetDescription("Image Sequence Profile"); }

std::string TAVImageProfile::GetExtension() const {
  QB_ASSERT("AVProfile", ImageType < kImageExtensions.size());
  return std::string("%1d") + kImageExtensions[ImageType];
}

bool TAVImageProfile::ApplyProfile(TAVConverter&) const { return true; }

TAVX264Profile::TAVX264Profile() {
  SetDescription("H264 Profile");
  SetExtension(".mp4");
}

bool TAVX264Profile::ApplyProfile(TAVConverter& AVConverter) const {
  if (preset >= kPresets.size()) return true;
  const TX264Preset& p = kPresets[preset];
  TAVConvertOptions& o = AVConverter.ConvertOptions();
  auto set = [&o](const char* K, const char* V) {
    if (*V) o.SetAdvancedOption(K, V);
  };
  set("coder", "1");
  set("flags", "+loop");
  set("cmp", "+chroma");
  set("partitions", p.Partitions);
  set("me_method", p.MeMethod);
  set("subq", p.Subq);
  set("me_range", p.MeRange);
  set("g", "250");
  set("keyint_min", "25");
  set("sc_threshold", "40");
  set("i_qfactor", "0.71");
  set("b_strategy", p.BStrategy);
  set("qcomp", "0.6");
  set("qmin", "10");
  set("qmax", "51");
  set("qdiff", "4");
  set("bf", p.Bf);
  set("refs", p.Refs);
  set("directpred", p.DirectPred);
  set("trellis", p.Trellis);
  set("cqp", p.Cqp);
  set("flags2", p.Flags2);
  set("wpredp", p.WPredP);
  return true;
}

// ---- list ----

TAVProfileList::~TAVProfileList() { Clear(); }

TAVProfile* TAVProfileList::AddProfile(std::unique_ptr<TAVProfile> Profile) {
  Profile->FProfileList = this;
  FProfiles.push_back(std::move(Profile));
  return FProfiles.back().get();
}

std::unique_ptr<TAVProfile> TAVProfileList::RemoveProfile(TAVProfile* Profile) {
  const int i = IndexOf(Profile);
  if (i < 0) return nullptr;
  std::unique_ptr<TAVProfile> p = std::move(FProfiles[static_cast<size_t>(i)]);
  FProfiles.erase(FProfiles.begin() + i);
  p->FProfileList = nullptr;
  return p;
}

void TAVProfileList::Clear() {
  while (!FProfiles.empty()) FProfiles.pop_back();  // last first
}

TAVProfile* TAVProfileList::Profiles(int Index) const {
  if (Index < 0 || Index >= ProfileCount()) throw std::out_of_range(Format("List index out of bounds (%d)", Index));
  return FProfiles[static_cast<size_t>(Index)].get();
}

int TAVProfileList::IndexOf(const TAVProfile* Profile) const {
  for (size_t i = 0; i < FProfiles.size(); ++i)
    if (FProfiles[i].get() == Profile) return static_cast<int>(i);
  return -1;
}

void TAVProfileList::Move(int From, int To) {
  auto p = std::move(FProfiles[static_cast<size_t>(From)]);
  FProfiles.erase(FProfiles.begin() + From);
  FProfiles.insert(FProfiles.begin() + To, std::move(p));
}

std::vector<TAVProfile*> TAVProfileList::ProfilesInCategory(const std::string& Name) const {
  std::vector<TAVProfile*> out;
  for (const auto& p : FProfiles)
    if (!p->Category().empty() && SameText(p->Category(), Name)) out.push_back(p.get());
  return out;
}

TAVProfile* TAVProfileList::FindByDescription(const std::string& Name) const {
  for (const auto& p : FProfiles)
    if (p->Description() == Name) return p.get();
  return nullptr;
}
