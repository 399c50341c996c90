// The two-pass encryption type used for archive passwords: two digit keys are
// derived from two seed bytes (the digits 1-9 of the sine and cosine of the
// seeds), the first applied forward, the second over the reversed text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wizpak {

class TEncryptionType {
 public:
  virtual ~TEncryptionType() = default;
  virtual std::string Encrypt(std::string_view text) = 0;
  virtual std::string Decrypt(std::string_view text) = 0;
};

class TMarlEncryptionType : public TEncryptionType {
 public:
  static constexpr uint8_t kDefaultSineSeed = 7;
  static constexpr uint8_t kDefaultCosineSeed = 11;
  // Writers draw seeds from 1..kMaxRandomSeed; none of these gives an empty key.
  static constexpr uint8_t kMaxRandomSeed = 100;

  uint8_t SineSeed = kDefaultSineSeed;
  uint8_t CosineSeed = kDefaultCosineSeed;

  // result[i] = t[n-i+1] + C[i] with t[j] = text[j] + S[j] (mod 256).
  std::string Encrypt(std::string_view text) override;
  // Inverts Encrypt for the same seeds.
  std::string Decrypt(std::string_view text) override;

  // Key S (from SineSeed) and key C (from CosineSeed). A seed of 0 gives an
  // empty key S, since sin 0 has no digit 1-9; an empty key shifts nothing,
  // so its pass only keeps (or reverses) the order and Decrypt still inverts
  // Encrypt.
  std::string SineKey() const;
  std::string CosineKey() const;

  // A seed for a writer, uniformly from 1..kMaxRandomSeed.
  static uint8_t RandomSeed();
};

// The digits 1-9 of `value` written in general format with 15 significant
// digits, in order; sign, separator, zeros and the exponent are dropped.
std::string DigitsOfGeneralFormat(long double value);

}  // namespace wizpak
