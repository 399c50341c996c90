// The byte layout of a game data archive: data region, zlib-compressed file
// table of 152-byte entries, the 20-byte header block and the trailer (none,
// the short "KYP2" form with a plain password, or the long "KYP3" form whose
// extra information holds an enciphered password and the official mark).
// Reading goes through a positional byte source and is bounded by the real
// file size; nothing here touches files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/zlib_stream.h"

namespace wizpak::gamearchive {

constexpr size_t kTableEntrySize = 152;
constexpr size_t kHeaderBlockSize = 20;
constexpr size_t kShortTrailerSize = 13;
constexpr uint32_t kArchiveVersion = 5;
constexpr size_t kMaxNameLength = 127;
// The long trailer must lie within the last 56 bytes: at most 41 bytes of
// enciphered password in the "EIH2" form.
constexpr size_t kMaxPasswordLength = 41;
// Sanity limit for the table: a million entries (152 MB uncompressed).
constexpr uint32_t kMaxEntries = 1u << 20;

enum class StorageKind : uint8_t { Sound = 1, Stamped = 2 };

// One table entry as stored: exactly 152 bytes.
class TableEntry {
 public:
  TableEntry() : bytes_(kTableEntrySize, '\0') {}
  // Takes 152 stored bytes (bytes 20..23 are cleared, as on reading).
  static TableEntry FromBytes(std::string_view bytes);
  // A fresh entry: marker, kind, date, sizes, offset, name (cut to 127).
  static TableEntry Make(StorageKind kind, uint32_t dos_date, uint32_t stored_size,
                         uint32_t unpacked_size, uint32_t offset, std::string_view name);

  uint16_t marker() const;
  uint8_t kind() const;
  uint32_t dos_date() const;
  uint32_t stored_size() const;
  uint32_t unpacked_size() const;
  uint32_t offset() const;
  std::string name() const;
  // Copies the whole name field (length byte and text) from `other`.
  void CopyNameFieldFrom(const TableEntry& other);
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

struct ExtraInfo {
  bool has_password = false;
  bool official = false;
  std::string password;
};

enum class TrailerForm { None, Short, Long };

struct ArchiveIndex {
  std::vector<TableEntry> entries;
  ExtraInfo extra;
  TrailerForm trailer = TrailerForm::None;
  uint64_t trailer_size = 0;
  uint64_t table_start = 0;  // where the data region ends
  uint32_t compressed_table_size = 0;
};

// Reads `size` bytes at `offset` into `out`; false on a short read.
using ReadAt = std::function<bool(uint64_t offset, size_t size, std::string& out)>;

// Reads trailer, header block and table of an archive of `file_size` bytes.
// nullopt when the header block is wrong, the table is short or does not
// inflate to its size, or a count or offset points outside the file.
std::optional<ArchiveIndex> ReadArchiveIndex(uint64_t file_size, const ReadAt& read_at);
// The same over an archive held in memory.
std::optional<ArchiveIndex> ReadArchiveIndex(std::string_view whole_archive);

// The compressed table, header block and long trailer for `entries`, with
// the password enciphered under the two seeds.
std::string BuildArchiveTail(const std::vector<TableEntry>& entries, const ExtraInfo& extra,
                             uint8_t sine_seed, uint8_t cosine_seed);
// The compressed table and header block followed by a short trailer (a
// password of at most 9 letters and digits), for tools that write the old form.
std::string BuildArchiveTailShort(const std::vector<TableEntry>& entries,
                                  std::string_view password);

// Kind-2 stored bytes: zlib at level 9 with the CRC-32 of bytes 4.. XORed
// into the first word. Unstamp undoes it and inflates to `unpacked_size`.
std::string StampedStream(std::string_view content);
std::optional<std::string> UnstampStream(std::string_view stored, uint32_t unpacked_size);

// Today's date as a DOS date with time 00:00:00 (date in the high word).
uint32_t TodayDosDate();

}  // namespace wizpak::gamearchive
