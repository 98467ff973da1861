#pragma once
// ffprobe's view of a media file, parsed from its key=value output.
#include <map>
#include <string>
#include <vector>

namespace fixtures {

struct ProbedStream {
  std::map<std::string, std::string> Fields;  // codec_type, codec_name, width, ...
  std::string operator[](const std::string& Key) const {
    auto it = Fields.find(Key);
    return it == Fields.end() ? "" : it->second;
  }
  double Number(const std::string& Key) const;
};

struct ProbedFile {
  std::vector<ProbedStream> Streams;
  std::map<std::string, std::string> Format;  // format_name, duration, ...
  double Duration() const;
  const ProbedStream* First(const std::string& CodecType) const;
  // "video,audio" style list of the stream types in order.
  std::string Types() const;
  // The same in alphabetical order (containers differ in how they order streams).
  std::string SortedTypes() const;
};

ProbedFile ProbeFile(const std::string& File);

// Frames of the first stream of CodecType, counted by decoding.
int CountFrames(const std::string& File, const std::string& CodecType);

}  // namespace fixtures
