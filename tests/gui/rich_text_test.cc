// The rich-text reader: styles from groups, tables and control words, ANSI
// and Unicode characters, skipped destinations, damaged documents and plain
// text.
#include <gtest/gtest.h>

#include "gui/richtext/rich_text.h"

namespace wizpak::gui {
namespace {

std::u16string AllText(const std::vector<TextRun>& runs) {
  std::u16string text;
  for (const TextRun& run : runs) text += run.text;
  return text;
}

// The style of the run holding `text`, which must lie in a single run.
TextStyle StyleOf(const std::vector<TextRun>& runs, std::u16string_view text) {
  for (const TextRun& run : runs) {
    if (run.text.find(text) != std::u16string::npos) return run.style;
  }
  ADD_FAILURE() << "no run holds the text";
  return {};
}

TEST(RichText, LicenceWithColoursFontsAndBold) {
  const auto runs = ParseRichText(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman "
      "Times New Roman;}}\n"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}\n"
      "\\pard\\f0\\fs20 Plain {\\b bold \\cf1 red-bold}\\par\n"
      "\\f1\\fs28\\i Italic \\i0\\ul under\\ulnone  \\cf2 navy\\cf0  auto\\par\n}");
  EXPECT_EQ(AllText(runs), u"Plain bold red-bold\nItalic under navy auto\n");

  const TextStyle plain = StyleOf(runs, u"Plain");
  EXPECT_EQ(plain.face, "Arial");
  EXPECT_EQ(plain.half_points, 20);
  EXPECT_FALSE(plain.bold);
  EXPECT_EQ(plain.colour, kBlack);
  EXPECT_TRUE(StyleOf(runs, u"bold ").bold);
  const TextStyle red = StyleOf(runs, u"red-bold");
  EXPECT_TRUE(red.bold);
  EXPECT_EQ(red.colour, Rgb(255, 0, 0));
  // The group's end restores the style outside it.
  const TextStyle after = StyleOf(runs, u"\n");
  EXPECT_FALSE(after.bold);
  EXPECT_EQ(after.colour, kBlack);

  const TextStyle italic = StyleOf(runs, u"Italic");
  EXPECT_EQ(italic.face, "Times New Roman");
  EXPECT_EQ(italic.half_points, 28);
  EXPECT_TRUE(italic.italic);
  EXPECT_TRUE(StyleOf(runs, u"under").underline);
  EXPECT_FALSE(StyleOf(runs, u"under").italic);
  EXPECT_EQ(StyleOf(runs, u"navy").colour, Rgb(0, 0, 128));
  EXPECT_EQ(StyleOf(runs, u" auto").colour, kBlack);
  EXPECT_FALSE(StyleOf(runs, u"navy").underline);

  // A table without the leading automatic entry: \cf0 is its first colour.
  const auto blue = ParseRichText("{\\rtf1{\\colortbl\\red0\\green0\\blue255;}\\cf0 x}");
  EXPECT_EQ(StyleOf(blue, u"x").colour, Rgb(0, 0, 255));
}

TEST(RichText, RunsMergeAndPlainResets) {
  // Equal styles reached by different words make one run; \plain drops bold,
  // size, colour and font (back to the default font).
  const auto runs = ParseRichText(
      "{\\rtf1\\deff1{\\fonttbl\\f0 Courier;\\f1 Verdana;}{\\colortbl;\\red0\\green255\\blue0;}"
      "\\b one {two}\\b1  three\\f0\\fs30\\cf1  four\\plain  five}");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].text, u"one two three");
  EXPECT_TRUE(runs[0].style.bold);
  EXPECT_EQ(runs[0].style.face, "Verdana");
  EXPECT_EQ(runs[1].text, u" four");
  EXPECT_EQ(runs[1].style.face, "Courier");
  EXPECT_EQ(runs[1].style.colour, Rgb(0, 255, 0));
  EXPECT_EQ(runs[2].text, u" five");
  EXPECT_EQ(runs[2].style, (TextStyle{"Verdana", 0, kBlack, false, false, false}));
}

TEST(RichText, CharactersBreaksAndEscapes) {
  const auto runs = ParseRichText(
      "{\\rtf1\\ansi caf\\'e9 \\'80 \\u8364? \\uc2\\u-4064??x {\\uc0\\u955}\\uc1\\u955?"
      "\\line a\\tab b\\~c\\-d \\{\\}\\\\ \\emdash\\ldblquote q\\rdblquote\n"
      "e\\\nf}");
  EXPECT_EQ(AllText(runs),
            u"caf\u00e9 \u20ac \u20ac \uf020x \u03bb\u03bb\na\tb\u00a0cd {}\\ "
            u"\u2014\u201cq\u201de\nf");
}

TEST(RichText, UnicodeFallbackCountsEscapesAndStopsAtBraces) {
  // The fallback of \u is skipped by count: an \'hh counts once, and a brace
  // ends it early.
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1\\uc1\\u228\\'e4rest}")), u"\u00e4rest");
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1\\uc3\\u228{x}yz}")), u"\u00e4xyz");
  // A surrogate pair written as two negative numbers.
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1\\u-10179?\\u-8704?}")), u"\U0001F600");
}

TEST(RichText, SkipsDestinationsPicturesAndUnknownWords) {
  const auto runs = ParseRichText(
      "{\\rtf1{\\*\\generator Writer 1.0;}{\\info{\\title Secret}{\\author Me}}"
      "{\\stylesheet{\\s0 Normal;}}{\\*\\unknowndest hidden {nested} text}"
      "{\\pict\\pngblip\\picw10 89504e47}{\\*\\bkmkstart x}"
      "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt shown}} "
      "\\bin4 {}\\z\\fancyword12 visible\\pard\\sa200\\sl276\\slmult1  end}");
  EXPECT_EQ(AllText(runs), u"shown visible end");
}

TEST(RichText, DamagedDocumentsNeverFail) {
  // Missing closing braces end with the bytes; extra ones end the document.
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1 {\\b open")), u"open");
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1 done} after")), u"done");
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1 a}}}} b")), u"a");
  // A broken \\'hh keeps what follows as text.
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1 bad \\'zz\\'4")), u"bad zz4");
  EXPECT_EQ(AllText(ParseRichText("{\\rtf1\\cf99\\f77\\fs-4 x\\")), u"x");
  EXPECT_EQ(StyleOf(ParseRichText("{\\rtf1\\cf99\\fs99999 x}"), u"x").half_points, 3276);
  EXPECT_TRUE(ParseRichText("{\\rtf").empty());

  // Nesting far beyond the limit: the deep groups flatten into the deepest
  // kept one, and closing them all comes back to the outer style.
  const std::string deep =
      "{\\rtf1\\b " + std::string(100000, '{') + "\\i deep" + std::string(100000, '}') + " out}";
  const auto runs = ParseRichText(deep);
  EXPECT_EQ(AllText(runs), u"deep out");
  EXPECT_TRUE(StyleOf(runs, u"deep").italic);
  EXPECT_FALSE(StyleOf(runs, u"out").italic);
  EXPECT_TRUE(StyleOf(runs, u"out").bold);
}

TEST(RichText, PlainTextIsOneRunWithLineEndsMade) {
  EXPECT_FALSE(IsRichText("{\\RTF1 x}"));
  const auto runs = ParseRichText("Licence\r\nline two\rthree\nfour\t\xe9\xe4\r\n\r\nend");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, u"Licence\nline two\nthree\nfour\t\u00e9\u00e4\n\nend");
  EXPECT_EQ(runs[0].style, TextStyle{});
  EXPECT_EQ(AllText(ParseRichText(std::string("before\0after", 12))), u"before");
  EXPECT_TRUE(ParseRichText("").empty());
  EXPECT_EQ(AllText(ParseRichText(" {\\rtf1 x}")), u" {\\rtf1 x}");
}

}  // namespace
}  // namespace wizpak::gui
