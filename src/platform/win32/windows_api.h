// <windows.h> for wizpak code, without the A/W name macros that clash with
// the platform layer's own names (DeleteFile, CopyFile, CreateDirectory, ...),
// plus the conversions every Win32 unit needs: program paths are ANSI text
// in the active code page, the API takes UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/windows_names.h"

// After the #undefs, so its declarations keep their own names.
#include "platform/fault_seam.h"
#include "platform/files.h"

namespace wizpak::platform::win32 {

// ANSI (active code page) <-> UTF-16, through MultiByteToWideChar and
// WideCharToMultiByte with CP_ACP. Characters without an ANSI form become '?'.
std::wstring AcpToWide(std::string_view ansi);
std::string WideToAcp(std::wstring_view wide);
// UTF-8 <-> UTF-16 (host paths are UTF-8, as on the other platform).
std::wstring Utf8ToWideString(std::string_view utf8);
std::string WideToUtf8String(std::wstring_view wide);

// The message of a Windows error code ("Access is denied."), without the
// trailing line break.
std::string Win32ErrorText(DWORD error);
// Records GetLastError()'s text (or `error`'s) as the last error; always
// returns false so callers can `return FailWithLastError();`.
bool FailWithLastError();
bool FailWithWin32(DWORD error);
// Records an errno value chosen by the fault seam; always returns false.
bool FailWithErrno(int error);

// The fault seam's check (fault_seam.h); `path` is the program path as the
// caller gave it.
using platform::ConsultFaultHook;

}  // namespace wizpak::platform::win32
