#include "package/zlib_stream.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace wizpak {

uint32_t Crc32(const void* data, size_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const auto* p = static_cast<const Bytef*>(data);
  while (size > 0) {
    const uInt chunk = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
    crc = crc32(crc, p, chunk);
    p += chunk;
    size -= chunk;
  }
  return static_cast<uint32_t>(crc);
}

std::string DeflateBest(std::string_view content) {
  uLongf length = compressBound(static_cast<uLong>(content.size()));
  std::string out(length, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &length,
                reinterpret_cast<const Bytef*>(content.data()), static_cast<uLong>(content.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw std::bad_alloc();
  out.resize(length);
  return out;
}

}  // namespace wizpak
