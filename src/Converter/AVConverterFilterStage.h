#pragma once
// The video filter graph of one re-encoded stream, run on a thread of its own:
// a picture is scaled (and passed through the user's chain) while the worker
// decodes the next one and encodes the one before. One picture is in the stage
// at a time; the pictures it made are handed back with the next one.
//
// Threads: Exchange and Finish run on the job's worker; the stage's thread
// runs the graph (Push under the codec lock, as on the worker, then Pull). The
// graph is not touched by the worker while the stage exists. FLock guards the
// fields under it.
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "Converter/FFmpegPtr.h"

class TAVConverter;
class TVideoFilterGraph;

class TVideoFilterStage {
 public:
  // Worker: starts the thread. Owner receives the library lines logged on it.
  TVideoFilterStage(TVideoFilterGraph& Graph, TAVConverter* Owner);
  // Worker: waits for the picture in work (its pictures are dropped) and ends
  // the thread; the graph may be destroyed after this.
  ~TVideoFilterStage();
  TVideoFilterStage(const TVideoFilterStage&) = delete;
  TVideoFilterStage& operator=(const TVideoFilterStage&) = delete;

  // Worker: once the previous picture is through, appends the pictures it
  // made to Made and hands over Decoded (a reference is taken; nullptr ends
  // the stream). An error of the stage's thread is rethrown here.
  void Exchange(AVFrame* Decoded, std::vector<ff::FramePtr>& Made);
  // Worker: waits for the picture in work and appends what it made.
  void Finish(std::vector<ff::FramePtr>& Made);

 private:
  void Run(TAVConverter* Owner);
  // Worker, FLock held: waits until nothing is in work; moves out what was made.
  void Collect(std::unique_lock<std::mutex>& Held, std::vector<ff::FramePtr>& Made);

  TVideoFilterGraph& FGraph;
  ff::FramePtr FSpare;  // the stage's thread only: an empty picture for the next pull
  std::mutex FLock;
  std::condition_variable FChanged;
  ff::FramePtr FInput;           // the picture handed over; null: the end
  bool FHanded = false;          // FInput waits for the thread
  bool FBusy = false;            // handed over and not yet through
  bool FQuit = false;
  std::vector<ff::FramePtr> FMade;
  std::exception_ptr FError;
  std::thread FThread;           // last: started once the fields above exist
};
