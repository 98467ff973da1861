#include "Converter/FFmpegPtr.h"

#include <string>

std::string ff::ErrorText(int Code) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
  av_strerror(Code, buf, sizeof(buf));
  return buf;
}
