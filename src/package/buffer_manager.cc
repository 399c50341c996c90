#include "package/buffer_manager.h"

#include <algorithm>
#include <cstring>

namespace wizpak {

std::optional<std::string> TBufferManager::ReadAlloc(int32_t count, int32_t& got) {
  got = 0;
  if (Size == 0 || count <= 0) return std::nullopt;
  const int32_t n = std::min(count, Remaining());
  if (n == 0) return std::nullopt;
  std::string block(reinterpret_cast<const char*>(Data + Position), static_cast<size_t>(n));
  Position += n;
  got = n;
  return block;
}

int32_t TBufferManager::ReadInto(int32_t count, void* dest) {
  if (Size == 0 || count <= 0) return 0;
  const int32_t n = std::min(count, Remaining());
  if (n > 0) std::memcpy(dest, Data + Position, static_cast<size_t>(n));
  Position += n;
  return n;
}

namespace {

uint32_t ReadLittleEndian(TBufferManager& buffer, int bytes) {
  uint8_t raw[4] = {};
  if (buffer.ReadInto(bytes, raw) != bytes) throw BufferUnderrun();
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | raw[i];
  return value;
}

}  // namespace

std::string ReadBufString(TBufferManager& buffer) {
  const uint16_t length = ReadBufInt16(buffer);
  if (buffer.Remaining() < length) throw BufferUnderrun();
  std::string text(reinterpret_cast<const char*>(buffer.Data + buffer.Position), length);
  buffer.Position += length;
  return text;
}

uint32_t ReadBufInt32(TBufferManager& buffer) {
  return ReadLittleEndian(buffer, 4);
}
uint16_t ReadBufInt16(TBufferManager& buffer) {
  return static_cast<uint16_t>(ReadLittleEndian(buffer, 2));
}
uint8_t ReadBufInt8(TBufferManager& buffer) {
  return static_cast<uint8_t>(ReadLittleEndian(buffer, 1));
}

}  // namespace wizpak
