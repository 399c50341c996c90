// One package entry prepared for storing: read from memory or its file and
// put through the package's storage rule, ready for TPak::StorePrepared. A
// large file entry is not read here; the writer copies it in chunks.
#pragma once

#include <string>

#include "compiler/package_builder.h"
#include "package/pak.h"

namespace wizpak::compiler {

struct StoredEntry {
  std::string error;            // not empty: the entry could not be prepared
  TPakEntry fields;             // CRC, StoredSize, OrigSize as they will be stored
  std::string stored;           // the bytes to store (empty for a large file entry)
  bool copy_from_file = false;  // large entry: copy OrigSize raw bytes of the source
};

// Reads and prepares one item; safe to call from several threads at once.
StoredEntry PrepareItem(const PackageItem& item);

// Size of the item's content as far as it is known without reading it.
uint64_t ContentSizeHint(const PackageItem& item);

// Appends a large file entry's bytes to the package in chunks of the
// package's chunk size and records them on entry `index` (raw, CRC 0 in its
// record, as the storage rule says for large files). `crc` receives the
// CRC-32 of the bytes, for the large-entry check record.
bool StoreLargeFile(TPak& pak, uint32_t index, const PackageItem& item, uint32_t size,
                    uint32_t& crc, std::string& error);

}  // namespace wizpak::compiler
