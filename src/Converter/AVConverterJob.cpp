// The job's steps 1 to 7 and its cleanup.
#include "Converter/AVConverterJob.h"

#include "Converter/AVConverter.h"

TConvertJob::TConvertJob(TAVConverter& Converter)
    : FConverter(Converter),
      FOptions(Converter.ConvertOptions()),
      FContexts(Converter.ConvertOptions().SwsFlags()) {}

TConvertJob::~TConvertJob() {
  // Streams reference the containers: release them first, then outputs, then inputs.
  FOutputStreams.clear();
  FOutputFiles.clear();
  ReleaseClaimedOutputs(FClaimedOutputs);
  FInputStreams.clear();
  FInputFiles.clear();
}

void TConvertJob::SetUp() {
  ParseStreamMaps();
  const TAudioOptions& audio = FOptions.AudioOptions();
  const TVideoOptions& video = FOptions.VideoOptions();
  if (audio.Bitrate() != 0) FContexts.ApplyOption("ab", std::to_string(audio.Bitrate()));
  if (video.Bitrate() != 0) FContexts.ApplyOption("b", std::to_string(video.Bitrate()));
  for (const std::string& line : FOptions.CodecOptions()) FContexts.ApplyLine(line);
  ResolveFormats();
  for (int i = 0; i < FConverter.InputFiles().Count(); ++i) OpenInput(i);
  ApplyTimestampScales();
  for (int i = 0; i < FConverter.OutputFiles().Count(); ++i) SetUpOutput(i);
}
