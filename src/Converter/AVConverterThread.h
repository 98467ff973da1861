#pragma once
// The worker thread of one job and the process-wide thread registry that
// routes library log lines to the converter whose worker logged them.
#include <atomic>
#include <cstdarg>
#include <memory>
#include <thread>

class TAVConverter;
TAVConverter* ConverterOfCurrentThread();

class TAVConvertThread {
 public:
  // Starts the thread at once; the thread object frees itself when the job ends.
  // Running is cleared when the thread is done with the converter.
  static void Start(TAVConverter* Converter, std::shared_ptr<std::atomic<bool>> Running);

 private:
  friend TAVConverter* ConverterOfCurrentThread();
  TAVConvertThread(TAVConverter* Converter, std::shared_ptr<std::atomic<bool>> Running)
      : FConverter(Converter), FRunning(std::move(Running)) {}
  void Execute();
  TAVConverter* FConverter;
  std::shared_ptr<std::atomic<bool>> FRunning;
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
