#include "Common/NumberText.h"

#include <array>
#include <charconv>

namespace {
// Enough for any double in general format with up to 17 significant digits.
constexpr size_t kFloatTextSize = 64;
}  // namespace

std::string FloatText(double V, int Digits) {
  std::array<char, kFloatTextSize> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), V, std::chars_format::general, Digits);
  return std::string(buf.data(), r.ptr);
}

bool ParseFloat(const std::string& Text, double& Value) {
  const char* first = Text.data();
  const char* end = first + Text.size();
  if (first != end && *first == '+') ++first;  // strtod took a leading plus
  double v = 0.0;
  const auto r = std::from_chars(first, end, v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != end || Text.empty()) return false;
  Value = v;
  return true;
}
