#pragma once
// The worker thread of one job and the process-wide thread registry that
// routes library log lines to the converter whose worker logged them.
#include <cstdarg>
#include <thread>

class TAVConverter;
TAVConverter* ConverterOfCurrentThread();

class TAVConvertThread {
 public:
  // Starts the thread at once; the thread object frees itself when the job ends.
  static void Start(TAVConverter* Converter);

 private:
  friend TAVConverter* ConverterOfCurrentThread();
  explicit TAVConvertThread(TAVConverter* Converter) : FConverter(Converter) {}
  void Execute();
  TAVConverter* FConverter;
};

// The converter whose worker runs on the calling thread, or nullptr.
// Registry lock held during the look-up only.
TAVConverter* ConverterOfCurrentThread();

// Library log callback (installed with av_log_set_callback).
void ConverterLogCallback(void* Context, int Level, const char* Fmt, va_list Args);
