#include "cli/ProbeCommand.h"

#include <filesystem>

#include "Media/avprobe.h"

int RunProbeCommand(const std::string& File, FILE* Out, FILE* Err) {
  std::error_code ec;
  if (!std::filesystem::exists(File, ec)) {
    fprintf(Err, "Error Opening File!\n");
    return 1;
  }
  TAVProbe probe;
  probe.SetFileName(File);
  try {
    probe.SetActive(true);
  } catch (const std::exception& e) {
    fprintf(Err, "%s\n", e.what());
    return 1;
  }
  fprintf(Out, "FileName=%s\n", probe.FileName().c_str());
  fprintf(Out, "HasVideo=%d\nHasAudio=%d\n", probe.HasVideo ? 1 : 0, probe.HasAudio ? 1 : 0);
  fprintf(Out, "VideoCodec=%s\nVideoWidth=%d\nVideoHeight=%d\nVideoBitrate=%d\nVideoFps=%.3f\n", probe.VideoCodec.c_str(),
          probe.VideoWidth, probe.VideoHeight, probe.VideoBitrate, probe.VideoFps);
  fprintf(Out, "AudioCodec=%s\nAudioRate=%d\nAudioChannelCount=%d\nAudioBitrate=%d\n", probe.AudioCodec.c_str(),
          probe.AudioRate, probe.AudioChannelCount, probe.AudioBitrate);
  return 0;
}
