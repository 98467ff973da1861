#include "Media/StreamProtocol.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "Common/Errors.h"

namespace {

constexpr const char kPrefix[] = "stream:";
constexpr int kBufferSize = 32768;
constexpr int kSizeQuery = AVSEEK_SIZE;  // 0x10000

std::mutex gStreamsLock;                      // guards gStreams and gNextNumber
std::map<int, TByteStream*> gStreams;
int gNextNumber = 1;

TByteStream* Lookup(int Number) {
  std::lock_guard<std::mutex> g(gStreamsLock);
  auto it = gStreams.find(Number);
  return it == gStreams.end() ? nullptr : it->second;
}

int ReadPacket(void* Opaque, uint8_t* Buffer, int Size) {
  const int32_t n = static_cast<TByteStream*>(Opaque)->Read(Buffer, Size);
  return n > 0 ? n : AVERROR_EOF;
}

int WritePacket(void* Opaque, uint8_t* Buffer, int Size) {
  return static_cast<TByteStream*>(Opaque)->Write(Buffer, Size);
}

int64_t SeekPacket(void* Opaque, int64_t Position, int Whence) {
  return StreamSeek(*static_cast<TByteStream*>(Opaque), Position, Whence & ~AVSEEK_FORCE);
}

}  // namespace

int RegisterStream(TByteStream* Stream) {
  std::lock_guard<std::mutex> g(gStreamsLock);
  const int n = gNextNumber++;
  gStreams[n] = Stream;
  return n;
}

void UnregisterStream(int Number) {
  std::lock_guard<std::mutex> g(gStreamsLock);
  gStreams.erase(Number);
}

int StreamOpen(const std::string& Name, int32_t* Reference) {
  std::string text = Name;
  const size_t at = text.find(kPrefix);
  if (at != std::string::npos) text.erase(at, sizeof(kPrefix) - 1);
  const size_t last = text.find_last_of(".\\:");
  if (last != std::string::npos && text[last] == '.') text.resize(last);
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return AVERROR(EINVAL);
  *Reference = static_cast<int32_t>(v);
  return 0;
}

int64_t StreamSeek(TByteStream& Stream, int64_t Position, int Whence) {
  const auto low = static_cast<int32_t>(static_cast<uint32_t>(Position & 0xFFFFFFFF));
  switch (Whence) {
    case SEEK_SET: return Stream.Seek(low, soBeginning);
    case SEEK_CUR: return Stream.Seek(low, soCurrent);
    case SEEK_END: return Stream.Seek(low, soEnd);
    case kSizeQuery: return -1;
    default: throw EAssertionFailed("StreamProtocol", __LINE__);
  }
}

ff::IOPtr OpenStreamContext(const std::string& Name, bool Write) {
  int32_t reference = 0;
  if (StreamOpen(Name, &reference) < 0) return nullptr;
  TByteStream* stream = Lookup(reference);
  if (!stream) return nullptr;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
  if (!buffer) return nullptr;
  AVIOContext* io = avio_alloc_context(buffer, kBufferSize, Write ? 1 : 0, stream, Write ? nullptr : ReadPacket,
                                       Write ? WritePacket : nullptr, SeekPacket);
  if (!io) {
    av_free(buffer);
    return nullptr;
  }
  return ff::IOPtr(io);
}

int32_t TMemoryStream::Read(uint8_t* Buffer, int32_t Count) {
  const int32_t size = static_cast<int32_t>(FData.size());
  const int32_t n = std::max(0, std::min(Count, size - FPosition));
  memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int32_t TMemoryStream::Write(const uint8_t* Buffer, int32_t Count) {
  if (static_cast<size_t>(FPosition) + static_cast<size_t>(Count) > FData.size())
    FData.resize(static_cast<size_t>(FPosition) + static_cast<size_t>(Count));
  memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  return Count;
}

int32_t TMemoryStream::Seek(int32_t Offset, TSeekOrigin Origin) {
  const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : static_cast<int64_t>(FData.size());
  const int64_t target = base + Offset;
  if (target < 0 || target > INT32_MAX) return -1;
  FPosition = static_cast<int32_t>(target);
  return FPosition;
}
