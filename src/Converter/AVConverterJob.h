#pragma once
// One conversion job: the tables, contexts and stages that turn the
// converter's inputs into its outputs. Created and used only on the job's
// worker thread; the stages live in one file each:
//   AVConverterInputs.cpp   stream maps, formats, opening the inputs
//   AVConverterOutputs.cpp  output containers and their streams
//   AVConverterCover.cpp    the source's cover picture in the output
//   AVConverterSetup.cpp    stream tables, mapping, codecs, headers
//   AVConverterLoop.cpp     packet loop, decoding, draining
//   AVConverterAudio.cpp    audio resampling, sync and encoding
//   AVConverterVideo.cpp    video sync and encoding
//   AVConverterMux.cpp      subtitles, stream copy, bitstream filters, muxing
//   AVConverterFinish.cpp   trailers, empty outputs, unfinished targets
#include <atomic>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Converter/AVConverterFilterGraph.h"
#include "Converter/AVConverterFilterStage.h"
#include "Converter/AVConverterOptionContexts.h"
#include "Converter/DisplayRotation.h"
#include "Converter/FFmpegPtr.h"
#include "Converter/TargetSize.h"

class TAVConverter;
class TAVConvertOptions;

struct TStreamMap {
  int FileIndex = 0;
  int StreamIndex = 0;
  int SyncFileIndex = 0;
  int SyncStreamIndex = 0;
};

// Times below marked "output µs" are microseconds after the input's offset
// was added: the output's own time line (0 is where the output begins).
struct TInputFile {
  std::unique_ptr<class TWaitingReader> Waiting;  // FIFOs and devices; outlives CustomIO
  ff::IOPtr CustomIO;                // "stream:" inputs, FIFOs and devices; outlives Ctx
  ff::InputPtr Ctx;
  std::string FileName;
  int64_t TsOffset = 0;              // microseconds added to every timestamp
  std::vector<double> TsScale;       // per stream; 0 = no scaling
  bool EndReached = false;
  bool NoPacket = false;             // answered try-again since the last packet
  bool Capture = false;              // records from a device: read errors fail the job
  int FirstStream = 0;               // global index of its first stream
  int StreamCount = 0;               // streams known at setup; later ones are ignored
  bool Seekable = false;             // the start-time seek was made
  // The chosen range (output µs): what lies before TrimStart or at and after
  // TrimEnd is not written. TrimStart is INT64_MIN without a start time.
  int64_t TrimStart = INT64_MIN;
  int64_t TrimEnd = INT64_MAX;
  int64_t LeadIn = 0;                // µs of output before the chosen start (stream copy)
  int64_t ReadTime = INT64_MIN;      // output µs of the latest packet read
  std::deque<ff::PacketPtr> Pending; // read ahead while looking for a key frame; read first
};

struct TInputStream {
  int FileIndex = 0;
  int StreamIndex = 0;
  AVStream* St = nullptr;
  ff::CodecContextPtr Dec;           // decoder context, opened only when decoding
  const AVCodec* Decoder = nullptr;  // forced by name, or found by id
  bool Unmapped = true;
  bool DecodingNeeded = false;
  int64_t NextPts = AV_NOPTS_VALUE;  // microseconds
  int64_t Pts = 0;                   // microseconds
  bool IsStart = true;
  int64_t RateEmuStart = 0;
  int Quality = 0;
  TUpright Upright;                  // video: how its pictures are turned upright
};

// A cover picture (ID3 APIC, "covr", a FLAC picture block): never a
// conversion's video stream.
inline bool IsAttachedPicture(const AVStream* St) {
  return St->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && (St->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// Whether Ctx has a stream of Type of its own (a cover picture is none).
inline bool HasOwnStream(const AVFormatContext* Ctx, AVMediaType Type) {
  for (unsigned i = 0; i < Ctx->nb_streams; ++i)
    if (Ctx->streams[i]->codecpar->codec_type == Type && !IsAttachedPicture(Ctx->streams[i])) return true;
  return false;
}

// Sets the codec context's older channel count and mask fields ("ac",
// "channel_layout") from its layout: when they disagree, the library's
// opening takes them over the layout. Worker thread.
void KeepOlderChannelFields(AVCodecContext* Ctx);

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};

struct TOutputStream {
  TOutputStream() = default;
  TOutputStream(const TOutputStream&) = delete;
  TOutputStream& operator=(const TOutputStream&) = delete;
  // The statistics input of a second pass is ours to free (the codec context is not).
  ~TOutputStream() {
    if (Enc) av_freep(&Enc->stats_in);
  }
  int FileIndex = 0;
  int Index = 0;                      // within its file
  AVStream* St = nullptr;
  ff::CodecContextPtr Enc;            // encoder settings; opened when encoding
  const AVCodec* Encoder = nullptr;
  bool StreamCopy = false;
  // A copy's packets decoded before the end but shown after it: written only
  // when a picture shown before the end follows (it may refer to them).
  std::vector<ff::PacketPtr> HeldPastEnd;
  bool Cover = false;                 // the source's cover picture, carried over unchanged
  int SourceIndex = -1;               // global input stream index
  int SyncIndex = -1;
  int FramesWritten = 0;
  bool EncodingNeeded = false;
  bool Ended = false;                 // its source reached the end of the chosen range
  int64_t SyncOpts = 0;               // output counter in encoder time base
  std::vector<std::string> BitstreamFilters;
  ff::BsfPtr Bsf;
  // video
  bool Crop = false;
  int LeftBand = 0, TopBand = 0, RightBand = 0, BottomBand = 0;
  bool Scale = false;
  bool Transposed = false;            // the source's pictures are turned a quarter
  int BoxWidth = 0, BoxHeight = 0;    // the picture inside black bars (0: the whole frame)
  double OpeningOffset = 0;           // output ticks the first picture came after its slot
  ff::SwsPtr Sws;
  int ExpectedWidth = 0, ExpectedHeight = 0, ExpectedPixFmt = AV_PIX_FMT_NONE;
  std::unique_ptr<TVideoFilterGraph> Graph;
  // Runs Graph on a thread of its own when the job may use several threads;
  // declared after Graph, so it ends before the graph is destroyed.
  std::unique_ptr<TVideoFilterStage> Stage;
  AVRational GraphTimeBase{1, 1};     // of the pictures Graph gives
  ff::FramePtr Pulled;                // the worker's picture for Graph's output, reused
  // audio
  ff::SwrPtr Swr;
  AVChannelLayout SwrInLayout{};
  int SwrInFormat = -1, SwrInRate = 0;
  ff::AudioFifoPtr Fifo;
  bool Resample = false;
  // Encoder delay still to take from the front of the sound, for containers
  // that place sound by its amount rather than by timestamps (AVI).
  int64_t PrimingLeft = 0;
  bool LateSoundPadded = true;  // false until the first sound of a container that plays it from byte one
  bool SoundStarted = false;    // SyncOpts holds where the next sound goes
  // two-pass statistics (first pass)
  std::unique_ptr<FILE, FileCloser> LogFile;
  const char* StatsWritten = nullptr;  // the encoder's statistics text last written
};

struct TOutputFile {
  ff::IOPtr CustomIO;                // "stream:" outputs; outlives Ctx
  ff::OutputPtr Ctx;
  std::string FileName;
  bool Created = false;              // the job opened the file on disk for writing
  bool HeaderWritten = false;
  bool TrailerWritten = false;
  int64_t Packets = 0;               // packets with media the muxer accepted
};

// Frees the output paths a job claimed (any thread).
void ReleaseClaimedOutputs(const std::vector<std::string>& Paths);
// Logs the system's reason of a failed open or write (for example "No space
// left on device") with the file's name. Worker thread.
void LogWriteError(const std::string& FileName, int Code);

// A pass of a size-limited job: which pass, and the plan its first setup made.
struct TSizeFit {
  int Pass = 1;                   // the encoder's pass: 1 or 2 (two-pass encoders only)
  bool TwoPass = false;           // the video encoder keeps statistics between passes
  std::optional<TSizePlan> Plan;  // made by the first pass's setup
  int64_t OtherBytes = 0;         // what the video rate does not control: sound, copies, container
  std::string MpegStats;          // the first pass's statistics of the library's MPEG encoders
  int Qmax = 0;                   // and their coarsest quantiser
};

class TConvertJob {
 public:
  explicit TConvertJob(TAVConverter& Converter);
  ~TConvertJob();
  TConvertJob(const TConvertJob&) = delete;
  TConvertJob& operator=(const TConvertJob&) = delete;

  // Job steps 1 to 7: options, formats, inputs, outputs. Throws on failure.
  void SetUp();
  // After SetUp, for a size-limited job: plans the rates on the first pass
  // and sets them, and the pass, on the encoders (AVConverterSizeFit.cpp).
  // Throws when the size can't be met.
  void FitToSize(TSizeFit& Fit);

 private:
  // What the plan of a size-limited job needs to know (after SetUp).
  TSizeRequest SizeRequest(const std::vector<struct TOutputStream*>& Video,
                           const std::vector<TOutputStream*>& Audio) const;
  // Bits per second of the first input stream of Type (0 when unknown).
  int64_t SourceRate(AVMediaType Type) const;
  // Where Ost stands among the output streams (what names its statistics file).
  int PositionOf(const TOutputStream& Ost) const;

 public:
  // Transcode setup and the packet loop. Throws on failure.
  void Transcode();
  // True until the packet loop starts (a stop before then ends the job
  // without headers or completion).
  bool InSetup() const { return FInSetup.load(); }

 private:
  // Stop requests: the interrupt callbacks of inputs (any time) and outputs
  // (during setup only: a stopped loop still writes its trailers), and the
  // check between setup steps. Any thread that does the job's I/O.
  static int InputInterrupted(void* Job);
  static int OutputInterrupted(void* Job);
  AVIOInterruptCB InputInterrupt() { return {InputInterrupted, this}; }
  AVIOInterruptCB OutputInterrupt() { return {OutputInterrupted, this}; }
  void CheckStop() const;
  // inputs
  void ParseStreamMaps();
  void ResolveFormats();
  void OpenInput(int Index);
  void ApplyTimestampScales();
  // outputs
  void SetUpOutput(int Index);
  void NewVideoStream(TOutputFile& File, int FileIndex);
  void NewAudioStream(TOutputFile& File, int FileIndex);
  bool NewSubtitleStream(TOutputFile& File, int FileIndex);
  void AddCover(TOutputFile& File, int FileIndex);
  void PrepareCover(TOutputStream& Ost, const TInputStream& Ist);
  TOutputStream& NewStream(TOutputFile& File, int FileIndex, AVMediaType Type,
                           const class TStringList& Filters);
  std::vector<std::string> ParseBitstreamFilters(const TStringList& Names);
  bool InputsHave(AVMediaType Type) const;
  // setup
  void BuildStreamTables();
  void MapStreams();
  void PrepareStream(TOutputStream& Ost);
  void PrepareCopy(TOutputStream& Ost, TInputStream& Ist);
  void PrepareVideoEncode(TOutputStream& Ost, TInputStream& Ist);
  void PrepareTwoPass(TOutputStream& Ost, int Position);
  // The statistics file of the output stream at Position.
  std::string PassLogName(int Position) const;
  void OpenEncoders();
  void OpenDecoders();
  void OpenDecoder(TInputStream& Ist);
  void PrepareSubtitleEncode(TOutputStream& Ost, TInputStream& Ist);
  void InitBitstreamFilters();
  void CopyChapters(int InputIndex, int OutputIndex);
  // Stream copy of video can only begin on a key frame: moves the start of
  // each such input back to the key frame at or before the chosen start.
  void FindCopyOrigins();
  void FindCopyOrigin(TInputFile& File, int VideoStream);
  void WriteHeaders();
  // loop
  void RunLoop();
  // The next packet of File: read ahead ones first. A library read result.
  int ReadPacket(TInputFile& File, AVPacket* Packet);
  // Adds the input's offset and scale to the packet's timestamps.
  void CorrectTimestamps(TInputFile& File, TInputStream& Ist, AVPacket* Packet);
  double OutputPosition(const TOutputStream& Ost) const;
  // Output streams made from input stream Index: all past the range's end
  // (never for subtitles, whose packets may trail).
  void MarkEnded(int Index);
  bool AllEnded(int Index) const;
  // Trim of decoded data; false when nothing of it is kept.
  bool TrimPicture(TInputStream& Ist, int Index);
  bool TrimAudio(TInputStream& Ist, int Index, AVFrame* Frame);
  bool TrimSubtitle(TInputStream& Ist, int Index, AVSubtitle* Sub, int64_t PacketPts);
  const TInputFile& FileOf(const TInputStream& Ist) const {
    return FInputFiles[static_cast<size_t>(Ist.FileIndex)];
  }
  int ProcessPacket(TInputStream& Ist, int Index, const AVPacket* Packet);
  void HandleFrame(TInputStream& Ist, int Index, AVFrame* Frame);
  void HandleVideoFrame(TInputStream& Ist, int Index, AVFrame* Frame);
  // A picture the graph gave: its time becomes the input's, then it is written.
  void WriteFiltered(TOutputStream& Ost, TInputStream& Ist, AVFrame* Picture);
  void DrainEncoders(int Index);
  void UpdateReport(bool Final);
  void ApplyVolume(AVFrame* Frame) const;
  // Rate emulation: sleeps until the stream's current time is due.
  void WaitForRateEmulation(const TInputStream& Ist) const;
  // encoding and muxing
  void WriteAudio(TOutputStream& Ost, TInputStream& Ist, const AVFrame* Frame);
  void EncodeAudioFrames(TOutputStream& Ost, bool Flush);
  void EnsureResampler(TOutputStream& Ost, const AVFrame* Frame);
  int WriteVideo(TOutputStream& Ost, TInputStream& Ist, AVFrame* Picture);
  void EncodeVideo(TOutputStream& Ost, const AVFrame* Picture);
  void WriteSubtitle(TOutputStream& Ost, TInputStream& Ist, AVSubtitle* Sub, int64_t PacketPts);
  void CopyPacket(TOutputStream& Ost, TInputStream& Ist, const AVPacket* Packet);
  // Receives every packet the encoder has ready and writes it; returns bytes written.
  int64_t ReceivePackets(TOutputStream& Ost);
  void WritePacket(TOutputStream& Ost, AVPacket* Packet);
  void MuxPacket(TOutputStream& Ost, AVPacket* Packet);
  // Ends every output whose header was written: the trailer, and a check that
  // packets went in. Throws when a trailer can't be written or an output got
  // no packet at all (unless the job was stopped).
  void WriteTrailers(bool Stopped);
  // After a failure: closes what was written as well as the container allows.
  void CloseAfterFailure() noexcept;
  // Closes the outputs and removes the files the job created that never got
  // a header or a packet.
  void CloseOutputs() noexcept;
  double SyncInputTime(const TOutputStream& Ost) const;

  TAVConverter& FConverter;
  TAVConvertOptions& FOptions;
  TOptionContexts FContexts;
  std::vector<TStreamMap> FStreamMaps;
  const AVInputFormat* FInputFormat = nullptr;
  const AVOutputFormat* FOutputFormat = nullptr;
  std::vector<TInputFile> FInputFiles;
  std::vector<TInputStream> FInputStreams;
  std::vector<TOutputFile> FOutputFiles;
  std::vector<std::unique_ptr<TOutputStream>> FOutputStreams;  // all files, in order
  std::vector<std::string> FClaimedOutputs;  // output paths this job holds
  std::vector<uint8_t> FSubtitleBuffer;
  ff::PacketPtr FPacket;
  ff::FramePtr FDecoded;  // worker: what a decoder gives, reused from packet to packet
  std::atomic<bool> FInSetup{true};  // written by the worker, read by interrupt callbacks
  bool FVideoTransposed = false;     // the working picture size is the source's turned a quarter
  std::string FInputError;  // a capture input failed: the job fails after its trailer
  int FRequestedPixFormat = AV_PIX_FMT_NONE;  // the options' pixel format before the inputs opened
  AVRational FRequestedFrameRate{0, 0};        // the options' frame rate before the inputs opened
  int64_t FLeadIn = 0;      // µs of output before the chosen start (stream copy from a key frame)
  int64_t FGraphShift = 0;  // µs from output time to the time pictures have in the filter graphs
  int64_t FStartTime = 0;   // the chosen start, moved to the picture on screen there (first input)
};
