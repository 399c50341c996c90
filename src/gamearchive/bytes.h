// Little-endian field access for the game-archive formats: reads check the
// span they read from, writes append to or patch a byte string.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wizpak::gamearchive {

inline uint32_t GetU32(std::string_view b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
inline uint16_t GetU16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
// Bounds-checked forms: nullopt when the field does not lie inside `b`.
inline std::optional<uint32_t> TryU32(std::string_view b, uint64_t at) {
  if (at > b.size() || b.size() - at < 4) return std::nullopt;
  return GetU32(b, static_cast<size_t>(at));
}

inline void PutU32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
inline void PutU16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v);
  b[at + 1] = static_cast<char>(v >> 8);
}
inline void AppendU32(std::string& b, uint32_t v) {
  b.resize(b.size() + 4);
  PutU32(b, b.size() - 4, v);
}
inline void AppendU16(std::string& b, uint16_t v) {
  b.resize(b.size() + 2);
  PutU16(b, b.size() - 2, v);
}

}  // namespace wizpak::gamearchive
