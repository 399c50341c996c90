// Small text routines shared by the language loader, the layout parser and
// the commands: trimming, quote removal, splitting off the first token and
// the integer conversion every stored number goes through.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace wizpak {

// Removes leading and trailing characters with codes 0..32 (blanks and
// control characters).
std::u16string TrimText(std::u16string_view text);
std::string TrimText(std::string_view text);
// Removes leading characters with codes 0..32 only.
std::u16string TrimLeftText(std::u16string_view text);
std::string TrimLeftText(std::string_view text);

// Drops every double-quote character.
std::u16string RemoveQuotes(std::u16string_view text);
std::string RemoveQuotes(std::string_view text);

// Trims `text`, then splits it at the first blank or tab outside double
// quotes. first: the token with its quotes removed; second: the rest,
// starting at the separator itself. Without a separator the whole trimmed
// text (quotes removed) is the token and the rest is empty.
std::pair<std::u16string, std::u16string> SplitFirstToken(std::u16string_view text);
std::pair<std::string, std::string> SplitFirstToken(std::string_view text);

// The conversion of a stored integer: optional leading blanks, an optional
// sign, then decimal digits, or hexadecimal digits after "$" or "0x". Decimal
// values must fit a signed 32-bit integer; hexadecimal ones may use all 32
// bits (FFFFFFFF is -1). Anything else (empty text, other characters,
// trailing blanks, overflow) gives nullopt.
std::optional<int32_t> ParseInteger(std::string_view text);

// The message a failed conversion reports: "'abc' is not a valid integer value".
std::string InvalidIntegerMessage(std::string_view text);

// Decimal text of a number, independent of the host locale.
std::string DecimalText(uint64_t value);
std::string DecimalText(int64_t value);

}  // namespace wizpak
