// Little-endian fields written into a byte string: appended at its end, or
// patched over bytes already there. The counterpart of ByteReader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wizpak {

template <typename T>
void AppendLe(std::string& out, T value) {
  for (size_t i = 0; i < sizeof(T); ++i)
    out += static_cast<char>(static_cast<uint64_t>(value) >> (8 * i));
}
inline void AppendLe16(std::string& out, uint16_t value) {
  AppendLe(out, value);
}
inline void AppendLe32(std::string& out, uint32_t value) {
  AppendLe(out, value);
}

// Overwrites the bytes at `at`; false (and nothing written) when the field
// does not lie wholly inside `out`.
template <typename T>
bool StoreLe(std::string& out, size_t at, T value) {
  if (at > out.size() || out.size() - at < sizeof(T)) return false;
  for (size_t i = 0; i < sizeof(T); ++i)
    out[at + i] = static_cast<char>(static_cast<uint64_t>(value) >> (8 * i));
  return true;
}
inline bool StoreLe16(std::string& out, size_t at, uint16_t value) {
  return StoreLe(out, at, value);
}
inline bool StoreLe32(std::string& out, size_t at, uint32_t value) {
  return StoreLe(out, at, value);
}

}  // namespace wizpak
