#include "Converter/AVConverterIO.h"

namespace {
constexpr const char kStreamPrefix[] = "stream:";
}

bool IsStreamName(const std::string& Name) { return Name.rfind(kStreamPrefix, 0) == 0; }

ff::IOPtr OpenStreamIO(const std::string& Name, bool Write) {
  (void)Name;
  (void)Write;
  return nullptr;
}

std::string StreamNameForGuess(const std::string& Name) { return Name; }

const AVInputFormat* FindInputFormat(const std::string& Name) { return av_find_input_format(Name.c_str()); }
