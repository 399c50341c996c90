// The stored form of one package entry as the builder produces it, and the
// sequential writer that appends stored entries, the directory and the
// trailer to an open setup file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/package_builder.h"
#include "platform/files.h"

namespace wizpak::compiler {

// Entries this large are stored raw from their file, in chunks, without a
// checksum; smaller ones are compressed whole in memory.
constexpr uint64_t kLargeEntryBytes = 73400320;
constexpr uint64_t kCopyChunkBytes = 26214400;

struct StoredEntry {
  std::string error;            // not empty: the entry could not be prepared
  std::string stored;           // the bytes to store (empty for a large entry)
  bool copy_from_file = false;  // large entry: copy `orig_size` bytes of the source
  uint32_t crc = 0;
  uint32_t stored_size = 0;  // zlib stream length, 0 when raw
  uint32_t orig_size = 0;
  uint64_t StoredLength() const { return stored_size != 0 ? stored_size : orig_size; }
};

// Reads and compresses one item (safe to call from several threads at once).
StoredEntry PrepareItem(const PackageItem& item);

// Size of the item's content as far as it is known without reading it.
uint64_t ContentSizeHint(const PackageItem& item);

// Appends entries after the setup runtime, then the directory and trailer.
class PackageStreamWriter {
 public:
  PackageStreamWriter(platform::File& file, uint64_t package_start);
  bool Append(const PackageItem& item, const StoredEntry& entry, std::string& error);
  bool Finish(std::string& error);

 private:
  platform::File& file_;
  uint64_t package_start_;
  uint64_t position_;
  std::string directory_;
  uint32_t count_ = 0;
};

}  // namespace wizpak::compiler
