#include "Media/avprobe.h"

#include <filesystem>

#include "Common/Errors.h"
#include "Converter/DisplayRotation.h"
#include "Converter/avlib.h"

void TAVProbe::SetActive(bool Value) {
  if (Value == FActive) return;
  if (!Value) {
    Close();
    return;
  }
  std::error_code ec;
  if (!std::filesystem::exists(FFileName, ec)) return;
  try {
    Open();
  } catch (...) {
    Close();
    throw;
  }
  FActive = true;
}

void TAVProbe::Close() {
  FVideoDecoder.reset();
  FAudioDecoder.reset();
  FInput.reset();
  FActive = false;
}

void TAVProbe::Open() {
  AVFormatContext* raw = nullptr;
  PrepareDeviceUrl(FFileName);
  if (avformat_open_input(&raw, FFileName.c_str(), ForcedFormat, nullptr) < 0) throw Exception("Error Opening File!");
  FInput.reset(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) throw Exception("Can not find stream information");
  HasVideo = false;
  HasAudio = false;
  Duration = raw->duration > 0 ? static_cast<double>(raw->duration) / AV_TIME_BASE : 0.0;
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    AVStream* st = raw->streams[i];
    // A cover picture of an audio file is no video.
    const bool cover = st->disposition & AV_DISPOSITION_ATTACHED_PIC;
    if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !HasVideo && !cover) {
      HasVideo = true;
      OpenStream(st, FVideoDecoder);
    } else if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && !HasAudio) {
      HasAudio = true;
      OpenStream(st, FAudioDecoder);
    }
  }
}

void TAVProbe::OpenStream(AVStream* Stream, ff::CodecContextPtr& Decoder) {
  const AVCodecParameters* par = Stream->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  if (!codec)
    throw Exception(Format("Unsupported codec(id=%d) for input stream %d", static_cast<int>(par->codec_id), Stream->index));
  Decoder.reset(avcodec_alloc_context3(codec));
  if (!Decoder || avcodec_parameters_to_context(Decoder.get(), par) < 0 || avcodec_open2(Decoder.get(), codec, nullptr) < 0)
    throw Exception(Format("Error while opening codec for input stream %d", Stream->index));
  const AVCodecContext* c = Decoder.get();
  if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
    VideoCodec = codec->name;
    // The size the picture is shown at: turned upright by its display matrix.
    const bool transposed = UprightOf(Stream).Transposed();
    VideoWidth = transposed ? c->height : c->width;
    VideoHeight = transposed ? c->width : c->height;
    VideoBitrate = static_cast<int32_t>(par->bit_rate ? par->bit_rate : c->bit_rate);
    VideoFps = av_q2d(Stream->r_frame_rate);
  } else {
    AudioCodec = codec->name;
    AudioRate = c->sample_rate;
    AudioChannelCount = c->ch_layout.nb_channels;
    const int bits = av_get_bits_per_sample(par->codec_id);
    AudioBitrate = bits ? AudioRate * AudioChannelCount * bits : static_cast<int32_t>(par->bit_rate ? par->bit_rate : c->bit_rate);
  }
}

std::string ProbeRefusal(const std::string& FileName) {
  try {
    TAVProbe probe;
    probe.SetFileName(FileName);
    probe.SetActive(true);
    if (!probe.Active()) return "no such file";
    if (!probe.HasVideo && !probe.HasAudio) return "no video or audio stream";
    return "";
  } catch (const std::exception& e) {
    return *e.what() ? e.what() : "not readable as media";
  }
}
