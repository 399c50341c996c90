#include "platform/win32/command_line.h"

namespace wizpak::platform::win32 {

std::wstring QuoteArgument(std::wstring_view arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
    return std::wstring(arg);
  }
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows them.
    const size_t repeat = c == L'"' ? backslashes * 2 + 1 : backslashes;
    out.append(repeat, L'\\');
    backslashes = 0;
    out += c;
  }
  // Before the closing quote every backslash is doubled.
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

std::wstring BuildCommandLine(std::wstring_view program, const std::vector<std::wstring>& args) {
  // The program name is split by simpler rules (up to the next quote), so it
  // is always quoted and may not contain one.
  std::wstring line = L"\"" + std::wstring(program) + L"\"";
  for (const std::wstring& arg : args) line += L" " + QuoteArgument(arg);
  return line;
}

}  // namespace wizpak::platform::win32
