// The "CompiledLines" reader and writer: worked examples, round trips and
// every kind of damaged entry.
#include "script/comp_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace wizpak {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

CompLinesLoadResult Load(TCompLines& lines, const std::string& bytes) {
  return lines.LoadFromBuffer(bytes.data(), bytes.size());
}

TCompLine MakeLine(int32_t command, int32_t position, std::vector<std::string> params) {
  TCompLine line;
  line.Command = command;
  line.LineNumber = position;
  line.ParamCount = static_cast<int32_t>(params.size());
  line.Params = std::move(params);
  return line;
}

const std::string kCreateDirectoryLine =
    Bytes({0x0D, 0,    0, 0,    0x05, 0,    0,    0,    0x01, 0,    0,
           0,    0x08, 0, 0x24, 0x49, 0x4E, 0x53, 0x54, 0x44, 0x49, 0x52});
const std::string kInertLine = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});

TEST(CompLinesFormat, WorkedExamplesRoundTrip) {
  ASSERT_EQ(kCreateDirectoryLine.size(), 22u);
  ASSERT_EQ(kInertLine.size(), 12u);
  const std::string entry = Bytes({2, 0}) + kInertLine + kCreateDirectoryLine;

  TCompLines lines;
  ASSERT_TRUE(Load(lines, entry)) << Load(lines, entry).message;
  ASSERT_EQ(lines.LineCount(), 2);
  EXPECT_EQ(lines.Lines[0], MakeLine(-1, -1, {}));
  EXPECT_EQ(lines.Lines[1], MakeLine(13, 5, {"$INSTDIR"}));
  EXPECT_EQ(lines.SaveToBuffer(), entry);

  TCompLines written;
  written.Lines = {MakeLine(13, 5, {"$INSTDIR"})};
  EXPECT_EQ(written.SaveToBuffer(), Bytes({1, 0}) + kCreateDirectoryLine);
}

TEST(CompLinesFormat, TwoZeroBytesAreAnEmptyScript) {
  TCompLines lines;
  lines.Lines = {MakeLine(1, 0, {"0"})};  // replaced, not appended to
  ASSERT_TRUE(Load(lines, Bytes({0, 0})));
  EXPECT_TRUE(lines.Lines.empty());
  EXPECT_EQ(TCompLines().SaveToBuffer(), Bytes({0, 0}));
}

TEST(CompLinesFormat, EmptyParametersAndHighBytesKeepTheirPlace) {
  TCompLines lines;
  lines.Lines = {MakeLine(0, 0, {"start"}),
                 MakeLine(9, 1, {"HKCU", "", "Name", std::string("\xE4\x00\xFF", 3)}),
                 MakeLine(19, 2, {})};
  const std::string bytes = lines.SaveToBuffer();
  TCompLines loaded;
  ASSERT_TRUE(Load(loaded, bytes));
  EXPECT_EQ(loaded.Lines, lines.Lines);
  EXPECT_EQ(loaded.Lines[1].Params[1], "");
  EXPECT_EQ(loaded.Lines[1].Params[3].size(), 3u);
}

TEST(CompLinesFormat, EveryTruncationIsRejectedWhole) {
  TCompLines lines;
  lines.Lines = {MakeLine(0, 0, {"a"}), MakeLine(7, 1, {"data", "sub"}), MakeLine(-1, -1, {}),
                 MakeLine(13, 3, {"$INSTDIR\\x"})};
  const std::string bytes = lines.SaveToBuffer();
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    TCompLines loaded;
    loaded.Lines = {MakeLine(1, 0, {"stale"})};
    const std::string truncated = bytes.substr(0, cut);
    const CompLinesLoadResult result = Load(loaded, truncated);
    EXPECT_FALSE(result.ok) << "cut at " << cut;
    EXPECT_FALSE(result.message.empty());
    EXPECT_TRUE(loaded.Lines.empty()) << "cut at " << cut;
  }
}

TEST(CompLinesFormat, BytesAfterTheLastRecordAreIgnored) {
  TCompLines loaded;
  ASSERT_TRUE(Load(loaded, Bytes({1, 0}) + kInertLine + "junk"));
  EXPECT_EQ(loaded.LineCount(), 1);
}

std::string Record(int32_t command, int32_t position, int32_t count) {
  TCompLines one;
  one.Lines = {MakeLine(command, position, {})};
  std::string bytes = one.SaveToBuffer();
  uint32_t c = static_cast<uint32_t>(count);
  for (int i = 0; i < 4; ++i) bytes[10 + i] = static_cast<char>((c >> (8 * i)) & 0xFF);
  return bytes;
}

TEST(CompLinesFormat, BadFieldsRejectTheEntryAndSayWhy) {
  struct Case {
    std::string bytes;
    std::string mentions;
  };
  const Case cases[] = {
      {Record(28, 0, 0), "command 28"},
      {Record(-2, 0, 0), "command -2"},
      {Record(INT32_MIN, 0, 0), "command"},
      {Record(5, 0, -1), "parameter count -1"},
      {Record(5, 0, INT32_MIN), "parameter count"},
      // A huge count must be refused before anything is allocated for it.
      {Record(5, 0, INT32_MAX), "parameters"},
      // A string length past the end.
      {Record(5, 0, 1) + Bytes({0x10, 0}) + "short", "runs past the end"},
      // A line count the bytes cannot hold.
      {Bytes({0xFF, 0xFF}) + kInertLine, "line count 65535"},
  };
  for (const Case& c : cases) {
    TCompLines loaded;
    const CompLinesLoadResult result = Load(loaded, c.bytes);
    EXPECT_FALSE(result.ok) << c.mentions;
    EXPECT_NE(result.message.find(c.mentions), std::string::npos) << result.message;
    EXPECT_TRUE(loaded.Lines.empty());
  }
  // The bounds themselves are valid.
  TCompLines loaded;
  EXPECT_TRUE(Load(loaded, Record(27, 0, 0)));
  EXPECT_TRUE(Load(loaded, Record(-1, -1, 0)));
}

TEST(CompLinesFormat, WriterRefusesWhatTheFormatCannotHold) {
  TCompLines lines;
  lines.Lines = {MakeLine(15, 0, {std::string(65536, 'x')})};
  std::string out = "previous";
  EXPECT_FALSE(lines.SaveToBuffer(out));
  EXPECT_TRUE(out.empty());
  EXPECT_THROW(lines.SaveToBuffer(), std::length_error);

  lines.Lines = {MakeLine(15, 0, {std::string(65535, 'x')})};
  EXPECT_TRUE(lines.SaveToBuffer(out));
  EXPECT_EQ(out.size(), 2u + 12u + 2u + 65535u);

  lines.Lines.assign(65536, MakeLine(-1, -1, {}));
  EXPECT_FALSE(lines.SaveToBuffer(out));
  lines.Lines.resize(65535);
  ASSERT_TRUE(lines.SaveToBuffer(out));
  TCompLines loaded;
  ASSERT_TRUE(Load(loaded, out));
  EXPECT_EQ(loaded.LineCount(), 65535);
}

TEST(CompLinesFormat, ParamAndAtStayInsideTheLines) {
  TCompLines lines;
  lines.Lines = {MakeLine(1, 0, {"4"})};
  EXPECT_EQ(lines.At(0)->Param(0), "4");
  EXPECT_EQ(lines.At(0)->Param(1), "");
  EXPECT_EQ(lines.At(1), nullptr);
  EXPECT_EQ(lines.At(-1), nullptr);
}

}  // namespace
}  // namespace wizpak
