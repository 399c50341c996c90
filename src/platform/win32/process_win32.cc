// The running process and other programs on the Windows API: CreateProcessW
// to start programs, ShellExecuteW to open documents, a process snapshot to
// see who runs a file.
#include "platform/win32/windows_api.h"
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/win32/command_line.h"

namespace wizpak::platform {

namespace {

std::vector<std::string>& StoredCommandLine() {
  static std::vector<std::string> line;
  return line;
}

// Starts `program`; on success the caller owns both handles in `info`.
bool Spawn(std::string_view program, const std::vector<std::string>& args,
           PROCESS_INFORMATION& info) {
  const std::wstring image = win32::AcpToWide(program);
  if (image.empty()) return win32::FailWithWin32(ERROR_FILE_NOT_FOUND);
  std::vector<std::wstring> wide_args;
  for (const std::string& arg : args) wide_args.push_back(win32::AcpToWide(arg));
  std::wstring line = win32::BuildCommandLine(image, wide_args);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  info = PROCESS_INFORMATION{};
  // CreateProcessW may write into the command line buffer.
  if (!CreateProcessW(image.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return win32::FailWithLastError();
  }
  return true;
}

// Full, long, lower-case form of a path, for comparing two names of a file.
std::wstring ComparablePath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
  std::wstring out = length > 0 && length < std::size(full) ? std::wstring(full, length) : path;
  wchar_t longer[MAX_PATH * 2] = {};
  length = GetLongPathNameW(out.c_str(), longer, static_cast<DWORD>(std::size(longer)));
  if (length > 0 && length < std::size(longer)) out.assign(longer, length);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return out;
}

// Image path of another process; "" when it cannot be asked.
std::wstring ProcessImagePath(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return {};
  wchar_t buffer[MAX_PATH * 2] = {};
  DWORD length = static_cast<DWORD>(std::size(buffer));
  std::wstring path;
  if (QueryFullProcessImageNameW(process, 0, buffer, &length)) path.assign(buffer, length);
  CloseHandle(process);
  return path;
}

}  // namespace

bool IsProcessRunning(int pid) {
  if (pid <= 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const DWORD state = WaitForSingleObject(process, 0);
  CloseHandle(process);
  return state == WAIT_TIMEOUT;
}

std::string ArgumentToAnsi(std::string_view argument) {
  return std::string(argument);
}

void SetCommandLine(int argc, char** argv) {
  StoredCommandLine().assign(argv, argv + argc);
}

const std::vector<std::string>& CommandLine() {
  return StoredCommandLine();
}

std::string ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return win32::WideToAcp(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool StartProgram(std::string_view program, const std::vector<std::string>& args) {
  PROCESS_INFORMATION info;
  if (!Spawn(program, args, info)) return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

int RunProgram(std::string_view program, const std::vector<std::string>& args) {
  PROCESS_INFORMATION info;
  if (!Spawn(program, args, info)) return -1;
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD status = 0;
  const bool known = GetExitCodeProcess(info.hProcess, &status);
  CloseHandle(info.hProcess);
  return known ? static_cast<int>(status) : -1;
}

bool OpenWithDefaultHandler(std::string_view path) {
  const std::wstring document = win32::AcpToWide(path);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", document.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

bool IsExecutedByAnotherProcess(std::string_view path) {
  const std::wstring wanted = ComparablePath(win32::AcpToWide(path));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  const DWORD self = GetCurrentProcessId();
  bool running = false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !running;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;
    const std::wstring image = ProcessImagePath(entry.th32ProcessID);
    running = !image.empty() && ComparablePath(image) == wanted;
  }
  CloseHandle(snapshot);
  return running;
}

bool MakeExecutable(std::string_view path) {
  // Windows runs any image it can read; there is no bit to set.
  return FileExists(path);
}

std::string ExecutableScratchFolder() {
  return TempFolder();
}

void SleepMilliseconds(int ms) {
  Sleep(static_cast<DWORD>(std::max(ms, 0)));
}

int ProcessId() {
  return static_cast<int>(GetCurrentProcessId());
}

}  // namespace wizpak::platform
