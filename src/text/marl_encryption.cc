// Two-pass seeded encryption.
#include "text/marl_encryption.h"

#include <charconv>
#include <cmath>
#include <random>

namespace wizpak {
namespace {

int DigitAt(std::string_view key, size_t pos) {
  return key[pos % key.size()] - '0';
}

// Add pass: out[pos] = source[pos] + key[pos], source read forward or reversed.
std::string AddPass(std::string_view key, std::string_view text, bool reversed) {
  const size_t n = text.size();
  std::string out(n, '\0');
  for (size_t pos = 0; pos < n; ++pos) {
    const unsigned char c = static_cast<unsigned char>(reversed ? text[n - 1 - pos] : text[pos]);
    const int d = key.empty() ? 0 : DigitAt(key, pos);
    out[pos] = static_cast<char>(c + d);
  }
  return out;
}

// Subtract pass: v = text[pos] - key[pos]; appended (forward) or put in front
// (reversed).
std::string SubtractPass(std::string_view key, std::string_view text, bool reversed) {
  const size_t n = text.size();
  std::string out(n, '\0');
  for (size_t pos = 0; pos < n; ++pos) {
    const int d = key.empty() ? 0 : DigitAt(key, pos);
    const char v = static_cast<char>(static_cast<unsigned char>(text[pos]) - d);
    out[reversed ? n - 1 - pos : pos] = v;
  }
  return out;
}

}  // namespace

std::string DigitsOfGeneralFormat(long double value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string digits;
  for (const char* p = buffer; p != result.ptr; ++p) {
    if (*p == 'e' || *p == 'E') break;  // the exponent part is not part of the key
    if (*p >= '1' && *p <= '9') digits += *p;
  }
  return digits;
}

std::string TMarlEncryptionType::SineKey() const {
  return DigitsOfGeneralFormat(std::sin(static_cast<long double>(SineSeed)));
}

std::string TMarlEncryptionType::CosineKey() const {
  return DigitsOfGeneralFormat(std::cos(static_cast<long double>(CosineSeed)));
}

std::string TMarlEncryptionType::Encrypt(std::string_view text) {
  const std::string t = AddPass(SineKey(), text, false);
  return AddPass(CosineKey(), t, true);
}

std::string TMarlEncryptionType::Decrypt(std::string_view text) {
  const std::string t = SubtractPass(CosineKey(), text, true);
  return SubtractPass(SineKey(), t, false);
}

uint8_t TMarlEncryptionType::RandomSeed() {
  static std::mt19937 engine{std::random_device{}()};
  std::uniform_int_distribution<int> pick(1, kMaxRandomSeed);
  return static_cast<uint8_t>(pick(engine));
}

}  // namespace wizpak
