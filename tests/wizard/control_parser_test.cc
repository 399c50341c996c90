#include "wizard/control_parser.h"

#include <gtest/gtest.h>

#include "gui/headless/headless_widgets.h"
#include "wizard_fixtures.h"

namespace wizpak::wizard {
namespace {

using gui::WidgetKind;

class LayoutTest : public ::testing::Test {
 protected:
  LayoutTest() : page_(area_, texts_, package_.Lookup()) {}

  // Builds a layout whose lines are joined with CR LF.
  void Load(std::initializer_list<std::string> lines, const std::string& eol = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + eol;
    page_.LoadLayoutText(text);
  }
  gui::Widget& Only() {
    EXPECT_EQ(page_.Controls().size(), 1u);
    return *page_.Controls().at(0);
  }

  RunTexts texts_;
  test::TwoLanguages languages_{texts_.languages};
  test::BoxRecorder boxes_;
  test::FakePackage package_;
  gui::headless::HeadlessPageArea area_;
  TControlParser page_;
};

TEST_F(LayoutTest, KindIsTakenAfterTheFirstEqualsOfTheSecondLine) {
  Load({"[A]", "Type=TLabel", "[B]", "Whatever=tLaBeL", "[C]", "tedit", "[D]", "Type= TLabel"});
  ASSERT_EQ(page_.Controls().size(), 3u);
  EXPECT_EQ(page_.Controls()[0]->Kind(), WidgetKind::Label);
  EXPECT_EQ(page_.Controls()[1]->Kind(), WidgetKind::Label);
  EXPECT_EQ(page_.Controls()[2]->Kind(), WidgetKind::Edit);
  EXPECT_EQ(page_.Controls()[2]->Name(), "C");
}

TEST_F(LayoutTest, UnknownKindSkipsTheWholeSection) {
  // The bad integer would be fatal if the section's properties were read.
  Load({"[Odd]", "Type=TCheckBox", "Left=abc", "[Fine]", "Type=TBevel", "Left=4"});
  EXPECT_EQ(Only().Name(), "Fine");
  EXPECT_EQ(Only().Bounds().left, 4);
}

TEST_F(LayoutTest, PropertyKeysIgnoreCaseButNotBlanksAroundEquals) {
  Load({"[A]", "Type=TLabel", "LEFT=10", "Top = 20", "top =30", "wIdTh=$20", "Height=-3",
        ";Top=112"});
  gui::Rect r = Only().Bounds();
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.width, 32);
  EXPECT_EQ(r.height, -3);
}

TEST_F(LayoutTest, CrLfAndCrAloneReadTheSameButLfOnlyIsOneLine) {
  Load({"[A]", "Type=TLabel", "Left=7", "Caption=x=y"}, "\r");
  Load({"[B]", "Type=TLabel", "Left=7", "Caption=x=y"}, "\r\n");
  ASSERT_EQ(page_.Controls().size(), 2u);
  for (gui::Widget* control : page_.Controls()) {
    EXPECT_EQ(control->Bounds().left, 7);
    EXPECT_EQ(control->Text(), u"x=y");
  }
  Load({"[C]", "Type=TLabel", "Left=7"}, "\n");
  EXPECT_EQ(page_.Controls().size(), 2u);
}

TEST_F(LayoutTest, TextEndsAtTheFirstZeroByte) {
  page_.LoadLayoutText(std::string("[A]\rType=TLabel\r\0[B]\rType=TLabel\r", 30));
  EXPECT_EQ(Only().Name(), "A");
}

TEST_F(LayoutTest, LinesBeforeTheFirstSectionFormOneSection) {
  Load({"Stray", "tbevel", "Left=3", "[A]", "Type=TLabel"});
  ASSERT_EQ(page_.Controls().size(), 2u);
  EXPECT_EQ(page_.Controls()[0]->Kind(), WidgetKind::Bevel);
  EXPECT_EQ(page_.Controls()[0]->Name(), "tra");  // header minus first and last character
}

TEST_F(LayoutTest, LabelWithoutCaptionShowsItsNameUntilRetranslated) {
  Load({"[Lonely]", "Type=TLabel", "[Greeting]", "Type=TLabel", "Caption=<LANG99> <%SPACEAVA%>"});
  texts_.figures.SpaceAvailableText = "1.00 KB";
  ASSERT_EQ(page_.Controls().size(), 2u);
  EXPECT_EQ(page_.Controls()[0]->Text(), u"Lonely");
  texts_.languages.Current = 1;
  texts_.figures.SpaceAvailableText = "2.00 KB";
  page_.RetranslateControls();
  EXPECT_EQ(page_.Controls()[0]->Text(), u"");
  EXPECT_EQ(page_.Controls()[1]->Text(), u"Hallo 2.00 KB");
  EXPECT_EQ(page_.SourceTexts()[1], u"<LANG99> <%SPACEAVA%>");
}

TEST_F(LayoutTest, EmptyTextClearsTheName) {
  Load({"[Box]", "Type=TEdit", "Text=", "[Shown]", "Type=TEdit"});
  ASSERT_EQ(page_.Controls().size(), 2u);
  EXPECT_EQ(page_.Controls()[0]->Text(), u"");
  EXPECT_EQ(page_.Controls()[1]->Text(), u"Shown");
}

TEST_F(LayoutTest, OnlyTheWordTrueMakesBold) {
  Load({"[A]", "Type=TLabel", "FontBold=TRUE", "[B]", "Type=TLabel", "fontbold=true",
        "fontbold=yes", "[C]", "Type=TLabel", "fontbold=1"});
  ASSERT_EQ(page_.Controls().size(), 3u);
  EXPECT_TRUE(page_.Controls()[0]->Font().bold);
  EXPECT_FALSE(page_.Controls()[1]->Font().bold);
  EXPECT_FALSE(page_.Controls()[2]->Font().bold);
}

TEST_F(LayoutTest, BreaksInLabelsAndMemosButTagsOnlyInLabels) {
  Load({"[L]", "Type=TLabel", "Caption=one<br>two<BR><LANG99>", "[M]", "Type=TMemo",
        "Text=one<Br>two <LANG99>"});
  ASSERT_EQ(page_.Controls().size(), 2u);
  EXPECT_EQ(page_.Controls()[0]->Text(), u"one\rtwo\rHello");
  auto& memo = static_cast<gui::Memo&>(*page_.Controls()[1]);
  ASSERT_EQ(memo.Lines().size(), 2u);
  EXPECT_EQ(memo.Lines()[1], u"two <LANG99>");
  // Memo texts are not remembered for re-translation.
  EXPECT_EQ(page_.SourceTexts()[1], u"");
}

TEST_F(LayoutTest, ColourNumbersAreBlueGreenRed) {
  Load({"[A]", "Type=TLabel", "fontcolour=$0000FF", "FontFace=Verdana", "fontsize=12"});
  const gui::FontSpec& font = Only().Font();
  EXPECT_EQ(font.colour, gui::Rgb(255, 0, 0));
  EXPECT_FALSE(font.parent_font);
  EXPECT_EQ(font.face, "Verdana");
  EXPECT_EQ(font.size_points, 12);
}

TEST_F(LayoutTest, KeysAKindDoesNotAcceptAreIgnored) {
  Load({"[Go]", "Type=TButton", "Caption=Press", "fontbold=true", "Enabled=false", "[Tree]",
        "Type=TShellTreeView", "Text=x"});
  ASSERT_EQ(page_.Controls().size(), 2u);
  EXPECT_EQ(page_.Controls()[0]->Text(), u"Go");
  EXPECT_FALSE(page_.Controls()[0]->Font().bold);
  EXPECT_FALSE(page_.Controls()[0]->Enabled());
}

TEST_F(LayoutTest, PanelCaptionsPassThroughTheAnsiCodePage) {
  Load({"[P]", "Type=TPanel", "Caption=<LANG50>", "[L]", "Type=TLabel", "Caption=<LANG50>"});
  texts_.languages.Items[0]->Strings.push_back({50, u"\u20ac \u0141"});
  page_.RetranslateControls();
  ASSERT_EQ(page_.Controls().size(), 2u);
  EXPECT_EQ(page_.Controls()[0]->Text(), u"\u20ac ?");  // the euro sign is ANSI, L-stroke is not
  EXPECT_EQ(page_.Controls()[1]->Text(), u"\u20ac \u0141");
}

TEST_F(LayoutTest, FatalValuesAndNamesCarryTheirMessages) {
  auto message = [&](std::initializer_list<std::string> lines) -> std::string {
    try {
      Load(lines);
    } catch (const WizardError& error) {
      return error.what();
    }
    return "";
  };
  EXPECT_EQ(message({"[A]", "Type=TLabel", "Left=12px"}), "'12px' is not a valid integer value");
  EXPECT_EQ(message({"[9lives]", "Type=TLabel"}), "''9lives'' is not a valid component name");
  EXPECT_EQ(message({"[Has Blank]", "Type=TBevel"}), "''Has Blank'' is not a valid component name");
  EXPECT_EQ(message({"[Twice]", "Type=TLabel"}), "");
  EXPECT_EQ(message({"[TWICE]", "Type=TEdit"}), "A component named TWICE already exists");
}

TEST_F(LayoutTest, DuplicateNamesAcrossLayoutsOfOnePageAreaAreFatal) {
  package_.Add("one.txt", "[Title]\r\nType=TLabel\r\n");
  package_.Add("two.txt", "[Title]\r\nType=TLabel\r\n");
  TControlParser first(area_, texts_, package_.Lookup());
  first.LoadLayout("one.txt");
  TControlParser second(area_, texts_, package_.Lookup());
  EXPECT_THROW(second.LoadLayout("TWO.TXT"), WizardError);
}

TEST_F(LayoutTest, MissingLayoutIsReportedAndLeavesThePageEmpty) {
  page_.LoadLayout("nothere.txt");
  EXPECT_TRUE(page_.Controls().empty());
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Error File Missing: |nothere.txt|");
  EXPECT_EQ(boxes_.boxes[0].caption, "Missing File");
}

TEST_F(LayoutTest, PicturesComeFromEntriesAndMissingOnesStaySilentlyEmpty) {
  package_.Add("side.JPG", "jpegbytes");
  Load({"[Side]", "Type=TImage", "File=side.jpg", "Stretch=TRUE", "[Gone]", "Type=TImage",
        "File=gone.bmp", "Center=true"});
  ASSERT_EQ(page_.Controls().size(), 2u);
  auto& side = static_cast<gui::headless::HeadlessPicture&>(*page_.Controls()[0]);
  EXPECT_EQ(side.PictureBytes(), "jpegbytes");
  EXPECT_EQ(side.PictureFormat(), "jpg");
  EXPECT_TRUE(side.Stretch());
  auto& gone = static_cast<gui::Picture&>(*page_.Controls()[1]);
  EXPECT_FALSE(gone.HasPicture());
  EXPECT_TRUE(gone.Center());
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(LayoutTest, RichTextFileNamesTakePlaceholdersAndMissingOnesAreReported) {
  texts_.figures.SpaceRequiredText = "notes";
  package_.Add("notes.rtf", "{\\rtf1 hi}");
  Load({"[Log]", "Type=TRichEdit", "Text=kept", "File=<%SPACEREQ%>.rtf", "[Other]",
        "Type=TRichEdit", "Text=kept", "File=none.rtf"});
  ASSERT_EQ(page_.Controls().size(), 2u);
  EXPECT_EQ(static_cast<gui::RichEdit&>(*page_.Controls()[0]).Content(), "{\\rtf1 hi}");
  EXPECT_EQ(page_.Controls()[1]->Text(), u"kept");
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Error: File \"none.rtf\" Missing");
  EXPECT_EQ(boxes_.boxes[0].caption, "Rich Edit Error");
}

// The shipped change-log page names "<%CHANGELOG%>"; a setup without a
// change log gives an empty name, which is no missing file: the box stays
// empty and nothing is reported.
TEST_F(LayoutTest, RichTextFileThatExpandsToNothingLoadsNothingQuietly) {
  texts_.figures.SpaceRequiredText = "";
  Load({"[Log]", "Type=TRichEdit", "Text=kept", "File=<%SPACEREQ%>"});
  ASSERT_EQ(page_.Controls().size(), 1u);
  EXPECT_EQ(page_.Controls()[0]->Text(), u"kept");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(LayoutTest, ProgressBarForecolourGivesAFlatGradient) {
  Load({"[Bar]", "Type=TProgressBar", "forecolour=$00FF00", "backcolour=255", "Width=300"});
  gui::TGradGauge* gauge = page_.GaugeOf(&Only());
  ASSERT_NE(gauge, nullptr);
  EXPECT_EQ(gauge->Color1(), gui::Rgb(0, 255, 0));
  EXPECT_EQ(gauge->Color2(), gui::Rgb(0, 255, 0));
  EXPECT_EQ(gauge->Backcolor(), gui::Rgb(255, 0, 0));
  EXPECT_EQ(Only().Bounds().width, 300);
  EXPECT_EQ(Only().Bounds().height, gui::TGradGauge::kCreateHeight);
  // Progress changes repaint the control at once, through its own size.
  gauge->SetProgress(50);
  auto& face = static_cast<gui::headless::HeadlessGauge&>(Only());
  ASSERT_NE(face.LastPaint(), nullptr);
  EXPECT_EQ(face.LastPaint()->Pixel(2 + 147, 10), gui::Rgb(0, 255, 0));  // (300-3)*50/100 = 148
  EXPECT_EQ(face.LastPaint()->Pixel(2 + 148, 10), gui::Rgb(255, 0, 0));
}

TEST_F(LayoutTest, SendingToBackKeepsThePagesOwnOrder) {
  Load({"[Front]", "Type=TLabel"});
  TControlParser background(area_, texts_, package_.Lookup());
  background.LoadLayoutText("[Back1]\rType=TBevel\r[Back2]\rType=TImage\r");
  background.SendControlsToBack();
  std::vector<gui::Widget*> order = area_.Children();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0]->Name(), "Back1");
  EXPECT_EQ(order[1]->Name(), "Back2");
  EXPECT_EQ(order[2]->Name(), "Front");
}

}  // namespace
}  // namespace wizpak::wizard
