// The pieces of the terminal wizard that turn controls and keys into text:
// cells and wrapping, key decoding, the line editor, button keys, reading
// order and the page drawn from a page area.
#include <gtest/gtest.h>

#include "gui/text/cells.h"
#include "gui/text/keys.h"
#include "gui/text/line_editor.h"
#include "gui/text/page_view.h"
#include "gui/text/text_widgets.h"

namespace wizpak::gui::text {
namespace {

std::string Plain(const CellLine& line) {
  return Render(line, false);
}

std::vector<std::string> Plain(const std::vector<CellLine>& lines) {
  std::vector<std::string> out;
  for (const CellLine& line : lines) out.push_back(Plain(line));
  return out;
}

TEST(CellsTest, WrapsAtBlanksKeepsIndentAndCutsLongWords) {
  EXPECT_EQ(Plain(Wrap(Utf8ToCells("one two three four"), 9)),
            (std::vector<std::string>{"one two", "three", "four"}));
  // Line breaks of every kind, an empty paragraph; runs of blanks stay
  // within a line and go at a break.
  EXPECT_EQ(Plain(Wrap(ToCells(u"a\r\nb\rc\n\nd   e"), 20)),
            (std::vector<std::string>{"a", "b", "c", "", "d   e"}));
  EXPECT_EQ(Plain(Wrap(Utf8ToCells("ab   cd"), 4)), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(Plain(Wrap(Utf8ToCells("  - item one"), 20)),
            (std::vector<std::string>{"  - item one"}));
  EXPECT_EQ(Plain(Wrap(Utf8ToCells("abcdefghij"), 4)),
            (std::vector<std::string>{"abcd", "efgh", "ij"}));
  // A zero width still makes progress.
  EXPECT_EQ(Wrap(Utf8ToCells("ab"), 0).size(), 2u);
}

TEST(CellsTest, CountsColumnsOfGermanWideAndCombiningText) {
  EXPECT_EQ(LineWidth(Utf8ToCells("Zurück")), 6);
  EXPECT_EQ(LineWidth(Utf8ToCells("日本")), 4);
  EXPECT_EQ(LineWidth(Utf8ToCells("e\xCC\x81")), 1);  // e + combining acute
  // A surrogate pair is one character; a lone surrogate becomes U+FFFD.
  EXPECT_EQ(ToCells(u"\U0001F600").size(), 1u);
  EXPECT_EQ(ToCells(std::u16string(1, char16_t(0xD800)))[0].code, U'\uFFFD');
  // Broken UTF-8 neither stops nor overruns the reader.
  EXPECT_EQ(Plain(Utf8ToCells("a\xC3")), "a\xEF\xBF\xBD");
  EXPECT_EQ(Plain(Utf8ToCells("\xFF"
                              "b")),
            "\xEF\xBF\xBD"
            "b");
  // Wrapping measures columns, not characters.
  EXPECT_EQ(Plain(Wrap(Utf8ToCells("日本語 日本"), 6)),
            (std::vector<std::string>{"日本語", "日本"}));
}

TEST(CellsTest, FitsAndRendersWithOrWithoutEscapes) {
  EXPECT_EQ(Plain(Fit(Utf8ToCells("abcdef"), 4, true)), "abc…");
  EXPECT_EQ(Plain(Fit(Utf8ToCells("abc"), 4, true)), "abc");
  CellLine styled = Utf8ToCells("ab", kBold);
  AppendUtf8(styled, "c");
  EXPECT_EQ(Render(styled, true), "\x1b[0;1mab\x1b[0mc");
  EXPECT_EQ(Render(styled, false), "abc");
  EXPECT_EQ(Render(Utf8ToCells("x", kUnderline | kReverse), true), "\x1b[0;4;7mx\x1b[0m");
}

std::vector<Key> Decode(std::string_view bytes, bool settled) {
  KeyDecoder decoder;
  decoder.Feed(bytes);
  std::vector<Key> keys;
  Key key;
  while (decoder.Next(key, settled)) keys.push_back(key);
  return keys;
}

TEST(KeyDecoderTest, ReadsSequencesCharactersAndLoneEscape) {
  const std::vector<Key> keys = Decode("\x1b[A\x1b[6~\x1bOH\x1b[3~\r\x03\x7fü", true);
  const std::vector<KeyCode> codes{KeyCode::Up,        KeyCode::PageDown, KeyCode::Home,
                                   KeyCode::Delete,    KeyCode::Enter,    KeyCode::CtrlC,
                                   KeyCode::Backspace, KeyCode::Char};
  ASSERT_EQ(keys.size(), codes.size());
  for (size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(keys[i].code, codes[i]) << i;
  EXPECT_EQ(keys.back().ch, U'ü');
  // A lone Escape waits for what may follow until the input has settled.
  EXPECT_TRUE(Decode("\x1b", false).empty());
  ASSERT_EQ(Decode("\x1b", true).size(), 1u);
  EXPECT_EQ(Decode("\x1b", true)[0].code, KeyCode::Escape);
  // Escape before a letter is Alt with it.
  const std::vector<Key> alt = Decode("\x1bn", false);
  ASSERT_EQ(alt.size(), 1u);
  EXPECT_TRUE(alt[0].alt);
  EXPECT_EQ(alt[0].ch, U'n');
}

TEST(KeyDecoderTest, JoinsCharactersSplitAcrossReads) {
  KeyDecoder decoder;
  Key key;
  decoder.Feed("\xC3");
  EXPECT_FALSE(decoder.Next(key));
  decoder.Feed("\xA4\x1b[");
  ASSERT_TRUE(decoder.Next(key));
  EXPECT_EQ(key.ch, U'ä');
  EXPECT_FALSE(decoder.Next(key));
  decoder.Feed("B");
  ASSERT_TRUE(decoder.Next(key));
  EXPECT_EQ(key.code, KeyCode::Down);
  // Keys this program has no use for are skipped, not shown as text.
  EXPECT_TRUE(Decode("\x1b[15~\x1b[200~", true).empty());
}

TEST(LineEditorTest, EditsAtTheCursorAndEndsWithEnterOrEscape) {
  LineEditor editor(U"C:\\Games");
  editor.Apply(Key{KeyCode::Home});
  editor.Apply(Key{KeyCode::Delete});
  editor.Apply(CharKey(U'D'));
  EXPECT_EQ(editor.Text(), U"D:\\Games");
  editor.Apply(Key{KeyCode::End});
  editor.Apply(Key{KeyCode::Backspace});
  editor.Apply(CharKey(U'ß'));
  EXPECT_EQ(editor.Text(), U"D:\\Gameß");
  EXPECT_EQ(editor.Apply(Key{KeyCode::CtrlU}), LineEditor::Outcome::Editing);
  EXPECT_TRUE(editor.Text().empty());
  EXPECT_EQ(editor.Apply(Key{KeyCode::Enter}), LineEditor::Outcome::Accepted);
  EXPECT_EQ(editor.Apply(Key{KeyCode::CtrlC}), LineEditor::Outcome::Abandoned);
  EXPECT_EQ(ToUtf16(ToUtf32(u"a\U0001F600b")), u"a\U0001F600b");
}

TEST(ButtonKeysTest, MarkedLettersFirstThenFirstFreeLetter) {
  std::u16string shown;
  EXPECT_EQ(MarkedLetter(u"&Next >", &shown), U'n');
  EXPECT_EQ(shown, u"Next >");
  EXPECT_EQ(MarkedLetter(u"Save && E&xit", &shown), U'x');
  EXPECT_EQ(shown, u"Save & Exit");
  EXPECT_EQ(MarkedLetter(u"&1"), 0u);  // digits open the page's fields
  // "< Back" takes B; "&Cancel" keeps C although "Continue" comes first.
  EXPECT_EQ(AssignKeys({u"< Back", u"Continue", u"&Cancel"}),
            (std::vector<char32_t>{U'b', U'o', U'c'}));
  EXPECT_EQ(AssignKeys({u"Abbrechen", u"Anders", u"<>"}), (std::vector<char32_t>{U'a', U'n', 0}));
}

TEST(ReadingOrderTest, TopToBottomThenLeftToRightWithinARow) {
  const std::vector<Rect> bounds{
      {300, 20, 50, 10}, {10, 24, 50, 10}, {10, 100, 50, 10}, {10, 60, 50, 10}};
  EXPECT_EQ(ReadingOrder(bounds), (std::vector<size_t>{1, 0, 3, 2}));
  EXPECT_EQ(ReadingOrder(bounds, 0), (std::vector<size_t>{0, 1, 3, 2}));
}

class PageViewTest : public ::testing::Test {
 protected:
  Widget& Add(WidgetKind kind, std::u16string text, Rect bounds) {
    Widget& w = area_.Create(kind);
    w.SetText(std::move(text));
    w.SetBounds(bounds);
    return w;
  }
  TextPageArea area_;
};

TEST_F(PageViewTest, DrawsControlsInReadingOrderAsTextAndFields) {
  Add(WidgetKind::Label, u"Body text that is long enough to wrap on a narrow page",
      {184, 76, 378, 40});
  Widget& title = Add(WidgetKind::Label, u"Title", {184, 20, 378, 40});
  FontSpec heading;
  heading.size_points = 12;
  heading.bold = true;
  title.SetFont(heading);
  Add(WidgetKind::Label, u"Folder", {184, 124, 378, 16});
  Add(WidgetKind::Edit, u"C:\\Games\\", {184, 142, 378, 21});
  Add(WidgetKind::Picture, u"", {0, 0, 164, 375});
  Add(WidgetKind::Label, u"hidden", {184, 200, 378, 16}).SetVisible(false);
  Add(WidgetKind::Label, u"", {184, 220, 378, 16});  // an empty label takes no line

  const PageView view = RenderPage(area_, 30, ViewStyle{false, 8});
  EXPECT_EQ(Plain(view.lines),
            (std::vector<std::string>{"Title", "", "Body text that is long enough",
                                      "to wrap on a narrow page", "", "Folder", "1) C:\\Games\\"}));
  ASSERT_EQ(view.fields.size(), 1u);
  EXPECT_EQ(view.fields[0].kind, PageField::Kind::Edit);
  EXPECT_EQ(view.fields[0].title, u"Folder");
  // The heading is bold where styles are shown.
  EXPECT_EQ(RenderPage(area_, 30, ViewStyle{true, 8}).lines[0][0].style, kBold);
}

TEST_F(PageViewTest, GaugeIsABarWithItsCaptionAndTheStatusAboveIt) {
  Add(WidgetKind::Label, u"Extracting readme.txt", {184, 130, 378, 16});
  auto& gauge = static_cast<Gauge&>(Add(WidgetKind::Gauge, u"", {184, 152, 378, 24}));
  int percent = 42;
  gauge.SetOnRead([&percent] { return GaugeReading{percent, u"42%"}; });
  PageView view = RenderPage(area_, 30, ViewStyle{false, 8});
  ASSERT_TRUE(view.has_gauge);
  EXPECT_EQ(view.gauge_percent, 42);
  EXPECT_EQ(Plain(view.lines.back()), "[##########--------------] 42%");
  EXPECT_EQ(Plain(view.gauge_status), "Extracting readme.txt");
  percent = 100;
  view = RenderPage(area_, 30, ViewStyle{true, 8});
  EXPECT_EQ(Plain(view.lines.back()), "[████████████████████████] 42%");
}

TEST_F(PageViewTest, LongTextsShowAPreviewAndOpenInThePager) {
  auto& rich = static_cast<RichEdit&>(Add(WidgetKind::RichEdit, u"", {184, 120, 378, 200}));
  rich.LoadContent("{\\rtf1 {\\b Changes}\\par one\\par two\\par three\\par four}");
  const PageView view = RenderPage(area_, 40, ViewStyle{true, 2});
  EXPECT_EQ(Plain(view.lines),
            (std::vector<std::string>{"  Changes", "  one", "1) Read all 5 lines"}));
  EXPECT_EQ(view.lines[0][2].style, kBold);
  ASSERT_EQ(view.fields.size(), 1u);
  EXPECT_EQ(view.fields[0].kind, PageField::Kind::Reader);
  EXPECT_EQ(ReaderLines(rich, 40, false).size(), 5u);
}

}  // namespace
}  // namespace wizpak::gui::text
