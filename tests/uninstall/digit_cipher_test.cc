// The digit-key cipher and the seeded two-pass encryption type.
#include "text/digit_cipher.h"
#include "text/marl_encryption.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace wizpak {
namespace {

std::string EveryByteValue() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

TEST(DigitCipher, FixedKeysAreDistinct244DigitStrings) {
  for (std::string_view key : {kInstallLogKey, kGameArchiveKey}) {
    EXPECT_EQ(key.size(), 244u);
    EXPECT_TRUE(std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }));
  }
  EXPECT_NE(kInstallLogKey, kGameArchiveKey);
  EXPECT_EQ(kOfficialCode.size(), 7u);
}

TEST(DigitCipher, EveryByteValueRoundTripsUnderBothKeys) {
  // Several lengths so each byte meets different digits, including past the key's end.
  const std::string bytes = EveryByteValue();
  const std::string text = bytes + bytes + bytes;
  for (std::string_view key : {kInstallLogKey, kGameArchiveKey}) {
    const std::string cipher = EncryptWithDigitKey(key, text);
    ASSERT_EQ(cipher.size(), text.size());
    EXPECT_NE(cipher, text);
    EXPECT_EQ(DecryptWithDigitKey(key, cipher), text);
  }
}

TEST(DigitCipher, KeyIsUsedCyclicallyAndBytesWrap) {
  EXPECT_EQ(EncryptWithDigitKey("3", "\xff"), "\x02");
  EXPECT_EQ(DecryptWithDigitKey("3", "\x02"), "\xff");
  EXPECT_EQ(EncryptWithDigitKey("120", "AAAAA"), "BCABC");

  // Position 245 of a text under a 244-digit key takes digit 1 again.
  const std::string zeros(245, '\0');
  const std::string cipher = EncryptWithDigitKey(kInstallLogKey, zeros);
  EXPECT_EQ(cipher[244], kInstallLogKey[0] - '0');
  EXPECT_EQ(cipher[243], kInstallLogKey[243] - '0');
}

TEST(DigitCipher, EmptyInputsAndBadKeys) {
  EXPECT_EQ(EncryptWithDigitKey(kInstallLogKey, ""), "");
  EXPECT_EQ(EncryptWithDigitKey("", "abc"), "abc");
  EXPECT_THROW(EncryptWithDigitKey("12x", "abc"), std::invalid_argument);
}

TEST(MarlEncryption, DerivedKeysKeepDigitsOneToNineOfFifteenSignificantDigits) {
  // sin 1 = 0.841470984807897 (15 significant digits), cos 1 = 0.54030230586814
  TMarlEncryptionType e;
  e.SineSeed = 1;
  e.CosineSeed = 1;
  EXPECT_EQ(e.SineKey(), "8414798487897");
  EXPECT_EQ(e.CosineKey(), "54323586814");
  // The exponent is dropped, not read as digits.
  EXPECT_EQ(DigitsOfGeneralFormat(1.5e-7L), "15");
  EXPECT_EQ(DigitsOfGeneralFormat(-0.25L), "25");
  e.SineSeed = 0;
  EXPECT_EQ(e.SineKey(), "");
  for (int seed = 1; seed <= TMarlEncryptionType::kMaxRandomSeed; ++seed) {
    e.SineSeed = e.CosineSeed = static_cast<uint8_t>(seed);
    EXPECT_FALSE(e.SineKey().empty()) << seed;
    EXPECT_FALSE(e.CosineKey().empty()) << seed;
  }
}

TEST(MarlEncryption, EveryByteValueRoundTripsForManySeeds) {
  const std::string text = EveryByteValue();
  for (int s = 0; s < 256; s += 17) {
    for (int c = 0; c < 256; c += 23) {
      TMarlEncryptionType enc;
      enc.SineSeed = static_cast<uint8_t>(s);
      enc.CosineSeed = static_cast<uint8_t>(c);
      const std::string cipher = enc.Encrypt(text);
      ASSERT_EQ(cipher.size(), text.size());
      TMarlEncryptionType dec;
      dec.SineSeed = enc.SineSeed;
      dec.CosineSeed = enc.CosineSeed;
      EXPECT_EQ(dec.Decrypt(cipher), text) << s << " " << c;
    }
  }
  TMarlEncryptionType e;
  EXPECT_EQ(e.Encrypt(""), "");
  EXPECT_EQ(e.Decrypt(""), "");
}

TEST(MarlEncryption, SecondPassReversesTheOrder) {
  TMarlEncryptionType e;
  const std::string a = e.Encrypt("password1");
  const std::string b = e.Encrypt("password2");
  EXPECT_NE(a[0], b[0]);
  EXPECT_EQ(a.substr(1), b.substr(1));
  // Spelled out: result[i] = t[n-i+1] + C[i], t[j] = text[j] + S[j].
  e.SineSeed = 1;
  e.CosineSeed = 1;  // S = 8414798487897, C = 54323586814
  EXPECT_EQ(e.Encrypt(std::string("\0\0\0", 3)), std::string("\x06\x08\x0b", 3));
}

TEST(MarlEncryption, WrongSeedsGiveAWrongText) {
  TMarlEncryptionType e;
  e.SineSeed = 5;
  e.CosineSeed = 9;
  const std::string cipher = e.Encrypt("secret");
  TMarlEncryptionType d;
  d.SineSeed = 6;
  d.CosineSeed = 9;
  EXPECT_NE(d.Decrypt(cipher), "secret");
}

}  // namespace
}  // namespace wizpak
