// Reading one TPak entry: its stored bytes checked against the CRC, then
// inflated to exactly the content size the directory records.
#include "package/pak.h"

#include <zlib.h>

#ifdef WIZPAK_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <memory>

#include "package/zlib_stream.h"

namespace wizpak {

namespace {

#ifdef WIZPAK_HAVE_LIBDEFLATE
struct DecompressorFree {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
// One decompressor per thread: extraction inflates on a second thread.
libdeflate_decompressor* ThreadDecompressor() {
  thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(
      libdeflate_alloc_decompressor());
  return decompressor.get();
}
#endif

// Counts what zlib inflates `stream` to, for the DecompSize message, and
// returns the content when it is exactly `expected` bytes. A malformed or
// unfinished stream throws.
std::optional<std::string> InflateWithZlib(std::string_view stream, uint32_t expected,
                                           uint64_t& actual) {
  std::string out(expected, '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw DecompressionError();
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  int rc = inflate(&z, Z_FINISH);
  // Output full but the stream goes on: count the rest to report the size.
  char scratch[16384];
  while (rc == Z_BUF_ERROR || rc == Z_OK) {
    if (z.avail_out != 0) break;  // input ran out: an unfinished stream
    z.next_out = reinterpret_cast<Bytef*>(scratch);
    z.avail_out = sizeof scratch;
    rc = inflate(&z, Z_FINISH);
  }
  actual = z.total_out;
  inflateEnd(&z);
  if (rc != Z_STREAM_END) throw DecompressionError();
  if (actual != expected) return std::nullopt;
  return out;
}

// Inflates `stream`, expecting `expected` bytes. Returns the content when it
// is exactly that long; otherwise `actual` holds the real inflated length and
// nullopt is returned. A malformed or unfinished stream throws. The sizes
// are known, so the whole buffer goes through libdeflate in one call; only
// a stream that comes out longer is counted again by zlib.
std::optional<std::string> Inflate(std::string_view stream, uint32_t expected, uint64_t& actual) {
#ifdef WIZPAK_HAVE_LIBDEFLATE
  if (libdeflate_decompressor* d = ThreadDecompressor()) {
    std::string out(expected, '\0');
    size_t got = 0;
    switch (
        libdeflate_zlib_decompress(d, stream.data(), stream.size(), out.data(), out.size(), &got)) {
      case LIBDEFLATE_SUCCESS:
        actual = got;
        if (got != expected) return std::nullopt;
        return out;
      case LIBDEFLATE_INSUFFICIENT_SPACE:
        break;  // longer than expected: zlib counts how much longer
      default:
        throw DecompressionError();
    }
  }
#endif
  return InflateWithZlib(stream, expected, actual);
}

}  // namespace

PakBlock TPak::ReadStored(uint32_t index) const {
  if (index >= Entries.size() || Entries[index].Damaged) return std::nullopt;
  const TPakEntry& e = Entries[index];
  const uint32_t n = e.StoredLength();
  if (n == 0) return std::nullopt;
  std::string block(n, '\0');
  if (file_.ReadAt(e.Offset, block.data(), n) != n) return std::nullopt;
  if (Crc32(block.data(), block.size()) != e.CRC) return std::nullopt;
  return block;
}

TPak::Unpacked TPak::Unpack(uint32_t index) const {
  Unpacked result;
  PakBlock stored = ReadStored(index);
  if (!stored) return result;
  const TPakEntry& e = Entries[index];
  if (e.OrigSize == 0) return result;
  if (e.StoredSize == 0) {
    result.content = std::move(stored);
    return result;
  }
  try {
    result.content = Inflate(*stored, e.OrigSize, result.inflated);
    result.wrong_size = !result.content;
  } catch (const DecompressionError&) {
    result.malformed = true;
  }
  return result;
}

WrongSizeError::WrongSizeError(std::string name, uint64_t inflated, uint32_t recorded)
    : name_(std::move(name)),
      inflated_(inflated),
      recorded_(recorded),
      message_("The setup is damaged: " + name_ + " inflates to " + std::to_string(inflated) +
               " bytes instead of " + std::to_string(recorded)) {}

std::string WrongSizeError::BoxText() const {
  return name_ + "\r\rError: DecompSize - " + std::to_string(inflated_) + " OrigSize - " +
         std::to_string(recorded_);
}

PakBlock TPak::Deliver(uint32_t index, Unpacked unpacked) const {
  if (unpacked.malformed) throw DecompressionError();
  if (unpacked.wrong_size) {
    throw WrongSizeError(Entries[index].Name, unpacked.inflated, Entries[index].OrigSize);
  }
  return std::move(unpacked.content);
}

PakBlock TPak::ExtractEntry(uint32_t index) {
  return Deliver(index, Unpack(index));
}

}  // namespace wizpak
