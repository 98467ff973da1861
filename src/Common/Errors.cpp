#include "Common/Errors.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

EAssertionFailed::EAssertionFailed(const char* Unit, int Line)
    : Exception(::Format("Assertion failure (%s, line %d)", Unit, Line)) {}

std::string Format(const char* Fmt, ...) {
  va_list ap;
  va_start(ap, Fmt);
  va_list copy;
  va_copy(copy, ap);
  int n = vsnprintf(nullptr, 0, Fmt, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n));
    vsnprintf(out.data(), out.size() + 1, Fmt, ap);
  }
  va_end(ap);
  return out;
}
