#include "Converter/AVConverterColorNames.h"

#include "Common/StringList.h"

namespace {

constexpr std::array<TStandardColor, kStandardColorCount> kColors{{
    {"Black", 0x000000},  {"Maroon", 0x800000}, {"Green", 0x008000},   {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080}, {"Teal", 0x008080},    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},    {"Lime", 0x00FF00},    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},   {"White", 0xFFFFFF},
}};

}  // namespace

const std::array<TStandardColor, kStandardColorCount>& StandardColors() { return kColors; }

std::optional<uint32_t> StandardColorByName(std::string_view Name) {
  for (const auto& c : kColors)
    if (SameText(Name, c.Name)) return c.Rgb;
  return std::nullopt;
}
