#include "AlsaReadShim.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>


namespace {
std::atomic<alsashim::TMode> gMode{alsashim::TMode::Pass};
std::atomic<int> gReads{0}, gError{0}, gCalls{0};

using TReadI = snd_pcm_sframes_t (*)(snd_pcm_t*, void*, snd_pcm_uframes_t);
TReadI RealReadI() {
  static const auto real = reinterpret_cast<TReadI>(dlsym(RTLD_NEXT, "snd_pcm_readi"));
  return real;
}
}  // namespace

namespace alsashim {

void Set(TMode Mode, int Reads, int Error) {
  gReads.store(Reads);
  gError.store(Error);
  gCalls.store(0);
  gMode.store(Mode);
}

int Calls() { return gCalls.load(); }

}  // namespace alsashim

// The program's own definition comes before libasound's for the code linked into it.
extern "C" snd_pcm_sframes_t snd_pcm_readi(snd_pcm_t* Pcm, void* Buffer, snd_pcm_uframes_t Size) {
  const int call = gCalls.fetch_add(1);
  if (gMode.load() == alsashim::TMode::FailAfter && call >= gReads.load()) return gError.load();
  return RealReadI()(Pcm, Buffer, Size);
}
