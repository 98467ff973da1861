#pragma once
// The worker thread of one job and the process-wide thread registry that
// routes library log lines to the converter whose worker logged them.
#include <atomic>
#include <cstdarg>
#include <memory>
#include <string>
#include <thread>

class TAVConverter;
TAVConverter* ConverterOfCurrentThread();

class TAVConvertThread {
 public:
  // Starts the thread at once; the thread object frees itself when the job ends.
  // Running is cleared when the thread is done with the converter.
  static void Start(TAVConverter* Converter, std::shared_ptr<std::atomic<bool>> Running);

 private:
  TAVConvertThread(TAVConverter* Converter, std::shared_ptr<std::atomic<bool>> Running)
      : FConverter(Converter), FRunning(std::move(Running)) {}
  void Execute();
  TAVConverter* FConverter;
  std::shared_ptr<std::atomic<bool>> FRunning;
};

// For its lifetime, the calling thread belongs to Converter's job: library
// lines it logs without a context of the job go to that converter, its
// numbers are printed and parsed with "." whatever the process locale, and it
// carries Name (cut to what a thread name holds). Job threads only: the
// worker and the helper threads it starts.
class TJobThreadScope {
 public:
  TJobThreadScope(TAVConverter* Converter, const std::string& Name);
  ~TJobThreadScope();
  TJobThreadScope(const TJobThreadScope&) = delete;
  TJobThreadScope& operator=(const TJobThreadScope&) = delete;

 private:
  struct TNumbers;
  std::unique_ptr<TNumbers> FNumbers;
};

// The converter whose worker runs on the calling thread, or nullptr.
// Registry lock held during the look-up only.
TAVConverter* ConverterOfCurrentThread();

// The converter whose job owns a library context: codec, format and filter
// graph contexts of a job carry their converter in their opaque field, and the
// copies a codec makes for its own threads keep it. Null for other contexts.
TAVConverter* ConverterOfContext(void* Context);

// Library log callback (installed with av_log_set_callback): a line goes to
// the converter owning the context that logged it, and lines without such a
// context to the converter whose worker thread logged them.

void ConverterLogCallback(void* Context, int Level, const char* Fmt, va_list Args);
