#include "package/pak.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "gui/message_box.h"
#include "package/install_writer.h"
#include "package/package_files.h"
#include "package/package_hooks.h"
#include "package/zlib_stream.h"
#include "platform/codepage.h"

namespace wizpak {

namespace {

constexpr size_t kRecordFixedSize = 18;  // CRC, offset, two sizes, group
// Deflate cannot expand data by more than about 1032:1.
constexpr uint64_t kMaxInflateRatio = 1032;

uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Get16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}
void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

// Inflates `stream`, expecting `expected` bytes. Returns the content when it
// is exactly that long; otherwise `actual` holds the real inflated length and
// nullopt is returned. A malformed or unfinished stream throws.
std::optional<std::string> Inflate(std::string_view stream, uint32_t expected, uint64_t& actual) {
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

// Reads a directory region front to back in bounded pieces. Next(n) gives
// the next n bytes, or nullptr when the region (or the file) ends first.
class DirectoryWindow {
 public:
  DirectoryWindow(platform::File& file, uint64_t region) : file_(file), left_in_file_(region) {}

  const uint8_t* Next(size_t n) {
    if (buffer_.size() - pos_ < n) {
      buffer_.erase(0, pos_);
      pos_ = 0;
      const uint64_t want = std::min<uint64_t>(left_in_file_, std::max<size_t>(n, kPiece));
      if (buffer_.size() + left_in_file_ < n) return nullptr;
      const size_t had = buffer_.size();
      buffer_.resize(had + static_cast<size_t>(want));
      if (file_.Read(buffer_.data() + had, static_cast<int64_t>(want)) !=
          static_cast<int64_t>(want))
        return nullptr;
      left_in_file_ -= want;
      if (buffer_.size() < n) return nullptr;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(buffer_.data() + pos_);
    pos_ += n;
    return p;
  }

 private:
  static constexpr size_t kPiece = 1 << 20;
  platform::File& file_;
  uint64_t left_in_file_;
  std::string buffer_;
  size_t pos_ = 0;
};

std::string FormatBytes(uint64_t bytes) {
  if (Hooks().format_byte_size) return Hooks().format_byte_size(bytes);
  return std::to_string(bytes);
}

void ShowExtractStatus(std::string_view text) {
  if (Hooks().show_extract_status) Hooks().show_extract_status(text);
}

}  // namespace

bool IsSafeRelativeName(std::string_view name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string_view::npos)
    return false;
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("\\/", start);
    const std::string_view part =
        name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

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

TPak::TPak(std::string_view file_name, bool append, bool create_new) {
  if (append) {
    file_ = platform::File::Open(file_name, platform::OpenMode::ReadWrite);
    const int64_t size = file_ ? file_.Size() : 0;
    PackageStart = static_cast<uint32_t>(size > 0 ? size : 0);
    if (file_) file_.Seek(0, platform::SeekFrom::End);
  } else if (create_new) {
    file_ = platform::File::Open(file_name, platform::OpenMode::Create);
  } else {
    file_ = platform::File::Open(file_name, platform::OpenMode::ReadShared);
    ReadDirectory();
  }
}

void TPak::ReadDirectory() {
  Entries.clear();
  Cursor = 0;
  std::memset(ID, 0, sizeof ID);
  Version = FileCount = 0;
  PackageStart = DirectoryOffset = 0;
  if (!file_) return;
  const int64_t size = file_.Size();
  if (size < static_cast<int64_t>(kTrailerSize)) return;
  file_size_ = static_cast<uint64_t>(size);
  uint8_t trailer[kTrailerSize];
  if (file_.Seek(size - static_cast<int64_t>(kTrailerSize)) < 0 ||
      file_.Read(trailer, kTrailerSize) != static_cast<int64_t>(kTrailerSize))
    return;
  std::memcpy(ID, trailer, 4);
  if (!HasPackage()) return;
  Version = Get16(trailer + 4);
  FileCount = Get16(trailer + 6);
  PackageStart = Get32(trailer + 8);
  DirectoryOffset = Get32(trailer + 12);
  Base = size - static_cast<int64_t>(DirectoryOffset);

  // The directory must lie between its offset and the trailer; one that
  // does not, or whose records run past it, leaves no package at all.
  auto no_package = [this] {
    Entries.clear();
    std::memset(ID, 0, sizeof ID);
    FileCount = 0;
  };
  const uint64_t directory_end = file_size_ - kTrailerSize;
  if (DirectoryOffset > directory_end) return no_package();
  if (file_.Seek(DirectoryOffset) < 0) return no_package();
  // The records are read in pieces of at most 1 MiB as they are needed, so
  // that a damaged directory offset at the start of a large file does not
  // pull the whole file into memory.
  DirectoryWindow window(file_, directory_end - DirectoryOffset);
  Entries.reserve(FileCount);
  for (uint32_t i = 0; i < FileCount; ++i) {
    const uint8_t* count = window.Next(2);
    if (count == nullptr) return no_package();
    const size_t length = Get16(count);
    const uint8_t* record = window.Next(length + kRecordFixedSize);
    if (record == nullptr) return no_package();
    TPakEntry e;
    e.Name.assign(reinterpret_cast<const char*>(record), length);
    const uint8_t* f = record + length;
    e.CRC = Get32(f);
    e.Offset = Get32(f + 4);
    e.StoredSize = Get32(f + 8);
    e.OrigSize = Get32(f + 12);
    e.Group = Get16(f + 16);
    const uint64_t stored = e.StoredLength();
    e.Damaged = (stored > 0 && (e.Offset < PackageStart ||
                                static_cast<uint64_t>(e.Offset) + stored > DirectoryOffset)) ||
                (e.StoredSize != 0 && e.OrigSize > kMaxInflateRatio * e.StoredSize + 64) ||
                // Large entries are always stored raw: a compressed one is not
                // a real entry (and would be copied out unread as if raw).
                (e.StoredSize != 0 && e.OrigSize >= kLargeEntrySize) ||
                (e.Group != 0 && !IsSafeRelativeName(e.Name));
    Entries.push_back(std::move(e));
  }
}

PakBlock TPak::ReadStored(uint32_t index) {
  if (index >= Entries.size() || Entries[index].Damaged) return std::nullopt;
  const TPakEntry& e = Entries[index];
  const uint32_t n = e.StoredLength();
  if (n == 0 || file_.Seek(e.Offset) < 0) return std::nullopt;
  std::string block(n, '\0');
  if (file_.Read(block.data(), n) != n) return std::nullopt;
  if (Crc32(block.data(), block.size()) != e.CRC) return std::nullopt;
  return block;
}

PakBlock TPak::ExtractEntry(uint32_t index) {
  PakBlock stored = ReadStored(index);
  if (!stored) return std::nullopt;
  const TPakEntry& e = Entries[index];
  if (e.OrigSize == 0) return std::nullopt;
  if (e.StoredSize == 0) return stored;
  uint64_t inflated = 0;
  PakBlock content = Inflate(*stored, e.OrigSize, inflated);
  if (!content)
    gui::MessageBox(e.Name + "\r\rError: DecompSize - " + std::to_string(inflated) +
                        " OrigSize - " + std::to_string(e.OrigSize),
                    "Error");
  return content;
}

PakBlock TPak::FindEntry(std::string_view name, uint16_t group, uint32_t& size) {
  size = 0;
  const std::string wanted = AnsiLower(name);
  for (uint32_t i = 0; i < Entries.size(); ++i) {
    if (Entries[i].Group == group && AnsiLower(Entries[i].Name) == wanted) {
      PakBlock content = ExtractEntry(i);
      size = Entries[i].OrigSize;
      return content;
    }
  }
  return std::nullopt;
}

PakBlock TPak::FindFirst(uint16_t group, uint32_t& size, bool extract, std::string& name) {
  Cursor = 0;
  size = 0;
  return FindNext(group, size, extract, name);
}

PakBlock TPak::FindNext(uint16_t group, uint32_t& size, bool extract, std::string& name) {
  size = 0;
  name.clear();
  for (uint32_t i = Cursor; i < Entries.size(); ++i) {
    if (Entries[i].Group != group) continue;
    PakBlock content = extract ? ExtractEntry(i) : std::nullopt;
    size = Entries[i].OrigSize;
    name = Entries[i].Name;
    Cursor = i + 1;
    return content;
  }
  return std::nullopt;
}

bool TPak::FindFirstIndex(uint16_t group, uint32_t& index) {
  Cursor = 0;
  return FindNextIndex(group, index);
}

bool TPak::FindNextIndex(uint16_t group, uint32_t& index) {
  index = 0;
  for (uint32_t i = Cursor; i < Entries.size(); ++i) {
    if (Entries[i].Group == group) {
      index = i;
      Cursor = i + 1;
      return true;
    }
  }
  return false;
}

void TPak::ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& routine) {
  if (!routine) return;
  uint32_t index = 0;
  for (bool found = FindFirstIndex(group, index); found; found = FindNextIndex(group, index)) {
    const uint32_t next = Cursor;
    routine(index);
    Cursor = next;  // the routine may read entries; the walk goes on from here
  }
}

bool TPak::VerifyEntry(uint32_t index) {
  if (index >= Entries.size() || Entries[index].Damaged) return false;
  if (Entries[index].OrigSize >= kLargeEntrySize) return true;
  return ExtractEntry(index).has_value();
}

uint32_t TPak::CountGrouped() const {
  uint32_t n = 0;
  for (size_t i = 0; i < Entries.size() && i < FileCount; ++i) n += Entries[i].Group != 0;
  return n;
}

uint32_t TPak::CountInGroup(uint16_t group) const {
  uint32_t n = 0;
  for (size_t i = 0; i < Entries.size() && i < FileCount; ++i) n += Entries[i].Group == group;
  return n;
}

void TPak::ExtractGroup(uint16_t group, std::string_view folder) {
  InstallWriter writer{std::string(folder)};
  uint32_t size = 0;
  std::string name;
  FindFirst(group, size, false, name);
  for (;;) {
    ShowExtractStatus(name);
    if (name.empty()) break;
    const uint32_t index = Cursor - 1;
    // A name that could leave the folder is never written.
    if (IsSafeRelativeName(name)) {
      const std::string path = std::string(folder) + "\\" + name;
      if (size >= kLargeEntrySize) {
        const uint32_t resume = Cursor;
        CopyLarge(writer, path, name, size, index);
        Cursor = resume;
      } else {
        const PakBlock content = ExtractEntry(index);
        writer.WriteFile(path, content ? *content : std::string_view());
      }
    }
    if (Hooks().step_progress) Hooks().step_progress();
    FindNext(group, size, false, name);
  }
  writer.Finish();
}

void TPak::ExtractLarge(std::string_view path, std::string_view name, uint32_t size,
                        uint32_t index) {
  InstallWriter writer{std::string(path)};
  CopyLarge(writer, path, name, size, index);
  writer.Finish();
}

void TPak::CopyLarge(InstallWriter& writer, std::string_view path, std::string_view name,
                     uint32_t size, uint32_t index) {
  if (index >= Entries.size() || Entries[index].Damaged) return;
  platform::ReplacingFile out = writer.Begin(path);
  if (file_.Seek(Entries[index].Offset) < 0) throw ExtractionError(writer.FailureText(path));
  std::string buffer;
  uint32_t remaining = size;
  while (remaining > 0) {
    const uint32_t chunk = std::min(kLargeChunkSize, remaining);
    buffer.resize(chunk);
    ShowExtractStatus(std::string(name) + " - " + FormatBytes(size - remaining) + " / " +
                      FormatBytes(size));
    const int64_t got = file_.Read(buffer.data(), chunk);
    // The directory check keeps large entries inside the package, so a short
    // read means the package itself is damaged or unreadable.
    if (got != chunk) {
      throw ExtractionError("Cannot read " + std::string(name) + " from the package: " +
                            (got < 0 ? platform::LastErrorText() : "it ends early"));
    }
    InstallWriter::Write(out, path, buffer.data(), got);
    remaining -= chunk;
  }
  writer.Commit(out, path);
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
    Put16(bytes, static_cast<uint16_t>(e.Name.size()));
    bytes.append(e.Name);
    Put32(bytes, e.CRC);
    Put32(bytes, e.Offset);
    Put32(bytes, e.StoredSize);
    Put32(bytes, e.OrigSize);
    Put16(bytes, e.Group);
  }
  bytes.append(ID, 4);
  Put16(bytes, Version);
  Put16(bytes, FileCount);
  Put32(bytes, PackageStart);
  Put32(bytes, DirectoryOffset);
  return file_.Write(bytes);
}

}  // namespace wizpak
