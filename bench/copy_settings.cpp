// Prints a stored conversion settings document that copies the audio and
// video streams of SOURCE into TARGET, for `quillbrook-convert --settings`.
//   qb_bench_copy_settings SOURCE TARGET
#include <cstdio>

#include "Common/CConversionSettings.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s SOURCE TARGET\n", argv[0]);
    return 2;
  }
  TConversionSettings settings;
  settings.SourceFile = argv[1];
  settings.TargetFile = argv[2];
  settings.ConvertOptions().VideoOptions().SetVideoStreamCopy(true);
  settings.ConvertOptions().AudioOptions().SetAudioStreamCopy(true);
  fputs(settings.ToXml().c_str(), stdout);
  return 0;
}
