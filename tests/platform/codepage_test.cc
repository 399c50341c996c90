#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace wizpak {
namespace {

std::string AllAnsiBytes() {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  return all;
}

TEST(Codepage, EveryAnsiByteRoundTripsThroughWideAndUtf8) {
  const std::string all = AllAnsiBytes();
  const std::u16string wide = AnsiToWide(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(WideToAnsi(wide), all);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
  EXPECT_EQ(WideToUtf8(wide), AnsiToUtf8(all));
  EXPECT_EQ(Utf8ToWide(AnsiToUtf8(all)), wide);
}

TEST(Codepage, HighControlBlockMapsToTypographicCharacters) {
  EXPECT_EQ(AnsiToWide("\x80"), u"\u20AC");  // euro
  EXPECT_EQ(AnsiToWide("\x93\x94"), u"\u201C\u201D");
  EXPECT_EQ(AnsiToWide("\x91\x92"), u"\u2018\u2019");
  EXPECT_EQ(AnsiToWide("\x96\x97\x85"), u"\u2013\u2014\u2026");
  EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Utf8ToAnsi("\xE2\x80\x9Cq\xE2\x80\x9D"), "\x93q\x94");
  // The undefined bytes keep their value as C1 controls.
  EXPECT_EQ(AnsiToWide("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(WideToAnsi(u"a\u4E2Db"), "a?b");
  EXPECT_EQ(WideToAnsi(u"\U0001F600"), "?");              // one mark for a surrogate pair
  EXPECT_EQ(WideToAnsi(std::u16string(1, 0xD800)), "?");  // unpaired
  EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD"), "?");
}

TEST(Codepage, MalformedUtf8IsReplacedNotTrusted) {
  EXPECT_EQ(Utf8ToWide("a\xC3"), u"a\uFFFD");                    // truncated
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong '/'
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // surrogate
  EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80").front(), u'\uFFFD');  // beyond U+10FFFF
  EXPECT_EQ(Utf8ToAnsi("x\xFFy"), "x?y");
  EXPECT_FALSE(IsValidUtf8("\xC3"));
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(WideToUtf8(std::u16string(1, 0xDC00)), "\xEF\xBF\xBD");
}

TEST(Codepage, FirstUtf8CharTellsACutShortCharacterFromABrokenOne) {
  // Cut short: nothing taken, so a reader of a stream waits for the rest.
  EXPECT_EQ(FirstUtf8Char("\xE2\x82").length, 0u);
  EXPECT_EQ(FirstUtf8Char("").length, 0u);
  // Broken: U+FFFD for one byte, so the next byte is read afresh.
  for (const char* broken : {"\xE2\x41", "\xC0\xAF", "\xED\xA0\x80", "\x80"}) {
    const Utf8Char read = FirstUtf8Char(broken);
    EXPECT_EQ(read.code, U'\uFFFD') << broken;
    EXPECT_EQ(read.length, 1u) << broken;
    EXPECT_FALSE(read.valid) << broken;
  }
  const Utf8Char euro = FirstUtf8Char("\xE2\x82\xAC!");
  EXPECT_TRUE(euro.valid);
  EXPECT_EQ(euro.code, U'\u20AC');
  EXPECT_EQ(euro.length, 3u);
  std::string out;
  AppendUtf8Char(out, U'\U0001F600');
  EXPECT_EQ(out, "\xF0\x9F\x98\x80");
}

// "Größe" in the four forms a script file comes in.
const std::string kUtf8 =
    "Gr\xC3\xB6\xC3\x9F"
    "e";
const std::string kAnsi =
    "Gr\xF6\xDF"
    "e";

TEST(Codepage, TextEncodingIsReadFromTheMarkOrTheBytes) {
  EXPECT_EQ(DetectTextEncoding("\xEF\xBB\xBF" + kUtf8), TextEncoding::Utf8Bom);
  EXPECT_EQ(DetectTextEncoding(std::string("\xFF\xFEG\0", 4)), TextEncoding::Utf16Le);
  EXPECT_EQ(DetectTextEncoding(std::string("\xFE\xFF\0G", 4)), TextEncoding::Utf16Be);
  EXPECT_EQ(DetectTextEncoding(kUtf8), TextEncoding::Utf8);
  EXPECT_EQ(DetectTextEncoding(kAnsi), TextEncoding::Ansi);  // F6 DF is not UTF-8
  EXPECT_EQ(DetectTextEncoding("plain"), TextEncoding::Ansi);
  EXPECT_EQ(DetectTextEncoding(""), TextEncoding::Ansi);
  // Well-formed up to a truncated sequence at the very end: not UTF-8.
  EXPECT_EQ(DetectTextEncoding(kUtf8 + "\xC3"), TextEncoding::Ansi);
}

TEST(Codepage, EveryEncodingDecodesToTheSameUtf8) {
  std::string le = "\xFF\xFE";
  std::string be = "\xFE\xFF";
  for (const char16_t unit : Utf8ToWide(kUtf8 + "\r\n\U0001F600")) {
    le += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    be += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  const std::string want = kUtf8 + "\r\n\xF0\x9F\x98\x80";
  EXPECT_EQ(TextToUtf8(le, TextEncoding::Utf16Le), want);
  EXPECT_EQ(TextToUtf8(be, TextEncoding::Utf16Be), want);
  EXPECT_EQ(TextToUtf8("\xEF\xBB\xBF" + want, TextEncoding::Utf8Bom), want);
  EXPECT_EQ(TextToUtf8(want, TextEncoding::Utf8), want);
  EXPECT_EQ(TextToUtf8(kAnsi, TextEncoding::Ansi), kUtf8);
  // What does not decode is marked, never dropped silently.
  EXPECT_EQ(TextToUtf8("\xEF\xBB\xBF"
                       "a\xFF",
                       TextEncoding::Utf8Bom),
            "a\xEF\xBF\xBD");
  EXPECT_EQ(TextToUtf8(std::string("\xFF\xFE"
                                   "a\0\x00\xD8"
                                   "b",
                                   7),
                       TextEncoding::Utf16Le),
            "a\xEF\xBF\xBD\xEF\xBF\xBD");  // unpaired surrogate, odd last byte
}

TEST(Codepage, CharactersWithoutAnAnsiFormAreListedWhereTheyStand) {
  std::vector<UnstorableCharacter> unstorable;
  // "Grő €" : o with double acute (U+0151) has no Windows-1252 byte, the
  // euro sign has one (80).
  EXPECT_EQ(Utf8ToAnsiListing("Gr\xC5\x91 \xE2\x82\xAC\xF0\x9F\x98\x80", unstorable), "Gr? \x80?");
  ASSERT_EQ(unstorable.size(), 2u);
  EXPECT_EQ(unstorable[0].offset, 2u);
  EXPECT_EQ(unstorable[0].size, 2u);
  EXPECT_EQ(unstorable[0].code_point, U'\u0151');
  EXPECT_EQ(unstorable[1].offset, 8u);
  EXPECT_EQ(unstorable[1].size, 4u);
  EXPECT_EQ(unstorable[1].code_point, U'\U0001F600');
  unstorable.clear();
  EXPECT_EQ(Utf8ToAnsiListing(kUtf8, unstorable), kAnsi);
  EXPECT_TRUE(unstorable.empty());
}

TEST(Codepage, AnsiCaseCoversAccentedLetters) {
  EXPECT_EQ(AnsiLower("\xC4\xD6\xDC"
                      "ABC\x8A\x8C\x8E\x9F"),
            "\xE4\xF6\xFC"
            "abc\x9A\x9C\x9E\xFF");
  EXPECT_EQ(AnsiUpper("\xE4\xF6\xFC"
                      "abc\x9A\x9C\x9E\xFF"),
            "\xC4\xD6\xDC"
            "ABC\x8A\x8C\x8E\x9F");
  // Multiplication and division signs and sharp s are not letters with a pair.
  EXPECT_EQ(AnsiLowerChar('\xD7'), '\xD7');
  EXPECT_EQ(AnsiUpperChar('\xF7'), '\xF7');
  EXPECT_EQ(AnsiUpperChar('\xDF'), '\xDF');
  EXPECT_EQ(AsciiLower("\xC4Z"), "\xC4z");
  EXPECT_TRUE(EqualsIgnoreCaseAnsi("M\xDCLLER", "m\xFCller"));
  EXPECT_FALSE(EqualsIgnoreCaseAnsi("abc", "abcd"));
}

}  // namespace
}  // namespace wizpak
