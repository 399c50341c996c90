#include <gtest/gtest.h>

#include "text/replace_all.h"
#include "text/string_list.h"
#include "text/text_routines.h"

namespace wizpak {
namespace {

TEST(SplitFirstToken, QuotedNumberWithBlank) {
  auto [token, rest] = SplitFirstToken(std::u16string_view(u"\"12 3\" Hello"));
  EXPECT_EQ(token, u"12 3");
  EXPECT_EQ(rest, u" Hello");
  auto [a_token, a_rest] = SplitFirstToken(std::string_view("  \"12 3\"\tHello  "));
  EXPECT_EQ(a_token, "12 3");
  EXPECT_EQ(a_rest, "\tHello");
}

TEST(SplitFirstToken, NoSeparator) {
  auto [token, rest] = SplitFirstToken(std::string_view(" \"a b\"c "));
  EXPECT_EQ(token, "a bc");
  EXPECT_EQ(rest, "");
  auto [e_token, e_rest] = SplitFirstToken(std::string_view("   "));
  EXPECT_EQ(e_token, "");
  EXPECT_EQ(e_rest, "");
  // An unclosed quote keeps everything after it inside the token.
  auto [u_token, u_rest] = SplitFirstToken(std::string_view("\"a b c"));
  EXPECT_EQ(u_token, "a b c");
  EXPECT_EQ(u_rest, "");
}

TEST(TextRoutines, TrimAndQuotes) {
  EXPECT_EQ(TrimText(std::string_view("\r\n\t a b \x01")), "a b");
  EXPECT_EQ(TrimLeftText(std::u16string_view(u"\t a ")), u"a ");
  EXPECT_EQ(RemoveQuotes(std::string_view("\"a\"\"b\"")), "ab");
}

TEST(ParseInteger, Forms) {
  EXPECT_EQ(ParseInteger("42"), 42);
  EXPECT_EQ(ParseInteger("  -7"), -7);
  EXPECT_EQ(ParseInteger("+7"), 7);
  EXPECT_EQ(ParseInteger("$1f"), 31);
  EXPECT_EQ(ParseInteger("0x1F"), 31);
  EXPECT_EQ(ParseInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
}

TEST(ParseInteger, Rejects) {
  for (const char* bad : {"", " ", "-", "$", "0x", "12 ", "1a", "2147483648", "-2147483649",
                          "$100000000", "99999999999999999999", "1.5", "$-1"}) {
    EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
  }
}

TEST(DecimalText, Extremes) {
  EXPECT_EQ(DecimalText(uint64_t{0}), "0");
  EXPECT_EQ(DecimalText(UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(DecimalText(INT64_MIN), "-9223372036854775808");
}

std::vector<std::string> Split(std::string_view text) {
  TStringList list;
  SplitLinesInto(list, text);
  std::vector<std::string> out;
  for (int32_t i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

using S = std::vector<std::string>;

TEST(SplitLinesInto, LineEndings) {
  EXPECT_EQ(Split("a\r\nb\r\n"), (S{"a", "b", ""}));  // CR LF at the end: final empty item
  EXPECT_EQ(Split("a\rb\r"), (S{"a", "b"}));          // CR at the end: none
  EXPECT_EQ(Split("  a  \r\n\r\n b"), (S{"a", "", "b"}));
  EXPECT_EQ(Split(std::string_view("a\rb\0c\rd", 7)), (S{"a", "b"}));  // ends at a zero byte
  EXPECT_EQ(Split(""), S{});
}

TEST(StringList, GetOutsideIsEmpty) {
  TStringList list;
  list.Add("x");
  EXPECT_EQ(list.Get(0), "x");
  EXPECT_EQ(list.Get(1), "");
  EXPECT_EQ(list.Get(-1), "");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(ReplaceAllText, BothCasesReplaced) {
  EXPECT_EQ(ReplaceAllText(std::u16string_view(u"$instdir and $INSTDIR"), u"$InstDir", u"X"),
            u"X and X");
  EXPECT_EQ(ReplaceAllText(std::string_view("aXa"), "x", "-"), "a-a");
}

TEST(ReplaceAllText, OnlyAsciiLettersFold) {
  // Windows-1252 "Ä" (C4) and "ä" (E4) are different characters here.
  EXPECT_EQ(ReplaceAllText(std::string_view("\xC4"), "\xE4", "x"), "\xC4");
  EXPECT_EQ(ReplaceAllText(std::u16string_view(u"\u00C4\u00E4"), u"\u00E4", u"x"), u"\u00C4x");
}

TEST(ReplaceAllText, ReplacementContainingPatternTerminates) {
  EXPECT_EQ(ReplaceAllText(std::string_view("a-a"), "a", "aa"), "aa-aa");
  EXPECT_EQ(ReplaceAllText(std::string_view("<%X%>"), "<%x%>", "[<%X%>]"), "[<%X%>]");
  EXPECT_EQ(ReplaceAllText(std::u16string_view(u"ab"), u"ab", u"xab"), u"xab");
}

TEST(ReplaceAllText, MatchesFormedWithFollowingTextAreFound) {
  EXPECT_EQ(ReplaceAllText(std::string_view("a\\\\\\b"), "\\\\", "\\"), "a\\b");
  EXPECT_EQ(ReplaceAllText(std::string_view("\\\\\\\\\\\\\\"), "\\\\", "\\"), "\\");
  // Removing "abc" from "ababcc" leaves a new "abc" that starts before it.
  EXPECT_EQ(ReplaceAllText(std::string_view("ababcc"), "abc", ""), "");
}

TEST(ReplaceAllText, EmptyPatternOrText) {
  EXPECT_EQ(ReplaceAllText(std::string_view("abc"), "", "x"), "abc");
  EXPECT_EQ(ReplaceAllText(std::string_view(""), "a", "x"), "");
  EXPECT_EQ(ReplaceAllText(std::string_view("a"), "abc", "x"), "a");
}

}  // namespace
}  // namespace wizpak
