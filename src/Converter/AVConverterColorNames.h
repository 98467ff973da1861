#pragma once
// The sixteen standard colours that the box colour of the standard filters is
// named by ("Red", "Navy", ...). Any thread; the table is constant.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

struct TStandardColor {
  const char* Name;
  uint32_t Rgb;  // 0xRRGGBB
};

constexpr size_t kStandardColorCount = 16;
const std::array<TStandardColor, kStandardColorCount>& StandardColors();

// 0xRRGGBB of the colour named Name (letter case ignored); empty when unknown.
std::optional<uint32_t> StandardColorByName(std::string_view Name);
