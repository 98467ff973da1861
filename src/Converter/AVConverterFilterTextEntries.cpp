#include "Converter/AVConverterFilterTextEntries.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "Common/Errors.h"
#include "Converter/AVConverterFilterBuild.h"
#include "Converter/AVConverterFontFamily.h"
#include "Converter/AVConverterFontFolder.h"
#include "Converter/AVConverterSubtitleCharset.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr char kQuote = '\'';
constexpr uint32_t kByteMask = 0xFF;

struct TOption {
  std::string Name, Value;
};

// "name<Separator>value" options separated by "#"; empty options are skipped.
std::vector<TOption> ReadOptions(const std::string& Args, char Separator) {
  std::vector<TOption> out;
  for (const auto& raw : SplitChainRaw(Args, '#')) {
    auto kv = SplitChainRaw(raw, Separator, 2);
    TOption o{UnescapeChainToken(kv[0]), kv.size() > 1 ? UnescapeChainToken(kv[1]) : std::string()};
    if (o.Name.empty() && o.Value.empty()) continue;
    out.push_back(std::move(o));
  }
  return out;
}

// The font path comes wrapped in literal apostrophes (for the drawtext
// filter's own option reader of old); they are not part of the name.
std::string WithoutQuotes(const std::string& S) {
  if (S.size() >= 2 && S.front() == kQuote && S.back() == kQuote) return S.substr(1, S.size() - 2);
  return S;
}

// The two characters "\n" break the line (the descriptors write line breaks so).
std::string WithLineBreaks(const std::string& S) {
  std::string out;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\\' && i + 1 < S.size() && S[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += S[i];
    }
  }
  return out;
}

AVFilterContext* LinkAfter(AVFilterContext* Last, AVFilterContext* Ctx) {
  return Ctx && LinkFilters(Last, 0, Ctx, 0) ? Ctx : nullptr;
}

// 0xRRGGBBAA (fewer digits allowed) as a number.
bool ParseColour(const std::string& S, uint32_t& Out) {
  if (S.size() < 3 || S[0] != '0' || (S[1] != 'x' && S[1] != 'X')) return false;
  char* end = nullptr;
  unsigned long v = strtoul(S.c_str() + 2, &end, 16);
  if (*end != 0 || v > UINT32_MAX) return false;
  Out = static_cast<uint32_t>(v);
  return true;
}

// libass' colour "&HAABBGGRR" from 0xRRGGBBAA.
std::string AssColour(uint32_t Rgba) {
  return Format("&H%02X%02X%02X%02X", Rgba & kByteMask, (Rgba >> 8) & kByteMask,
                (Rgba >> 16) & kByteMask, (Rgba >> 24) & kByteMask);
}

}  // namespace

AVFilterContext* BuildDrawTextEntry(AVFilterGraph* Graph, const TChainEntry& Entry,
                                    const std::string& Instance, AVFilterContext* Last) {
  TFilterOptionList options{{"expansion", "none"}};
  for (const auto& o : ReadOptions(Entry.Args, '=')) {
    if (o.Name == "fontfile") options.emplace_back("fontfile", WithoutQuotes(o.Value));
    else if (o.Name == "text") options.emplace_back("text", WithLineBreaks(o.Value));
    else if (o.Name == "fgcolor") options.emplace_back("fontcolor", o.Value);
    else if (o.Name == "bgcolor") {
      options.emplace_back("box", "1");
      options.emplace_back("boxcolor", o.Value);
    } else {
      options.emplace_back(o.Name, o.Value);
    }
  }
  return LinkAfter(Last, CreateFilter(Graph, "drawtext", Instance, options));
}

AVFilterContext* BuildSubtitleEntry(AVFilterGraph* Graph, const TChainEntry& Entry,
                                    const std::string& Instance, AVFilterContext* Last) {
  std::string file, font, style, codePage;
  TFilterOptionList options;
  for (const auto& o : ReadOptions(Entry.Args, '$')) {
    if (o.Name == "filename") {
      file = o.Value;
    } else if (o.Name == "font") {
      font = o.Value;
    } else if (o.Name == "codepage") {
      codePage = o.Value;
    } else if (o.Name == "color") {
      uint32_t rgba = 0;
      if (!ParseColour(o.Value, rgba)) {
        av_log(nullptr, AV_LOG_ERROR, "Invalid subtitle colour \"%s\"\n", o.Value.c_str());
        return nullptr;
      }
      style += (style.empty() ? "" : ",") + std::string("PrimaryColour=") + AssColour(rgba);
    } else {
      av_log(nullptr, AV_LOG_ERROR, "Unknown option \"%s\" of ass\n", o.Name.c_str());
      return nullptr;
    }
  }
  if (file.empty()) {
    av_log(nullptr, AV_LOG_ERROR, "No subtitle file given to ass\n");
    return nullptr;
  }
  const std::optional<std::string> charset = SubtitleCharset(file, codePage);
  if (!charset) return nullptr;
  if (!charset->empty()) options.emplace_back("charenc", *charset);
  options.emplace_back("filename", file);
  // libass reads its fonts folder when the filter is created; the folder may go after that.
  std::unique_ptr<TPrivateFontFolder> fonts;
  if (!font.empty()) {
    auto family = FontFamilyName(font);
    if (!family) {
      av_log(nullptr, AV_LOG_ERROR, "Can not read the font file %s\n", font.c_str());
      return nullptr;
    }
    fonts = std::make_unique<TPrivateFontFolder>(font);
    if (fonts->Path().empty()) return nullptr;
    options.emplace_back("fontsdir", fonts->Path());
    // The style override list is comma separated; such a family can't be named in it.
    if (family->find_first_of(",=") == std::string::npos)
      style = "FontName=" + *family + (style.empty() ? "" : ",") + style;
    else
      av_log(nullptr, AV_LOG_WARNING, "The font family \"%s\" can not be forced\n", family->c_str());
  }
  if (!style.empty()) options.emplace_back("force_style", style);
  return LinkAfter(Last, CreateFilter(Graph, "subtitles", Instance, options));
}
