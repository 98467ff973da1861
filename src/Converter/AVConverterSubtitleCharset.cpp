#include "Converter/AVConverterSubtitleCharset.h"

#include <array>
#include <fstream>

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/log.h>
}

namespace {

constexpr std::array<std::string_view, 3> kByteOrderMarks{"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
constexpr size_t kMaxSubtitleBytes = 64u << 20;  // larger files are left to the reader

bool ValidUtf8(const std::string& Text) {
  const auto* p = reinterpret_cast<const uint8_t*>(Text.data());
  const uint8_t* end = p + Text.size();
  while (p < end) {
    int32_t code = 0;
    if (av_utf8_decode(&code, &p, end, AV_UTF8_FLAG_ACCEPT_SURROGATES) < 0) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> SubtitleCharset(const std::string& File, const std::string& CodePage) {
  std::ifstream in(File, std::ios::binary);
  if (!in) return CodePage;  // the reader says why it can't open it
  // A byte order mark says what the text is, whatever was chosen.
  std::string head(kByteOrderMarks[0].size(), '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  for (std::string_view mark : kByteOrderMarks)
    if (head.compare(0, mark.size(), mark) == 0) return std::string();
  if (!CodePage.empty()) return CodePage;
  // Without a code page the whole text must be UTF-8.
  in.clear();
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<size_t>(size) > kMaxSubtitleBytes) return CodePage;
  std::string text(static_cast<size_t>(size), '\0');
  in.seekg(0);
  in.read(text.data(), size);
  text.resize(static_cast<size_t>(in.gcount()));
  if (ValidUtf8(text)) return CodePage;
  av_log(nullptr, AV_LOG_ERROR,
         "The subtitle file %s is not UTF-8 text: choose its code page (GB18030 for GBK files, BIG5, ...)\n",
         File.c_str());
  return std::nullopt;
}
