#include "Converter/AVConverterIO.h"

#include "Converter/avlib.h"
#include "Media/StreamProtocol.h"
#include "Media/wavcap.h"

namespace {
constexpr const char kStreamPrefix[] = "stream:";
}

bool IsStreamName(const std::string& Name) { return Name.rfind(kStreamPrefix, 0) == 0; }

ff::IOPtr OpenStreamIO(const std::string& Name, bool Write) { return OpenStreamContext(Name, Write); }

std::string StreamNameForGuess(const std::string& Name) { return Name.substr(sizeof(kStreamPrefix) - 1); }

const AVInputFormat* FindInputFormat(const std::string& Name) {
  if (Name == kWavCapFormatName) return WavCapInputFormat();
  return FindInputFormatByName(Name);
}

bool IsCaptureFormat(const AVInputFormat* Format) { return Format && Format == WavCapInputFormat(); }
