// Folders and replacing files on the Windows API, never through a link.
// A link on Windows is a reparse point (a symbolic link or a junction): each
// level of a folder path is opened with FILE_FLAG_OPEN_REPARSE_POINT and
// refused when it carries FILE_ATTRIBUTE_REPARSE_POINT. As File does, a
// Folder and a ReplacingFile keep a C runtime descriptor (_open_osfhandle)
// around their Windows handle, so the classes have one layout everywhere.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/journal.h"
#include "platform/process.h"
#include "platform/safe_files.h"
#include "platform/win32/windows_api.h"

namespace wizpak::platform {

namespace {

HANDLE HandleOf(intptr_t fd) {
  return fd < 0 ? INVALID_HANDLE_VALUE
                : reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(fd)));
}

// Records `what` about `program_path` as the last error; always false.
bool FailNaming(const std::string& program_path, std::string_view what) {
  SetLastErrorText(program_path + " " + std::string(what));
  return false;
}

// Records the last Windows error prefixed by the path it concerns.
bool FailAt(const std::string& program_path) {
  win32::FailWithLastError();
  SetLastErrorText(program_path + ": " + LastErrorText());
  return false;
}

std::string JoinProgram(const std::string& folder, std::string_view name) {
  std::string out = folder;
  if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
  out.append(name);
  return out;
}

// The same mapping of names as the POSIX layer: UTF-8 names stay UTF-8,
// anything else is ANSI. Windows takes UTF-16 either way.
std::wstring WideName(std::string_view name) {
  return IsValidUtf8(name) ? win32::Utf8ToWideString(name) : win32::AcpToWide(name);
}

std::wstring JoinWide(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  return folder.back() == L'\\' || folder.back() == L'/' ? folder + name : folder + L'\\' + name;
}

// The journal's name of a Windows path (full, UTF-8, '/' between levels),
// asked only while a run notes its changes (empty otherwise).
std::string Noted(const std::wstring& path) {
  if (ActiveJournal() == nullptr) return {};
  std::string noted = win32::WideToUtf8String(path);
  std::replace(noted.begin(), noted.end(), '\\', '/');
  return noted;
}

Folder::Kind KindOfAttributes(DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return Folder::Kind::Missing;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Folder::Kind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Folder::Kind::Folder;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return Folder::Kind::Other;
  return Folder::Kind::File;
}

Folder::Kind KindAt(const std::wstring& path) {
  return KindOfAttributes(GetFileAttributesW(path.c_str()));
}

// Opens `path` as a folder that is not itself a reparse point. The handle
// shares deletion, so the setup's own later steps may still rename or remove
// the folder while it is cached. Returns the descriptor, or -1.
int OpenFolderHandle(const std::wstring& path, const std::string& level, bool follow = false) {
  HANDLE handle =
      CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      FailNaming(level, "does not exist");
    } else {
      SetLastError(error);
      FailAt(level);
    }
    return -1;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) {
    FailAt(level);
    CloseHandle(handle);
    return -1;
  }
  if (!follow && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    CloseHandle(handle);
    FailNaming(level, "is a link");
    return -1;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    CloseHandle(handle);
    FailNaming(level, "is not a folder");
    return -1;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
  if (fd < 0) {
    CloseHandle(handle);
    win32::FailWithErrno(EMFILE);
  }
  return fd;
}

// A temporary name no other writer, in this process or another, picks.
std::string TemporaryName(std::string_view name) {
  return "." + std::string(name.substr(0, 160)) + UniqueSuffix() + ".tmp";
}

}  // namespace

std::string UniqueSuffix() {
  static std::atomic<uint64_t> counter{0};
  static const uint64_t salt = [] {
    std::random_device device;
    return (static_cast<uint64_t>(device()) << 32) ^ device();
  }();
  const uint64_t n = ++counter;
  const uint64_t mix = (salt ^ (n * 0x9E3779B97F4A7C15ull)) & 0xFFFFFFFFFFull;
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%lu-%010llx",
                static_cast<unsigned long>(GetCurrentProcessId()),
                static_cast<unsigned long long>(mix));
  return suffix;
}

// ---- Folder -------------------------------------------------------------------

Folder::~Folder() {
  if (fd_ >= 0) _close(fd_);
}

Folder::Folder(Folder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      host_(std::move(other.host_)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) _close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    host_ = std::move(other.host_);
  }
  return *this;
}

Folder Folder::Open(std::string_view path, bool create,
                    const std::function<void(std::string_view)>& on_created,
                    std::string_view trusted) {
  // The root the walk starts from (trusted, as the drive root is on every
  // platform, or the leading part the caller trusts), and the levels below it.
  std::string root;
  std::string_view rest;
  if (!trusted.empty() && path.substr(0, trusted.size()) == trusted &&
      (path.size() == trusted.size() || path[trusted.size()] == '\\' ||
       path[trusted.size()] == '/')) {
    root = std::string(trusted);
    rest = path.substr(trusted.size());
  } else if (path.size() >= 2 && path[1] == ':' &&
             (path.size() == 2 || path[2] == '\\' || path[2] == '/')) {
    root = std::string(path.substr(0, 2)) + "\\";
    rest = path.size() > 3 ? path.substr(3) : std::string_view();
  } else if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
             (path[1] == '\\' || path[1] == '/')) {
    FailNaming(std::string(path), "is not on a drive");
    return Folder();
  } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    root = "\\";  // the working folder's drive root
    rest = path.substr(1);
  } else {
    root = ".";  // relative to the working folder
    rest = path;
  }

  if (int fault = win32::ConsultFaultHook(FileOp::Open, root)) {
    win32::FailWithErrno(fault);
    return Folder();
  }
  std::wstring host = win32::AcpToWide(root);
  std::string level = root == "." ? std::string() : root;
  int fd = OpenFolderHandle(host, root, /*follow=*/true);
  if (fd < 0) return Folder();

  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view segment = rest.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (!level.empty() && level.back() != '\\') level += '\\';
    level.append(segment);
    if (segment == "..") {
      _close(fd);
      FailNaming(level, "leaves its folder");
      return Folder();
    }
    host = JoinWide(host, WideName(segment));
    if (int fault = win32::ConsultFaultHook(FileOp::Open, level)) {
      _close(fd);
      win32::FailWithErrno(fault);
      return Folder();
    }
    if (create && KindAt(host) == Kind::Missing) {
      if (int fault = win32::ConsultFaultHook(FileOp::CreateDir, level)) {
        _close(fd);
        win32::FailWithErrno(fault);
        SetLastErrorText(level + ": " + LastErrorText());
        return Folder();
      }
      const std::string noted = Noted(host);
      if (!noted.empty() && !JournalBeforeNewFolder(noted)) {
        _close(fd);
        SetLastErrorText(level + ": " + LastErrorText());
        return Folder();
      }
      if (CreateDirectoryW(host.c_str(), nullptr)) {
        if (on_created) on_created(level + '\\');
      } else {
        const DWORD error = GetLastError();
        if (!noted.empty()) JournalCancelLast();
        if (error != ERROR_ALREADY_EXISTS) {
          _close(fd);
          SetLastError(error);
          FailAt(level);
          return Folder();
        }
      }
    }
    const int next = OpenFolderHandle(host, level);
    _close(fd);
    if (next < 0) return Folder();
    fd = next;
  }
  if (level.size() > root.size() && level.back() == '\\') level.pop_back();
  return Folder(fd, level, win32::WideToUtf8String(host));
}

Folder::Kind Folder::KindOf(std::string_view name) const {
  if (fd_ < 0) return Kind::Missing;
  return KindAt(JoinWide(win32::Utf8ToWideString(host_), WideName(name)));
}

bool Folder::DeleteEntry(std::string_view name) const {
  if (fd_ < 0) return win32::FailWithWin32(ERROR_INVALID_HANDLE);
  const std::string program = JoinProgram(path_, name);
  if (int fault = win32::ConsultFaultHook(FileOp::Delete, program))
    return win32::FailWithErrno(fault);
  const std::wstring wide = JoinWide(win32::Utf8ToWideString(host_), WideName(name));
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  switch (KindOfAttributes(attributes)) {
    case Kind::Missing:
      return FailAt(program);
    case Kind::Folder:
      return FailNaming(program, "is a folder");
    case Kind::Other:
      return FailNaming(program, "is not a regular file");
    case Kind::Link:
      // The link goes, never what it points to: a folder link is removed as
      // a folder, a file link as a file.
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        // A run that can be undone moves the link aside instead.
        if (Journal* journal = ActiveJournal()) return journal->MoveFileAside(Noted(wide));
        if (!RemoveDirectoryW(wide.c_str())) return FailAt(program);
        return true;
      }
      break;
    case Kind::File:
      if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return win32::FailWithWin32(ERROR_ACCESS_DENIED);
      break;
  }
  // A run that can be undone moves the file aside instead.
  if (Journal* journal = ActiveJournal()) return journal->MoveFileAside(Noted(wide));
  if (!DeleteFileW(wide.c_str())) return FailAt(program);
  return true;
}

bool Folder::RemoveFolder(std::string_view name) const {
  if (fd_ < 0) return win32::FailWithWin32(ERROR_INVALID_HANDLE);
  const std::string program = JoinProgram(path_, name);
  if (int fault = win32::ConsultFaultHook(FileOp::RemoveDir, program))
    return win32::FailWithErrno(fault);
  const std::wstring wide = JoinWide(win32::Utf8ToWideString(host_), WideName(name));
  if (KindAt(wide) != Kind::Folder) return FailNaming(program, "is not a folder");
  if (Journal* journal = ActiveJournal()) return journal->MoveFolderAside(Noted(wide));
  if (!RemoveDirectoryW(wide.c_str())) return FailAt(program);
  return true;
}

bool Folder::SyncFileSystem() const {
  if (fd_ < 0) return win32::FailWithWin32(ERROR_INVALID_HANDLE);
  if (int fault = win32::ConsultFaultHook(FileOp::Sync, path_)) return win32::FailWithErrno(fault);
  // Flushing a whole volume needs administrator rights. Every file a
  // ReplacingFile commits is flushed before its rename, so without them
  // there is nothing left that this call would add.
  std::wstring full(MAX_PATH + 1, L'\0');
  const std::wstring host = win32::Utf8ToWideString(host_);
  if (!GetVolumePathNameW(host.c_str(), full.data(), static_cast<DWORD>(full.size()))) return true;
  full.resize(wcslen(full.c_str()));
  if (full.size() < 2 || full[1] != L':') return true;
  const std::wstring volume = L"\\\\.\\" + full.substr(0, 2);
  HANDLE handle =
      CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return true;
  FlushFileBuffers(handle);
  CloseHandle(handle);
  return true;
}

// ---- WriteNewFile ---------------------------------------------------------------

// Windows writes every file through ReplacingFile (temporary name, then a
// rename that replaces), which checks what the name holds.
NewFileResult WriteNewFile(const Folder&, std::string_view, std::string_view) {
  return NewFileResult::Taken;
}

int RemoveStaleTemporaries(const Folder& folder) {
  if (!folder) return 0;
  const std::wstring host = win32::Utf8ToWideString(folder.host_path());
  const long self = static_cast<long>(GetCurrentProcessId());
  std::vector<std::wstring> stale;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileExW(JoinWide(host, L"*").c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
      continue;
    const long pid = TemporaryFileOwner(win32::WideToUtf8String(found.cFileName));
    if (pid <= 0 || pid == self || IsProcessRunning(static_cast<int>(pid))) continue;
    stale.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  int removed = 0;
  for (const std::wstring& name : stale) {
    // Deleted through a handle of the entry itself, opened without
    // following a link, once it is seen to be a plain file: whatever was
    // swapped in under the name after the listing is never deleted.
    HANDLE file = CreateFileW(JoinWide(host, name).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_DISPOSITION_INFO dispose{TRUE};
    if (GetFileInformationByHandle(file, &info) &&
        KindOfAttributes(info.dwFileAttributes) == Folder::Kind::File &&
        SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose))
      ++removed;
    CloseHandle(file);
  }
  return removed;
}

// ---- FileLock -------------------------------------------------------------------

FileLock::~FileLock() {
  if (fd_ >= 0) _close(fd_);  // closing the handle releases the lock
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) _close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileLock FileLock::TryLock(std::string_view path, Result& result) {
  result = Result::Failed;
  if (int fault = win32::ConsultFaultHook(FileOp::Open, path))
    return win32::FailWithErrno(fault), FileLock();
  const std::wstring wide = win32::AcpToWide(path);
  if (wide.empty()) return win32::FailWithWin32(ERROR_PATH_NOT_FOUND), FileLock();
  HANDLE handle =
      CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return win32::FailWithLastError(), FileLock();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    CloseHandle(handle);
    FailNaming(std::string(path), "is not a lock file");
    return FileLock();
  }
  OVERLAPPED whole{};
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
    const DWORD error = GetLastError();
    result =
        error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Result::Busy : Result::Failed;
    win32::FailWithWin32(error);
    CloseHandle(handle);
    return FileLock();
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    win32::FailWithErrno(EMFILE);
    return FileLock();
  }
  FileLock lock;
  lock.fd_ = fd;
  result = Result::Locked;
  return lock;
}

// ---- ReplacingFile --------------------------------------------------------------

// host_path_ holds the folder's Windows path (UTF-8); name_ and temp_name_
// the final and temporary names in it.
void ReplacingFile::Discard() {
  if (fd_ >= 0) _close(fd_);
  fd_ = -1;
  if (!temp_name_.empty()) {
    const std::string saved = LastErrorText();
    DeleteFileW(JoinWide(win32::Utf8ToWideString(host_path_), WideName(temp_name_)).c_str());
    SetLastErrorText(saved);
  }
  temp_name_.clear();
}

ReplacingFile ReplacingFile::Begin(const Folder& folder, std::string_view name) {
  const std::string program = JoinProgram(folder.path(), name);
  if (!folder) return win32::FailWithWin32(ERROR_INVALID_HANDLE), ReplacingFile();
  if (name.empty() || name.find_first_of("\\/:") != std::string_view::npos || name == "." ||
      name == "..") {
    return FailNaming(program, "is not a file name"), ReplacingFile();
  }
  const std::wstring folder_wide = win32::Utf8ToWideString(folder.host_path());
  const DWORD attributes = GetFileAttributesW(JoinWide(folder_wide, WideName(name)).c_str());
  switch (KindOfAttributes(attributes)) {
    case Folder::Kind::Link:
      return FailNaming(program, "is a link"), ReplacingFile();
    case Folder::Kind::Folder:
      return FailNaming(program, "is a folder"), ReplacingFile();
    case Folder::Kind::Other:
      return FailNaming(program, "is not a regular file"), ReplacingFile();
    case Folder::Kind::File:
      if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return FailNaming(program, "is read-only"), ReplacingFile();
      break;
    case Folder::Kind::Missing:
      break;
  }
  if (int fault = win32::ConsultFaultHook(FileOp::Open, program))
    return win32::FailWithErrno(fault), ReplacingFile();
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temp = TemporaryName(name);
    // Noted, so a run killed while writing leaves no temporary file behind.
    const std::string noted = Noted(JoinWide(folder_wide, WideName(temp)));
    if (!noted.empty() && !JournalBeforeWrite(noted)) return ReplacingFile();
    // CREATE_NEW never opens what is already there, a link included.
    HANDLE handle = CreateFileW(JoinWide(folder_wide, WideName(temp)).c_str(), GENERIC_WRITE, 0,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (!noted.empty()) JournalCancelLast();
      SetLastError(error);
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      win32::FailWithLastError();
      FailNaming(program, "cannot be written: " + LastErrorText());
      return ReplacingFile();
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0) {
      CloseHandle(handle);
      DeleteFileW(JoinWide(folder_wide, WideName(temp)).c_str());
      win32::FailWithErrno(EMFILE);
      return ReplacingFile();
    }
    ReplacingFile file;
    file.fd_ = fd;
    file.folder_path_ = folder.path();
    file.host_path_ = folder.host_path();
    file.name_ = std::string(name);
    file.temp_name_ = temp;
    return file;
  }
  FailNaming(program, "has no free temporary name");
  return ReplacingFile();
}

bool ReplacingFile::Write(const void* data, int64_t size) {
  if (fd_ < 0 || size < 0) return win32::FailWithWin32(ERROR_INVALID_HANDLE);
  const std::string program = JoinProgram(folder_path_, name_);
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    if (int fault = win32::ConsultFaultHook(FileOp::Write, program))
      return win32::FailWithErrno(fault);
    const DWORD request = static_cast<DWORD>(std::min<int64_t>(size, int64_t{1} << 30));
    DWORD written = 0;
    if (!WriteFile(HandleOf(fd_), bytes, request, &written, nullptr))
      return win32::FailWithLastError();
    if (written == 0) return win32::FailWithErrno(EIO);
    bytes += written;
    size -= written;
  }
  return true;
}

bool ReplacingFile::Commit(bool /*sync*/) {
  if (fd_ < 0) return win32::FailWithWin32(ERROR_INVALID_HANDLE);
  const std::string program = JoinProgram(folder_path_, name_);
  const std::wstring folder_wide = win32::Utf8ToWideString(host_path_);
  const std::wstring target = JoinWide(folder_wide, WideName(name_));
  const Folder::Kind kind = KindAt(target);
  // Always flushed: a volume flush needs rights a setup may not have, so the
  // file's own flush is what makes the rename safe.
  bool ok = true;
  if (int fault = win32::ConsultFaultHook(FileOp::Sync, program)) {
    ok = win32::FailWithErrno(fault);
  } else if (!FlushFileBuffers(HandleOf(fd_))) {
    ok = win32::FailWithLastError();
  }
  _close(fd_);
  fd_ = -1;
  if (ok && kind == Folder::Kind::Link) ok = FailNaming(program, "is a link");
  if (ok && kind == Folder::Kind::Folder) ok = FailNaming(program, "is a folder");
  if (ok && kind == Folder::Kind::Other) ok = FailNaming(program, "is not a regular file");
  const std::string noted = Noted(target);
  if (ok) {
    if (int fault = win32::ConsultFaultHook(FileOp::Rename, program)) {
      ok = win32::FailWithErrno(fault);
    } else if (!noted.empty() && !JournalBeforeWrite(noted)) {
      // The old file is moved aside (a rename, no copy) or the name noted.
      ok = false;
    } else if (!MoveFileExW(JoinWide(folder_wide, WideName(temp_name_)).c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const DWORD error = GetLastError();
      if (!noted.empty()) JournalRestoreLast(noted);  // the old file goes back under its name
      SetLastError(error);
      ok = FailAt(program);
    } else {
      temp_name_.clear();
    }
  }
  if (!ok) {
    const std::string text = LastErrorText();
    Discard();
    SetLastErrorText(text);
  }
  return ok;
}

}  // namespace wizpak::platform
