// The headless front-end: controls keep what they are given, the page area
// keeps z-order, and an unattended run presses through the wizard.
#include <gtest/gtest.h>

#include "gui/frontend.h"
#include "gui/headless/headless_toolkit.h"
#include "platform/terminal.h"
#include "support/test_support.h"

namespace wizpak::gui::headless {
namespace {

TEST(HeadlessWidgets, TextBearingKindsShowTheirNameUntilGivenText) {
  HeadlessPageArea area;
  Label& label = area.CreateLabel();
  label.SetName("title_label");
  EXPECT_EQ(label.Text(), u"title_label");
  label.SetText(u"");
  label.SetName("renamed");  // a text that no longer equals the name stays
  EXPECT_EQ(label.Text(), u"");
  Bevel& bevel = area.CreateBevel();
  bevel.SetName("line");
  EXPECT_EQ(bevel.Text(), u"");
  EXPECT_TRUE(label.AutoSize());  // labels size themselves by default
  EXPECT_FALSE(area.CreateEdit().AutoSize());
}

TEST(HeadlessWidgets, ZOrderMovesOneChildAndKeepsTheOthers) {
  HeadlessPageArea area;
  Widget& a = area.CreateLabel();
  Widget& b = area.CreatePanel();
  Widget& c = area.CreateBevel();
  c.SendToBack();
  EXPECT_EQ(area.Children(), (std::vector<Widget*>{&c, &a, &b}));
  c.BringToFront();
  a.BringToFront();
  EXPECT_EQ(area.Children(), (std::vector<Widget*>{&b, &c, &a}));
  EXPECT_EQ(a.Parent(), &area);
}

TEST(HeadlessWidgets, EditChangeRunsOnEverySetText) {
  HeadlessPageArea area;
  Edit& edit = area.CreateEdit();
  int changes = 0;
  edit.SetText(u"before handler");
  edit.SetOnChange([&] { ++changes; });
  edit.SetText(u"C:\\Games\\");
  edit.SetText(u"C:\\Games\\");
  EXPECT_EQ(changes, 2);
}

TEST(HeadlessWidgets, FolderTreeSelectsWithBackslashAndReportsChangesOnce) {
  HeadlessPageArea area;
  FolderTree& tree = area.CreateFolderTree();
  int changes = 0;
  tree.SetOnChange([&] { ++changes; });
  EXPECT_TRUE(tree.SelectFolder("D:\\Games", true));
  EXPECT_EQ(tree.SelectedFolder(), "D:\\Games\\");
  EXPECT_TRUE(tree.SelectFolder("d:\\games\\", false));  // same folder, other case
  EXPECT_EQ(changes, 1);
  auto& headless_tree = static_cast<HeadlessFolderTree&>(tree);
  EXPECT_EQ(headless_tree.ExpandedFolders(), (std::vector<std::string>{"D:\\", "D:\\Games\\"}));
  tree.Clear();
  EXPECT_EQ(tree.SelectedFolder(), "");
  EXPECT_FALSE(tree.SelectFolder("", false));
}

TEST(HeadlessWidgets, ButtonClicksOnlyWhenVisibleAndEnabled) {
  HeadlessPageArea area;
  Button& button = area.CreateButton();
  int clicks = 0;
  button.SetOnClick([&] { ++clicks; });
  EXPECT_TRUE(button.Click());
  button.SetEnabled(false);
  EXPECT_FALSE(button.Click());
  button.SetEnabled(true);
  button.SetVisible(false);
  EXPECT_FALSE(button.Click());
  EXPECT_EQ(clicks, 1);
}

TEST(HeadlessWidgets, MemoLinesSplitOnEveryLineBreakKind) {
  HeadlessPageArea area;
  Memo& memo = area.CreateMemo();
  memo.SetText(u"one\rtwo\r\nthree\nfour");
  EXPECT_EQ(memo.Lines(), (std::vector<std::u16string>{u"one", u"two", u"three", u"four"}));
  memo.SetLines({u"a", u"", u"b"});
  EXPECT_EQ(memo.Text(), u"a\r\n\r\nb");
  EXPECT_EQ(memo.Lines().size(), 3u);
  memo.SetText(u"");
  EXPECT_TRUE(memo.Lines().empty());
}

TEST(HeadlessWidgets, RichEditKeepsLoadedBytesUntilTextChanges) {
  HeadlessPageArea area;
  RichEdit& rich = area.CreateRichEdit();
  rich.LoadContent("{\\rtf1 Hello}");
  EXPECT_EQ(rich.Content(), "{\\rtf1 Hello}");
  rich.Clear();
  rich.AddLine(u"Header");
  rich.AddLine(u"ID: KYPF");
  EXPECT_EQ(rich.Content(), "");
  EXPECT_EQ(rich.Text(), u"Header\r\nID: KYPF");
}

TEST(HeadlessWidgets, GaugeRepaintPaintsACanvasOfItsSize) {
  HeadlessPageArea area;
  Gauge& gauge = area.CreateGauge();
  gauge.SetBounds({10, 20, 40, 8});
  gauge.SetOnPaint([](Canvas& canvas) {
    canvas.FillRect(0, 0, canvas.Width() / 2, canvas.Height(), Rgb(255, 0, 0));
  });
  auto& headless_gauge = static_cast<HeadlessGauge&>(gauge);
  EXPECT_EQ(headless_gauge.LastPaint(), nullptr);
  gauge.Repaint();
  const MemoryCanvas* canvas = headless_gauge.LastPaint();
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas->Width(), 40);
  EXPECT_EQ(canvas->Height(), 8);
  EXPECT_EQ(canvas->Pixel(19, 7), Rgb(255, 0, 0));
  EXPECT_EQ(canvas->Pixel(20, 0), gauge.Colour());
}

TEST(MemoryCanvasTest, FillIsClippedAndHugeSizesDoNotOverflow) {
  MemoryCanvas canvas(4, 3);
  canvas.FillRect(-2, 1, 0x7FFFFFFF, 0x7FFFFFFF, kBlack);
  EXPECT_EQ(canvas.Pixel(0, 0), kWhite);
  EXPECT_EQ(canvas.Pixel(3, 2), kBlack);
  canvas.SetPixel(4, 0, kBlack);  // outside: ignored
  canvas.SetPixel(-1, 0, kBlack);
  EXPECT_EQ(canvas.Pixel(3, 0), kWhite);
  MemoryCanvas empty(-5, 3);
  EXPECT_EQ(empty.Width(), 0);
  empty.FillRect(0, 0, 10, 10, kBlack);
}

TEST(HeadlessMainFormTest, LayoutAndCloseQuery) {
  HeadlessMainForm form;
  EXPECT_EQ(form.Pages().Bounds(), (Rect{0, 0, 578, 375}));
  EXPECT_EQ(form.NextButton().Bounds(), (Rect{416, 384, 73, 25}));
  EXPECT_EQ(form.BackButton().Text(), u"< Back");
  bool allow = false;
  int closed = 0;
  form.SetOnCloseQuery([&] { return allow; });
  form.SetOnClose([&] { ++closed; });
  EXPECT_FALSE(form.Close());
  EXPECT_FALSE(form.IsClosed());
  allow = true;
  EXPECT_TRUE(form.Close());
  EXPECT_TRUE(form.Close());
  EXPECT_EQ(closed, 1);
}

TEST(HeadlessMainFormTest, MenuCheckMarkAndChoice) {
  HeadlessMainForm form;
  int chosen = -1;
  form.SetMenuItems(
      {{u"English", 0, true, [&] { chosen = 0; }}, {u"Deutsch", 1, false, [&] { chosen = 1; }}});
  form.CheckMenuItemWithTag(1);
  EXPECT_FALSE(form.MenuItems()[0].checked);
  EXPECT_TRUE(form.MenuItems()[1].checked);
  form.PopupMenuBelow(form.LanguageButton());
  EXPECT_EQ(form.MenuOpenCount(), 1);
  EXPECT_TRUE(form.ChooseMenuItem(1));
  EXPECT_EQ(chosen, 1);
  EXPECT_FALSE(form.ChooseMenuItem(2));
}

// A three-page wizard: Next moves on; on the last page Next is hidden and
// Cancel closes without a question.
struct TinyWizard {
  explicit TinyWizard(MainForm& f) : form(f) {
    form.NextButton().SetOnClick([this] { Show(page + 1); });
    form.CancelButton().SetOnClick([this] { form.Close(); });
    form.SetOnCloseQuery([this] {
      ++questions;
      return page == 2 || quit_allowed;
    });
    Show(0);
  }
  void Show(int p) {
    page = p;
    pages_seen.push_back(p);
    form.NextButton().SetVisible(page < 2);
  }
  MainForm& form;
  int page = 0;
  int questions = 0;
  bool quit_allowed = false;
  std::vector<int> pages_seen;
};

TEST(HeadlessRunTest, UnattendedPressesNextToTheFinishPageThenCloses) {
  HeadlessToolkit toolkit(FrontEndOptions{"headless", true});
  auto form = toolkit.CreateMainForm();
  TinyWizard wizard(*form);
  toolkit.Run(*form);
  EXPECT_TRUE(form->IsClosed());
  EXPECT_EQ(wizard.pages_seen, (std::vector<int>{0, 1, 2}));
}

TEST(HeadlessRunTest, UnattendedStuckOnADisabledNextAsksToQuit) {
  HeadlessToolkit toolkit(FrontEndOptions{"headless", true});
  auto form = toolkit.CreateMainForm();
  TinyWizard wizard(*form);
  wizard.quit_allowed = true;
  form->NextButton().SetEnabled(false);
  toolkit.Run(*form);
  EXPECT_TRUE(form->IsClosed());
  EXPECT_EQ(wizard.questions, 1);
}

TEST(HeadlessRunTest, UnattendedRunEndsEvenWhenTheWizardNeverFinishes) {
  HeadlessToolkit toolkit(FrontEndOptions{"headless", true});
  auto form = toolkit.CreateMainForm();
  int presses = 0;
  form->NextButton().SetOnClick([&] { ++presses; });
  form->SetOnCloseQuery([] { return false; });
  toolkit.Run(*form);  // must return
  EXPECT_FALSE(form->IsClosed());
  EXPECT_EQ(presses, HeadlessToolkit::kMaxUnattendedSteps);
}

TEST(HeadlessRunTest, AttendedWithoutAUserAsksToCloseOnce) {
  HeadlessToolkit toolkit(FrontEndOptions{"headless", false});
  auto form = toolkit.CreateMainForm();
  TinyWizard wizard(*form);
  toolkit.Run(*form);
  EXPECT_EQ(wizard.questions, 1);
  EXPECT_EQ(wizard.pages_seen, (std::vector<int>{0}));
}

TEST(HeadlessVerifyWindowTest, StatusChangesGoToTheTranscriptOnce) {
  test::TempDir dir;
  test::ScopedEnv transcript("WIZPAK_TRANSCRIPT", dir.file("t"));
  HeadlessVerifyWindow window;
  window.SetStatus("Loading Header");
  window.SetStatus("Loading Header");
  window.SetStatus("Status: 0 out of 3 files verifyed");
  EXPECT_EQ(window.StatusHistory().size(), 2u);
  EXPECT_EQ(test::ReadHostFile(dir.file("t")),
            "STATUS text=\"Loading Header\"\n"
            "STATUS text=\"Status: 0 out of 3 files verifyed\"\n");
}

TEST(FrontEndChoiceTest, NoDisplayWithoutOptionsSuggestsUnattended) {
  test::ScopedEnv display("DISPLAY", std::nullopt);
  test::ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
  std::string error;
  // On a terminal the terminal wizard would start (see test_gui_text).
  if (!platform::StdinAndStdoutAreTerminals()) {
    EXPECT_EQ(CreateToolkit(FrontEndOptions{}, error), nullptr);
    EXPECT_NE(error.find("--unattended"), std::string::npos);
  }
  auto unattended = CreateToolkit(FrontEndOptions{"", true}, error);
  ASSERT_NE(unattended, nullptr);
  EXPECT_EQ(unattended->Name(), "headless");
  EXPECT_EQ(CreateToolkit(FrontEndOptions{"nonesuch", false}, error), nullptr);
  EXPECT_NE(error.find("nonesuch"), std::string::npos);
}

TEST(FrontEndChoiceTest, RegisteredBackendIsUsedAndItsFailureExplained) {
  RegisterToolkit("test-fails", [](const FrontEndOptions&, std::string& why) {
    why = "no such thing";
    return nullptr;
  });
  std::string error;
  EXPECT_EQ(CreateToolkit(FrontEndOptions{"test-fails", false}, error), nullptr);
  EXPECT_NE(error.find("cannot start"), std::string::npos);
  EXPECT_NE(error.find("no such thing"), std::string::npos);
}

// The automatic choice with a display named but the window's libraries
// missing: the message carries what is missing, and without a terminal
// (as under the test runner) there is no toolkit, so the setup ends.
TEST(FrontEndChoiceTest, MissingLibraryIsNamedWhenTheWindowCannotStart) {
  test::ScopedEnv display("DISPLAY", ":0");
  RegisterToolkit("fltk", [](const FrontEndOptions&, std::string& why) {
    why = "libXft.so.2: cannot open shared object file: No such file or directory";
    return nullptr;
  });
  std::string error;
  EXPECT_EQ(CreateToolkit(FrontEndOptions{}, error), nullptr);
  EXPECT_NE(error.find("libXft.so.2: cannot open shared object file"), std::string::npos) << error;
  EXPECT_NE(error.find("--unattended"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

}  // namespace
}  // namespace wizpak::gui::headless
