// Writing a TPak: the storage rule (deflated or raw, with the CRC), entries
// appended to the file, and the directory and trailer after them.
#include "package/pak.h"

#include <cstring>

#include "package/package_files.h"
#include "package/zlib_stream.h"
#include "platform/byte_writer.h"

namespace wizpak {

std::string PrepareStoredBytes(TPakEntry& entry, std::string_view content, bool from_file) {
  entry.OrigSize = static_cast<uint32_t>(content.size());
  std::string compressed;
  if (content.size() < kLargeEntrySize) {
    compressed = DeflateBest(content);
    entry.StoredSize = static_cast<uint32_t>(compressed.size());
  }
  if (entry.OrigSize < entry.StoredSize || content.size() >= kLargeEntrySize) {
    entry.StoredSize = 0;
    if (content.size() >= kLargeEntrySize && from_file)
      entry.CRC = 0;  // large entries from files carry no checksum
    else if (!content.empty())
      entry.CRC = Crc32(content.data(), content.size());
    return std::string(content);
  }
  entry.CRC = Crc32(compressed.data(), compressed.size());
  return compressed;
}

uint32_t TPak::AddEntry(std::string_view name, std::string_view source_path, uint16_t group) {
  TPakEntry e;
  e.Name = std::string(name);
  e.SourcePath = std::string(source_path);
  e.Group = group;
  Entries.push_back(std::move(e));
  return static_cast<uint32_t>(Entries.size() - 1);
}

PakBlock TPak::PrepareEntry(uint32_t index, const void* data, size_t length) {
  if (index >= Entries.size()) return std::nullopt;
  Entries[index].OrigSize = static_cast<uint32_t>(length);
  if (data == nullptr && length != 0) return std::nullopt;
  return PrepareStoredBytes(Entries[index],
                            std::string_view(static_cast<const char*>(data), length), false);
}

PakBlock TPak::LoadSourceFile(uint32_t index) {
  if (index >= Entries.size()) return std::nullopt;
  const auto content = ReadWholeFile(Entries[index].SourcePath);
  if (!content) return std::nullopt;
  return PrepareStoredBytes(Entries[index], *content, true);
}

bool TPak::StoreBlock(uint32_t index, std::string_view stored) {
  read_window_.clear();  // the package changes under it
  const int64_t end = file_.Seek(0, platform::SeekFrom::End);
  if (end < 0) return false;
  TPakEntry& e = Entries[index];
  const int64_t offset = end - Base;
  // Offsets are 32-bit: a package must lie within the first 4 GiB.
  if (offset < 0 || static_cast<uint64_t>(offset) + stored.size() > 0xFFFFFFFFull) return false;
  e.Offset = e.StoredLength() == 0 ? 0 : static_cast<uint32_t>(offset);
  return stored.empty() || file_.Write(stored);
}

bool TPak::StoreFromMemory(uint32_t index, const void* data, size_t length) {
  const PakBlock stored = PrepareEntry(index, data, length);
  return stored && StoreBlock(index, *stored);
}

bool TPak::StoreFromFile(uint32_t index) {
  const PakBlock stored = LoadSourceFile(index);
  return stored && StoreBlock(index, *stored);
}

bool TPak::StorePrepared(uint32_t index, std::string_view stored) {
  return index < Entries.size() && StoreBlock(index, stored);
}

bool TPak::WriteDirectory() {
  read_window_.clear();
  const int64_t end = file_.Seek(0, platform::SeekFrom::End);
  // The format has no room for more than 65,535 entries or a directory past 4 GiB.
  if (end < 0 || end > 0xFFFFFFFFll || Entries.size() > 0xFFFF) return false;
  // Nor for a longer name: cutting it would store another name.
  for (const TPakEntry& e : Entries)
    if (e.Name.size() > 0xFFFF) return false;
  DirectoryOffset = static_cast<uint32_t>(end);
  std::memcpy(ID, "KYPF", 4);
  Version = 1;
  FileCount = static_cast<uint16_t>(Entries.size());
  std::string bytes;
  for (const TPakEntry& e : Entries) {
    AppendLe16(bytes, static_cast<uint16_t>(e.Name.size()));
    bytes.append(e.Name);
    AppendLe32(bytes, e.CRC);
    AppendLe32(bytes, e.Offset);
    AppendLe32(bytes, e.StoredSize);
    AppendLe32(bytes, e.OrigSize);
    AppendLe16(bytes, e.Group);
  }
  bytes.append(ID, 4);
  AppendLe16(bytes, Version);
  AppendLe16(bytes, FileCount);
  AppendLe32(bytes, PackageStart);
  AppendLe32(bytes, DirectoryOffset);
  return file_.Write(bytes);
}

}  // namespace wizpak
