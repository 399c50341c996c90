// Files and folders, addressed by program paths (see paths.h). Operations
// report failure through their result and never throw; LastErrorText() says
// why the last failing call on this thread failed ("No space left on device").
//
// A fault seam lets tests make any call fail with a chosen errno, to prove
// that nothing half-written is left behind.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform {

enum class OpenMode {
  ReadShared,  // read only; others may read and write
  ReadWrite,   // existing file, read and write
  Create,      // create or truncate, read and write
};

enum class SeekFrom { Begin, Current, End };

// An open file. Move-only; closes on destruction.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path` (program form). Returns an invalid File on failure.
  static File Open(std::string_view path, OpenMode mode);

  bool IsOpen() const { return fd_ >= 0; }
  explicit operator bool() const { return IsOpen(); }

  // Reads up to `size` bytes; returns the count read (short at end of file),
  // or -1 on error.
  int64_t Read(void* buffer, int64_t size);
  // Reads up to `size` bytes at `offset` without using or moving the file
  // position (pread), so several threads may read one open file at once.
  // Returns the count read (short at end of file), or -1 on error.
  int64_t ReadAt(int64_t offset, void* buffer, int64_t size) const;
  // Writes all `size` bytes; false on error (including a short write).
  bool Write(const void* buffer, int64_t size);
  bool Write(std::string_view bytes) {
    return Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  // Returns the new position, or -1 on error.
  int64_t Seek(int64_t offset, SeekFrom from = SeekFrom::Begin);
  int64_t Position();
  int64_t Size();
  // Cuts (or extends) the file to `size` bytes.
  bool Truncate(int64_t size);
  // Flushes data to the device (fsync).
  bool Sync();
  void Close();

 private:
  explicit File(int fd, std::string host_path) : fd_(fd), host_path_(std::move(host_path)) {}
  int fd_ = -1;
  std::string host_path_;
};

struct FolderEntry {
  std::string name;  // ANSI, no folder part
  bool is_folder = false;
  uint64_t size = 0;
  // Neither a regular file nor a folder (after following a link): a pipe,
  // socket or device, whose reading could block forever, or a broken link.
  bool is_other = false;
  bool is_link = false;  // the name itself is a symbolic link
  // The name as the host spells it (UTF-8 on Linux), and whether `name` is
  // that same name: false when Windows-1252 cannot hold a character of it
  // (or the host name is not valid UTF-8), so `name` names another file.
  std::string host_name;
  bool name_exact = true;
};

bool FileExists(std::string_view path);  // a file (not a folder)
// The program path `path` as it is stored: where levels of it exist only in
// another letter case (found as Windows finds names), their stored spelling;
// otherwise, and on hosts whose names ignore letter case, `path` itself.
std::string StoredSpelling(std::string_view path);
bool DirectoryExists(std::string_view path);  // a folder
// A regular file (after following a link): not a pipe, socket or device.
bool IsRegularFile(std::string_view path);
bool DeleteFile(std::string_view path);
// Copies a file. With fail_if_exists, an existing destination is an error.
bool CopyFile(std::string_view from, std::string_view to, bool fail_if_exists);
// Renames, replacing an existing destination atomically.
bool RenameFile(std::string_view from, std::string_view to);
// One folder level; false when it exists already or the parent is missing.
bool CreateDirectory(std::string_view path);
// An empty folder only.
bool RemoveDirectory(std::string_view path);
// The entries of a folder, without "." and "..", sorted by name. nullopt when
// the folder cannot be read.
std::optional<std::vector<FolderEntry>> ListFolder(std::string_view path);
// Sorts entries as ListFolder does: by name without regard to case
// (Windows-1252 letters), then by bytes.
void SortFolderEntries(std::vector<FolderEntry>& entries);

// Windows file attributes: only the read-only bit (1) is kept by the host.
constexpr uint32_t kAttributeReadOnly = 0x1;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeNormal = 0x80;  // a file without other attributes
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;
// -1 (as uint32_t 0xFFFFFFFF) when the path does not exist. A file gives
// kAttributeReadOnly when it has no owner write permission, else
// kAttributeNormal. Read-only files cannot be opened for writing, deleted or
// replaced (as on Windows), even by root.
uint32_t GetFileAttributes(std::string_view path);
bool SetFileAttributes(std::string_view path, uint32_t attributes);

// Whole-file helpers. ReadFileBytes gives nullopt when the file cannot be read
// or is larger than `limit` bytes.
std::optional<std::string> ReadFileBytes(std::string_view path, uint64_t limit = UINT64_MAX);
// Writes to a temporary file beside `path`, syncs it, and renames it over
// `path`: readers see the old or the new file, never half of one.
bool WriteFileAtomic(std::string_view path, std::string_view bytes);

// Why the last failing call on this thread failed.
std::string LastErrorText();
void SetLastErrorText(std::string text);

// ---- Fault seam (tests only) ------------------------------------------------
enum class FileOp {
  Open,
  Read,
  Write,
  Seek,
  Truncate,
  Sync,
  Delete,
  Copy,
  Rename,
  CreateDir,
  RemoveDir,
  List,
  Attributes,
  Registry
};
// Returns 0 to let the call go ahead, or an errno value to make it fail.
using FaultHook = std::function<int(FileOp op, std::string_view host_path)>;
// Installs `hook` for the lifetime of the object (thread-unsafe; tests only).
class ScopedFaultHook {
 public:
  explicit ScopedFaultHook(FaultHook hook);
  ~ScopedFaultHook();
  ScopedFaultHook(const ScopedFaultHook&) = delete;
  ScopedFaultHook& operator=(const ScopedFaultHook&) = delete;

 private:
  FaultHook previous_;
};

}  // namespace wizpak::platform
