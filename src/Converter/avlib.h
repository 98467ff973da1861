#pragma once
// Binding of the media library: FFmpeg (linked at build time), AviSynth
// (bound at run time, optional), the system's own extensions registered once,
// the lock-manager callback and the error message box.
#include <functional>
#include <string>

// Main thread. Makes every facility available and registers once; a second
// call changes nothing. A missing AviSynth library is not an error here.
void LoadMediaLibrary();
// Main thread, at exit. Releases what LoadMediaLibrary bound; safe to repeat.
void UnloadMediaLibrary();
bool MediaLibraryRegistered();
// How many times registration has run since the program started (tests).
int MediaLibraryRegistrationCount();

// Device formats (capture cards, screens, sound servers, "lavfi": the
// libavdevice formats) are registered on first need, not at start: loading
// that library and the fifty it alone depends on cost every run about 15 ms.
// Any thread; once per process. False when the library can't be loaded.
bool RegisterDeviceFormats();
// Any thread: registers the device formats before Url is opened when it names
// a device file, which a device format may claim when probing.
void PrepareDeviceUrl(const std::string& Url);
// Any thread: the format of that name, looked for among the device formats
// too when the library's own list lacks it; nullptr when neither has it.
const struct AVInputFormat* FindInputFormatByName(const std::string& Name);
const struct AVOutputFormat* FindOutputFormatByName(const std::string& Name);

// Lock-manager callback with the library's slot semantics: 0 create, 1 obtain,
// 2 release, 3 destroy (slot set to null); other codes do nothing; always 0.
// FFmpeg 5.1 has no lock manager, so it is not registered anywhere.
enum TLockOperation { loCreate = 0, loObtain = 1, loRelease = 2, loDestroy = 3 };
int LockManagerCallback(void** Slot, int Operation);

// Error box titled "Error". Any thread; returns when the user has closed it.
// The handler is installed by the GUI (message box), the CLI (stderr) or a test.
using TErrorMessageHandler = std::function<void(const std::string& Text)>;
void ShowErrorMessage(const std::string& Text);
// Installs Handler and returns the previous one; an empty handler restores the default (stderr).
TErrorMessageHandler SetErrorMessageHandler(TErrorMessageHandler Handler);

// The system's extensions, known by the names the filter chain, file names and
// input formats use. Each module that implements one fills its description;
// the table is written once at registration and only read afterwards.
struct TMediaExtension {
  const char* Name;     // "synth", "stream", "wavcap"
  const char* Kind;     // "filter", "protocol", "input format"
};
// The registered extension of that name, or nullptr before registration.
const TMediaExtension* FindMediaExtension(const std::string& Name);

// AviSynth C interface, bound with dlopen.
constexpr const char* kAviSynthLibraryName = "libavisynth.so";
struct TAviSynthLibrary {
  void* Handle = nullptr;
  // Entry points by name, null when absent (the caller looks them up with Entry).
  void* Entry(const char* Name) const;
  bool Loaded() const { return Handle != nullptr; }
};
// The AviSynth binding (empty when the library is missing) and the reason it is missing.
const TAviSynthLibrary& AviSynthLibrary();
std::string AviSynthLoadError();
