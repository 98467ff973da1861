#pragma once
// Profiles: named output targets that know how to set conversion options.
// Main thread.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Common/StringList.h"

class TAVConverter;
class TIniFile;
class TAVProfileList;

// Stored by ordinal: new values are only ever appended, so older profile files
// keep their meaning.
enum TCustomAudioEncoder : uint8_t { AAC, WMAV2, AC3, MP2, MP3, PCM_S16LE, RA1, AMR_NB, OPUS, FLAC, VORBIS };
enum TCustomAudioChannels : uint8_t { mono1, stereo2 };
enum TCustomAVFormat : uint8_t {
  F_NONE, F_RM, F_MP4, F_ASF, F_AVI, F_3GP, F_3GP2, F_FLV, F_MOV, F_PSP, F_IPOD, F_SVCD, F_VCD, F_VOB, F_DVD,
  F_WEBM, F_AC3, F_MKV, F_OGG, F_OPUS, F_FLAC, F_M4A
};
enum TCustomVideoEncoder : uint8_t { H263, H264, MPEG4, WMV2, MPEG2VIDEO, MSMPEGV3, RV20, XVID, FLV, HEVC, AV1, VP9 };
enum TCustomFrameRate : uint8_t { rOriginal, r1499, r20, r2397, r24, r25, r2997, r30 };
enum TAVAspectRatio : uint8_t { AR_NONE, AR4_3 };
enum TAVFrameSize : uint8_t {
  fsOriginal, fsNtsc, fsPal, fsQntsc, fsIPaq, fsPsp, fsSpal, fsIPhoneWide, fsIPhone, fsSqcif, fsQcif, fsCif, fs4cif,
  fs16cif, fsQqvga, fsQvga, fsVga, fsSvga, fsXga, fsUxga, fsQxga, fsSxga, fsQsxga, fsHsxga, fsWvga, fsWxga,
  fsWsxga, fsWuxga, fsWoxga, fsWqsxga, fsWquxga, fsWhsxga, fsWhuxga, fsCga, fsEga, fsHd480, fsHd720, fsHd1080,
  fsMceHd
};
enum TAVTarget : uint8_t { pal, ntsc, film };
enum TAVImageType : uint8_t { bitmap, jpeg, png, gif, tiff };
enum TPreset : uint8_t {
  basic, FastFirstPass, SlowFirstPass, Common, HighQuality, Best, LosslessFast, LosslessMedium, LosslessSlow,
  LosslessSlower, LosslessMax
};

struct TFrameSize {
  const char* strSize;
  int32_t FrameWidth;
  int32_t FrameHeight;
};
constexpr int kFrameSizeCount = 39;
extern const std::array<TFrameSize, kFrameSizeCount> FrameSizes;
extern const std::array<const char*, 12> VideoEncoderNames;
extern const std::array<const char*, 11> AudioEncoderNames;
extern const std::array<const char*, 22> FormatNames;
extern const std::array<const char*, 8> FrameRateNames;
extern const std::array<const char*, 2> ChannelNames;

class TAVProfile {
 public:
  TAVProfile() = default;
  virtual ~TAVProfile() = default;
  TAVProfile(const TAVProfile&) = delete;
  TAVProfile& operator=(const TAVProfile&) = delete;

  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& Value) { FDescription = Value; }
  const std::string& Category() const { return FCategory; }
  void SetCategory(const std::string& Value) { FCategory = Value; }
  std::string Extension() const { return GetExtension(); }
  void SetExtensionValue(const std::string& Value) { SetExtension(Value); }

  TAVProfileList* ProfileList() const { return FProfileList; }
  // Moves the profile from its list (which must hold it) to List.
  void SetProfileList(TAVProfileList* List);
  int Index() const;
  void SetIndex(int Value);

  virtual std::string GetExtension() const { return FExtension; }
  virtual void SetExtension(const std::string& Value) { FExtension = Value; }
  virtual void WriteToIni(TIniFile& AIni, int Index) const;
  virtual void ReadFromIni(const TIniFile& AIni, int Index);
  // Sets AVConverter's options; returns true.
  virtual bool ApplyProfile(TAVConverter& AVConverter) const = 0;

  void SaveToFile(TIniFile& AIni, int Index) const { WriteToIni(AIni, Index); }
  void LoadFromFile(const TIniFile& AIni, int Index) { ReadFromIni(AIni, Index); }

 private:
  friend class TAVProfileList;
  std::string FDescription;
  std::string FExtension;
  std::string FCategory;
  TAVProfileList* FProfileList = nullptr;
};

class TAVCustomAudioProfile : public TAVProfile {
 public:
  int32_t SampleRate = 0;
  TCustomAudioEncoder AudioEncoder = AAC;
  double AudioBitrate = 0.0;
  TCustomAudioChannels AudioChannels = mono1;
  TCustomAVFormat Format = F_NONE;
  TStringList Options;

  std::string AudioEncoderName() const;
  void WriteToIni(TIniFile& AIni, int Index) const override;
  void ReadFromIni(const TIniFile& AIni, int Index) override;
  bool ApplyProfile(TAVConverter& AVConverter) const override;
};

class TAVCustomVideoProfile : public TAVCustomAudioProfile {
 public:
  int32_t FrameWidth = 0;
  TCustomVideoEncoder VideoEncoder = H263;
  TCustomFrameRate FrameRate = rOriginal;
  int32_t VideoBitrate = 0;
  int32_t FrameHeight = 0;
  int32_t Pass = 0;
  TAVAspectRatio FrameAspectRatio = AR_NONE;
  // Constant-quality value (the encoder's rate factor), used when VideoBitrate
  // is 0; 0 leaves the encoder's own default.
  int32_t VideoQuality = 0;

  TAVFrameSize FrameSize() const;
  std::string VideoEncoderName() const;
  // True when VideoBitrate 0 selects the constant-quality mode of the encoder.
  bool UsesQuality() const;
  double VideoFrameRate() const;
  void WriteToIni(TIniFile& AIni, int Index) const override;
  void ReadFromIni(const TIniFile& AIni, int Index) override;
  bool ApplyProfile(TAVConverter& AVConverter) const override;
};

class TAVTargetProfile : public TAVProfile {
 public:
  TAVTarget Target = pal;

 protected:
  // The frame rate of the target (pal 25/1, ntsc 30000/1001, film 24000/1001).
  void ApplyTargetFrameRate(TAVConverter& AVConverter) const;
  bool IsNtsc() const { return Target == ntsc || Target == film; }
};

// VCD, SVCD and DVD share one sequence of steps with their own values.
struct TDiscTarget;
class TAVDiscProfile : public TAVTargetProfile {
 public:
  bool ApplyProfile(TAVConverter& AVConverter) const override;

 protected:
  virtual const TDiscTarget& Disc() const = 0;
};

class TAVVcdProfile : public TAVDiscProfile {
 public:
  TAVVcdProfile();

 protected:
  const TDiscTarget& Disc() const override;
};

class TAVSVcdProfile : public TAVDiscProfile {
 public:
  TAVSVcdProfile();

 protected:
  const TDiscTarget& Disc() const override;
};

class TAVDvdProfile : public TAVDiscProfile {
 public:
  TAVDvdProfile();

 protected:
  const TDiscTarget& Disc() const override;
};

class TAVDvProfile : public TAVTargetProfile {
 public:
  TAVDvProfile();
  bool ApplyProfile(TAVConverter& AVConverter) const override;
};

class TAVDv50Profile : public TAVTargetProfile {
 public:
  TAVDv50Profile();
  bool ApplyProfile(TAVConverter& AVConverter) const override;
};

class TAVImageProfile : public TAVProfile {
 public:
  TAVImageType ImageType = bitmap;
  TAVImageProfile();
  std::string GetExtension() const override;
  bool ApplyProfile(TAVConverter& AVConverter) const override;
};

class TAVX264Profile : public TAVProfile {
 public:
  TPreset preset = basic;
  TAVX264Profile();
  bool ApplyProfile(TAVConverter& AVConverter) const override;
};

// The catalogue: owns its profiles; carries the category names.
class TAVProfileList {
 public:
  TAVProfileList() = default;
  ~TAVProfileList();
  TAVProfileList(const TAVProfileList&) = delete;
  TAVProfileList& operator=(const TAVProfileList&) = delete;

  TAVProfile* AddProfile(std::unique_ptr<TAVProfile> Profile);
  // Takes the profile out (nullptr when it is not in this list); the caller owns it.
  std::unique_ptr<TAVProfile> RemoveProfile(TAVProfile* Profile);
  // Destroys every profile, last first.
  void Clear();
  int ProfileCount() const { return static_cast<int>(FProfiles.size()); }
  TAVProfile* Profiles(int Index) const;  // out of range: std::out_of_range
  int IndexOf(const TAVProfile* Profile) const;
  void Move(int From, int To);

  TStringList Categories;
  // Profiles whose Category equals Name without regard to case, in list order.
  std::vector<TAVProfile*> ProfilesInCategory(const std::string& Name) const;
  // The first profile whose Description equals Name, or nullptr.
  TAVProfile* FindByDescription(const std::string& Name) const;

 private:
  std::vector<std::unique_ptr<TAVProfile>> FProfiles;
};
