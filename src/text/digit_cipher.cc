// Plain digit-key cipher.
#include "text/digit_cipher.h"

#include <stdexcept>

namespace wizpak {
namespace {

int DigitValue(char c) {
  if (c < '0' || c > '9') {
    throw std::invalid_argument(std::string("'") + c + "' is not a valid digit of a key");
  }
  return c - '0';
}

// Adds sign * digit to every byte, the key used cyclically.
std::string Shift(std::string_view key, std::string_view text, int sign) {
  std::string out(text);
  if (key.empty()) return out;
  for (char c : key) DigitValue(c);  // reject a bad key before touching the text
  for (size_t i = 0; i < out.size(); ++i) {
    const int d = key[i % key.size()] - '0';
    out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) + sign * d);
  }
  return out;
}

}  // namespace

std::string EncryptWithDigitKey(std::string_view key, std::string_view text) {
  return Shift(key, text, +1);
}

std::string DecryptWithDigitKey(std::string_view key, std::string_view text) {
  return Shift(key, text, -1);
}

}  // namespace wizpak
