#include "Converter/AVConverterFilterEntries.h"

#include <array>
#include <charconv>

#include "Common/Errors.h"
#include "Converter/AVConverterColorNames.h"
#include "Converter/AVConverterFilterBuild.h"
#include "Converter/AVConverterFilterTextEntries.h"
#include "Converter/FFmpegPtr.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {

constexpr size_t kLogoParts = 3;     // x|y|file
constexpr size_t kDrawBoxParts = 5;  // x:y:w:h:colour

AVFilterContext* FailEntry(const TChainEntry& Entry, const char* Expected) {
  av_log(nullptr, AV_LOG_ERROR, "Invalid arguments of %s: \"%s\" (expected %s)\n",
         Entry.Name.c_str(), Entry.Args.c_str(), Expected);
  return nullptr;
}

// Whether File holds a picture the library can decode: a missing file or a
// text named .png otherwise failed the graph with "Empty pixel format list".
bool ReadablePicture(const std::string& File) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, File.c_str(), nullptr, nullptr) < 0) return false;
  ff::InputPtr ctx(raw);
  if (avformat_find_stream_info(ctx.get(), nullptr) < 0) return false;
  const int video = av_find_best_stream(ctx.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  return video >= 0 && ctx->streams[video]->codecpar->format != AV_PIX_FMT_NONE;
}

AVFilterContext* BuildLogo(AVFilterGraph* Graph, const TChainEntry& Entry, const std::string& Instance,
                           AVFilterContext* Last) {
  auto parts = SplitChainRaw(Entry.Args, '|', kLogoParts);
  if (parts.size() != kLogoParts) return FailEntry(Entry, "x|y|file");
  const std::string file = UnescapeChainToken(parts[2]);
  if (file.empty()) return FailEntry(Entry, "x|y|file");
  if (!ReadablePicture(file)) {
    av_log(nullptr, AV_LOG_ERROR, "The watermark picture %s can't be read\n", file.c_str());
    return nullptr;
  }
  AVFilterContext* picture = CreateFilter(Graph, "movie", Instance + "_picture", {{"filename", file}});
  if (!picture) return nullptr;
  // The overlay repeats the picture's only frame after it ends, so the logo
  // stays for the whole conversion.
  AVFilterContext* overlay = CreateFilter(
      Graph, "overlay", Instance,
      {{"x", UnescapeChainToken(parts[0])}, {"y", UnescapeChainToken(parts[1])}, {"eof_action", "repeat"}});
  if (!overlay) return nullptr;
  if (!LinkFilters(Last, 0, overlay, 0) || !LinkFilters(picture, 0, overlay, 1)) return nullptr;
  return overlay;
}

AVFilterContext* BuildDrawBox(AVFilterGraph* Graph, const TChainEntry& Entry, const std::string& Instance,
                              AVFilterContext* Last) {
  auto parts = SplitChainRaw(Entry.Args, ':');
  if (parts.size() != kDrawBoxParts) return FailEntry(Entry, "x:y:w:h:colour");
  std::string colour = UnescapeChainToken(parts[4]);
  if (auto rgb = StandardColorByName(colour)) colour = Format("0x%06X", *rgb);
  AVFilterContext* box = CreateFilter(Graph, "drawbox", Instance,
                                      {{"x", UnescapeChainToken(parts[0])},
                                       {"y", UnescapeChainToken(parts[1])},
                                       {"width", UnescapeChainToken(parts[2])},
                                       {"height", UnescapeChainToken(parts[3])},
                                       {"color", colour}});
  if (!box || !LinkFilters(Last, 0, box, 0)) return nullptr;
  return box;
}

AVFilterContext* BuildRotate(AVFilterGraph* Graph, const TChainEntry& Entry, const std::string& Instance,
                             AVFilterContext* Last) {
  const std::string text = UnescapeChainToken(Entry.Args);
  int degrees = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), degrees);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    return FailEntry(Entry, "whole degrees");
  AVFilterContext* rotate =
      CreateFilter(Graph, "rotate", Instance, {{"angle", Format("%d*PI/180", degrees)}});
  if (!rotate || !LinkFilters(Last, 0, rotate, 0)) return nullptr;
  return rotate;
}

struct TEntryKind {
  const char* Name;
  TEntryBuilder Build;
};

constexpr std::array<TEntryKind, 5> kEntryKinds{{
    {"logo", BuildLogo},
    {"drawtext", BuildDrawTextEntry},
    {"ass", BuildSubtitleEntry},
    {"drawbox", BuildDrawBox},
    {"rotate", BuildRotate},
}};

}  // namespace

TEntryBuilder FindEntryBuilder(std::string_view Name) {
  for (const auto& k : kEntryKinds)
    if (Name == k.Name) return k.Build;
  return nullptr;
}
