#include "Converter/avlib.h"

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <mutex>

extern "C" {
#include <libavdevice/version.h>
#include <libavformat/avformat.h>
#include <libavutil/macros.h>
}

#include "Common/Errors.h"

namespace {

// Guards the binding state below; binding runs on the main thread, but the
// tests and the CLI may call from elsewhere, so keep it safe anyway.
std::mutex gBindLock;
bool gRegistered = false;       // guarded by gBindLock
int gRegistrationCount = 0;     // guarded by gBindLock
TAviSynthLibrary gAviSynth;     // guarded by gBindLock; read-only once bound
std::string gAviSynthError;     // guarded by gBindLock

// Process-wide descriptions of the system's extensions, fixed at start.
constexpr std::array<TMediaExtension, 3> kExtensions{{
    {"synth", "filter"},
    {"stream", "protocol"},
    {"wavcap", "input format"},
}};

// The device library's file name; it is dlopen'ed, not linked.
constexpr const char* kDeviceLibraryName = "libavdevice.so." AV_STRINGIFY(LIBAVDEVICE_VERSION_MAJOR);
constexpr const char* kDeviceRegistration = "avdevice_register_all";
constexpr const char* kDevicePrefix = "/dev/";
std::mutex gDeviceLock;       // guards gDevicesTried and gDevicesRegistered
bool gDevicesTried = false;
bool gDevicesRegistered = false;

std::mutex gHandlerLock;            // guards gHandler
TErrorMessageHandler gHandler;      // empty: print to stderr

void BindAviSynth() {
  if (gAviSynth.Handle) return;
  void* h = dlopen(kAviSynthLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char* why = dlerror();
    gAviSynthError = Format("Can not load %s", kAviSynthLibraryName) +
                     (why ? std::string(": ") + why : std::string());
    return;
  }
  gAviSynth.Handle = h;
  gAviSynthError.clear();
}

}  // namespace

void* TAviSynthLibrary::Entry(const char* Name) const {
  return Handle ? dlsym(Handle, Name) : nullptr;
}

void LoadMediaLibrary() {
  std::lock_guard<std::mutex> g(gBindLock);
  // Once per load: every converter calls this, and looking for a missing
  // AviSynth library again each time costs a search of the library path.
  if (gRegistered) return;
  BindAviSynth();
  // FFmpeg 5.1 registers its codecs, formats and filters itself; devices are
  // registered on first need (RegisterDeviceFormats).
  gRegistered = true;
  ++gRegistrationCount;
}

void UnloadMediaLibrary() {
  std::lock_guard<std::mutex> g(gBindLock);
  if (gAviSynth.Handle) {
    if (dlclose(gAviSynth.Handle) != 0) throw EAssertionFailed("avlib", __LINE__);
    gAviSynth.Handle = nullptr;
  }
  gRegistered = false;
}

bool MediaLibraryRegistered() {
  std::lock_guard<std::mutex> g(gBindLock);
  return gRegistered;
}

bool RegisterDeviceFormats() {
  std::lock_guard<std::mutex> g(gDeviceLock);
  if (gDevicesTried) return gDevicesRegistered;
  gDevicesTried = true;
  // Kept loaded for good: the format list points into it from now on.
  void* lib = dlopen(kDeviceLibraryName, RTLD_NOW | RTLD_LOCAL);
  void* entry = lib ? dlsym(lib, kDeviceRegistration) : nullptr;
  if (!entry) return false;
  reinterpret_cast<void (*)()>(entry)();
  gDevicesRegistered = true;
  return true;
}

void PrepareDeviceUrl(const std::string& Url) {
  if (Url.rfind(kDevicePrefix, 0) == 0) RegisterDeviceFormats();
}

const AVInputFormat* FindInputFormatByName(const std::string& Name) {
  if (const AVInputFormat* f = av_find_input_format(Name.c_str())) return f;
  return RegisterDeviceFormats() ? av_find_input_format(Name.c_str()) : nullptr;
}

const AVOutputFormat* FindOutputFormatByName(const std::string& Name) {
  if (const AVOutputFormat* f = av_guess_format(Name.c_str(), nullptr, nullptr)) return f;
  return RegisterDeviceFormats() ? av_guess_format(Name.c_str(), nullptr, nullptr) : nullptr;
}

int MediaLibraryRegistrationCount() {
  std::lock_guard<std::mutex> g(gBindLock);
  return gRegistrationCount;
}

const TMediaExtension* FindMediaExtension(const std::string& Name) {
  if (!MediaLibraryRegistered()) return nullptr;
  for (const auto& e : kExtensions)
    if (Name == e.Name) return &e;
  return nullptr;
}

const TAviSynthLibrary& AviSynthLibrary() {
  std::lock_guard<std::mutex> g(gBindLock);
  return gAviSynth;
}

std::string AviSynthLoadError() {
  std::lock_guard<std::mutex> g(gBindLock);
  return gAviSynthError;
}

int LockManagerCallback(void** Slot, int Operation) {
  // The slot owns a heap mutex between create and destroy: that is the
  // contract of the library's lock manager, which hands us only a void**.
  switch (Operation) {
    case loCreate:
      *Slot = new std::mutex();
      break;
    case loObtain:
      static_cast<std::mutex*>(*Slot)->lock();
      break;
    case loRelease:
      static_cast<std::mutex*>(*Slot)->unlock();
      break;
    case loDestroy:
      delete static_cast<std::mutex*>(*Slot);
      *Slot = nullptr;
      break;
    default:
      break;
  }
  return 0;
}

void ShowErrorMessage(const std::string& Text) {
  TErrorMessageHandler h;
  {
    std::lock_guard<std::mutex> g(gHandlerLock);
    h = gHandler;
  }
  if (h) h(Text);
  else fprintf(stderr, "Error: %s\n", Text.c_str());
}

TErrorMessageHandler SetErrorMessageHandler(TErrorMessageHandler Handler) {
  std::lock_guard<std::mutex> g(gHandlerLock);
  TErrorMessageHandler old = std::move(gHandler);
  gHandler = std::move(Handler);
  return old;
}
