#include "Converter/AVConverterThread.h"

#include <locale.h>
#include <pthread.h>

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
}

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "Converter/AVConverter.h"

namespace {

constexpr size_t kLogLineSize = 1024;     // longer library messages are cut
constexpr size_t kThreadNameBytes = 15;   // pthread names hold 15 bytes
constexpr int kMaxParentContexts = 4;
constexpr const char* kFilterGraphClass = "AVFilterGraph";

std::mutex gRegistryLock;                                      // guards gRegistry
std::map<std::thread::id, TAVConverter*> gRegistry;            // job thread -> its converter
// Job threads still running; waited on through the atomic itself, which
// (unlike a condition variable) is never destroyed under a thread that ends
// while the process exits.
std::atomic<int> gRunning{0};

// The calling thread's numbers keep "." (LC_NUMERIC "C") while it lives,
// whatever locale the host program adopted: the media library parses and
// prints the numbers of option texts with the C library.
class TCNumericLocale {
 public:
  TCNumericLocale() {
    locale_t base = duplocale(LC_GLOBAL_LOCALE);
    FLocale = base ? newlocale(LC_NUMERIC_MASK, "C", base) : nullptr;
    if (!FLocale && base) freelocale(base);
    if (FLocale) FPrevious = uselocale(FLocale);
  }
  ~TCNumericLocale() {
    if (!FLocale) return;
    uselocale(FPrevious);
    freelocale(FLocale);
  }
  TCNumericLocale(const TCNumericLocale&) = delete;
  TCNumericLocale& operator=(const TCNumericLocale&) = delete;

 private:
  locale_t FLocale = nullptr;
  locale_t FPrevious = nullptr;
};

}  // namespace

struct TJobThreadScope::TNumbers {
  TCNumericLocale Locale;
};

TJobThreadScope::TJobThreadScope(TAVConverter* Converter, const std::string& Name)
    : FNumbers(std::make_unique<TNumbers>()) {
  pthread_setname_np(pthread_self(), Name.substr(0, kThreadNameBytes).c_str());
  std::lock_guard<std::mutex> g(gRegistryLock);
  gRegistry[std::this_thread::get_id()] = Converter;
}

TJobThreadScope::~TJobThreadScope() {
  std::lock_guard<std::mutex> g(gRegistryLock);
  gRegistry.erase(std::this_thread::get_id());
}

int RunningConverterThreads() { return gRunning.load(); }

void WaitForConverterThreads() {
  for (int n = gRunning.load(); n != 0; n = gRunning.load()) gRunning.wait(n);
}

void TAVConvertThread::Start(TAVConverter* Converter, std::shared_ptr<std::atomic<bool>> Running) {
  auto self = std::unique_ptr<TAVConvertThread>(new TAVConvertThread(Converter, std::move(Running)));
  ++gRunning;
  std::thread([t = std::move(self)] { t->Execute(); }).detach();
}

void TAVConvertThread::Execute() {
  {
    std::string name = "Converting ";
    if (FConverter->InputFiles().Count() > 0) name += FConverter->InputFiles()[0];
    const TJobThreadScope job(FConverter, name);
    // RunJob must not touch the converter after its completion handler ran:
    // the handler may destroy it.
    FConverter->RunJob();
  }
  FRunning->store(false);
  --gRunning;
  gRunning.notify_all();
}

TAVConverter* ConverterOfCurrentThread() {
  std::lock_guard<std::mutex> g(gRegistryLock);
  auto it = gRegistry.find(std::this_thread::get_id());
  return it == gRegistry.end() ? nullptr : it->second;
}

TAVConverter* ConverterOfContext(void* Context) {
  // Library objects may name a parent object to log for; a short chain is enough.
  for (int depth = 0; Context && depth < kMaxParentContexts; ++depth) {
    const AVClass* cls = *static_cast<const AVClass**>(Context);
    if (!cls) return nullptr;
    if (cls == avcodec_get_class()) return static_cast<TAVConverter*>(static_cast<AVCodecContext*>(Context)->opaque);
    if (cls == avformat_get_class()) return static_cast<TAVConverter*>(static_cast<AVFormatContext*>(Context)->opaque);
    if (cls == avfilter_get_class()) {
      const AVFilterGraph* graph = static_cast<AVFilterContext*>(Context)->graph;
      return graph ? static_cast<TAVConverter*>(graph->opaque) : nullptr;
    }
    if (strcmp(cls->class_name, kFilterGraphClass) == 0)
      return static_cast<TAVConverter*>(static_cast<AVFilterGraph*>(Context)->opaque);
    if (cls->parent_log_context_offset <= 0) return nullptr;
    Context = *reinterpret_cast<void**>(static_cast<uint8_t*>(Context) + cls->parent_log_context_offset);
  }
  return nullptr;
}

void ConverterLogCallback(void* Context, int Level, const char* Fmt, va_list Args) {
  try {
    TAVConverter* c = ConverterOfContext(Context);
    if (!c) c = ConverterOfCurrentThread();
    if (!c || Level > c->FLogLevel) return;
    char buf[kLogLineSize];
    vsnprintf(buf, sizeof(buf), Fmt, Args);
    c->DoLog(Level, buf);
  } catch (...) {
    // A failing log handler must never unwind into the library.
  }
}
