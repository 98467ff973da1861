#include "Converter/AVConverterFontFamily.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace {

constexpr uint32_t kCollectionTag = 0x74746366;  // "ttcf"
constexpr uint32_t kNameTableTag = 0x6E616D65;   // "name"
constexpr uint32_t kOffsetTableSize = 12;
constexpr uint32_t kTableRecordSize = 16;
constexpr uint32_t kCollectionFirstOffset = 12;
constexpr uint32_t kNameRecordSize = 12;
constexpr uint32_t kNameHeaderSize = 6;
constexpr uint16_t kFamilyNameId = 1;
constexpr uint16_t kPlatformMac = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kLanguageEnglishUs = 0x409;
// Name tables are small; anything larger is not a font.
constexpr uint32_t kMaxNameTable = 1 << 20;

class TBigEndianFile {
 public:
  explicit TBigEndianFile(const std::string& Path) : FIn(Path, std::ios::binary) {}
  bool Ok() const { return static_cast<bool>(FIn); }
  std::optional<uint32_t> U32(uint32_t Offset) { return Read(Offset, 4); }
  std::optional<uint32_t> U16(uint32_t Offset) { return Read(Offset, 2); }
  bool Bytes(uint32_t Offset, uint32_t Size, std::vector<uint8_t>& Out) {
    Out.resize(Size);
    FIn.seekg(Offset);
    FIn.read(reinterpret_cast<char*>(Out.data()), Size);
    return static_cast<bool>(FIn);
  }

 private:
  std::optional<uint32_t> Read(uint32_t Offset, int Size) {
    std::vector<uint8_t> b;
    if (!Bytes(Offset, static_cast<uint32_t>(Size), b)) return std::nullopt;
    uint32_t v = 0;
    for (uint8_t x : b) v = (v << 8) | x;
    return v;
  }
  std::ifstream FIn;
};

uint16_t At16(const std::vector<uint8_t>& B, size_t I) {
  return static_cast<uint16_t>((B[I] << 8) | B[I + 1]);
}

void AppendUtf8(std::string& Out, uint32_t Cp) {
  if (Cp < 0x80) {
    Out += static_cast<char>(Cp);
  } else if (Cp < 0x800) {
    Out += static_cast<char>(0xC0 | (Cp >> 6));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  } else if (Cp < 0x10000) {
    Out += static_cast<char>(0xE0 | (Cp >> 12));
    Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Cp >> 18));
    Out += static_cast<char>(0x80 | ((Cp >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  }
}

std::string Utf16BeToUtf8(const uint8_t* P, size_t Size) {
  std::string out;
  for (size_t i = 0; i + 1 < Size; i += 2) {
    uint32_t u = (P[i] << 8) | P[i + 1];
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < Size) {
      uint32_t lo = (P[i + 2] << 8) | P[i + 3];
      u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
      i += 2;
    }
    AppendUtf8(out, u);
  }
  return out;
}

// Offset of the name table of the font at FontOffset, with its length.
std::optional<std::pair<uint32_t, uint32_t>> FindNameTable(TBigEndianFile& F, uint32_t FontOffset) {
  auto count = F.U16(FontOffset + 4);
  if (!count) return std::nullopt;
  for (uint32_t t = 0; t < *count; ++t) {
    uint32_t rec = FontOffset + kOffsetTableSize + t * kTableRecordSize;
    auto tag = F.U32(rec);
    if (!tag) return std::nullopt;
    if (*tag != kNameTableTag) continue;
    auto off = F.U32(rec + 8), len = F.U32(rec + 12);
    if (!off || !len) return std::nullopt;
    return std::make_pair(*off, *len);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FontFamilyName(const std::string& FontFile) {
  TBigEndianFile f(FontFile);
  if (!f.Ok()) return std::nullopt;
  auto tag = f.U32(0);
  if (!tag) return std::nullopt;
  uint32_t fontOffset = 0;
  if (*tag == kCollectionTag) {
    auto first = f.U32(kCollectionFirstOffset);
    if (!first) return std::nullopt;
    fontOffset = *first;
  }
  auto table = FindNameTable(f, fontOffset);
  if (!table || table->second < kNameHeaderSize || table->second > kMaxNameTable) return std::nullopt;
  std::vector<uint8_t> b;
  if (!f.Bytes(table->first, table->second, b)) return std::nullopt;
  const size_t count = At16(b, 2), strings = At16(b, 4);
  std::optional<std::string> windowsAny, mac;
  for (size_t r = 0; r < count; ++r) {
    size_t rec = kNameHeaderSize + r * kNameRecordSize;
    if (rec + kNameRecordSize > b.size()) break;
    uint16_t platform = At16(b, rec), language = At16(b, rec + 4), id = At16(b, rec + 6);
    size_t len = At16(b, rec + 8), off = strings + At16(b, rec + 10);
    if (id != kFamilyNameId || off + len > b.size() || len == 0) continue;
    if (platform == kPlatformWindows) {
      std::string name = Utf16BeToUtf8(b.data() + off, len);
      if (language == kLanguageEnglishUs) return name;
      if (!windowsAny) windowsAny = name;
    } else if (platform == kPlatformMac && !mac) {
      mac = std::string(reinterpret_cast<const char*>(b.data() + off), len);
    }
  }
  if (windowsAny) return windowsAny;
  return mac;
}
