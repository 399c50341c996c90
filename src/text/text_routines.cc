#include "text/text_routines.h"

#include <limits>
#include <type_traits>

namespace wizpak {
namespace {

template <typename Char>
bool IsBlankOrControl(Char c) {
  return static_cast<uint32_t>(static_cast<std::make_unsigned_t<Char>>(c)) <= 32;
}

template <typename Char>
std::basic_string<Char> TrimImpl(std::basic_string_view<Char> text, bool right) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (right && end > begin && IsBlankOrControl(text[end - 1])) --end;
  return std::basic_string<Char>(text.substr(begin, end - begin));
}

template <typename Char>
std::basic_string<Char> RemoveQuotesImpl(std::basic_string_view<Char> text) {
  std::basic_string<Char> out;
  out.reserve(text.size());
  for (Char c : text) {
    if (c != Char('"')) out.push_back(c);
  }
  return out;
}

template <typename Char>
std::pair<std::basic_string<Char>, std::basic_string<Char>> SplitFirstTokenImpl(
    std::basic_string_view<Char> text) {
  const std::basic_string<Char> trimmed = TrimImpl(text, true);
  bool inside_quotes = false;
  for (size_t i = 0; i < trimmed.size(); ++i) {
    const Char c = trimmed[i];
    if (c == Char('"')) {
      inside_quotes = !inside_quotes;
    } else if (!inside_quotes && (c == Char(' ') || c == Char('\t'))) {
      return {RemoveQuotesImpl(std::basic_string_view<Char>(trimmed).substr(0, i)),
              trimmed.substr(i)};
    }
  }
  return {RemoveQuotesImpl(std::basic_string_view<Char>(trimmed)), {}};
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::u16string TrimText(std::u16string_view text) {
  return TrimImpl(text, true);
}
std::string TrimText(std::string_view text) {
  return TrimImpl(text, true);
}
std::u16string TrimLeftText(std::u16string_view text) {
  return TrimImpl(text, false);
}
std::string TrimLeftText(std::string_view text) {
  return TrimImpl(text, false);
}

std::u16string RemoveQuotes(std::u16string_view text) {
  return RemoveQuotesImpl(text);
}
std::string RemoveQuotes(std::string_view text) {
  return RemoveQuotesImpl(text);
}

std::pair<std::u16string, std::u16string> SplitFirstToken(std::u16string_view text) {
  return SplitFirstTokenImpl(text);
}
std::pair<std::string, std::string> SplitFirstToken(std::string_view text) {
  return SplitFirstTokenImpl(text);
}

std::optional<int32_t> ParseInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  // Accumulate in 64 bits; stop as soon as the value leaves the 32-bit range.
  uint64_t value = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : uint64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size(); ++i) {
    const int digit =
        hex ? HexDigitValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (value > limit) return std::nullopt;
  }
  if (hex) {
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint32_t signed_bits = negative ? 0u - bits : bits;
    return static_cast<int32_t>(signed_bits);
  }
  if (!negative && value > uint64_t{std::numeric_limits<int32_t>::max()}) return std::nullopt;
  const int64_t signed_value =
      negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
  return static_cast<int32_t>(signed_value);
}

std::string InvalidIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

std::string DecimalText(uint64_t value) {
  char digits[24];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::string out;
  while (n > 0) out.push_back(digits[--n]);
  return out;
}

std::string DecimalText(int64_t value) {
  if (value >= 0) return DecimalText(static_cast<uint64_t>(value));
  return "-" + DecimalText(0 - static_cast<uint64_t>(value));
}

}  // namespace wizpak
