// Files and folders on the Windows API. An open File keeps a C runtime file
// descriptor (from _open_osfhandle) so the class layout is the same on both
// platforms; every operation works on the Windows handle behind it.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <utility>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/journal.h"
#include "platform/journal_host.h"
#include "platform/win32/windows_api.h"

namespace wizpak::platform {

namespace {

HANDLE HandleOf(int fd) {
  return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// Largest single ReadFile / WriteFile request.
constexpr int64_t kChunkBytes = int64_t{1} << 30;

bool WriteAllHandle(HANDLE handle, std::string_view path, const char* data, int64_t size) {
  while (size > 0) {
    if (int fault = win32::ConsultFaultHook(FileOp::Write, path))
      return win32::FailWithErrno(fault);
    const DWORD request = static_cast<DWORD>(std::min(size, kChunkBytes));
    DWORD written = 0;
    if (!WriteFile(handle, data, request, &written, nullptr)) return win32::FailWithLastError();
    if (written == 0) return win32::FailWithErrno(EIO);
    data += written;
    size -= written;
  }
  return true;
}

// Windows refuses to write, replace or delete a read-only file; Wine run
// by root would let it happen, so the attribute is checked here as well.
bool RefuseReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    win32::FailWithWin32(ERROR_ACCESS_DENIED);
    return true;
  }
  return false;
}

// A suffix that makes a name beside a file one no other writer uses at the
// same time.
std::wstring TemporarySuffix() {
  static std::atomic<unsigned> counter{0};
  return L".wizpak-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) +
         L".tmp";
}

// The journal's name of a program path, asked only while a run notes its
// changes (empty otherwise).
std::string Noted(std::string_view path) {
  return ActiveJournal() != nullptr ? journal_host::HostOfProgram(path) : std::string();
}

// What a link found in a listing leads to, as the POSIX layer reports it
// after following the link: a folder, a file with its size, or (broken, or
// not a disk file) something else.
void DescribeLinkTarget(const std::wstring& path, FolderEntry& entry) {
  HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
                     GetFileInformationByHandle(handle, &info);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  entry.is_folder = known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.is_other = !known;
  entry.size = known && !entry.is_folder
                   ? (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow
                   : 0;
}

}  // namespace

// ---- File ------------------------------------------------------------------

File File::Open(std::string_view path, OpenMode mode) {
  if (int fault = win32::ConsultFaultHook(FileOp::Open, path)) {
    win32::FailWithErrno(fault);
    return File();
  }
  DWORD access = GENERIC_READ;
  DWORD share = FILE_SHARE_READ;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case OpenMode::ReadShared:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
      break;
    case OpenMode::ReadWrite:
      access |= GENERIC_WRITE;
      break;
    case OpenMode::Create:
      access |= GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      break;
  }
  const std::wstring wide = win32::AcpToWide(path);
  if (wide.empty()) {
    win32::FailWithWin32(ERROR_PATH_NOT_FOUND);
    return File();
  }
  if (mode != OpenMode::ReadShared && RefuseReadOnly(wide)) return File();
  const std::string noted = mode == OpenMode::Create ? Noted(path) : std::string();
  if (!noted.empty() && !JournalBeforeWrite(noted)) return File();
  HANDLE handle = CreateFileW(wide.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (!noted.empty()) JournalRestoreLast(noted);
    win32::FailWithWin32(error);
    return File();
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    win32::FailWithErrno(EMFILE);
    return File();
  }
  return File(fd, std::string(path));
}

int64_t File::Read(void* buffer, int64_t size) {
  if (!IsOpen() || size < 0) return -1;
  auto* out = static_cast<char*>(buffer);
  int64_t total = 0;
  while (total < size) {
    if (int fault = win32::ConsultFaultHook(FileOp::Read, host_path_)) {
      win32::FailWithErrno(fault);
      return -1;
    }
    const DWORD request = static_cast<DWORD>(std::min(size - total, kChunkBytes));
    DWORD got = 0;
    if (!ReadFile(HandleOf(fd_), out + total, request, &got, nullptr)) {
      win32::FailWithLastError();
      return -1;
    }
    if (got == 0) break;
    total += got;
  }
  return total;
}

int64_t File::ReadAt(int64_t offset, void* buffer, int64_t size) const {
  if (!IsOpen() || size < 0 || offset < 0) return -1;
  // ReadFile with an offset moves the position of a synchronous handle; the
  // position is put back, and calls are serialised so two readers never put
  // back each other's position.
  static std::mutex serial;
  const std::lock_guard<std::mutex> lock(serial);
  HANDLE handle = HandleOf(fd_);
  LARGE_INTEGER zero{};
  LARGE_INTEGER position{};
  if (!SetFilePointerEx(handle, zero, &position, FILE_CURRENT)) {
    win32::FailWithLastError();
    return -1;
  }
  auto* out = static_cast<char*>(buffer);
  int64_t total = 0;
  bool failed = false;
  while (total < size) {
    if (int fault = win32::ConsultFaultHook(FileOp::Read, host_path_)) {
      win32::FailWithErrno(fault);
      failed = true;
      break;
    }
    const DWORD request = static_cast<DWORD>(std::min(size - total, kChunkBytes));
    OVERLAPPED at{};
    const uint64_t where = static_cast<uint64_t>(offset + total);
    at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    DWORD got = 0;
    if (!ReadFile(handle, out + total, request, &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      win32::FailWithLastError();
      failed = true;
      break;
    }
    if (got == 0) break;
    total += got;
  }
  SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
  return failed ? -1 : total;
}

bool File::Write(const void* buffer, int64_t size) {
  if (!IsOpen() || size < 0) return false;
  return WriteAllHandle(HandleOf(fd_), host_path_, static_cast<const char*>(buffer), size);
}

int64_t File::Seek(int64_t offset, SeekFrom from) {
  if (!IsOpen()) return -1;
  if (int fault = win32::ConsultFaultHook(FileOp::Seek, host_path_)) {
    win32::FailWithErrno(fault);
    return -1;
  }
  const DWORD method = from == SeekFrom::Begin     ? FILE_BEGIN
                       : from == SeekFrom::Current ? FILE_CURRENT
                                                   : FILE_END;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER now;
  if (!SetFilePointerEx(HandleOf(fd_), distance, &now, method)) {
    win32::FailWithLastError();
    return -1;
  }
  return now.QuadPart;
}

int64_t File::Position() {
  return Seek(0, SeekFrom::Current);
}

int64_t File::Size() {
  if (!IsOpen()) return -1;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(HandleOf(fd_), &size)) {
    win32::FailWithLastError();
    return -1;
  }
  return size.QuadPart;
}

bool File::Truncate(int64_t size) {
  if (!IsOpen() || size < 0) return false;
  if (int fault = win32::ConsultFaultHook(FileOp::Truncate, host_path_)) {
    return win32::FailWithErrno(fault);
  }
  // SetEndOfFile cuts at the file pointer; the position is kept as ftruncate
  // keeps it.
  const int64_t position = Position();
  if (position < 0) return false;
  HANDLE handle = HandleOf(fd_);
  LARGE_INTEGER target;
  target.QuadPart = size;
  if (!SetFilePointerEx(handle, target, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) {
    win32::FailWithLastError();
    Seek(position);
    return false;
  }
  return Seek(position) >= 0;
}

bool File::Sync() {
  if (!IsOpen()) return false;
  if (int fault = win32::ConsultFaultHook(FileOp::Sync, host_path_)) {
    return win32::FailWithErrno(fault);
  }
  if (!FlushFileBuffers(HandleOf(fd_))) return win32::FailWithLastError();
  return true;
}

void File::Close() {
  if (fd_ >= 0) _close(fd_);  // closes the Windows handle too
  fd_ = -1;
}

// ---- Whole files and folders -------------------------------------------------

std::string StoredSpelling(std::string_view path) {
  return std::string(path);  // Windows finds a name in any letter case itself
}

bool FileExists(std::string_view path) {
  const DWORD attributes = GetFileAttributesW(win32::AcpToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(std::string_view path) {
  const DWORD attributes = GetFileAttributesW(win32::AcpToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsRegularFile(std::string_view path) {
  const std::wstring wide = win32::AcpToWide(path);
  if (wide.empty()) return false;
  HANDLE handle = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool regular = GetFileType(handle) == FILE_TYPE_DISK &&
                       GetFileInformationByHandle(handle, &info) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(handle);
  return regular;
}

bool DeleteFile(std::string_view path) {
  if (int fault = win32::ConsultFaultHook(FileOp::Delete, path)) return win32::FailWithErrno(fault);
  const std::wstring wide = win32::AcpToWide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  // A folder that is only a link (junction or symbolic link) goes as the
  // link, never with what it points to; a real folder is refused.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      return win32::FailWithWin32(ERROR_ACCESS_DENIED);
    }
    // A run that can be undone moves the link aside instead.
    if (Journal* journal = ActiveJournal()) return journal->MoveFileAside(Noted(path));
    if (!RemoveDirectoryW(wide.c_str())) return win32::FailWithLastError();
    return true;
  }
  if (RefuseReadOnly(wide)) return false;
  if (Journal* journal = ActiveJournal()) return journal->MoveFileAside(Noted(path));
  if (!DeleteFileW(wide.c_str())) return win32::FailWithLastError();
  return true;
}

bool CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  if (int fault = win32::ConsultFaultHook(FileOp::Copy, to)) return win32::FailWithErrno(fault);
  if (RefuseReadOnly(win32::AcpToWide(to))) return false;
  // The old file is moved aside (a rename, no copy) or the name noted; with
  // fail_if_exists an existing file makes the copy fail, so nothing is noted.
  const std::string noted = Noted(to);
  const bool noting = !noted.empty() && noted != Noted(from) && !(fail_if_exists && FileExists(to));
  if (noting && !JournalBeforeWrite(noted)) return false;
  if (!CopyFileW(win32::AcpToWide(from).c_str(), win32::AcpToWide(to).c_str(),
                 fail_if_exists ? TRUE : FALSE)) {
    const DWORD error = GetLastError();
    if (noting) JournalRestoreLast(noted);
    return win32::FailWithWin32(error);
  }
  return true;
}

bool RenameFile(std::string_view from, std::string_view to) {
  if (int fault = win32::ConsultFaultHook(FileOp::Rename, to)) return win32::FailWithErrno(fault);
  if (RefuseReadOnly(win32::AcpToWide(to))) return false;
  const std::string source = Noted(from);
  const std::string target = Noted(to);
  const bool noting = !target.empty() && source != target;
  if (noting && !JournalBeforeWrite(target)) return false;
  if (noting && !ActiveJournal()->NoteMove(source, target)) {
    JournalRestoreLast(target);
    return false;
  }
  if (!MoveFileExW(win32::AcpToWide(from).c_str(), win32::AcpToWide(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    if (noting) {
      JournalCancelLast();
      JournalRestoreLast(target);
    }
    return win32::FailWithWin32(error);
  }
  return true;
}

bool CreateDirectory(std::string_view path) {
  if (int fault = win32::ConsultFaultHook(FileOp::CreateDir, path)) {
    return win32::FailWithErrno(fault);
  }
  const std::string noted = Noted(path);
  if (!noted.empty() && !JournalBeforeNewFolder(noted)) return false;
  if (!CreateDirectoryW(win32::AcpToWide(path).c_str(), nullptr)) {
    const DWORD error = GetLastError();
    if (!noted.empty()) JournalCancelLast();
    return win32::FailWithWin32(error);
  }
  return true;
}

bool RemoveDirectory(std::string_view path) {
  if (int fault = win32::ConsultFaultHook(FileOp::RemoveDir, path)) {
    return win32::FailWithErrno(fault);
  }
  if (Journal* journal = ActiveJournal()) return journal->MoveFolderAside(Noted(path));
  if (!RemoveDirectoryW(win32::AcpToWide(path).c_str())) return win32::FailWithLastError();
  return true;
}

std::optional<std::vector<FolderEntry>> ListFolder(std::string_view path) {
  if (int fault = win32::ConsultFaultHook(FileOp::List, path)) {
    win32::FailWithErrno(fault);
    return std::nullopt;
  }
  std::wstring pattern = win32::AcpToWide(path);
  if (pattern.empty()) {
    win32::FailWithWin32(ERROR_PATH_NOT_FOUND);
    return std::nullopt;
  }
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  const std::wstring folder = pattern;
  pattern += L'*';
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty drive root has no entries at all, not even "." and "..".
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<FolderEntry>{};
    win32::FailWithLastError();
    return std::nullopt;
  }
  std::vector<FolderEntry> entries;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry entry;
    entry.name = win32::WideToAcp(name);
    entry.is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.is_other = (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
    entry.size = entry.is_folder || entry.is_other
                     ? 0
                     : (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.is_link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (entry.is_link) DescribeLinkTarget(folder + std::wstring(name), entry);
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    win32::FailWithWin32(error);
    return std::nullopt;
  }
  SortFolderEntries(entries);
  return entries;
}

uint32_t GetFileAttributes(std::string_view path) {
  if (int fault = win32::ConsultFaultHook(FileOp::Attributes, path)) {
    win32::FailWithErrno(fault);
    return kInvalidAttributes;
  }
  const DWORD attributes = GetFileAttributesW(win32::AcpToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) win32::FailWithLastError();
  return attributes;
}

bool SetFileAttributes(std::string_view path, uint32_t attributes) {
  if (int fault = win32::ConsultFaultHook(FileOp::Attributes, path)) {
    return win32::FailWithErrno(fault);
  }
  if (!SetFileAttributesW(win32::AcpToWide(path).c_str(), attributes)) {
    return win32::FailWithLastError();
  }
  return true;
}

std::optional<std::string> ReadFileBytes(std::string_view path, uint64_t limit) {
  File file = File::Open(path, OpenMode::ReadShared);
  if (!file) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0) return std::nullopt;
  if (static_cast<uint64_t>(size) > limit) {
    SetLastErrorText("File too large");
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  const int64_t got = file.Read(bytes.data(), size);
  if (got < 0) return std::nullopt;
  bytes.resize(static_cast<size_t>(got));
  return bytes;
}

bool WriteFileAtomic(std::string_view path, std::string_view bytes) {
  if (int fault = win32::ConsultFaultHook(FileOp::Open, path)) return win32::FailWithErrno(fault);
  const std::wstring target = win32::AcpToWide(path);
  if (target.empty()) return win32::FailWithWin32(ERROR_PATH_NOT_FOUND);
  if (RefuseReadOnly(target)) return false;
  const std::wstring suffix = TemporarySuffix();
  const std::wstring temporary = target + suffix;
  // Noted, so a run killed while writing leaves no temporary file behind.
  const std::string noted = Noted(path);
  if (!noted.empty() && !JournalBeforeWrite(noted + win32::WideToUtf8String(suffix))) return false;
  HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (!noted.empty()) JournalCancelLast();
    return win32::FailWithWin32(error);
  }
  bool ok = WriteAllHandle(handle, path, bytes.data(), static_cast<int64_t>(bytes.size()));
  if (ok) {
    if (int fault = win32::ConsultFaultHook(FileOp::Sync, path)) {
      ok = win32::FailWithErrno(fault);
    } else if (!FlushFileBuffers(handle)) {
      ok = win32::FailWithLastError();
    }
  }
  CloseHandle(handle);
  if (ok) {
    if (int fault = win32::ConsultFaultHook(FileOp::Rename, path)) {
      ok = win32::FailWithErrno(fault);
    } else if (!noted.empty() && !JournalBeforeWrite(noted)) {
      ok = false;  // the old file is moved aside (a rename, no copy) or the name noted
    } else if (!MoveFileExW(temporary.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const DWORD error = GetLastError();
      if (!noted.empty()) JournalRestoreLast(noted);  // the old file goes back under its name
      ok = win32::FailWithWin32(error);
    }
  }
  if (!ok) {
    const std::string reason = LastErrorText();
    DeleteFileW(temporary.c_str());
    SetLastErrorText(reason);
  }
  return ok;
}

}  // namespace wizpak::platform
