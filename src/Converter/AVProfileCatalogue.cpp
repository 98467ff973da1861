#include "Converter/AVProfileCatalogue.h"

#include <initializer_list>

namespace {

struct TAudioRow {
  const char* Description;
  const char* Extension;
  const char* Category;
  TCustomAudioEncoder Encoder;
  int SampleRate;
  TCustomAudioChannels Channels;
  double Bitrate;
  TCustomAVFormat Format;
};

struct TVideoRow {
  TAudioRow Audio;
  TCustomVideoEncoder Encoder;
  int Width, Height;
  TCustomFrameRate Rate;
  int Bitrate;
  TAVAspectRatio Aspect;
  std::initializer_list<const char*> Options;
  int Quality = 0;  // used when Bitrate is 0
};

// "maxrate=1000000", ... of the iPhone MPEG-4 rows.
const std::initializer_list<const char*> kIPhoneOptions = {"maxrate=1000000", "qmin=3", "qmax=5", "bufsize=4096k",
                                                           "g=300"};
const std::initializer_list<const char*> kBitExact = {"flags=bitexact"};
// H.264 that every player of the last decade takes: High profile, 4:2:0, and
// the index at the front so that playback starts before the download ends.
const std::initializer_list<const char*> kUniversalH264 = {"profile=high", "pix_fmt=yuv420p", "movflags=+faststart"};
constexpr const char* kNewFormats = "新格式";
// Rate factors of the constant-quality rows: each encoder's visually
// comparable middle setting.
constexpr int kX264Quality = 23, kX265Quality = 28, kSvtAv1Quality = 35, kVp9Quality = 31;

void Fill(TAVCustomAudioProfile& P, const TAudioRow& R) {
  P.SetDescription(R.Description);
  P.SetExtension(R.Extension);
  P.SetCategory(R.Category);
  P.AudioEncoder = R.Encoder;
  P.SampleRate = R.SampleRate;
  P.AudioChannels = R.Channels;
  P.AudioBitrate = R.Bitrate;
  P.Format = R.Format;
}

void AddAudio(TAVProfileList& L, const TAudioRow& R) {
  auto p = std::make_unique<TAVCustomAudioProfile>();
  Fill(*p, R);
  L.AddProfile(std::move(p));
}

void AddVideo(TAVProfileList& L, const TVideoRow& R) {
  auto p = std::make_unique<TAVCustomVideoProfile>();
  Fill(*p, R.Audio);
  p->VideoEncoder = R.Encoder;
  p->FrameWidth = R.Width;
  p->FrameHeight = R.Height;
  p->FrameRate = R.Rate;
  p->VideoBitrate = R.Bitrate;
  p->FrameAspectRatio = R.Aspect;
  p->Pass = 0;
  p->VideoQuality = R.Quality;
  for (const char* o : R.Options) p->Options.Add(o);
  L.AddProfile(std::move(p));
}

template <class T>
void AddTarget(TAVProfileList& L, const char* Category) {
  auto p = std::make_unique<T>();
  p->SetCategory(Category);
  p->Target = pal;
  L.AddProfile(std::move(p));
}

}  // namespace

int BuiltInCategoryCount() {
  TAVProfileList list;
  BuildProfileCatalogue(list);
  return list.Categories.Count();
}

void BuildProfileCatalogue(TAVProfileList& L) {
  L.Clear();
  AddTarget<TAVDv50Profile>(L, "手机&3gp");
  AddTarget<TAVSVcdProfile>(L, "");
  AddVideo(L, {{"Matroska Video(.mkv)", ".mkv", "视频", MP3, 48000, stereo2, 128.0, F_NONE}, H264, 0, 0, r25, 1200, AR_NONE, {}});
  AddVideo(L, {{"DVD MPEG TS(PAL)", ".vob", "视频", AC3, 48000, stereo2, 448.0, F_DVD}, MPEG2VIDEO, 720, 576, r25, 6000, AR_NONE, {}});
  AddVideo(L, {{"DVD MPEG2 PS(NTSC)", ".vob", "视频", AC3, 48000, stereo2, 448.0, F_DVD}, MPEG2VIDEO, 720, 480, r2997, 6000, AR_NONE, {}});
  AddTarget<TAVVcdProfile>(L, "");
  {
    auto image = std::make_unique<TAVImageProfile>();
    image->ImageType = bitmap;
    L.AddProfile(std::move(image));
  }
  AddAudio(L, {"AAC Audio", ".mp4", "音频", AAC, 48000, stereo2, 128.0, F_NONE});
  AddAudio(L, {"MP3 Audio", ".mp3", "音频", MP3, 48000, stereo2, 192.0, F_NONE});
  AddVideo(L, {{"Apple TV H264 Video(320x240)", ".mp4", "Apple TV", AAC, 48000, stereo2, 64.0, F_NONE}, H264, 320, 240, r2997, 1500, AR_NONE, {}});
  AddVideo(L, {{"Apple TV H264 video(640x480)", ".mp4", "Apple TV", AAC, 48000, stereo2, 64.0, F_NONE}, H264, 640, 480, r2997, 2000, AR_NONE, {}});
  AddVideo(L, {{"Apple TV H264 video(1280x720)", ".mp4", "Apple TV", AAC, 48000, stereo2, 64.0, F_NONE}, H264, 1280, 720, r2997, 2500, AR_NONE, {}});
  AddVideo(L, {{"Apple TV MPEG-4 high quality video(640x480)", ".mp4", "Apple TV", AAC, 44100, stereo2, 128.0, F_NONE}, MPEG4, 640, 480, r2997, 1500, AR_NONE, {}});
  AddVideo(L, {{"Apple TV MPEG-4 video(640x480)", ".mp4", "Apple TV", AAC, 44100, stereo2, 96.0, F_NONE}, MPEG4, 640, 480, r2997, 1200, AR_NONE, {}});
  AddVideo(L, {{"Apple TV MPEG-4 low quality video(640x480)", ".mp4", "Apple TV", AAC, 44100, stereo2, 64.0, F_NONE}, MPEG4, 640, 480, r2997, 768, AR_NONE, {}});
  AddVideo(L, {{"Zune MPEG4 Video(320x240)", ".mp4", "Zune", AAC, 44100, stereo2, 64.0, F_NONE}, MPEG4, 320, 240, r25, 768, AR_NONE, {}});
  AddVideo(L, {{"Zune H264 Video(320x240)", ".mp4", "Zune", AAC, 44100, stereo2, 64.0, F_NONE}, H264, 320, 240, r25, 768, AR_NONE, {}});
  AddVideo(L, {{"Zune Windows Media WMV(320x240)", ".wmv", "Zune", WMAV2, 48000, stereo2, 128.0, F_NONE}, WMV2, 320, 240, r25, 1500, AR_NONE, {}});
  AddVideo(L, {{"Dell Axim X51 Video", ".wmv", "Windows手机", WMAV2, 32000, stereo2, 128.0, F_NONE}, WMV2, 320, 240, r25, 768, AR_NONE, {}});
  AddVideo(L, {{"Dell Axim X51v Video", ".wmv", "Windows手机", WMAV2, 48000, stereo2, 128.0, F_NONE}, WMV2, 320, 240, r25, 1000, AR_NONE, {}});
  AddVideo(L, {{"General Pocket PC Video", ".wmv", "Windows手机", WMAV2, 32000, stereo2, 128.0, F_NONE}, WMV2, 320, 240, r25, 768, AR_NONE, {}});
  AddVideo(L, {{"General Pocket PC Video(Low Quality)", ".wmv", "Windows手机", WMAV2, 32000, stereo2, 128.0, F_NONE}, WMV2, 176, 144, r25, 384, AR_NONE, {}});
  AddVideo(L, {{"HP iPAQ hw6500", ".wmv", "Windows手机", WMAV2, 32000, stereo2, 128.0, F_NONE}, WMV2, 240, 240, r25, 384, AR_NONE, {}});
  AddVideo(L, {{"HP iPAQ hx2000/rx3000/rx1900", ".wmv", "Windows手机", WMAV2, 32000, stereo2, 128.0, F_NONE}, WMV2, 320, 240, r25, 768, AR_NONE, {}});
  AddVideo(L, {{"HP iPAQ hx4700", ".wmv", "Windows手机", WMAV2, 48000, stereo2, 128.0, F_NONE}, WMV2, 640, 480, r25, 1200, AR_NONE, {}});
  AddVideo(L, {{"PS3 1080 HD Video", ".mp4", "PS3", AAC, 48000, stereo2, 128.0, F_NONE}, H264, 1920, 1080, r2997, 35000, AR_NONE, {}});
  AddVideo(L, {{"PS3 720p Video", ".mp4", "PS3", AAC, 48000, stereo2, 128.0, F_NONE}, H264, 1280, 720, r2997, 15000, AR_NONE, {}});
  AddVideo(L, {{"PS3 480p Video", ".mp4", "PS3", AAC, 48000, stereo2, 80.0, F_NONE}, H264, 720, 480, r2997, 5000, AR_NONE, {}});
  AddVideo(L, {{"PSP MPEG4 Video", ".mp4", "PSP", AAC, 48000, stereo2, 64.0, F_PSP}, XVID, 368, 208, r2997, 512, AR_NONE, {}});
  AddVideo(L, {{"PSP AVC Video", ".mp4", "PSP", AAC, 48000, stereo2, 64.0, F_PSP}, H264, 368, 208, r2997, 512, AR_NONE, {}});
  AddVideo(L, {{"PSP 480p Video", ".mp4", "PSP", AAC, 48000, stereo2, 80.0, F_PSP}, H264, 368, 208, r2997, 1200, AR_NONE, {}});
  AddVideo(L, {{"IPhone H264 Video", ".mp4", "IPhone", AAC, 48000, stereo2, 128.0, F_MP4}, H264, 480, 320, r2997, 1000, AR4_3, {}});
  AddVideo(L, {{"IPhone H264 Television Video", ".mp4", "IPhone", AAC, 48000, stereo2, 128.0, F_MP4}, H264, 640, 480, r2997, 1800, AR_NONE, {}});
  AddVideo(L, {{"IPhone MPEG4 Video", ".mp4", "IPhone", AAC, 48000, stereo2, 128.0, F_MP4}, MPEG4, 480, 320, r2997, 1000, AR4_3, kIPhoneOptions});
  AddVideo(L, {{"IPhone MPEG4 Television Video", ".mp4", "IPhone", AAC, 48000, stereo2, 128.0, F_MP4}, MPEG4, 640, 480, r2997, 1800, AR_NONE, kIPhoneOptions});
  AddVideo(L, {{"IPhone MPEG4 Wide Screen Video", ".mp4", "IPhone", AAC, 44100, stereo2, 128.0, F_MP4}, XVID, 720, 406, r2997, 1500, AR_NONE, kIPhoneOptions});
  AddVideo(L, {{"IPod 320x240 Video", ".mp4", "IPod", AAC, 48000, stereo2, 128.0, F_IPOD}, XVID, 320, 240, r2997, 768, AR4_3, {}});
  AddVideo(L, {{"IPod 320x240 High Quality Video", ".mp4", "IPod", AAC, 48000, stereo2, 192.0, F_IPOD}, XVID, 320, 240, r2997, 1000, AR4_3, {}});
  AddVideo(L, {{"IPod 320x240 Low Quality Video", ".mp4", "IPod", AAC, 48000, stereo2, 64.0, F_IPOD}, XVID, 320, 240, r2997, 512, AR4_3, {}});
  AddVideo(L, {{"3GPP(*.3gp)", ".3gp", "手机", AAC, 8000, mono1, 12.2, F_3GP}, H263, 176, 144, r20, 120, AR_NONE, {}});
  AddAudio(L, {"AC3 Dolby Audio", ".ac3", "音频", AC3, 48000, stereo2, 192.0, F_AC3});
  AddVideo(L, {{"3GPP2(*.3g2)", ".3g2", "手机", AAC, 16000, stereo2, 32.0, F_3GP2}, MPEG4, 176, 144, r1499, 192, AR_NONE, kBitExact});
  AddVideo(L, {{"3GPP2 High Quality(*.3g2)", ".3g2", "手机", AAC, 16000, stereo2, 32.0, F_3GP2}, MPEG4, 320, 240, r1499, 384, AR_NONE, kBitExact});
  AddVideo(L, {{"IPad H264 Video", ".mp4", "IPad", AAC, 44100, stereo2, 128.0, F_NONE}, H264, 720, 576, r25, 1800, AR_NONE, {}});
  AddVideo(L, {{"IPad H264 Hiqh Quality", ".mp4", "IPad", AAC, 48000, stereo2, 160.0, F_NONE}, H264, 1280, 720, r25, 4000, AR_NONE, {}});
  AddVideo(L, {{"Xbox360 HD H264 Video", ".mp4", "XBox", AAC, 48000, stereo2, 128.0, F_NONE}, H264, 640, 480, r2997, 1500, AR_NONE, {}});
  AddVideo(L, {{"Xbox360 MCE HD MPEG2 Video", ".mpg", "Xbox", AC3, 48000, stereo2, 224.0, F_NONE}, MPEG2VIDEO, 1440, 1080, r30, 8000, AR_NONE, {}});
  AddVideo(L, {{"Flash Video", ".flv", "视频", MP3, 44100, stereo2, 64.0, F_FLV}, FLV, 0, 0, r1499, 384, AR_NONE, {}});
  AddVideo(L, {{"音视频交错(*.avi)", ".avi", "AVI", PCM_S16LE, 44100, stereo2, 128.0, F_AVI}, MPEG4, 0, 0, r25, 1200, AR_NONE, {}});
  AddVideo(L, {{"MPEG-4", ".mp4", "MP4", AAC, 48000, stereo2, 128.0, F_MP4}, XVID, 480, 272, r25, 128, AR_NONE, {}});
  AddVideo(L, {{"MPEG-4 AVC", ".mp4", "MP4", AAC, 44100, stereo2, 64.0, F_MP4}, H264, 320, 240, r2997, 768, AR_NONE, {}});
  AddVideo(L, {{"XVID影片(*.avi)", ".avi", "AVI", MP3, 48000, stereo2, 128.0, F_AVI}, XVID, 320, 240, r25, 1200, AR_NONE, {}});
  AddVideo(L, {{"DivX影片(*.avi)", ".avi", "AVI", MP3, 48000, stereo2, 128.0, F_AVI}, MPEG4, 320, 240, r25, 1200, AR_NONE, {}});
  // Today's formats, after the described catalogue so its numbering stays.
  AddVideo(L, {{"H.265/HEVC MP4(*.mp4)", ".mp4", kNewFormats, AAC, 48000, stereo2, 160.0, F_MP4}, HEVC, 0, 0, rOriginal, 0, AR_NONE, {}, kX265Quality});
  AddVideo(L, {{"H.265/HEVC MKV(*.mkv)", ".mkv", kNewFormats, AAC, 48000, stereo2, 160.0, F_MKV}, HEVC, 0, 0, rOriginal, 0, AR_NONE, {}, kX265Quality});
  AddVideo(L, {{"AV1 MKV(*.mkv)", ".mkv", kNewFormats, OPUS, 48000, stereo2, 128.0, F_MKV}, AV1, 0, 0, rOriginal, 0, AR_NONE, {}, kSvtAv1Quality});
  AddVideo(L, {{"WebM VP9(*.webm)", ".webm", kNewFormats, OPUS, 48000, stereo2, 128.0, F_WEBM}, VP9, 0, 0, rOriginal, 0, AR_NONE, {}, kVp9Quality});
  AddVideo(L, {{"H.264 MP4 通用(*.mp4)", ".mp4", kNewFormats, AAC, 48000, stereo2, 160.0, F_MP4}, H264, 0, 0, rOriginal, 0, AR_NONE, kUniversalH264, kX264Quality});
  AddAudio(L, {"Opus Audio(*.opus)", ".opus", kNewFormats, OPUS, 48000, stereo2, 128.0, F_OPUS});
  AddAudio(L, {"FLAC Audio(*.flac)", ".flac", kNewFormats, FLAC, 0, stereo2, 0.0, F_FLAC});
  AddAudio(L, {"M4A AAC Audio(*.m4a)", ".m4a", kNewFormats, AAC, 44100, stereo2, 192.0, F_M4A});
  AddAudio(L, {"Ogg Vorbis Audio(*.ogg)", ".ogg", kNewFormats, VORBIS, 44100, stereo2, 160.0, F_OGG});
  L.Categories = TStringList{"AVI", "MP4", "手机", "视频", "音频", "Windows手机", "iPad", "iPhone", "iPod",
                             "Zune", "PSP", "PS3", "Xbox", "Apple TV", kNewFormats};
}
