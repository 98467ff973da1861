// The job's steps 1 to 7 and its cleanup.
#include "Converter/AVConverterJob.h"

#include "Common/Errors.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterWaitingIO.h"

TConvertJob::TConvertJob(TAVConverter& Converter)
    : FConverter(Converter),
      FOptions(Converter.ConvertOptions()),
      FContexts(Converter.ConvertOptions().SwsFlags()) {}

TConvertJob::~TConvertJob() {
  // Streams reference the containers: release them first, then outputs, then inputs.
  FOutputStreams.clear();
  CloseOutputs();
  ReleaseClaimedOutputs(FClaimedOutputs);
  FInputStreams.clear();
  FInputFiles.clear();
}

int TConvertJob::InputInterrupted(void* Job) {
  return static_cast<TConvertJob*>(Job)->FConverter.FStopRequested.load() ? 1 : 0;
}

int TConvertJob::OutputInterrupted(void* Job) {
  auto* job = static_cast<TConvertJob*>(Job);
  return job->FInSetup.load() && job->FConverter.FStopRequested.load() ? 1 : 0;
}

void TConvertJob::CheckStop() const {
  if (FConverter.FStopRequested.load()) throw Exception("Conversion stopped");
}

void TConvertJob::SetUp() {
  ParseStreamMaps();
  const TAudioOptions& audio = FOptions.AudioOptions();
  const TVideoOptions& video = FOptions.VideoOptions();
  if (audio.Bitrate() != 0) FContexts.ApplyOption("ab", std::to_string(audio.Bitrate()));
  if (video.Bitrate() != 0) FContexts.ApplyOption("b", std::to_string(video.Bitrate()));
  for (const std::string& line : FOptions.CodecOptions()) FContexts.ApplyLine(line);
  ResolveFormats();
  // Opening a video input replaces the pixel format with the source's.
  FRequestedPixFormat = video.FFramePixFormat();
  FStartTime = FOptions.StartTime();
  FRequestedFrameRate = AVRational{video.FrameRate().num(), video.FrameRate().den()};
  for (int i = 0; i < FConverter.InputFiles().Count(); ++i) {
    CheckStop();
    OpenInput(i);
  }
  ApplyTimestampScales();
  for (int i = 0; i < FConverter.OutputFiles().Count(); ++i) {
    CheckStop();
    SetUpOutput(i);
  }
  CheckStop();
}
