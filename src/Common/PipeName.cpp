#include "Common/PipeName.h"

#include <climits>
#include <cstdlib>

int PipeDescriptor(const std::string& Name, int Default) {
  const char* number = Name.c_str() + std::char_traits<char>::length(kPipeProtocol);
  char* end = nullptr;
  const long fd = std::strtol(number, &end, 10);
  if (end == number || *end != '\0') return Default;
  return fd < 0 || fd > INT_MAX ? -1 : static_cast<int>(fd);
}
