#include "compiler/source_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace wizpak::compiler {
namespace {

TEST(SourceReader, SplitsStatementsLabelsCommentsAndBlanks) {
  const SourceText text = ReadSource(
      "  ; a comment\r\n"
      "# another\n"
      "\n"
      "File \"my data\\x y.txt\"  'sub folder'\t`C:\\Program Files\\A \"B\"`\n"
      "  done.now-1_:  \n"
      "message last");
  ASSERT_FALSE(text.HasErrors());
  ASSERT_EQ(text.lines.size(), 6u);
  EXPECT_EQ(text.lines[0].kind, SourceLineKind::Comment);
  EXPECT_EQ(text.lines[1].kind, SourceLineKind::Comment);
  EXPECT_EQ(text.lines[2].kind, SourceLineKind::Blank);
  const SourceLine& file = text.lines[3];
  EXPECT_EQ(file.kind, SourceLineKind::Statement);
  EXPECT_EQ(file.word, "File");
  ASSERT_EQ(file.params.size(), 3u);
  EXPECT_EQ(file.params[0], "my data\\x y.txt");  // backslash stays literal
  EXPECT_EQ(file.params[1], "sub folder");
  EXPECT_EQ(file.params[2], "C:\\Program Files\\A \"B\"");  // other quotes are plain text
  EXPECT_EQ(text.lines[4].kind, SourceLineKind::Label);
  EXPECT_EQ(text.lines[4].word, "done.now-1_");
  EXPECT_EQ(text.lines[5].params, std::vector<std::string>{"last"});
}

TEST(SourceReader, EmptyQuotedParameterKeepsItsPlace) {
  const SourceText text = ReadSource("writeregstr HKLM Software \"\" value\n");
  ASSERT_EQ(text.lines.size(), 1u);
  EXPECT_EQ(text.lines[0].params, (std::vector<std::string>{"HKLM", "Software", "", "value"}));
}

TEST(SourceReader, TrailingNewlineAddsNoLineButBlankLinesCount) {
  EXPECT_EQ(ReadSource("a\n").lines.size(), 1u);
  EXPECT_EQ(ReadSource("a\n\n").lines.size(), 2u);
  EXPECT_EQ(ReadSource("").lines.size(), 0u);
}

TEST(SourceReader, LabelNeedsAPlainNameAndNothingElse) {
  EXPECT_EQ(ReadSource("two words:").lines[0].kind, SourceLineKind::Statement);
  EXPECT_EQ(ReadSource(":").lines[0].kind, SourceLineKind::Statement);
  EXPECT_EQ(ReadSource("a$b:").lines[0].kind, SourceLineKind::Statement);
  EXPECT_FALSE(IsLabelName(""));
  EXPECT_TRUE(IsLabelName("0"));
}

TEST(SourceReader, UnclosedQuoteIsAnErrorOnItsLine) {
  const SourceText text = ReadSource("name ok\nmessage \"not closed\n");
  ASSERT_EQ(text.diagnostics.size(), 1u);
  EXPECT_TRUE(text.diagnostics[0].is_error);
  EXPECT_EQ(text.diagnostics[0].line, 1);
  EXPECT_NE(text.diagnostics[0].message.find("closing quote"), std::string::npos);
}

TEST(SourceReader, TextGluedToAClosingQuoteIsAnError) {
  EXPECT_TRUE(ReadSource("message \"a\"b\n").HasErrors());
}

TEST(SourceReader, LineOfMaximumLengthIsFineOneMoreByteIsNot) {
  const std::string fits = "message " + std::string(kMaxSourceLineBytes - 8, 'x');
  EXPECT_FALSE(ReadSource(fits + "\r\n").HasErrors());  // the \r does not count
  const SourceText text = ReadSource("name a\n" + fits + "y\n");
  ASSERT_EQ(text.diagnostics.size(), 1u);
  EXPECT_EQ(text.diagnostics[0].line, 1);
  EXPECT_NE(text.diagnostics[0].message.find("65,536 bytes"), std::string::npos)
      << text.diagnostics[0].message;
}

TEST(SourceReader, MoreThanTheMaximumLineCountIsOneError) {
  std::string many;
  for (std::size_t i = 0; i < kMaxSourceLines; ++i) many += "\n";
  EXPECT_FALSE(ReadSource(many).HasErrors());
  const SourceText text = ReadSource(many + "message one too many\n");
  ASSERT_EQ(text.diagnostics.size(), 1u);
  EXPECT_EQ(text.diagnostics[0].line, static_cast<int>(kMaxSourceLines));
}

TEST(SourceReader, ScriptsInEveryEncodingBecomeTheSameAnsiText) {
  const std::string want = "name \"Caf\xE9\"\r\nmessage \x80\n";
  EXPECT_EQ(DecodeScriptSource(want).text, want);  // ANSI stays as it is
  const std::string utf8 = "name \"Caf\xC3\xA9\"\r\nmessage \xE2\x82\xAC\n";
  EXPECT_EQ(DecodeScriptSource(utf8).text, want);
  EXPECT_EQ(DecodeScriptSource("\xEF\xBB\xBF" + utf8).text, want);
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("name \"Caf\xE9\"\r\nmessage ")) utf16 += {c, '\0'};
  utf16 += "\xAC\x20\n";  // U+20AC, then "\n" with its high byte below
  utf16 += '\0';
  const DecodedScript decoded = DecodeScriptSource(utf16);
  EXPECT_EQ(decoded.text, want);
  EXPECT_TRUE(decoded.diagnostics.empty());
  EXPECT_STREQ(decoded.encoding, "UTF-16 LE");
}

TEST(SourceReader, CharacterOutsideWindows1252IsAnErrorAtItsLineAndColumn) {
  // Line 3, column 18: the o with double acute in "Grőße".
  const DecodedScript d = DecodeScriptSource(
      "name \"Gr\xC3\xBC\xC3\x9F"
      "e\"\n"
      "installdir x\n"
      "message \"Gr\xC3\xB6\xC3\x9F"
      "e Gr\xC5\x91\xC3\x9F"
      "e\" \xE2\x80\x8B\n");
  ASSERT_EQ(d.diagnostics.size(), 2u);
  EXPECT_TRUE(d.diagnostics[0].is_error);
  EXPECT_EQ(d.diagnostics[0].line, 2);
  EXPECT_EQ(d.diagnostics[0].column, 18);
  EXPECT_EQ(d.diagnostics[0].message,
            "\"\xC5\x91\" cannot be stored in a setup script (Windows-1252)");
  // A zero-width space shows as nothing: its code point names it.
  EXPECT_EQ(d.diagnostics[1].column, 23);
  EXPECT_EQ(d.diagnostics[1].message,
            "\"\xE2\x80\x8B\" (U+200B) cannot be stored in a setup script (Windows-1252)");
  // A flood of them is cut short with a count.
  std::string many;
  for (int i = 0; i < 30; ++i) many += "\xE4\xB8\xAD\n";
  const DecodedScript flood = DecodeScriptSource(many);
  ASSERT_EQ(flood.diagnostics.size(), 21u);
  EXPECT_EQ(flood.diagnostics.back().message,
            "and 10 more characters that cannot be stored in a setup script (Windows-1252)");
}

}  // namespace
}  // namespace wizpak::compiler
