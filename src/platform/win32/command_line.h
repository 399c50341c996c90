// Building a Windows command line from separate arguments, quoted so that
// the C runtime (and CommandLineToArgvW) of the started program splits it
// back into exactly those arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform::win32 {

// One argument: unchanged when it has no blank, tab or quote; otherwise in
// double quotes, with quotes escaped and the backslashes before them doubled.
std::wstring QuoteArgument(std::wstring_view arg);
// The program (always quoted) followed by the quoted arguments.
std::wstring BuildCommandLine(std::wstring_view program, const std::vector<std::wstring>& args);

}  // namespace wizpak::platform::win32
