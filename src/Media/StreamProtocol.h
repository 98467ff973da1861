#pragma once
// "stream:N[.ext]" names: the media library reads from and writes to a byte
// stream held by the caller. Streams are registered in a process-wide table
// under a small integer N; the caller unregisters and frees them after the
// library has closed the name. A job's worker thread uses a stream while it
// converts; the caller must not touch it meanwhile.
#include <cstdint>
#include <string>

#include "Converter/FFmpegPtr.h"

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// A caller-owned byte stream with 32-bit positions.
class TByteStream {
 public:
  virtual ~TByteStream() = default;
  virtual int32_t Read(uint8_t* Buffer, int32_t Count) = 0;        // bytes read, 0 at the end
  virtual int32_t Write(const uint8_t* Buffer, int32_t Count) = 0; // bytes written
  virtual int32_t Seek(int32_t Offset, TSeekOrigin Origin) = 0;    // the new position
};

// Any thread. Registering returns the stream's number; unregistering an unknown number does nothing.
int RegisterStream(TByteStream* Stream);
void UnregisterStream(int Number);

// The protocol's operations (library error codes as results).
// Parses Name: "stream:" removed once, the extension cut, the rest a 32-bit integer.
int StreamOpen(const std::string& Name, int32_t* Reference);
int64_t StreamSeek(TByteStream& Stream, int64_t Position, int Whence);

// An I/O context over the stream Name refers to; null when the name is
// malformed or names no registered stream.
ff::IOPtr OpenStreamContext(const std::string& Name, bool Write);

// A growable in-memory stream.
class TMemoryStream : public TByteStream {
 public:
  explicit TMemoryStream(std::string Data = "") : FData(std::move(Data)) {}
  int32_t Read(uint8_t* Buffer, int32_t Count) override;
  int32_t Write(const uint8_t* Buffer, int32_t Count) override;
  int32_t Seek(int32_t Offset, TSeekOrigin Origin) override;
  const std::string& Data() const { return FData; }
  int32_t Position() const { return FPosition; }

 private:
  std::string FData;
  int32_t FPosition = 0;
};
