#pragma once
// A stand-in for snd_pcm_readi linked into the media tests: it passes reads
// on to ALSA, or makes the device fail or fall silent, so that the capture
// input's error and stop paths can be driven. Any thread.
#include <atomic>

namespace alsashim {

enum class TMode { Pass, FailAfter };

// Pass: every read goes to ALSA. FailAfter: Reads reads go to ALSA, then every
// read returns Error (-EAGAIN: a device that records nothing any more).
void Set(TMode Mode, int Reads = 0, int Error = 0);
// Reads asked for since the last Set.
int Calls();

// Restores Pass when it goes out of scope.
struct Scope {
  Scope(TMode Mode, int Reads = 0, int Error = 0) { Set(Mode, Reads, Error); }
  ~Scope() { Set(TMode::Pass); }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
};

}  // namespace alsashim
