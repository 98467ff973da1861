#pragma once
// Reading local files that can keep a reader waiting for data without end: a
// FIFO whose writer is slow or absent, a terminal, a socket. The library's
// own file reader blocks in the system call, where no stop request reaches
// it; this one waits in slices and asks the job's interrupt callback between
// them. FFmpeg's pipe protocol ("pipe:0") blocks the same way, so inherited
// descriptors are read through it too. Worker thread of the job that opened it.
#include <memory>
#include <string>

#include "Converter/FFmpegPtr.h"

class TWaitingReader {
 public:
  // Opens Name without blocking (a "pipe:" name: a duplicate of its
  // descriptor); null when it can't be opened (errno tells why).
  static std::unique_ptr<TWaitingReader> Open(const std::string& Name, const AVIOInterruptCB& Interrupt);
  ~TWaitingReader();
  TWaitingReader(const TWaitingReader&) = delete;
  TWaitingReader& operator=(const TWaitingReader&) = delete;

  // A read-only, non-seekable I/O context over this reader (which must outlive it).
  ff::IOPtr MakeIO();

 private:
  TWaitingReader(int Fd, const AVIOInterruptCB& Interrupt) : FFd(Fd), FInterrupt(Interrupt) {}
  static int Read(void* Opaque, uint8_t* Buffer, int Size);

  int FFd;
  AVIOInterruptCB FInterrupt;
};

// True for a local file that reading may wait on: a FIFO, a character
// device or a socket, and for a "pipe:" name (regular files and other names
// are read by the library).
bool IsWaitingFile(const std::string& Name);
