#include "Converter/AVConverterFilterStage.h"

#include <utility>

#include "Converter/AVConverterFilterGraph.h"
#include "Converter/AVConverterLocks.h"
#include "Converter/AVConverterThread.h"

TVideoFilterStage::TVideoFilterStage(TVideoFilterGraph& Graph, TAVConverter* Owner)
    : FGraph(Graph), FThread([this, Owner] { Run(Owner); }) {}

TVideoFilterStage::~TVideoFilterStage() {
  {
    std::lock_guard<std::mutex> g(FLock);
    FQuit = true;
  }
  FChanged.notify_all();
  FThread.join();
}

void TVideoFilterStage::Collect(std::unique_lock<std::mutex>& Held, std::vector<ff::FramePtr>& Made) {
  FChanged.wait(Held, [this] { return !FBusy; });
  for (auto& f : FMade) Made.push_back(std::move(f));
  FMade.clear();
  if (FError) std::rethrow_exception(std::exchange(FError, nullptr));
}

void TVideoFilterStage::Exchange(AVFrame* Decoded, std::vector<ff::FramePtr>& Made) {
  ff::FramePtr input;
  if (Decoded) {
    input = ff::MakeFrame();
    // Without memory the picture is skipped, as a graph that refuses it.
    if (!input || av_frame_ref(input.get(), Decoded) < 0) return Finish(Made);
  }
  {
    std::unique_lock<std::mutex> held(FLock);
    Collect(held, Made);
    FInput = std::move(input);
    FHanded = FBusy = true;
  }
  FChanged.notify_all();
}

void TVideoFilterStage::Finish(std::vector<ff::FramePtr>& Made) {
  std::unique_lock<std::mutex> held(FLock);
  Collect(held, Made);
}

void TVideoFilterStage::Run(TAVConverter* Owner) {
  const TJobThreadScope job(Owner, "Filtering");
  for (;;) {
    ff::FramePtr input;
    {
      std::unique_lock<std::mutex> held(FLock);
      FChanged.wait(held, [this] { return FHanded || FQuit; });
      if (FQuit) return;
      input = std::move(FInput);
      FHanded = false;
    }
    std::vector<ff::FramePtr> made;
    std::exception_ptr error;
    try {
      int pushed;
      {
        std::lock_guard<std::mutex> g(CodecLock());
        pushed = FGraph.Push(input.get());
      }
      input.reset();
      // A picture is allocated only for one the graph gives: the one a
      // failed pull leaves empty serves the next time.
      while (pushed >= 0) {
        if (!FSpare && !(FSpare = ff::MakeFrame())) break;
        if (FGraph.Pull(FSpare.get()) != 0) break;
        made.push_back(std::move(FSpare));
      }
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> g(FLock);
      for (auto& f : made) FMade.push_back(std::move(f));
      FError = error;
      FBusy = false;
    }
    FChanged.notify_all();
  }
}
