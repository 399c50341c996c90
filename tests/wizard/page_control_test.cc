#include "wizard/page_control.h"

#include <gtest/gtest.h>

#include "gui/headless/headless_toolkit.h"
#include "wizard_fixtures.h"

namespace wizpak::wizard {
namespace {

class PageSetTest : public ::testing::Test {
 protected:
  PageSetTest()
      : pages_(form_.BackButton(), form_.NextButton(), form_.CancelButton(), form_.LanguageButton(),
               form_.Pages(), texts_, package_.Lookup()) {}

  // Each page layout holds one label named after the page, the main layout
  // an image on the left and a bevel.
  void AddSixPages() {
    package_.Add("layout.txt", "[WelcomeTitle]\r\nType=TLabel\r\n");
    package_.Add("install.txt", "[FolderTitle]\r\nType=TLabel\r\n");
    package_.Add("layout3.txt", "[ReadyTitle]\r\nType=TLabel\r\n");
    package_.Add("layout4.txt", "[WorkTitle]\r\nType=TLabel\r\n");
    package_.Add("layout5.txt", "[DoneTitle]\r\nType=TLabel\r\n");
    package_.Add("mainlayout.txt",
                 "[SideImage]\r\nType=TImage\r\nLeft=0\r\nWidth=164\r\n"
                 "[SideLine]\r\nType=TBevel\r\n");
  }
  void LoadSixPages(const std::string& types_header = "[PageTypes]") {
    AddSixPages();
    pages_.LoadPageSetText(
        "[Pages]\r\nlayout.txt\r\ninstall.txt\r\nlayout3.txt\r\nlayout4.txt\r\n"
        "layout5.txt\r\nmainlayout.txt\r\n" +
        types_header +
        "\r\nWelcome\r\nInstallDir\r\nPatch\r\nPatching\r\nFinish\r\nMainLayout\r\n");
  }
  bool Shown(int page) const {
    for (gui::Widget* control : pages_.PageList()[page]->Controls()) {
      if (!control->Visible()) return false;
    }
    return true;
  }
  bool Hidden(int page) const {
    for (gui::Widget* control : pages_.PageList()[page]->Controls()) {
      if (control->Visible()) return false;
    }
    return true;
  }

  RunTexts texts_;
  test::TwoLanguages languages_{texts_.languages};
  test::BoxRecorder boxes_;
  test::FakePackage package_;
  gui::headless::HeadlessMainForm form_;
  TSEPageControl pages_;
};

TEST_F(PageSetTest, SixPagesWithTheMainLayoutBehindEveryPage) {
  LoadSixPages();
  ASSERT_EQ(pages_.PageCount(), 6);
  EXPECT_EQ(pages_.TypeOf(3), TPageType::ptPatching);
  EXPECT_EQ(pages_.TypeOf(5), TPageType::ptMainLayout);
  for (int current = 0; current < 5; ++current) {
    pages_.ShowPage(current);
    for (int page = 0; page < 5; ++page) {
      EXPECT_EQ(page == current ? Shown(page) : Hidden(page), true) << current << "/" << page;
    }
    EXPECT_TRUE(Shown(5));
  }
  // The main layout's controls are rearmost, in their own order.
  std::vector<gui::Widget*> order = form_.Pages().Children();
  ASSERT_EQ(order.size(), 7u);
  EXPECT_EQ(order[0]->Name(), "SideImage");
  EXPECT_EQ(order[1]->Name(), "SideLine");
}

TEST_F(PageSetTest, SectionNamesAndTypeWordsMatchInAnyCase) {
  LoadSixPages("[pagetypes]");
  EXPECT_EQ(pages_.TypeOf(1), TPageType::ptInstallDir);
  EXPECT_EQ(PageTypeFromWord("UNINSTALL"), TPageType::ptUninstall);
  EXPECT_EQ(PageTypeFromWord("ChangeLog"), TPageType::ptChangelog);
}

TEST_F(PageSetTest, UnknownOrMissingTypeWordsGiveWelcomePages) {
  package_.Add("a.txt", "[A]\r\nType=TLabel\r\n");
  package_.Add("b.txt", "[B]\r\nType=TLabel\r\n");
  package_.Add("c.txt", "[C]\r\nType=TLabel\r\n");
  pages_.LoadPageSetText("[PAGES]\ra.txt\rb.txt\rc.txt\r[PageTypes]\rpatch\rsplash\r");
  EXPECT_EQ(pages_.TypeOf(0), TPageType::ptPatch);
  EXPECT_EQ(pages_.TypeOf(1), TPageType::ptWelcome);
  EXPECT_EQ(pages_.TypeOf(2), TPageType::ptWelcome);
}

TEST_F(PageSetTest, ColourLinesSkipTheSeventhCharacter) {
  pages_.LoadPageSetText("[Settings]\rcolour=$FF0000\r");
  EXPECT_EQ(pages_.Colour, gui::Rgb(0, 0, 255));
  pages_.LoadPageSetText("[settings]\rColour $222222\rFontColour=255\rsomething else\r");
  EXPECT_EQ(pages_.Colour, gui::Rgb(0x22, 0x22, 0x22));
  EXPECT_EQ(pages_.FontColour, gui::Rgb(255, 0, 0));
  EXPECT_THROW(pages_.LoadPageSetText("[settings]\rcolour=dark\r"), WizardError);
}

TEST_F(PageSetTest, FirstPageHidesBackAndTheFinishPageLeavesOnlyCancel) {
  LoadSixPages();
  pages_.ShowPage(0);
  EXPECT_FALSE(form_.BackButton().Visible());
  EXPECT_EQ(form_.NextButton().Text(), u"Next >");
  pages_.ShowPage(2);
  EXPECT_TRUE(form_.BackButton().Visible());
  EXPECT_EQ(form_.NextButton().Text(), u"Install");
  pages_.ShowPage(4);
  EXPECT_FALSE(form_.BackButton().Visible());
  EXPECT_FALSE(form_.NextButton().Visible());
  EXPECT_TRUE(form_.CancelButton().Visible());
  EXPECT_TRUE(form_.CancelButton().Enabled());
  EXPECT_EQ(form_.CancelButton().Text(), u"Finish");
}

TEST_F(PageSetTest, WhatAWorkingPageTakesAwayIsNotRestored) {
  LoadSixPages();
  pages_.ShowPage(3);
  EXPECT_FALSE(form_.NextButton().Enabled());
  EXPECT_FALSE(form_.CancelButton().Enabled());
  EXPECT_FALSE(form_.LanguageButton().Visible());
  pages_.ShowPage(4);
  pages_.ShowPage(1);
  EXPECT_TRUE(form_.NextButton().Enabled());
  EXPECT_TRUE(form_.BackButton().Visible());
  EXPECT_FALSE(form_.NextButton().Visible());
  EXPECT_FALSE(form_.LanguageButton().Visible());
  EXPECT_EQ(form_.CancelButton().Text(), u"Finish");
}

TEST_F(PageSetTest, ShowingAPageOutsideTheSetChangesNothing) {
  LoadSixPages();
  pages_.ShowPage(2);
  pages_.ShowPage(6);
  pages_.ShowPage(-1);
  EXPECT_EQ(pages_.CurrentPage, 2);
  EXPECT_TRUE(Shown(2));
  EXPECT_EQ(form_.NextButton().Text(), u"Install");
}

TEST_F(PageSetTest, FirstPageIsShownAsSoonAsItIsAdded) {
  package_.Add("a.txt", "[A]\r\nType=TLabel\r\n");
  package_.Add("b.txt", "[B]\r\nType=TLabel\r\n");
  pages_.LoadPageSetText("[Pages]\ra.txt\rb.txt\r[PageTypes]\rpatch\r");
  EXPECT_TRUE(Shown(0));
  EXPECT_TRUE(Hidden(1));
  // Its type only shows the next time it is shown.
  EXPECT_EQ(form_.NextButton().Text(), u"Next >");
  pages_.ShowPage(0);
  EXPECT_EQ(form_.NextButton().Text(), u"Install");
}

TEST_F(PageSetTest, MissingLayoutsKeepTheirPlaceAndMissingDescriptionIsReported) {
  package_.Add("b.txt", "[B]\r\nType=TLabel\r\n");
  pages_.LoadPageSetText("[Pages]\rgone.txt\rb.txt\r");
  EXPECT_EQ(pages_.PageCount(), 2);
  EXPECT_TRUE(pages_.PageList()[0]->Controls().empty());
  EXPECT_EQ(boxes_.boxes.at(0).text, "Error File Missing: |gone.txt|");

  EXPECT_FALSE(pages_.LoadPageSet("Pages.txt"));
  EXPECT_EQ(boxes_.boxes.at(1).text, "Error File Missing: Pages.txt");
  EXPECT_EQ(boxes_.boxes.at(1).caption, "Missing File");
}

TEST_F(PageSetTest, RetranslateReachesHiddenPages) {
  package_.Add("a.txt", "[A]\r\nType=TLabel\r\nCaption=<LANG99>\r\n");
  package_.Add("b.txt", "[B]\r\nType=TLabel\r\nCaption=<LANG99>!\r\n");
  pages_.LoadPageSetText("[Pages]\ra.txt\rb.txt\r");
  texts_.languages.Current = 1;
  pages_.RetranslatePages();
  EXPECT_EQ(pages_.PageList()[1]->Controls()[0]->Text(), u"Hallo!");
  EXPECT_FALSE(pages_.PageList()[1]->Controls()[0]->Visible());
}

}  // namespace
}  // namespace wizpak::wizard
