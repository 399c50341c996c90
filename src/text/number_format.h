// Number texts that look the same whatever the host locale: "." as the
// decimal separator and "," as the thousands separator.
#pragma once

#include <cstdint>
#include <string>

namespace wizpak {

// Fixed notation with `decimals` digits after "." (0..9), rounded half away
// from zero; no digit grouping. Not-a-number and infinities give "0".
std::string FormatFixed(long double value, int decimals);

// Decimal digits grouped by three with ",": 1234567 -> "1,234,567".
std::string FormatThousands(int64_t value);

// The byte-size text: the count divided by 1024 while the quotient's integer
// part stays above zero, at most three times, then fixed notation with two
// decimals and " Bytes", " KB", " MB" or " GB" (500.00 Bytes, 1.50 KB,
// 5120.00 GB).
std::string FormatByteSize(uint64_t bytes);

}  // namespace wizpak
