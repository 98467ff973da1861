#pragma once
// A FIFO that this process holds open for writing and never writes to: a
// reader of it waits for data that does not come until it gives up.
#include <functional>
#include <string>

namespace fixtures {

class SilentFifo {
 public:
  explicit SilentFifo(const std::string& Path);  // creates the FIFO
  ~SilentFifo();                                 // closes the write end and removes the FIFO
  SilentFifo(const SilentFifo&) = delete;
  SilentFifo& operator=(const SilentFifo&) = delete;

  const std::string& Path() const { return FPath; }
  // Returns true once a reader has opened the FIFO (the write end is then
  // held open); false when Waiting returns false first.
  bool WaitForReader(const std::function<bool()>& Waiting);

 private:
  std::string FPath;
  int FWriter = -1;
};

}  // namespace fixtures
