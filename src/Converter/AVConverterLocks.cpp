#include "Converter/AVConverterLocks.h"

std::mutex& CodecLock() {
  static std::mutex lock;
  return lock;
}
