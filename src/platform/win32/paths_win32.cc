// Drives and special folders on the Windows API. Program paths are real
// Windows paths here: there is no drive map, and a "host path" is the full
// path in UTF-8 with '/' separators (the form the POSIX layer's callers
// compare and show).
#include "platform/win32/windows_api.h"
#include <shlobj.h>

#include <algorithm>

#include "platform/codepage.h"
#include "platform/paths.h"

namespace wizpak::platform {

namespace {

// "D", "D:", "D:\" or "D:\rest" -> "D:\"; "" when the text names no drive.
std::wstring DriveRootOf(std::string_view text) {
  if (text.size() < 2 || text[1] != ':') return {};
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (letter < 'A' || letter > 'Z') return {};
  return std::wstring{static_cast<wchar_t>(letter), L':', L'\\'};
}

// No "insert a disk" box for an empty floppy or CD drive while asking.
class QuietDriveErrors {
 public:
  QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietDriveErrors() { SetErrorMode(previous_); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  UINT previous_;
};

}  // namespace

std::vector<Drive> DriveMap() {
  std::vector<Drive> drives;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (1u << i)) == 0) continue;
    Drive drive;
    drive.letter = static_cast<char>('A' + i);
    drive.host_root = std::string{drive.letter, ':', '/'};
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
    drive.type = static_cast<DriveType>(GetDriveTypeW(root));
    drives.push_back(drive);
  }
  return drives;
}

std::optional<std::string> ToHostPath(std::string_view program_path) {
  if (program_path.empty()) return std::nullopt;
  const std::wstring wide = win32::AcpToWide(program_path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::nullopt;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return std::nullopt;
  full.resize(length);
  std::replace(full.begin(), full.end(), L'\\', L'/');
  return win32::WideToUtf8String(full);
}

std::string FromHostPath(std::string_view host_path) {
  std::string program = win32::WideToAcp(win32::Utf8ToWideString(host_path));
  std::replace(program.begin(), program.end(), '/', '\\');
  return program;
}

std::string LogicalDriveStrings() {
  wchar_t buffer[26 * 4 + 2] = {};
  const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buffer)), buffer);
  if (length == 0 || length >= std::size(buffer)) return std::string(1, '\0');
  std::string out = win32::WideToAcp(std::wstring_view(buffer, length));
  out += '\0';
  return out;
}

DriveType GetDriveType(std::string_view root) {
  const std::wstring drive = DriveRootOf(root);
  if (drive.empty()) return DriveType::NoRootDir;
  return static_cast<DriveType>(GetDriveTypeW(drive.c_str()));
}

int64_t DiskFree(int drive_number) {
  if (drive_number < 1 || drive_number > 26) return -1;
  const std::wstring root{static_cast<wchar_t>(L'A' + drive_number - 1), L':', L'\\'};
  QuietDriveErrors quiet;
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<int64_t>(std::min<ULONGLONG>(available.QuadPart, INT64_MAX));
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD length = GetTempPathW(static_cast<DWORD>(std::size(buffer)), buffer);
  std::string folder =
      length == 0 || length >= std::size(buffer) ? "C:\\" : win32::WideToAcp(buffer);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

std::string SpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
  std::string folder = win32::WideToAcp(buffer);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace wizpak::platform
