#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace wizpak {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five undefined bytes keep their own
// value (a C1 control), as MultiByteToWideChar does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t AnsiByteToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

// The ANSI byte of a code point, or -1 when it has none.
int CodePointToAnsiByte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == cp) return 0x80 + i;
  }
  return -1;
}

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one UTF-8 character at `pos`, advancing it. Returns kInvalid for a
// malformed or truncated sequence, after consuming exactly one byte so
// decoding resynchronises on the next one.
char32_t DecodeUtf8(std::string_view s, size_t& pos) {
  const Utf8Char read = FirstUtf8Char(s.substr(pos));
  if (!read.valid) {
    ++pos;
    return kInvalid;
  }
  pos += read.length;
  return read.code;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

// Decodes one UTF-16 character at `pos`, advancing it; kInvalid for an
// unpaired surrogate.
char32_t DecodeUtf16(std::u16string_view s, size_t& pos) {
  const char16_t unit = s[pos++];
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && pos < s.size() && s[pos] >= 0xDC00 && s[pos] <= 0xDFFF) {
    const char16_t low = s[pos++];
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
  }
  return kInvalid;
}

}  // namespace

std::u16string AnsiToWide(std::string_view ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (char c : ansi)
    out += static_cast<char16_t>(AnsiByteToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string WideToAnsi(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t pos = 0; pos < wide.size();) {
    const char32_t cp = DecodeUtf16(wide, pos);
    const int byte = cp == kInvalid ? -1 : CodePointToAnsiByte(cp);
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) AppendUtf8Char(out, AnsiByteToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = DecodeUtf8(utf8, pos);
    const int byte = cp == kInvalid ? -1 : CodePointToAnsiByte(cp);
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

std::string WideToUtf8(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t pos = 0; pos < wide.size();) {
    const char32_t cp = DecodeUtf16(wide, pos);
    AppendUtf8Char(out, cp == kInvalid ? kReplacement : cp);
  }
  return out;
}

std::u16string Utf8ToWide(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = DecodeUtf8(utf8, pos);
    AppendUtf16(out, cp == kInvalid ? kReplacement : cp);
  }
  return out;
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return TextEncoding::Utf8Bom;
  if (bytes.substr(0, 2) == "\xFF\xFE") return TextEncoding::Utf16Le;
  if (bytes.substr(0, 2) == "\xFE\xFF") return TextEncoding::Utf16Be;
  const bool high = std::any_of(bytes.begin(), bytes.end(),
                                [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
  return high && IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

const char* TextEncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Ansi:
      return "Windows-1252";
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::Utf8Bom:
      return "UTF-8 with byte-order mark";
    case TextEncoding::Utf16Le:
      return "UTF-16 LE";
    case TextEncoding::Utf16Be:
      return "UTF-16 BE";
  }
  return "?";
}

std::string TextToUtf8(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Ansi:
      return AnsiToUtf8(bytes);
    case TextEncoding::Utf8Bom:
      bytes.remove_prefix(std::min<std::size_t>(3, bytes.size()));
      [[fallthrough]];
    case TextEncoding::Utf8:
      return WideToUtf8(Utf8ToWide(bytes));  // malformed sequences become U+FFFD
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      break;
  }
  const bool little = encoding == TextEncoding::Utf16Le;
  if (bytes.substr(0, 2) == (little ? "\xFF\xFE" : "\xFE\xFF")) bytes.remove_prefix(2);
  std::u16string wide;
  wide.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    wide += static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
  }
  std::string out = WideToUtf8(wide);
  if (bytes.size() % 2 != 0) AppendUtf8Char(out, kReplacement);
  return out;
}

std::string Utf8ToAnsiListing(std::string_view utf8, std::vector<UnstorableCharacter>& unstorable) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t start = pos;
    const char32_t cp = DecodeUtf8(utf8, pos);
    const int byte = cp == kInvalid ? -1 : CodePointToAnsiByte(cp);
    if (byte < 0) {
      unstorable.push_back({start, pos - start, cp == kInvalid ? kReplacement : cp});
      out += '?';
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

Utf8Char FirstUtf8Char(std::string_view bytes) {
  if (bytes.empty()) return {};
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return {lead, 1, true};
  size_t length = 0;
  char32_t code = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return {kReplacement, 1, false};
  }
  for (size_t i = 1; i < length; ++i) {
    if (i >= bytes.size()) return {};  // cut short: the rest may follow
    const auto next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return {kReplacement, 1, false};
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return {kReplacement, 1, false};
  }
  return {code, length, true};
}

void AppendUtf8Char(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    if (DecodeUtf8(text, pos) == kInvalid) return false;
  }
  return true;
}

char AnsiLowerChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 0x20);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 0x20);
  switch (b) {
    case 0x8A:
      return static_cast<char>(0x9A);  // S caron
    case 0x8C:
      return static_cast<char>(0x9C);  // OE
    case 0x8E:
      return static_cast<char>(0x9E);  // Z caron
    case 0x9F:
      return static_cast<char>(0xFF);  // Y diaeresis
    default:
      return c;
  }
}

char AnsiUpperChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 0x20);
  // 0xDF (sharp s) has no single-byte capital; 0xF7 is the division sign.
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 0x20);
  switch (b) {
    case 0x9A:
      return static_cast<char>(0x8A);
    case 0x9C:
      return static_cast<char>(0x8C);
    case 0x9E:
      return static_cast<char>(0x8E);
    case 0xFF:
      return static_cast<char>(0x9F);
    default:
      return c;
  }
}

std::string AnsiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AnsiLowerChar(c);
  return out;
}

std::string AnsiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AnsiUpperChar(c);
  return out;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  }
  return out;
}

bool EqualsIgnoreCaseAnsi(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AnsiLowerChar(a[i]) != AnsiLowerChar(b[i])) return false;
  }
  return true;
}

}  // namespace wizpak
