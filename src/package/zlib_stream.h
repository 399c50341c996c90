// The zlib calls shared by the package and the game archives: CRC-32 and
// deflate at the best compression level into a zlib stream.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wizpak {

// CRC-32 (reflected polynomial EDB88320) of a block of any size.
uint32_t Crc32(const void* data, size_t size);
inline uint32_t Crc32(std::string_view bytes) {
  return Crc32(bytes.data(), bytes.size());
}
// The CRC-32 of earlier bytes (`crc`, 0 for none) extended by these.
uint32_t Crc32Continue(uint32_t crc, const void* data, size_t size);

// A zlib stream (header 78 DA) of `content` at level 9.
std::string DeflateBest(std::string_view content);

}  // namespace wizpak
