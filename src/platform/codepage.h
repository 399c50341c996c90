// Text conversions between the Windows ANSI code page (Windows-1252), UTF-16
// and UTF-8: the stand-in for MultiByteToWideChar / WideCharToMultiByte. Every
// unit that turns stored ANSI or UTF-16 text into host text (or back) uses these.
#pragma once

#include <string>
#include <string_view>

namespace wizpak {

// Windows-1252 bytes to UTF-16. The five undefined bytes (81 8D 8F 90 9D) map
// to the C1 control of the same value, as Windows does.
std::u16string AnsiToWide(std::string_view ansi);
// UTF-16 to Windows-1252. Characters without an ANSI form become '?'.
std::string WideToAnsi(std::u16string_view wide);

std::string AnsiToUtf8(std::string_view ansi);
// Invalid UTF-8 sequences and characters without an ANSI form become '?'.
std::string Utf8ToAnsi(std::string_view utf8);

std::string WideToUtf8(std::u16string_view wide);
// Invalid UTF-8 becomes U+FFFD.
std::u16string Utf8ToWide(std::string_view utf8);
// True when `text` is well-formed UTF-8 (no overlongs, surrogates or
// truncated sequences).
bool IsValidUtf8(std::string_view text);

// ANSI lower/upper case of one byte and of a whole string (Windows-1252
// letters including the accented ones), as the Windows ANSI case functions do.
char AnsiLowerChar(char c);
char AnsiUpperChar(char c);
std::string AnsiLower(std::string_view s);
std::string AnsiUpper(std::string_view s);
// ASCII-only case folding, for matching keywords and tags.
std::string AsciiLower(std::string_view s);
bool EqualsIgnoreCaseAnsi(std::string_view a, std::string_view b);

}  // namespace wizpak
