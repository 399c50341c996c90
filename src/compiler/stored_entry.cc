#include "compiler/stored_entry.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace wizpak::compiler {
namespace {

void PutLE(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t Crc32(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Storage rule: compress at level 9; keep the content raw only when the
// stream would be longer than the content.
StoredEntry StoreContent(std::string content) {
  StoredEntry entry;
  entry.orig_size = static_cast<uint32_t>(content.size());
  if (content.empty()) return entry;
  uLongf length = compressBound(static_cast<uLong>(content.size()));
  std::string stream(length, '\0');
  const int status = compress2(reinterpret_cast<Bytef*>(stream.data()), &length,
                               reinterpret_cast<const Bytef*>(content.data()),
                               static_cast<uLong>(content.size()), Z_BEST_COMPRESSION);
  if (status != Z_OK) {
    entry.error = "Compression failed (zlib status " + std::to_string(status) + ")";
    return entry;
  }
  stream.resize(length);
  if (stream.size() > content.size()) {
    entry.stored = std::move(content);
  } else {
    entry.stored = std::move(stream);
    entry.stored_size = static_cast<uint32_t>(entry.stored.size());
  }
  entry.crc = Crc32(entry.stored);
  return entry;
}

}  // namespace

uint64_t ContentSizeHint(const PackageItem& item) {
  if (item.source_path.empty()) return item.bytes.size();
  platform::File file = platform::File::Open(item.source_path, platform::OpenMode::ReadShared);
  const int64_t size = file ? file.Size() : -1;
  return size > 0 ? static_cast<uint64_t>(size) : 0;
}

StoredEntry PrepareItem(const PackageItem& item) {
  if (item.source_path.empty()) return StoreContent(item.bytes);
  StoredEntry entry;
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
  if (static_cast<uint64_t>(size) >= kLargeEntryBytes) {
    entry.copy_from_file = true;
    entry.orig_size = static_cast<uint32_t>(size);
    return entry;
  }
  std::string content(static_cast<std::size_t>(size), '\0');
  const int64_t got = size == 0 ? 0 : file.Read(content.data(), size);
  if (got != size) {
    entry.error = "Cannot read " + item.source_path + " (" +
                  (got < 0 ? platform::LastErrorText() : "file changed while it was read") + ")";
    return entry;
  }
  return StoreContent(std::move(content));
}

PackageStreamWriter::PackageStreamWriter(platform::File& file, uint64_t package_start)
    : file_(file), package_start_(package_start), position_(package_start) {}

bool PackageStreamWriter::Append(const PackageItem& item, const StoredEntry& entry,
                                 std::string& error) {
  const uint64_t length = entry.StoredLength();
  if (position_ + length > UINT32_MAX) {
    error = "The setup would be larger than 4 GiB (at entry " + item.name + ")";
    return false;
  }
  const uint32_t offset = length == 0 ? 0 : static_cast<uint32_t>(position_);
  if (entry.copy_from_file) {
    platform::File source = platform::File::Open(item.source_path, platform::OpenMode::ReadShared);
    std::vector<char> chunk(static_cast<std::size_t>(std::min<uint64_t>(kCopyChunkBytes, length)));
    uint64_t remaining = length;
    while (remaining > 0) {
      const int64_t want = static_cast<int64_t>(std::min<uint64_t>(remaining, chunk.size()));
      if (!source || source.Read(chunk.data(), want) != want) {
        error = "Cannot read " + item.source_path + " (" + platform::LastErrorText() + ")";
        return false;
      }
      if (!file_.Write(chunk.data(), want)) {
        error = "Cannot write the setup (" + platform::LastErrorText() + ")";
        return false;
      }
      remaining -= static_cast<uint64_t>(want);
    }
  } else if (!entry.stored.empty() && !file_.Write(entry.stored)) {
    error = "Cannot write the setup (" + platform::LastErrorText() + ")";
    return false;
  }
  position_ += length;
  PutLE(directory_, item.name.size(), 2);
  directory_ += item.name;
  PutLE(directory_, entry.crc, 4);
  PutLE(directory_, offset, 4);
  PutLE(directory_, entry.stored_size, 4);
  PutLE(directory_, entry.orig_size, 4);
  PutLE(directory_, item.group, 2);
  ++count_;
  return true;
}

bool PackageStreamWriter::Finish(std::string& error) {
  std::string tail = directory_;
  tail += "KYPF";
  PutLE(tail, 1, 2);
  PutLE(tail, count_, 2);
  PutLE(tail, package_start_, 4);
  PutLE(tail, position_, 4);
  if (position_ + tail.size() > UINT32_MAX || package_start_ > UINT32_MAX) {
    error = "The setup would be larger than 4 GiB";
    return false;
  }
  if (!file_.Write(tail)) {
    error = "Cannot write the setup (" + platform::LastErrorText() + ")";
    return false;
  }
  return true;
}

}  // namespace wizpak::compiler
