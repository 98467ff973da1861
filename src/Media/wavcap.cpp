#include "Media/wavcap.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
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
constexpr int kDeviceWaitMs = 100;  // longest wait for the device before Running is looked at again
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
  std::mutex Lock;                 // guards Data, Error and ErrorLogged
  std::condition_variable Changed; // Data grew or capture ended (with Lock)
  std::string Data;                // recorded bytes not yet read
  int Error = 0;                   // ALSA error that ended capture; 0 while it runs
  bool ErrorLogged = false;        // the reader has reported Error
  int64_t NextPts = INT64_MIN;     // end of the last packet read (worker thread only)
  std::atomic<bool> Running{false};
  snd_pcm_t* Device = nullptr;     // worker thread opens and closes it
  std::thread Reader;              // the capture thread
  int Rate = 0, Channels = 0;
};
TCapture gCapture;

// Logged with the input's context, so the line reaches the job that opens it.
void LogAlsa(AVFormatContext* S, const char* Format, int Error) { av_log(S, AV_LOG_ERROR, Format, snd_strerror(Error)); }

// Forgets what an earlier capture left: bytes, error and timing.
void ResetCaptureState() {
  std::lock_guard<std::mutex> g(gCapture.Lock);
  gCapture.Data.clear();
  gCapture.Error = 0;
  gCapture.ErrorLogged = false;
  gCapture.NextPts = INT64_MIN;
}

// Ends capture with Error; the worker reports it on its next read.
void FailCapture(int Error) {
  std::lock_guard<std::mutex> g(gCapture.Lock);
  gCapture.Error = Error;
  gCapture.Changed.notify_all();
}

// Capture thread: fills one 4096-byte buffer after the other and appends each.
// The device is non-blocking and waited for with a time-out, so the thread
// sees the end of the capture within kDeviceWaitMs whatever the device does.
void CaptureLoop() {
  std::string buffer(kWavCapBufferBytes, '\0');
  const int frameBytes = kBytesPerSample * gCapture.Channels;
  const snd_pcm_uframes_t frames = kWavCapBufferBytes / frameBytes;
  bool idle = false;  // the last read found nothing
  while (gCapture.Running.load()) {
    const snd_pcm_sframes_t n = snd_pcm_readi(gCapture.Device, buffer.data(), frames);
    if (n == -EAGAIN || n == 0) {
      // A device that says it is ready and still has nothing is given a pause: nothing spins.
      if (snd_pcm_wait(gCapture.Device, kDeviceWaitMs) != 0 && idle) std::this_thread::sleep_for(kPollInterval);
      idle = true;
      continue;
    }
    idle = false;
    if (n == -EPIPE || n == -ESTRPIPE) {
      const int err = snd_pcm_prepare(gCapture.Device);
      if (err < 0) {
        FailCapture(err);
        break;
      }
      continue;
    }
    if (n < 0) {
      FailCapture(static_cast<int>(n));
      break;
    }
    std::lock_guard<std::mutex> g(gCapture.Lock);
    gCapture.Data.append(buffer.data(), static_cast<size_t>(n) * static_cast<size_t>(frameBytes));
    gCapture.Changed.notify_all();
  }
}

void StopCapture() {
  gCapture.Running.store(false);
  if (gCapture.Reader.joinable()) gCapture.Reader.join();
  if (gCapture.Device) {
    snd_pcm_drop(gCapture.Device);
    snd_pcm_close(gCapture.Device);
  }
  gCapture.Device = nullptr;
  ResetCaptureState();
}

// The input's interrupt callback (the converter's Stop) asks to give up waiting.
bool Interrupted(AVFormatContext* S) {
  const AVIOInterruptCB& cb = S->interrupt_callback;
  return cb.callback && cb.callback(cb.opaque) != 0;
}

int WavcapReadHeader(AVFormatContext* S) {
  auto* ctx = static_cast<TWavCapContext*>(S->priv_data);
  if (ctx->SampleRate <= 0 || ctx->Channels <= 0) return kErrorArgument;
  if (gCapture.Running.load()) {
    av_log(S, AV_LOG_ERROR, "wave capture error:%s\n", "another capture is running");
    return kErrorDevice;
  }
  AVStream* st = avformat_new_stream(S, nullptr);
  if (!st) return kErrorMemory;
  snd_pcm_t* pcm = nullptr;
  int err = snd_pcm_open(&pcm, kWavCapDevice, SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
  if (err < 0) {
    LogAlsa(S, "wave capture error:%s\n", err);
    return kErrorDevice;
  }
  err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(ctx->Channels), static_cast<unsigned>(ctx->SampleRate), 1, kLatencyUs);
  if (err < 0) {
    // A failed header read releases the device: nothing else would.
    LogAlsa(S, "wave waveInPrepareHeader error:%s\n", err);
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
  ResetCaptureState();
  gCapture.Device = pcm;
  gCapture.Rate = ctx->SampleRate;
  gCapture.Channels = ctx->Channels;
  err = snd_pcm_start(pcm);
  if (err < 0 && err != -EBADFD) {
    LogAlsa(S, "waveInStart error:%s\n", err);
    gCapture.Device = nullptr;
    snd_pcm_close(pcm);
    return kErrorDevice;
  }
  gCapture.Running.store(true);
  gCapture.Reader = std::thread(CaptureLoop);
  return 0;
}

}  // namespace

int64_t WavCapBytesDuration(int64_t Bytes, int SampleRate, int Channels) {
  // Divided by bytes per second: samples are two bytes each, so dividing by
  // samples per second would date every packet twice as far back.
  constexpr int64_t kMicroseconds = 1000000;
  const int64_t bytesPerSecond = static_cast<int64_t>(SampleRate) * Channels * kBytesPerSample;
  return bytesPerSecond > 0 ? Bytes * kMicroseconds / bytesPerSecond : 0;
}

int64_t WavCapPacketPts(int64_t Now, int64_t Bytes, int SampleRate, int Channels, int64_t NotBefore) {
  // A device that delivers faster than real time (or a late, large read)
  // would date a packet before the end of the one before it.
  return std::max(Now - WavCapBytesDuration(Bytes, SampleRate, Channels), NotBefore);
}

namespace {

// Waits for recorded bytes. A device error ends the input with that error,
// logged here on the reading thread so that it reaches the job that reads.
int WavcapReadPacket(AVFormatContext* S, AVPacket* Pkt) {
  std::unique_lock<std::mutex> g(gCapture.Lock);
  while (gCapture.Data.empty()) {
    if (gCapture.Error != 0) {
      if (!gCapture.ErrorLogged)
        av_log(S, AV_LOG_ERROR, "wave capture error:%s\n", snd_strerror(gCapture.Error));
      gCapture.ErrorLogged = true;
      return gCapture.Error;  // ALSA errors are negative errno values, as AVERROR codes are
    }
    if (!gCapture.Running.load()) return AVERROR_EOF;
    if (Interrupted(S)) return AVERROR_EXIT;
    gCapture.Changed.wait_for(g, kPollInterval);
  }
  const int count = static_cast<int>(gCapture.Data.size());
  const int ret = av_new_packet(Pkt, count);
  if (ret < 0) return ret;
  memcpy(Pkt->data, gCapture.Data.data(), static_cast<size_t>(count));
  gCapture.Data.clear();
  Pkt->pts = WavCapPacketPts(av_gettime(), count, gCapture.Rate, gCapture.Channels, gCapture.NextPts);
  gCapture.NextPts = Pkt->pts + WavCapBytesDuration(count, gCapture.Rate, gCapture.Channels);
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
