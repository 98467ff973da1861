#include "Media/wavcap.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

namespace {

constexpr int kBytesPerSample = 2;
constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr int kErrorArgument = -1;
constexpr int kErrorDevice = -5;
constexpr int kErrorMemory = -12;
constexpr int kLatencyUs = 100000;

struct TWavCapContext {
  const AVClass* Class;  // first, for the option system
  int SampleRate;
  int Channels;
};

// Process-wide capture state: one capture at a time.
struct TCapture {
  std::mutex Lock;                 // guards Data
  std::string Data;                // recorded bytes not yet read
  std::atomic<bool> Running{false};
  snd_pcm_t* Device = nullptr;     // worker thread opens and closes it
  std::thread Reader;              // the capture thread
  int Rate = 0, Channels = 0;
};
TCapture gCapture;

void LogAlsa(const char* Format, int Error) { av_log(nullptr, AV_LOG_ERROR, Format, snd_strerror(Error)); }

// Capture thread: fills one 4096-byte buffer after the other and appends each.
void CaptureLoop() {
  std::string buffer(kWavCapBufferBytes, '\0');
  const int frameBytes = kBytesPerSample * gCapture.Channels;
  const snd_pcm_uframes_t frames = kWavCapBufferBytes / frameBytes;
  while (gCapture.Running.load()) {
    const snd_pcm_sframes_t n = snd_pcm_readi(gCapture.Device, buffer.data(), frames);
    if (n == -EPIPE || n == -ESTRPIPE) {
      snd_pcm_prepare(gCapture.Device);
      continue;
    }
    if (n < 0) {
      if (gCapture.Running.load()) LogAlsa("wave capture error:%s\n", static_cast<int>(n));
      break;
    }
    if (n == 0) {
      std::this_thread::sleep_for(kPollInterval);
      continue;
    }
    std::lock_guard<std::mutex> g(gCapture.Lock);
    gCapture.Data.append(buffer.data(), static_cast<size_t>(n) * static_cast<size_t>(frameBytes));
  }
}

void StopCapture() {
  gCapture.Running.store(false);
  if (gCapture.Device) snd_pcm_drop(gCapture.Device);
  if (gCapture.Reader.joinable()) gCapture.Reader.join();
  if (gCapture.Device) snd_pcm_close(gCapture.Device);
  gCapture.Device = nullptr;
  std::lock_guard<std::mutex> g(gCapture.Lock);
  gCapture.Data.clear();
}

int WavcapReadHeader(AVFormatContext* S) {
  auto* ctx = static_cast<TWavCapContext*>(S->priv_data);
  if (ctx->SampleRate <= 0 || ctx->Channels <= 0) return kErrorArgument;
  if (gCapture.Running.load()) {
    av_log(nullptr, AV_LOG_ERROR, "wave capture error:%s\n", "another capture is running");
    return kErrorDevice;
  }
  AVStream* st = avformat_new_stream(S, nullptr);
  if (!st) return kErrorMemory;
  snd_pcm_t* pcm = nullptr;
  int err = snd_pcm_open(&pcm, kWavCapDevice, SND_PCM_STREAM_CAPTURE, 0);
  if (err < 0) {
    LogAlsa("wave capture error:%s\n", err);
    return kErrorDevice;
  }
  err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(ctx->Channels), static_cast<unsigned>(ctx->SampleRate), 1, kLatencyUs);
  if (err < 0) {
    // A failed header read releases the device: nothing else would.
    LogAlsa("wave waveInPrepareHeader error:%s\n", err);
    snd_pcm_close(pcm);
    return kErrorDevice;
  }
  st->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
  st->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
  st->codecpar->sample_rate = ctx->SampleRate;
  av_channel_layout_default(&st->codecpar->ch_layout, ctx->Channels);
  st->codecpar->format = AV_SAMPLE_FMT_S16;
  st->codecpar->block_align = ctx->Channels * kBytesPerSample;
  st->codecpar->bit_rate = static_cast<int64_t>(ctx->SampleRate) * ctx->Channels * kBytesPerSample * 8;
  st->time_base = AVRational{1, 1000000};
  {
    std::lock_guard<std::mutex> g(gCapture.Lock);
    gCapture.Data.clear();
  }
  gCapture.Device = pcm;
  gCapture.Rate = ctx->SampleRate;
  gCapture.Channels = ctx->Channels;
  err = snd_pcm_start(pcm);
  if (err < 0 && err != -EBADFD) {
    LogAlsa("waveInStart error:%s\n", err);
    gCapture.Device = nullptr;
    snd_pcm_close(pcm);
    return kErrorDevice;
  }
  gCapture.Running.store(true);
  gCapture.Reader = std::thread(CaptureLoop);
  return 0;
}

}  // namespace

int64_t WavCapPacketPts(int64_t Now, int64_t Bytes, int SampleRate, int Channels) {
  // Divided by bytes per second: samples are two bytes each, so dividing by
  // samples per second would date every packet twice as far back.
  constexpr int64_t kMicroseconds = 1000000;
  const int64_t bytesPerSecond = static_cast<int64_t>(SampleRate) * Channels * kBytesPerSample;
  return bytesPerSecond > 0 ? Now - Bytes * kMicroseconds / bytesPerSecond : Now;
}

namespace {

int WavcapReadPacket(AVFormatContext* S, AVPacket* Pkt) {
  for (;;) {
    {
      std::lock_guard<std::mutex> g(gCapture.Lock);
      if (!gCapture.Data.empty()) break;
    }
    if (!gCapture.Running.load() || !gCapture.Reader.joinable()) return AVERROR_EOF;
    std::this_thread::sleep_for(kPollInterval);
  }
  std::lock_guard<std::mutex> g(gCapture.Lock);
  const int count = static_cast<int>(gCapture.Data.size());
  const int ret = av_new_packet(Pkt, count);
  if (ret < 0) return ret;
  memcpy(Pkt->data, gCapture.Data.data(), static_cast<size_t>(count));
  gCapture.Data.clear();
  Pkt->pts = WavCapPacketPts(av_gettime(), count, gCapture.Rate, gCapture.Channels);
  Pkt->dts = Pkt->pts;
  Pkt->stream_index = 0;
  return 0;
}

int WavcapReadClose(AVFormatContext*) {
  StopCapture();
  return 0;
}

const AVOption kOptions[] = {
    {"sample_rate", "samples per second", offsetof(TWavCapContext, SampleRate), AV_OPT_TYPE_INT, {.i64 = 0}, 0,
     INT32_MAX, AV_OPT_FLAG_DECODING_PARAM, nullptr},
    {"channels", "channel count", offsetof(TWavCapContext, Channels), AV_OPT_TYPE_INT, {.i64 = 0}, 0, INT32_MAX,
     AV_OPT_FLAG_DECODING_PARAM, nullptr},
    {nullptr, nullptr, 0, AV_OPT_TYPE_INT, {.i64 = 0}, 0, 0, 0, nullptr},
};

const AVClass kClass = {"wavcap", av_default_item_name, kOptions, LIBAVUTIL_VERSION_INT};

AVInputFormat MakeFormat() {
  AVInputFormat f{};
  f.name = kWavCapFormatName;
  f.flags = AVFMT_NOFILE;
  f.priv_class = &kClass;
  f.priv_data_size = sizeof(TWavCapContext);
  f.read_header = WavcapReadHeader;
  f.read_packet = WavcapReadPacket;
  f.read_close = WavcapReadClose;
  return f;
}

}  // namespace

const AVInputFormat* WavCapInputFormat() {
  static const AVInputFormat format = MakeFormat();
  return &format;
}
