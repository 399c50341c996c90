#include "gamearchive/archive_format.h"

#include <zlib.h>

#include <algorithm>
#include <ctime>

#include "package/zlib_stream.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "text/marl_encryption.h"

namespace wizpak::gamearchive {

namespace {

constexpr uint16_t kMarker = 0x0A0D;
constexpr size_t kLongTrailerHead = 6;
constexpr size_t kLongTrailerSearch = 50;

bool IsLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Inflates `stream` and returns the content only when it is exactly
// `expected` bytes long and the stream ends there.
std::optional<std::string> InflateExactly(std::string_view stream, uint64_t expected) {
  std::string out(static_cast<size_t>(expected), '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  int rc = inflate(&z, Z_FINISH);
  const bool exact = rc == Z_STREAM_END && z.total_out == expected;
  inflateEnd(&z);
  if (!exact) return std::nullopt;
  return out;
}

std::string TableBytes(const std::vector<TableEntry>& entries) {
  std::string table;
  table.reserve(entries.size() * kTableEntrySize);
  for (const TableEntry& e : entries) table += e.bytes();
  return table;
}

std::string TableAndHeader(const std::vector<TableEntry>& entries) {
  const std::string table = TableBytes(entries);
  std::string out = DeflateBest(table);
  AppendLe32(out, static_cast<uint32_t>(out.size()));
  AppendLe32(out, static_cast<uint32_t>(table.size()));
  AppendLe32(out, kArchiveVersion);
  AppendLe32(out, static_cast<uint32_t>(entries.size()));
  AppendLe32(out, 0);
  return out;
}

// Reads the extra information after a long trailer head at `head` in `tail`
// (the last bytes of the file); `tail` ends at the end of the file.
void ReadExtraInfo(std::string_view tail, size_t head, ExtraInfo& extra) {
  ByteReader in(tail);
  in.Seek(head + kLongTrailerHead);
  const auto tag = in.Take(4);
  if (tag != "EIH1" && tag != "EIH2") return;
  TMarlEncryptionType cipher;
  const auto sine = in.U8(), cosine = in.U8();
  const auto password = in.Counted16();
  if (!password) return;
  cipher.SineSeed = *sine;
  cipher.CosineSeed = *cosine;
  extra.password = cipher.Decrypt(*password);
  extra.has_password = !extra.password.empty();
  extra.official = false;
  if (tag == "EIH2") extra.official = in.U8().value_or(0) != 0;
}

}  // namespace

TableEntry TableEntry::FromBytes(std::string_view bytes) {
  TableEntry e;
  std::copy_n(bytes.begin(), std::min(bytes.size(), kTableEntrySize), e.bytes_.begin());
  StoreLe32(e.bytes_, 20, 0);
  return e;
}

TableEntry TableEntry::Make(StorageKind kind, uint32_t dos_date, uint32_t stored_size,
                            uint32_t unpacked_size, uint32_t offset, std::string_view name) {
  TableEntry e;
  StoreLe16(e.bytes_, 0, kMarker);
  e.bytes_[2] = static_cast<char>(kind);
  StoreLe32(e.bytes_, 4, dos_date);
  StoreLe32(e.bytes_, 8, stored_size);
  StoreLe32(e.bytes_, 12, unpacked_size);
  StoreLe32(e.bytes_, 16, offset);
  const size_t length = std::min(name.size(), kMaxNameLength);
  e.bytes_[24] = static_cast<char>(length);
  std::copy_n(name.begin(), length, e.bytes_.begin() + 25);
  return e;
}

uint16_t TableEntry::marker() const {
  return ByteReader(bytes_).U16At(0).value_or(0);
}
uint8_t TableEntry::kind() const {
  return static_cast<uint8_t>(bytes_[2]);
}
uint32_t TableEntry::dos_date() const {
  return ByteReader(bytes_).U32At(4).value_or(0);
}
uint32_t TableEntry::stored_size() const {
  return ByteReader(bytes_).U32At(8).value_or(0);
}
uint32_t TableEntry::unpacked_size() const {
  return ByteReader(bytes_).U32At(12).value_or(0);
}
uint32_t TableEntry::offset() const {
  return ByteReader(bytes_).U32At(16).value_or(0);
}

std::string TableEntry::name() const {
  const size_t length = std::min<size_t>(static_cast<uint8_t>(bytes_[24]), kMaxNameLength);
  return bytes_.substr(25, length);
}

void TableEntry::CopyNameFieldFrom(const TableEntry& other) {
  std::copy(other.bytes_.begin() + 24, other.bytes_.end(), bytes_.begin() + 24);
}

std::optional<ArchiveIndex> ReadArchiveIndex(uint64_t file_size, const ReadAt& read_at) {
  ArchiveIndex index;
  // Trailer: the last 56 bytes hold whichever form there is.
  const size_t tail_size = static_cast<size_t>(std::min<uint64_t>(file_size, 56));
  std::string tail;
  if (!read_at(file_size - tail_size, tail_size, tail)) return std::nullopt;
  if (tail.size() >= kShortTrailerSize &&
      tail.substr(tail.size() - kShortTrailerSize, 4) == "KYP2") {
    index.trailer = TrailerForm::Short;
    index.trailer_size = kShortTrailerSize;
    const std::string_view field = std::string_view(tail).substr(tail.size() - 9, 9);
    size_t n = 0;
    while (n < field.size() && IsLetterOrDigit(field[n])) ++n;
    index.extra.password = std::string(field.substr(0, n));
    index.extra.has_password = n > 0;
  } else {
    for (size_t i = 0; i <= kLongTrailerSearch; ++i) {
      if (tail.size() < kLongTrailerHead + i) break;
      const size_t head = tail.size() - kLongTrailerHead - i;
      if (std::string_view(tail).substr(head, 4) != "KYP3") continue;
      index.trailer = TrailerForm::Long;
      index.trailer_size = kLongTrailerHead + i;
      if (i > 0) ReadExtraInfo(tail, head, index.extra);
      break;
    }
  }

  if (file_size < index.trailer_size + kHeaderBlockSize) return std::nullopt;
  const uint64_t header_pos = file_size - index.trailer_size - kHeaderBlockSize;
  std::string header;
  if (!read_at(header_pos, kHeaderBlockSize, header) || header.size() != kHeaderBlockSize)
    return std::nullopt;
  ByteReader fields(header);
  const uint32_t compressed = fields.U32().value_or(0);
  const uint32_t table_size = fields.U32().value_or(0);
  const uint32_t version = fields.U32().value_or(0);
  const uint32_t count = fields.U32().value_or(0);
  if (fields.U32() != 0u || version != kArchiveVersion) return std::nullopt;
  if (compressed > header_pos || count > kMaxEntries ||
      static_cast<uint64_t>(count) * kTableEntrySize != table_size)
    return std::nullopt;
  // Deflate cannot expand more than about 1032:1; a larger claim is damage.
  if (static_cast<uint64_t>(table_size) > 1032ull * compressed + 64) return std::nullopt;
  index.table_start = header_pos - compressed;
  index.compressed_table_size = compressed;
  std::string stream;
  if (!read_at(index.table_start, compressed, stream) || stream.size() != compressed)
    return std::nullopt;
  const auto table = InflateExactly(stream, table_size);
  if (!table) return std::nullopt;
  index.entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i)
    index.entries.push_back(TableEntry::FromBytes(
        std::string_view(*table).substr(i * kTableEntrySize, kTableEntrySize)));
  return index;
}

std::optional<ArchiveIndex> ReadArchiveIndex(std::string_view whole) {
  return ReadArchiveIndex(whole.size(), [whole](uint64_t offset, size_t size, std::string& out) {
    if (offset > whole.size() || whole.size() - offset < size) return false;
    out.assign(whole.substr(static_cast<size_t>(offset), size));
    return true;
  });
}

std::string BuildArchiveTail(const std::vector<TableEntry>& entries, const ExtraInfo& extra,
                             uint8_t sine_seed, uint8_t cosine_seed) {
  std::string out = TableAndHeader(entries);
  TMarlEncryptionType cipher;
  cipher.SineSeed = sine_seed;
  cipher.CosineSeed = cosine_seed;
  const std::string enciphered = cipher.Encrypt(extra.password);
  out += "KYP3";
  AppendLe16(out, 1);
  out += "EIH2";
  out += static_cast<char>(sine_seed);
  out += static_cast<char>(cosine_seed);
  AppendLe16(out, static_cast<uint16_t>(enciphered.size()));
  out += enciphered;
  out += static_cast<char>(extra.official ? 1 : 0);
  return out;
}

std::string BuildArchiveTailShort(const std::vector<TableEntry>& entries,
                                  std::string_view password) {
  std::string out = TableAndHeader(entries);
  std::string field(password.substr(0, 9));
  field.resize(9, '\0');
  out += "KYP2";
  out += field;
  return out;
}

std::string StampedStream(std::string_view content) {
  std::string stream = DeflateBest(content);
  if (stream.size() > 4)
    StoreLe32(stream, 0,
              ByteReader(stream).U32At(0).value_or(0) ^ Crc32(std::string_view(stream).substr(4)));
  return stream;
}

std::optional<std::string> UnstampStream(std::string_view stored, uint32_t unpacked_size) {
  std::string stream(stored);
  if (stream.size() > 4)
    StoreLe32(stream, 0,
              ByteReader(stream).U32At(0).value_or(0) ^ Crc32(std::string_view(stream).substr(4)));
  if (static_cast<uint64_t>(unpacked_size) > 1032ull * stream.size() + 64) return std::nullopt;
  return InflateExactly(stream, unpacked_size);
}

uint32_t TodayDosDate() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = *std::localtime(&now);
  const uint32_t date = static_cast<uint32_t>(((local.tm_year - 80) << 9) |
                                              ((local.tm_mon + 1) << 5) | local.tm_mday);
  return date << 16;
}

}  // namespace wizpak::gamearchive
