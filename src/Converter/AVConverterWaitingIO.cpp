#include "Converter/AVConverterWaitingIO.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "Common/PipeName.h"

namespace {
constexpr int kWaitSliceMs = 100;       // how long one wait lasts before the stop check
constexpr int kIOBufferSize = 32768;
}  // namespace

bool IsWaitingFile(const std::string& Name) {
  if (IsPipeName(Name)) return true;
  struct stat st {};
  if (stat(Name.c_str(), &st) != 0) return false;
  return S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode);
}

std::unique_ptr<TWaitingReader> TWaitingReader::Open(const std::string& Name, const AVIOInterruptCB& Interrupt) {
  // Without O_NONBLOCK, opening a FIFO waits for its writer. An inherited
  // descriptor stays blocking (its flags are shared with other processes):
  // reading follows poll, so it returns what is there.
  const int fd = IsPipeName(Name) ? fcntl(PipeDescriptor(Name, STDIN_FILENO), F_DUPFD_CLOEXEC, 0)
                                  : open(Name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::unique_ptr<TWaitingReader>(new TWaitingReader(fd, Interrupt));
}

TWaitingReader::~TWaitingReader() { close(FFd); }

ff::IOPtr TWaitingReader::MakeIO() {
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIOBufferSize));
  if (!buffer) return nullptr;
  ff::IOPtr io(avio_alloc_context(buffer, kIOBufferSize, 0, this, Read, nullptr, nullptr));
  if (!io) {
    av_free(buffer);
    return nullptr;
  }
  io->seekable = 0;
  return io;
}

int TWaitingReader::Read(void* Opaque, uint8_t* Buffer, int Size) {
  auto* self = static_cast<TWaitingReader*>(Opaque);
  for (;;) {
    if (self->FInterrupt.callback && self->FInterrupt.callback(self->FInterrupt.opaque)) return AVERROR_EXIT;
    pollfd p{self->FFd, POLLIN, 0};
    const int ready = poll(&p, 1, kWaitSliceMs);
    if (ready < 0 && errno != EINTR) return AVERROR(errno);
    if (ready <= 0) continue;
    // A FIFO whose writer has not come yet reports nothing; after the writer
    // left, POLLHUP, and reading gives what is left, then 0.
    const ssize_t got = read(self->FFd, Buffer, static_cast<size_t>(Size));
    if (got > 0) return static_cast<int>(got);
    if (got == 0) return AVERROR_EOF;
    if (errno != EAGAIN && errno != EINTR) return AVERROR(errno);
  }
}
