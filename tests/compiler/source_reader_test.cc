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

TEST(SourceReader, Utf8WithByteOrderMarkBecomesAnsi) {
  EXPECT_EQ(ScriptTextToAnsi("\xEF\xBB\xBFname \"Caf\xC3\xA9\""), "name \"Caf\xE9\"");
  EXPECT_EQ(ScriptTextToAnsi("name Caf\xE9"), "name Caf\xE9");  // ANSI stays as it is
}

}  // namespace
}  // namespace wizpak::compiler
