#pragma once
// Process-wide lock serialising every decode and encode call of all converters
// (and the packet and frame housekeeping around them).
#include <mutex>

std::mutex& CodecLock();
