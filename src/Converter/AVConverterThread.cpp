#include "Converter/AVConverterThread.h"

#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "Converter/AVConverter.h"

namespace {

constexpr size_t kLogLineSize = 1024;     // longer library messages are cut
constexpr size_t kThreadNameBytes = 15;   // pthread names hold 15 bytes

std::mutex gRegistryLock;                                      // guards gRegistry
std::map<std::thread::id, TAVConvertThread*> gRegistry;        // worker -> its thread object
std::atomic<int> gRunning{0};

}  // namespace

int RunningConverterThreads() { return gRunning.load(); }

void TAVConvertThread::Start(TAVConverter* Converter, std::shared_ptr<std::atomic<bool>> Running) {
  auto self = std::unique_ptr<TAVConvertThread>(new TAVConvertThread(Converter, std::move(Running)));
  ++gRunning;
  std::thread([t = std::move(self)] { t->Execute(); }).detach();
}

void TAVConvertThread::Execute() {
  std::string name = "Converting ";
  if (FConverter->InputFiles().Count() > 0) name += FConverter->InputFiles()[0];
  pthread_setname_np(pthread_self(), name.substr(0, kThreadNameBytes).c_str());
  const auto id = std::this_thread::get_id();
  {
    std::lock_guard<std::mutex> g(gRegistryLock);
    gRegistry[id] = this;
  }
  // RunJob must not touch the converter after its completion handler ran:
  // the handler may destroy it.
  FConverter->RunJob();
  {
    std::lock_guard<std::mutex> g(gRegistryLock);
    gRegistry.erase(id);
  }
  FRunning->store(false);
  --gRunning;
}

TAVConverter* ConverterOfCurrentThread() {
  std::lock_guard<std::mutex> g(gRegistryLock);
  auto it = gRegistry.find(std::this_thread::get_id());
  return it == gRegistry.end() ? nullptr : it->second->FConverter;
}

void ConverterLogCallback(void* Context, int Level, const char* Fmt, va_list Args) {
  try {
    TAVConverter* c = ConverterOfCurrentThread();
    if (!c || Level > c->FLogLevel) return;
    char buf[kLogLineSize];
    vsnprintf(buf, sizeof(buf), Fmt, Args);
    c->DoLog(Level, buf);
  } catch (...) {
    // A failing log handler must never unwind into the library.
  }
}
