#include "compiler/stored_entry.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"

namespace wizpak::compiler {

uint64_t ContentSizeHint(const PackageItem& item) {
  if (item.source_path.empty()) return item.bytes.size();
  platform::File file = platform::File::Open(item.source_path, platform::OpenMode::ReadShared);
  const int64_t size = file ? file.Size() : -1;
  return size > 0 ? static_cast<uint64_t>(size) : 0;
}

StoredEntry PrepareItem(const PackageItem& item) {
  StoredEntry entry;
  if (item.source_path.empty()) {
    entry.stored = PrepareStoredBytes(entry.fields, item.bytes, false);
    return entry;
  }
  platform::File file = platform::File::Open(item.source_path, platform::OpenMode::ReadShared);
  const int64_t size = file ? file.Size() : -1;
  if (size < 0) {
    entry.error = "Cannot read " + item.source_path + " (" + platform::LastErrorText() + ")";
    return entry;
  }
  if (static_cast<uint64_t>(size) > UINT32_MAX) {
    entry.error = "File is larger than 4 GiB - " + item.source_path;
    return entry;
  }
  if (static_cast<uint64_t>(size) >= kLargeEntrySize) {
    entry.copy_from_file = true;
    entry.fields.OrigSize = static_cast<uint32_t>(size);
    return entry;
  }
  std::string content(static_cast<std::size_t>(size), '\0');
  const int64_t got = size == 0 ? 0 : file.Read(content.data(), size);
  if (got != size) {
    entry.error = "Cannot read " + item.source_path + " (" +
                  (got < 0 ? platform::LastErrorText() : "file changed while it was read") + ")";
    return entry;
  }
  entry.stored = PrepareStoredBytes(entry.fields, content, true);
  return entry;
}

bool StoreLargeFile(TPak& pak, uint32_t index, const PackageItem& item, uint32_t size,
                    uint32_t& crc, std::string& error) {
  platform::File& out = pak.File();
  const int64_t end = out.Seek(0, platform::SeekFrom::End);
  if (end < 0 || static_cast<uint64_t>(end - pak.Base) + size > UINT32_MAX) {
    error = "The setup would be larger than 4 GiB (at entry " + item.name + ")";
    return false;
  }
  TPakEntry& entry = pak.Entries[index];
  entry.OrigSize = size;
  entry.StoredSize = 0;
  entry.CRC = 0;
  entry.Offset = static_cast<uint32_t>(end - pak.Base);
  platform::File source = platform::File::Open(item.source_path, platform::OpenMode::ReadShared);
  std::vector<char> chunk(std::min<std::size_t>(kLargeChunkSize, size));
  uint64_t remaining = size;
  crc = 0;
  while (remaining > 0) {
    const int64_t want = static_cast<int64_t>(std::min<uint64_t>(remaining, chunk.size()));
    if (!source || source.Read(chunk.data(), want) != want) {
      error = "Cannot read " + item.source_path + " (" + platform::LastErrorText() + ")";
      return false;
    }
    if (!out.Write(chunk.data(), want)) {
      error = "Cannot write the setup (" + platform::LastErrorText() + ")";
      return false;
    }
    crc = Crc32Continue(crc, chunk.data(), static_cast<size_t>(want));
    remaining -= static_cast<uint64_t>(want);
  }
  return true;
}

}  // namespace wizpak::compiler
