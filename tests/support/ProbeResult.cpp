#include "support/ProbeResult.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/Fixtures.h"
#include "support/RealText.h"

namespace fixtures {

double ProbedStream::Number(const std::string& Key) const {
  std::string v = (*this)[Key];
  size_t slash = v.find('/');
  if (slash != std::string::npos) {
    double d = fixtures::Real(v.substr(slash + 1));
    return d == 0 ? 0 : fixtures::Real(v.substr(0, slash)) / d;
  }
  return fixtures::Real(v);
}

double ProbedFile::Duration() const {
  auto it = Format.find("duration");
  return it == Format.end() ? 0.0 : fixtures::Real(it->second);
}

const ProbedStream* ProbedFile::First(const std::string& CodecType) const {
  for (const auto& s : Streams)
    if (s["codec_type"] == CodecType) return &s;
  return nullptr;
}

std::string ProbedFile::Types() const {
  std::string out;
  for (const auto& s : Streams) out += (out.empty() ? "" : ",") + s["codec_type"];
  return out;
}

std::string ProbedFile::SortedTypes() const {
  std::vector<std::string> t;
  for (const auto& s : Streams) t.push_back(s["codec_type"]);
  std::sort(t.begin(), t.end());
  std::string out;
  for (const auto& s : t) out += (out.empty() ? "" : ",") + s;
  return out;
}

ProbedFile ProbeFile(const std::string& File) {
  std::string text = RunCommand("ffprobe -v error -show_streams -show_format -of flat=s=_ " + ShellQuote(File));
  ProbedFile r;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
    if (key.rfind("streams_stream_", 0) == 0) {
      std::string rest = key.substr(15);
      size_t us = rest.find('_');
      size_t index = std::strtoul(rest.substr(0, us).c_str(), nullptr, 10);
      if (r.Streams.size() <= index) r.Streams.resize(index + 1);
      r.Streams[index].Fields[rest.substr(us + 1)] = value;
    } else if (key.rfind("format_", 0) == 0) {
      r.Format[key.substr(7)] = value;
    }
  }
  return r;
}

int CountFrames(const std::string& File, const std::string& CodecType) {
  std::string sel = CodecType == "audio" ? "a:0" : "v:0";
  std::string out = RunCommand("ffprobe -v error -count_frames -select_streams " + sel +
                               " -show_entries stream=nb_read_frames -of csv=p=0 " + ShellQuote(File));
  return std::atoi(out.c_str());
}

}  // namespace fixtures
