#pragma once
// Error classes of the system. Every user-visible failure carries its message
// text exactly as the user should read it.
#include <stdexcept>
#include <string>

// Base of the system's errors (an engine step failing, a bad stored value, ...).
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Internal consistency check failed: "Assertion failure (Unit, line N)".
class EAssertionFailed : public Exception {
 public:
  EAssertionFailed(const char* Unit, int Line);
};

#define QB_ASSERT(Unit, Condition) \
  do {                             \
    if (!(Condition)) throw EAssertionFailed(Unit, __LINE__); \
  } while (0)

// printf-style formatting into a std::string (the system's Format).
std::string Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));
