// The undo journal's host file operations on the Windows API. Host paths
// are full Windows paths in UTF-8 with '/' between levels, which every W
// call here takes as it takes '\'.
#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "platform/journal_host.h"
#include "platform/paths.h"
#include "platform/win32/windows_api.h"

namespace wizpak::platform::journal_host {

namespace {

std::wstring Wide(const std::string& host) {
  return win32::Utf8ToWideString(host);
}

HANDLE HandleOf(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

bool Gone(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Windows refuses to replace or remove a read-only file; what the journal
// puts back or takes away is the run's own doing, so the bit is cleared.
void ClearReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD request = static_cast<DWORD>(std::min<size_t>(bytes.size(), size_t{1} << 30));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), request, &written, nullptr)) return false;
    if (written == 0) return SetLastError(ERROR_WRITE_FAULT), false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Removes `path` (a link as the link only, a folder with all in it).
void RemoveTreeWide(const std::wstring& path, int depth) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && depth < 256) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      std::vector<std::wstring> children;
      do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") children.emplace_back(name);
      } while (FindNextFileW(search, &found));
      FindClose(search);
      for (const std::wstring& child : children) RemoveTreeWide(path + L"\\" + child, depth + 1);
    }
  }
  if (folder) {
    RemoveDirectoryW(path.c_str());
  } else {
    ClearReadOnly(path);
    DeleteFileW(path.c_str());
  }
}

}  // namespace

Kind KindOf(const std::string& host) {
  const DWORD attributes = GetFileAttributesW(Wide(host).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Kind::File;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Folder : Kind::File;
}

bool Rename(const std::string& from, const std::string& to) {
  const std::wstring target = Wide(to);
  if (KindOf(to) == Kind::File) ClearReadOnly(target);
  // Another program (a virus scanner, an indexer, the host's own lazy
  // close) may hold the file it replaces for a moment; a sharing error is
  // tried again a few times before the move counts as failed.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(Wide(from).c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      error == ERROR_ACCESS_DENIED;
    if (!held || attempt == 20) return win32::FailWithWin32(error);
    Sleep(25);
  }
}

bool RemoveFile(const std::string& host) {
  const std::wstring path = Wide(host);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return Gone(GetLastError()) || win32::FailWithLastError();
  }
  // A link to a folder goes as a folder entry, never with what it points to.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
      return win32::FailWithWin32(ERROR_ACCESS_DENIED);
    return RemoveDirectoryW(path.c_str()) || win32::FailWithLastError();
  }
  ClearReadOnly(path);
  return DeleteFileW(path.c_str()) || Gone(GetLastError()) || win32::FailWithLastError();
}

bool RemoveEmptyFolder(const std::string& host) {
  return RemoveDirectoryW(Wide(host).c_str()) || Gone(GetLastError()) || win32::FailWithLastError();
}

void RemoveTree(const std::string& host) {
  std::wstring path = Wide(host);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  RemoveTreeWide(path, 0);
}

std::optional<std::vector<std::string>> Names(const std::string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((Wide(folder) + L"/*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<std::string>{};
    win32::FailWithLastError();
    return std::nullopt;
  }
  std::vector<std::string> names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(win32::WideToUtf8String(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::optional<std::string> ReadWhole(const std::string& host) {
  HANDLE handle = CreateFileW(Wide(host).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    win32::FailWithLastError();
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(handle, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) {
    bytes.append(buffer, got);
  }
  if (!ok) win32::FailWithLastError();
  CloseHandle(handle);
  if (!ok) return std::nullopt;
  return bytes;
}

bool WriteWhole(const std::string& host, std::string_view bytes) {
  const std::wstring target = Wide(host);
  const std::wstring temporary = target + L".tmp";
  HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return win32::FailWithLastError();
  bool ok = WriteAll(handle, bytes) && FlushFileBuffers(handle);
  if (!ok) win32::FailWithLastError();
  CloseHandle(handle);
  if (ok && !MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = win32::FailWithLastError();
  }
  if (!ok) DeleteFileW(temporary.c_str());
  return ok;
}

bool RestoreTail(const std::string& host, int64_t offset, std::string_view tail) {
  const std::wstring path = Wide(host);
  ClearReadOnly(path);
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return win32::FailWithLastError();
  LARGE_INTEGER at;
  at.QuadPart = offset;
  const bool ok = SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) && SetEndOfFile(handle) &&
                  WriteAll(handle, tail) && FlushFileBuffers(handle);
  if (!ok) win32::FailWithLastError();
  CloseHandle(handle);
  return ok;
}

void SyncFolder(const std::string&) {
  // Windows has no flush of a folder's entries; renames are written
  // through (MOVEFILE_WRITE_THROUGH) instead.
}

std::string TempFolderHost() {
  return HostOfProgram(TempFolder());
}

std::string HostOfProgram(std::string_view program_path) {
  std::string path = ToHostPath(program_path).value_or(std::string(program_path));
  std::replace(path.begin(), path.end(), '\\', '/');
  while (path.size() > 3 && path.back() == '/') path.pop_back();
  return path;
}

intptr_t CreateJournalFile(const std::string& host) {
  const std::wstring path = Wide(host);
  // A journal found here was not undone (the last start could not finish
  // it): it stays for the next start, and this run writes its journal in
  // another place. Anything else under the name (a link) is never opened.
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    win32::FailWithLastError();
    return -1;
  }
  return reinterpret_cast<intptr_t>(handle);
}

std::optional<std::string> ReadJournalFile(const std::string& host, bool& foreign) {
  // A link is never followed. Not yet checked here: who owns the file.
  const DWORD attributes = GetFileAttributesW(Wide(host).c_str());
  foreign = attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0;
  if (foreign) {
    win32::FailWithWin32(ERROR_ACCESS_DENIED);
    return std::nullopt;
  }
  return ReadWhole(host);
}

bool AppendJournalFile(intptr_t handle, std::string_view text, uint64_t size_before) {
  if (handle == -1) return win32::FailWithWin32(ERROR_INVALID_HANDLE);
  if (WriteAll(HandleOf(handle), text)) return true;
  const DWORD error = GetLastError();
  // What did reach the file is cut off again, so the file keeps whole notes.
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size_before);
  if (SetFilePointerEx(HandleOf(handle), at, nullptr, FILE_BEGIN)) SetEndOfFile(HandleOf(handle));
  return win32::FailWithWin32(error);
}

bool SyncJournalFile(intptr_t handle) {
  if (handle == -1) return win32::FailWithWin32(ERROR_INVALID_HANDLE);
  return FlushFileBuffers(HandleOf(handle)) || win32::FailWithLastError();
}

void CloseJournalFile(intptr_t handle) {
  if (handle != -1) CloseHandle(HandleOf(handle));
}

}  // namespace wizpak::platform::journal_host
