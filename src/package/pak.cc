#include "package/pak.h"

#include <zlib.h>

#ifdef WIZPAK_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "package/install_writer.h"
#include "package/large_entry_checks.h"
#include "package/package_files.h"
#include "package/package_hooks.h"
#include "package/zlib_stream.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/codepage.h"
#include "platform/path_bounds.h"

namespace wizpak {

namespace {

constexpr size_t kRecordFixedSize = 18;  // CRC, offset, two sizes, group
// Deflate cannot expand data by more than about 1032:1.
constexpr uint64_t kMaxInflateRatio = 1032;

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

std::string FormatBytes(uint64_t bytes) {
  if (Hooks().format_byte_size) return Hooks().format_byte_size(bytes);
  return std::to_string(bytes);
}

void ShowExtractStatus(std::string_view text) {
  if (Hooks().show_extract_status) Hooks().show_extract_status(text);
}

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

namespace {
constexpr uint32_t kReadWindowSize = 1u << 20;
constexpr uint32_t kWindowedEntrySize = 256u << 10;  // stored bytes read through the window
}  // namespace

const char* TPak::StoredBytesThroughWindow(const TPakEntry& e) {
  const uint64_t length = e.StoredLength();
  if (e.Offset < window_offset_ || e.Offset + length > window_offset_ + read_window_.size()) {
    read_window_.resize(kReadWindowSize);
    const int64_t got =
        file_.ReadAt(static_cast<int64_t>(e.Offset), read_window_.data(), kReadWindowSize);
    read_window_.resize(got > 0 ? static_cast<size_t>(got) : 0);
    window_offset_ = e.Offset;
    if (length > read_window_.size()) return nullptr;
  }
  return read_window_.data() + (e.Offset - window_offset_);
}

std::optional<uint32_t> TPak::StoredCrc(uint32_t index) {
  const TPakEntry& e = Entries[index];
  if (e.StoredLength() <= kWindowedEntrySize) {
    const char* bytes = StoredBytesThroughWindow(e);
    if (bytes == nullptr) return std::nullopt;
    return Crc32Continue(0, bytes, e.StoredLength());
  }
  constexpr uint32_t kPiece = 4u << 20;
  std::string buffer(std::min(kPiece, e.StoredLength()), '\0');
  uint32_t crc = 0;
  for (uint64_t done = 0; done < e.StoredLength();) {
    const int64_t piece = static_cast<int64_t>(std::min<uint64_t>(kPiece, e.StoredLength() - done));
    if (file_.ReadAt(static_cast<int64_t>(e.Offset + done), buffer.data(), piece) != piece)
      return std::nullopt;
    crc = Crc32Continue(crc, buffer.data(), static_cast<size_t>(piece));
    done += static_cast<uint64_t>(piece);
  }
  return crc;
}

bool TPak::VerifyEntry(uint32_t index) {
  if (index >= Entries.size() || Entries[index].Damaged) return false;
  const TPakEntry& e = Entries[index];
  // An empty file has nothing to check.
  if (e.OrigSize == 0) return true;
  // The CRC covers the stored bytes, so one pass over them checks the entry;
  // extraction checks that a stream inflates to its content size. A large
  // entry is checked against the package's check record when it has one.
  if (e.OrigSize >= kLargeEntrySize) {
    const auto check = large_checks_.find(index);
    return check == large_checks_.end() || StoredCrc(index) == check->second;
  }
  return StoredCrc(index) == e.CRC;
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

namespace {

// Reads and inflates the small entries of a group on a second thread while
// the caller writes the ones before: entries come out in order, and the
// thread runs ahead by at most a byte budget so memory stays bounded.
class UnpackAhead {
 public:
  using Unpack = std::function<TPak::Unpacked(uint32_t index)>;

  UnpackAhead(std::vector<uint32_t> indexes, std::vector<uint64_t> sizes, Unpack unpack)
      : indexes_(std::move(indexes)), sizes_(std::move(sizes)), unpack_(std::move(unpack)) {
    if (indexes_.size() > 1) worker_ = std::thread([this] { Work(); });
  }
  ~UnpackAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    space_.notify_all();
    if (worker_.joinable()) worker_.join();
  }
  UnpackAhead(const UnpackAhead&) = delete;
  UnpackAhead& operator=(const UnpackAhead&) = delete;

  // The next entry's result, in the order of the indexes given.
  TPak::Unpacked Next() {
    if (!worker_.joinable()) return unpack_(indexes_[taken_++]);
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return !done_.empty(); });
    TPak::Unpacked result = std::move(done_.front());
    done_.pop_front();
    ahead_bytes_ -= sizes_[taken_++];
    space_.notify_all();
    return result;
  }

 private:
  static constexpr uint64_t kAheadBytes = 64ull << 20;

  void Work() {
    for (size_t next = 0; next < indexes_.size(); ++next) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        // The entry the writer waits for is always started.
        space_.wait(lock, [&] {
          return stopping_ || next == taken_ || ahead_bytes_ + sizes_[next] <= kAheadBytes;
        });
        if (stopping_) return;
        ahead_bytes_ += sizes_[next];
      }
      TPak::Unpacked result = unpack_(indexes_[next]);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(std::move(result));
      }
      ready_.notify_all();
    }
  }

  const std::vector<uint32_t> indexes_;
  const std::vector<uint64_t> sizes_;  // stored plus content bytes, the memory each one holds
  const Unpack unpack_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable space_;
  std::deque<TPak::Unpacked> done_;
  size_t taken_ = 0;
  uint64_t ahead_bytes_ = 0;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace

void TPak::ExtractGroup(uint16_t group, std::string_view folder) {
  InstallWriter writer{std::string(folder)};
  // The small entries that will be written, unpacked ahead on another thread.
  std::vector<uint32_t> small;
  std::vector<uint64_t> sizes;
  for (uint32_t i = 0; i < Entries.size(); ++i) {
    const TPakEntry& e = Entries[i];
    if (e.Group != group || e.OrigSize >= kLargeEntrySize || !IsSafeRelativeName(e.Name)) continue;
    small.push_back(i);
    sizes.push_back(uint64_t{e.StoredLength()} + e.OrigSize);
  }
  UnpackAhead ahead(small, sizes, [this](uint32_t i) { return Unpack(i); });

  uint32_t size = 0;
  std::string name;
  FindFirst(group, size, false, name);
  for (;;) {
    // A cancelled run stops between files: the folder holds only whole,
    // logged files, and the run saves the log of what is there.
    if (!name.empty() && ExtractionStopRequested()) break;
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
        const PakBlock content = Deliver(index, ahead.Next());
        writer.WriteFile(path, content ? *content : std::string_view());
      }
    }
    if (Hooks().step_progress) Hooks().step_progress();
    if (Hooks().keep_responsive) Hooks().keep_responsive();
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
  const uint32_t offset = Entries[index].Offset;
  std::string buffer;
  uint32_t crc = 0;
  uint32_t remaining = size;
  while (remaining > 0) {
    // The status names every 25 MiB chunk; the chunk is copied in pieces
    // with the window's events handled between them, so Cancel and repaints
    // are not held up by a whole chunk.
    if ((size - remaining) % kLargeChunkSize == 0) {
      ShowExtractStatus(std::string(name) + " - " + FormatBytes(size - remaining) + " / " +
                        FormatBytes(size));
    }
    if (Hooks().keep_responsive) Hooks().keep_responsive();
    // Cut off part-way, the new file is discarded and the old one stays.
    if (ExtractionStopRequested()) return;
    const uint32_t piece = std::min(kLargePieceSize, remaining);
    buffer.resize(piece);
    const int64_t got = file_.ReadAt(int64_t{offset} + (size - remaining), buffer.data(), piece);
    // The directory check keeps large entries inside the package, so a short
    // read means the package itself is damaged or unreadable.
    if (got != piece) {
      throw ExtractionError("Cannot read " + std::string(name) + " from the package: " +
                            (got < 0 ? platform::LastErrorText() : "it ends early"));
    }
    crc = Crc32Continue(crc, buffer.data(), piece);
    InstallWriter::Write(out, path, buffer.data(), got);
    remaining -= piece;
  }
  // Checked while copied: a damaged large entry never replaces the old file.
  const auto check = large_checks_.find(index);
  if (check != large_checks_.end() && check->second != crc)
    throw ExtractionError("Cannot install " + std::string(path) + ": " + std::string(name) +
                          " is damaged in the setup package");
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
