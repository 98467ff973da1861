#include "support/RealText.h"

#include <charconv>

namespace fixtures {

double Real(const std::string& Text) {
  const char* begin = Text.c_str();
  const char* end = begin + Text.size();
  while (begin < end && (*begin == ' ' || *begin == '\t' || *begin == '\n')) ++begin;
  if (begin < end && *begin == '+') ++begin;
  double value = 0;
  if (std::from_chars(begin, end, value).ec != std::errc()) return 0;
  return value;
}

}  // namespace fixtures
