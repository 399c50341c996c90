// TPak: reader and writer of the setup package appended to an executable.
// The package is the entry data (stored bytes back to back), a directory of
// records (name, CRC-32, offset, stored size, content size, group) and a
// 16-byte trailer ("KYPF", version, count, package start, directory offset).
// Entries are zlib streams (level 9) or raw; large ones (70 MiB and more)
// are always raw and copied out in 25 MiB chunks.
//
// The directory reader trusts nothing it reads: a directory that runs past
// its region leaves the package empty (no package), and an entry whose stored
// bytes lie outside the entry data, whose content size no zlib stream of its
// stored size can reach, or whose name could leave its folder ("..", a drive,
// a leading "\") is marked damaged: it reads as nothing, like a CRC error.
//
// One class, one file a job: pak_directory.cc (opening, directory, lookups),
// pak_reader.cc (one entry's bytes), pak_verify.cc, pak_extract.cc and
// pak_writer.cc.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "package/zlib_stream.h"
#include "platform/files.h"

namespace wizpak {

class InstallWriter;
struct PackageHooks;

constexpr uint32_t kLargeEntrySize = 73400320;  // 70 MiB
constexpr uint32_t kLargeChunkSize = 26214400;  // 25 MiB
// Large entries are copied in pieces of this size (a divisor of the chunk).
constexpr uint32_t kLargePieceSize = 1048576;  // 1 MiB
constexpr size_t kTrailerSize = 16;

struct TPakEntry {
  std::string Name;
  std::string SourcePath;  // writer side only
  uint32_t CRC = 0;
  uint32_t Offset = 0;
  uint32_t StoredSize = 0;
  uint32_t OrigSize = 0;
  uint16_t Group = 0;
  bool Damaged = false;  // reader side: failed the directory checks

  // StoredSize for a compressed or empty entry, else OrigSize.
  uint32_t StoredLength() const { return StoredSize != 0 || OrigSize == 0 ? StoredSize : OrigSize; }
};

// Thrown by ExtractEntry when a stream that passed its CRC does not inflate.
class DecompressionError : public std::runtime_error {
 public:
  DecompressionError() : std::runtime_error("error") {}
};

// Thrown by ExtractEntry (and so by ExtractGroup) when a stream that passed
// its CRC inflates to another size than the entry records: the setup is
// damaged. The reader only reports it; the caller shows BoxText() (the
// "DecompSize" box) and ends the run on its error path. A DecompressionError,
// so callers that treat an entry that does not inflate as damaged treat this
// one alike.
class WrongSizeError : public DecompressionError {
 public:
  WrongSizeError(std::string name, uint64_t inflated, uint32_t recorded);
  const std::string& Name() const { return name_; }
  uint64_t Inflated() const { return inflated_; }
  uint32_t Recorded() const { return recorded_; }
  const char* what() const noexcept override { return message_.c_str(); }
  // "NAME\r\rError: DecompSize - INFLATED OrigSize - RECORDED".
  std::string BoxText() const;

 private:
  std::string name_;
  uint64_t inflated_;
  uint32_t recorded_;
  std::string message_;
};

// A content block: nullopt stands for "nothing".
using PakBlock = std::optional<std::string>;

class TPak {
 public:
  // Read mode (neither flag), append mode (append) or create mode
  // (create_new). A file that cannot be opened leaves the package empty.
  TPak(std::string_view file_name, bool append, bool create_new);

  int64_t Base = 0;
  uint32_t Cursor = 0;
  std::vector<TPakEntry> Entries;
  char ID[4] = {0, 0, 0, 0};
  uint16_t Version = 0;
  uint16_t FileCount = 0;
  uint32_t PackageStart = 0;
  uint32_t DirectoryOffset = 0;

  bool IsOpen() const { return file_.IsOpen(); }
  std::string IdText() const { return std::string(ID, 4); }
  bool HasPackage() const { return IdText() == "KYPF"; }

  void ReadDirectory();
  void Close() { file_.Close(); }

  // ---- reading (an index past the last entry yields nothing) -------------
  PakBlock ReadStored(uint32_t index) const;
  // The content; a stream inflating to another size throws WrongSizeError,
  // a malformed stream DecompressionError.
  PakBlock ExtractEntry(uint32_t index);
  PakBlock FindEntry(std::string_view name, uint16_t group, uint32_t& size);
  PakBlock FindFirst(uint16_t group, uint32_t& size, bool extract, std::string& name);
  PakBlock FindNext(uint16_t group, uint32_t& size, bool extract, std::string& name);
  bool FindFirstIndex(uint16_t group, uint32_t& index);
  bool FindNextIndex(uint16_t group, uint32_t& index);
  void ForEachInGroup(uint16_t group, const std::function<void(uint32_t index)>& routine);
  // True when the entry's stored bytes match its CRC (one pass over them,
  // no inflate); empty entries pass; large ones pass unread unless the
  // package's large-entry check record gives their CRC.
  bool VerifyEntry(uint32_t index);
  uint32_t CountGrouped() const;
  uint32_t CountInGroup(uint16_t group) const;
  // Writes every entry of `group` below `folder` (a program path), reporting
  // to `hooks` (status, progress, install log) and stopping when they ask.
  void ExtractGroup(uint16_t group, std::string_view folder, const PackageHooks& hooks);
  // Copies a large entry to `path` in 25 MiB chunks. Both throw
  // ExtractionError when a file cannot be written (the old one is kept) or
  // a link stands where a file or folder should go.
  void ExtractLarge(std::string_view path, std::string_view name, uint32_t size, uint32_t index,
                    const PackageHooks& hooks);

  // ---- writing (append and create modes) ----------------------------------
  uint32_t AddEntry(std::string_view name, std::string_view source_path, uint16_t group);
  PakBlock PrepareEntry(uint32_t index, const void* data, size_t length);
  PakBlock LoadSourceFile(uint32_t index);
  bool StoreFromMemory(uint32_t index, const void* data, size_t length);
  bool StoreFromFile(uint32_t index);
  // Stores bytes already prepared (CRC, sizes set on the entry): what a
  // parallel writer uses after compressing on another thread.
  bool StorePrepared(uint32_t index, std::string_view stored);
  bool WriteDirectory();

  platform::File& File() { return file_; }

  // An entry read and inflated without throwing (safe on any thread: reads
  // use no shared file position); Deliver then throws as ExtractEntry does.
  struct Unpacked {
    PakBlock content;
    uint64_t inflated = 0;    // what the stream really inflated to
    bool wrong_size = false;  // inflated to another size than OrigSize
    bool malformed = false;   // the stream does not inflate
  };
  Unpacked Unpack(uint32_t index) const;
  PakBlock Deliver(uint32_t index, Unpacked unpacked) const;

 private:
  bool StoreBlock(uint32_t index, std::string_view stored);
  std::optional<uint32_t> StoredCrc(uint32_t index);
  // The stored bytes of a small entry, from a window of the package read
  // ahead: verifying entry after entry reads the package in large pieces
  // rather than once per entry. Null when they cannot be read.
  const char* StoredBytesThroughWindow(const TPakEntry& e);
  void LoadLargeEntryChecks();
  void CopyLarge(InstallWriter& writer, const PackageHooks& hooks, std::string_view path,
                 std::string_view name, uint32_t size, uint32_t index);
  platform::File file_;
  uint64_t file_size_ = 0;
  std::map<uint32_t, uint32_t> large_checks_;  // large entry index -> CRC of its bytes
  std::string read_window_;                    // package bytes from window_offset_ on
  uint64_t window_offset_ = 0;
};

// The storage rule on its own: fills CRC, StoredSize and OrigSize of `entry`
// for `content` and returns the bytes to store. `from_file` marks content
// read from a file (large ones then carry no checksum).
std::string PrepareStoredBytes(TPakEntry& entry, std::string_view content, bool from_file);

// True when `name` may be written below a folder: relative, no ".." or "."
// segment, no drive, no empty segment.
bool IsSafeRelativeName(std::string_view name);

}  // namespace wizpak
