// Text conversions between the Windows ANSI code page (Windows-1252), UTF-16
// and UTF-8: the stand-in for MultiByteToWideChar / WideCharToMultiByte. Every
// unit that turns stored ANSI or UTF-16 text into host text (or back) uses
// these, and so does the reading of text files whose encoding is not fixed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// The first UTF-8 character of `bytes`. A malformed one (a byte that starts
// none, a broken, overlong or surrogate form, a code beyond U+10FFFF) is
// U+FFFD taking one byte, so reading goes on at the next byte. One that the
// end of `bytes` cuts short, or empty `bytes`, is U+FFFD taking 0 bytes:
// more bytes may complete it.
struct Utf8Char {
  char32_t code = 0xFFFD;
  size_t length = 0;
  bool valid = false;  // a well-formed character, whole
};
Utf8Char FirstUtf8Char(std::string_view bytes);
// Appends the UTF-8 form of the code point `code` to `out`.
void AppendUtf8Char(std::string& out, char32_t code);

// The encoding of a text file as its bytes tell: a byte-order mark (UTF-8,
// UTF-16 LE or BE), else well-formed UTF-8 holding a byte above 127, else
// Windows-1252 (pure ASCII reads the same either way and counts as ANSI).
enum class TextEncoding { Ansi, Utf8, Utf8Bom, Utf16Le, Utf16Be };
TextEncoding DetectTextEncoding(std::string_view bytes);
// "Windows-1252", "UTF-8", "UTF-8 with byte-order mark", "UTF-16 LE", "UTF-16 BE".
const char* TextEncodingName(TextEncoding encoding);

// The text of `bytes`, read in `encoding`, as UTF-8 without a byte-order
// mark. What does not decode (a malformed UTF-8 sequence, an unpaired
// surrogate, an odd last byte of UTF-16) becomes U+FFFD.
std::string TextToUtf8(std::string_view bytes, TextEncoding encoding);

// A character of UTF-8 text that Windows-1252 cannot hold: where it starts
// in the text, its length in bytes and its code point (U+FFFD for a
// malformed sequence).
struct UnstorableCharacter {
  std::size_t offset = 0;
  std::size_t size = 0;
  char32_t code_point = 0;
};
// UTF-8 to Windows-1252 as Utf8ToAnsi, and every character without an ANSI
// form (written as '?') is listed in `unstorable`, so the caller can refuse
// the text instead of storing the marks.
std::string Utf8ToAnsiListing(std::string_view utf8, std::vector<UnstorableCharacter>& unstorable);

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
