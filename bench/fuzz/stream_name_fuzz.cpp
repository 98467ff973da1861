// libFuzzer target: the "stream:" name parser on arbitrary names. A name it
// accepts gives a number that, written back as "stream:N", parses the same.
// Built and run by run_fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Media/StreamProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string name(reinterpret_cast<const char*>(Data), Size);
  int32_t reference = 0;
  if (StreamOpen(name, &reference) != 0) return 0;
  int32_t again = 0;
  if (StreamOpen("stream:" + std::to_string(reference) + ".avi", &again) != 0 || again != reference) abort();
  // An accepted name that names no registered stream opens nothing.
  if (OpenStreamContext(name, false)) abort();
  return 0;
}
