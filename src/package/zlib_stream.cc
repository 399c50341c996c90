#include "package/zlib_stream.h"

#include <zlib.h>

#ifdef WIZPAK_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <new>

namespace wizpak {

uint32_t Crc32Continue(uint32_t crc, const void* data, size_t size) {
#ifdef WIZPAK_HAVE_LIBDEFLATE
  // The same CRC as zlib's, computed several times faster.
  return libdeflate_crc32(crc, data, size);
#else
  uLong value = crc;
  const auto* p = static_cast<const Bytef*>(data);
  while (size > 0) {
    const uInt chunk = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
    value = crc32(value, p, chunk);
    p += chunk;
    size -= chunk;
  }
  return static_cast<uint32_t>(value);
#endif
}

uint32_t Crc32(const void* data, size_t size) {
  return Crc32Continue(0, data, size);
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
