#include "Common/NumberText.h"

#include <charconv>

namespace {
constexpr size_t kMaxFloatText = 64;  // sign, 17 digits, point, exponent: far less
}

std::string FloatText(double V, int Digits) {
  char buf[kMaxFloatText];
  const auto r = std::to_chars(buf, buf + sizeof buf, V, std::chars_format::general, Digits);
  return std::string(buf, r.ptr);
}

bool ParseFloat(const std::string& Text, double& Value) {
  const char* first = Text.data();
  const char* last = first + Text.size();
  if (first != last && *first == '+') ++first;  // strtod took a leading plus
  double v = 0.0;
  const auto r = std::from_chars(first, last, v);
  if (r.ec != std::errc() || r.ptr != last || Text.empty()) return false;
  Value = v;
  return true;
}
