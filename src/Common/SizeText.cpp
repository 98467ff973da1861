#include "Common/SizeText.h"

#include <cctype>
#include <cmath>

namespace {
constexpr double kKibi = 1024.0;
constexpr double kLargestSize = 1099511627776.0;  // 1 TiB: beyond any file a size is asked for
constexpr int64_t kHundred = 100;
constexpr int kDecimalBase = 10;
}  // namespace

std::optional<int64_t> ParseSizeText(const std::string& Text) {
  if (Text.empty() || !(std::isdigit(static_cast<unsigned char>(Text[0])) || Text[0] == '.')) return std::nullopt;
  // Read with the C locale's point whatever the process locale says.
  size_t digits = 0;
  bool point = false;
  while (digits < Text.size() && (std::isdigit(static_cast<unsigned char>(Text[digits])) || (Text[digits] == '.' && !point))) {
    point |= Text[digits] == '.';
    ++digits;
  }
  const std::string number = Text.substr(0, digits);
  const std::string unit = Text.substr(digits);
  double scale = 1;
  if (unit == "K" || unit == "k") scale = kKibi;
  else if (unit == "M" || unit == "m") scale = static_cast<double>(kBytesPerMegabyte);
  else if (unit == "G" || unit == "g") scale = kKibi * static_cast<double>(kBytesPerMegabyte);
  else if (!unit.empty()) return std::nullopt;
  if (point && unit.empty()) return std::nullopt;  // bytes are whole
  double whole = 0, fraction = 0, place = 1;
  bool afterPoint = false;
  for (char c : number) {
    if (c == '.') { afterPoint = true; continue; }
    if (afterPoint) fraction += (c - '0') * (place /= kDecimalBase);
    else whole = whole * kDecimalBase + (c - '0');
  }
  const double bytes = std::floor((whole + fraction) * scale);
  if (bytes < 1 || bytes > kLargestSize) return std::nullopt;
  return static_cast<int64_t>(bytes);
}

std::string MegabytesText(int64_t Bytes) {
  // Two decimals with a point, whatever the locale.
  const int64_t hundredths =
      Bytes / kBytesPerMegabyte * kHundred + ((Bytes % kBytesPerMegabyte) * kHundred + kBytesPerMegabyte - 1) / kBytesPerMegabyte;
  const int64_t cents = hundredths % kHundred;
  return std::to_string(hundredths / kHundred) + (cents < kDecimalBase ? ".0" : ".") + std::to_string(cents) + " MB";
}
