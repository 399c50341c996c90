// TBufferManager: a forward-only reader over a memory block it does not own,
// with the little-endian readers the setup record, the compiled script and
// the game-archive system share. A read that finds fewer bytes than it needs
// throws BufferUnderrun; nothing is ever read past the block.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace wizpak {

class BufferUnderrun : public std::runtime_error {
 public:
  BufferUnderrun() : std::runtime_error("Read beyond end of buffer") {}
};

class TBufferManager {
 public:
  TBufferManager(const void* data, int32_t size)
      : Data(static_cast<const uint8_t*>(data)), Size(size < 0 ? 0 : size) {}

  const uint8_t* Data;
  int32_t Position = 0;
  int32_t Size;

  // The next `count` bytes (or the rest, if fewer remain) as a new block;
  // nullopt when nothing remains or the block is empty. `got` is the count read.
  std::optional<std::string> ReadAlloc(int32_t count, int32_t& got);
  // Copies the next `count` bytes (or the rest) to `dest`; returns the count copied.
  int32_t ReadInto(int32_t count, void* dest);
  void SetPosition(int32_t position) { Position = position; }
  int32_t Remaining() const { return Position >= Size || Position < 0 ? 0 : Size - Position; }
};

// 2-byte count, then that many bytes. Throw BufferUnderrun when short.
std::string ReadBufString(TBufferManager& buffer);
uint32_t ReadBufInt32(TBufferManager& buffer);
uint16_t ReadBufInt16(TBufferManager& buffer);
uint8_t ReadBufInt8(TBufferManager& buffer);

}  // namespace wizpak
