#include "text/number_format.h"

#include <cmath>

#include "text/text_routines.h"

namespace wizpak {

std::string FormatFixed(long double value, int decimals) {
  if (!std::isfinite(value)) return "0";
  if (decimals < 0) decimals = 0;
  if (decimals > 9) decimals = 9;
  const bool negative = value < 0;
  long double scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  long double scaled = std::floor(std::fabs(value) * scale + 0.5L);
  // Beyond what 64 bits hold, keep the largest representable figure.
  const long double kMax = 18446744073709551615.0L;
  if (scaled > kMax) scaled = kMax;
  const auto units = static_cast<uint64_t>(scaled);
  const auto divisor = static_cast<uint64_t>(scale);
  std::string out = negative && units != 0 ? "-" : "";
  out += DecimalText(units / divisor);
  if (decimals > 0) {
    std::string fraction = DecimalText(units % divisor);
    out += '.';
    out.append(static_cast<size_t>(decimals) - fraction.size(), '0');
    out += fraction;
  }
  return out;
}

std::string FormatThousands(int64_t value) {
  const std::string digits =
      DecimalText(value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
  std::string out = value < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string FormatByteSize(uint64_t bytes) {
  static const char* const kUnits[] = {" Bytes", " KB", " MB", " GB"};
  long double v = static_cast<long double>(bytes);
  int unit = 0;
  for (;;) {
    v /= 1024;
    const long double whole = std::trunc(v);
    if (whole > 0) ++unit;
    if (whole == 0) {
      v *= 1024;
      break;
    }
    if (unit == 3) break;
  }
  return FormatFixed(v, 2) + kUnits[unit];
}

}  // namespace wizpak
