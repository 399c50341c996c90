#include <cerrno>
#include <cstring>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/win32/windows_api.h"

namespace wizpak::platform::win32 {

std::wstring AcpToWide(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int count = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), count);
  return wide;
}

std::string WideToAcp(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int count = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return {};
  std::string ansi(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), count, nullptr, nullptr);
  return ansi;
}

std::wstring Utf8ToWideString(std::string_view utf8) {
  const std::u16string wide = Utf8ToWide(utf8);
  return std::wstring(wide.begin(), wide.end());
}

std::string WideToUtf8String(std::wstring_view wide) {
  return WideToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string Win32ErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length > 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) return "Windows error " + std::to_string(error);
  return WideToUtf8String(text);
}

bool FailWithWin32(DWORD error) {
  SetLastErrorText(Win32ErrorText(error));
  return false;
}

bool FailWithLastError() {
  return FailWithWin32(GetLastError());
}

bool FailWithErrno(int error) {
  return FailWith(error);
}

}  // namespace wizpak::platform::win32
