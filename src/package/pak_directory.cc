// TPak opening and its directory: the trailer, the entry records and their
// checks, the large-entry check record, and finding entries by group or name.
#include "package/pak.h"

#include <algorithm>
#include <cstring>

#include "package/large_entry_checks.h"
#include "platform/byte_reader.h"
#include "platform/codepage.h"
#include "platform/path_bounds.h"

namespace wizpak {

namespace {

constexpr size_t kRecordFixedSize = 18;  // CRC, offset, two sizes, group

// Deflate cannot expand data by more than about 1032:1.
constexpr uint64_t kMaxInflateRatio = 1032;

// Reads a directory region front to back in bounded pieces. Next(n) gives
// the next n bytes, or nothing when the region (or the file) ends first.
class DirectoryWindow {
 public:
  DirectoryWindow(platform::File& file, uint64_t region) : file_(file), left_in_file_(region) {}

  std::optional<ByteReader> Next(size_t n) {
    if (buffer_.size() - pos_ < n) {
      buffer_.erase(0, pos_);
      pos_ = 0;
      const uint64_t want = std::min<uint64_t>(left_in_file_, std::max<size_t>(n, kPiece));
      if (buffer_.size() + left_in_file_ < n) return std::nullopt;
      const size_t had = buffer_.size();
      buffer_.resize(had + static_cast<size_t>(want));
      if (file_.Read(buffer_.data() + had, static_cast<int64_t>(want)) !=
          static_cast<int64_t>(want))
        return std::nullopt;
      left_in_file_ -= want;
    }
    const auto next = ByteReader(buffer_).Part(pos_, n);
    if (next) pos_ += n;
    return next;
  }

 private:
  static constexpr size_t kPiece = 1 << 20;
  platform::File& file_;
  uint64_t left_in_file_;
  std::string buffer_;
  size_t pos_ = 0;
};

}  // namespace

bool IsSafeRelativeName(std::string_view name) {
  // A control character (a NUL above all) or a name longer or deeper than
  // Windows allows is damage, whatever its levels look like.
  if (!platform::PathTextFault(name).empty()) return false;
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
  std::string trailer(kTrailerSize, '\0');
  if (file_.Seek(size - static_cast<int64_t>(kTrailerSize)) < 0 ||
      file_.Read(trailer.data(), kTrailerSize) != static_cast<int64_t>(kTrailerSize))
    return;
  ByteReader fields(trailer);
  if (const auto id = fields.Take(4)) id->copy(ID, 4);
  if (!HasPackage()) return;
  Version = fields.U16().value_or(0);
  FileCount = fields.U16().value_or(0);
  PackageStart = fields.U32().value_or(0);
  DirectoryOffset = fields.U32().value_or(0);
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
    auto count = window.Next(2);
    if (!count) return no_package();
    const size_t length = count->U16().value_or(0);
    auto record = window.Next(length + kRecordFixedSize);
    if (!record) return no_package();
    TPakEntry e;
    e.Name = std::string(record->Take(length).value_or(""));
    e.CRC = record->U32().value_or(0);
    e.Offset = record->U32().value_or(0);
    e.StoredSize = record->U32().value_or(0);
    e.OrigSize = record->U32().value_or(0);
    e.Group = record->U16().value_or(0);
    if (!record->Ok()) return no_package();
    const uint64_t stored = e.StoredLength();
    e.Damaged =
        (stored > 0 &&
         (e.Offset < PackageStart || static_cast<uint64_t>(e.Offset) + stored > DirectoryOffset)) ||
        (e.StoredSize != 0 && e.OrigSize > kMaxInflateRatio * e.StoredSize + 64) ||
        // Large entries are always stored raw: a compressed one is not
        // a real entry (and would be copied out unread as if raw).
        (e.StoredSize != 0 && e.OrigSize >= kLargeEntrySize) ||
        platform::HasControlCharacter(e.Name) || (e.Group != 0 && !IsSafeRelativeName(e.Name));
    Entries.push_back(std::move(e));
  }
  LoadLargeEntryChecks();
}

void TPak::LoadLargeEntryChecks() {
  large_checks_.clear();
  const auto large = [this](uint32_t i) {
    return i < Entries.size() && Entries[i].OrigSize >= kLargeEntrySize && !Entries[i].Damaged;
  };
  bool any = false;
  for (uint32_t i = 0; i < Entries.size() && !any; ++i) any = large(i);
  if (!any) return;
  for (uint32_t i = 0; i < Entries.size(); ++i) {
    if (Entries[i].Group != 0 || Entries[i].Name != kLargeEntryChecksName) continue;
    // A record that does not read whole checks nothing; the entry itself
    // fails verification like any damaged entry.
    const Unpacked record = Unpack(i);
    if (!record.content) return;
    auto checks = ParseLargeEntryChecks(*record.content);
    if (!checks) return;
    for (const auto& [index, crc] : *checks)
      if (large(index)) large_checks_.emplace(index, crc);
    return;
  }
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

}  // namespace wizpak
