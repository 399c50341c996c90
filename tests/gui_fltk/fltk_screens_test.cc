// The FLTK front-end drawn on a real (virtual) display: controls, the gauge,
// pictures, rich text, the verification window and a message box, checked
// by pixels at known places. Every screen is saved as a PNG artefact.
#include <gtest/gtest.h>

#include "screen.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "gui/canvas.h"
#include "gui/fltk/fltk_style.h"
#include "gui/fltk/fltk_toolkit.h"
#include "gui/fltk/fltk_windows.h"
#include "gui/grad_gauge.h"
#include "gui/message_box.h"
#include "picture_files.h"
#include "support/test_support.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::test {
namespace {

using gui::RgbaImage;
using gui::fltk::FltkMainForm;

bool IsRed(uint32_t rgb) {
  return (rgb >> 16) > 180 && ((rgb >> 8) & 0xFF) < 90 && (rgb & 0xFF) < 90;
}

// The columns [left, right) in which the box holds pixels unlike `background`.
std::pair<int, int> InkColumns(const RgbaImage& shot, const gui::Rect& box, uint32_t background) {
  int left = box.left + box.width;
  int right = box.left;
  for (int y = box.top; y < box.top + box.height; ++y) {
    for (int x = box.left; x < box.left + box.width; ++x) {
      if (RgbAt(shot, x, y) != background) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
      }
    }
  }
  return {left, right};
}

class FltkScreens : public ::testing::Test {
 protected:
  void SetUp() override {
    WIZPAK_NEED_DISPLAY();
    toolkit_ = std::make_unique<gui::fltk::FltkToolkit>(gui::FrontEndOptions{});
    form_.reset(static_cast<FltkMainForm*>(toolkit_->CreateMainForm().release()));
    form_->SetCaption(u"Screens");
  }
  void TearDown() override {
    form_.reset();
    toolkit_.reset();
  }
  RgbaImage Show(const std::string& artefact) {
    form_->Show();
    RgbaImage shot = Grab(form_->Window());
    SaveArtefact(shot, artefact);
    return shot;
  }

  std::unique_ptr<gui::fltk::FltkToolkit> toolkit_;
  std::unique_ptr<FltkMainForm> form_;
};

TEST_F(FltkScreens, FormLayoutAndLanguageMark) {
  form_->LanguageButton().SetText(u"Deutsch");
  const RgbaImage shot = Show("form");
  EXPECT_EQ(shot.width, 578);
  EXPECT_EQ(shot.height, 413);
  // The page area is white, the button strip the button face.
  EXPECT_EQ(RgbAt(shot, 300, 200), 0xFFFFFFu);
  EXPECT_EQ(RgbAt(shot, 300, 400), 0xF0F0F0u);
  // The drop-down mark: 9 x 6 at the right end of the language button,
  // vertically centred; its widest row is black across all 9 pixels.
  const int mark_x = 8 + 89 - 9 - 8;
  const int mark_y = 384 + (25 - 6) / 2;
  for (int x = mark_x; x < mark_x + 9; ++x) EXPECT_EQ(RgbAt(shot, x, mark_y + 1), 0u) << x;
  EXPECT_EQ(RgbAt(shot, mark_x + 4, mark_y + 5), 0u);
  EXPECT_NE(RgbAt(shot, mark_x, mark_y + 5), 0u);
}

// Long translations widen their buttons to the left, keeping the row's
// right edge; each caption is drawn whole, at its size, clear of the frame
// and of where the focus mark goes.
TEST_F(FltkScreens, LongButtonCaptionsWidenTheirButtons) {
  form_->BackButton().SetText(u"< &Zur\u00FCck");
  form_->NextButton().SetText(u"&Deinstallieren");
  form_->CancelButton().SetText(u"&Fertig stellen");
  const RgbaImage shot = Show("button-caption");
  const gui::Rect back = form_->BackButton().Bounds();
  const gui::Rect next = form_->NextButton().Bounds();
  const gui::Rect cancel = form_->CancelButton().Bounds();
  EXPECT_EQ(cancel.left + cancel.width, 571);
  EXPECT_GT(next.width, 73);
  EXPECT_EQ(next.left + next.width + 7, cancel.left);  // the gap is kept
  EXPECT_EQ(back.left + back.width - 1, next.left);    // Back still meets Next
  EXPECT_GT(back.left, 8 + 89);                        // clear of the language button
  for (gui::Button* button : {&form_->NextButton(), &form_->CancelButton()}) {
    const gui::Rect b = button->Bounds();
    // Inside the frame the face is the colour of its inner left column
    // wherever no text is.
    const gui::Rect inside{b.left + 2, b.top + 6, b.width - 4, 13};
    const uint32_t face = RgbAt(shot, inside.left, inside.top + 6);
    const auto ink = InkColumns(shot, inside, face);
    const int drawn = dynamic_cast<gui::fltk::FltkButton*>(button)->ViewButton().CaptionWidth();
    EXPECT_GE(ink.second - ink.first, drawn - 2) << "drawn smaller";
    EXPECT_GE(ink.first, b.left + 6);
    EXPECT_LE(ink.second, b.left + b.width - 6);
  }
}

// Delivers a key to the form as the display would.
void PressKey(Fl_Window& window, int key, int state, const char* text) {
  static std::string typed;
  typed = text;
  Fl::e_keysym = key;
  Fl::e_state = state;
  Fl::e_text = typed.data();
  Fl::e_length = static_cast<int>(typed.size());
  Fl::handle(FL_SHORTCUT, &window);
  Fl::e_state = 0;
}

TEST_F(FltkScreens, KeysPressTheFormButtons) {
  int next = 0;
  int back = 0;
  int cancel = 0;
  form_->NextButton().SetOnClick([&] { ++next; });
  form_->BackButton().SetOnClick([&] { ++back; });
  form_->CancelButton().SetOnClick([&] { ++cancel; });
  form_->BackButton().SetText(u"< &Zur\u00FCck");
  Show("keys");
  Fl_Window& window = form_->Window();
  // No default button: Enter presses nothing.
  PressKey(window, FL_Enter, 0, "\r");
  EXPECT_EQ(next, 0);
  form_->SetDefaultButton(&form_->NextButton());
  PressKey(window, FL_Enter, 0, "\r");
  EXPECT_EQ(next, 1);
  // The focus on another push button takes Enter for that button; moved to
  // the default button, Enter presses it again.
  form_->SetFocus(form_->CancelButton());
  PressKey(window, FL_Enter, 0, "\r");
  EXPECT_EQ(cancel, 1);
  form_->SetFocus(form_->NextButton());
  PressKey(window, FL_Enter, 0, "\r");
  EXPECT_EQ(next, 2);
  cancel = 0;
  next = 1;
  PressKey(window, 'z', FL_ALT, "z");
  EXPECT_EQ(back, 1);
  PressKey(window, FL_Escape, 0, "\x1b");
  EXPECT_EQ(cancel, 1);
  // A disabled default button ignores Enter.
  form_->NextButton().SetEnabled(false);
  PressKey(window, FL_Enter, 0, "\r");
  EXPECT_EQ(next, 1);
}

TEST_F(FltkScreens, LabelColourPageColourBoldAndTransparency) {
  gui::PageArea& page = form_->Pages();
  page.SetColour(0x222222);
  // A plain and a bold label with the same text, in red ("$0000FF").
  gui::FontSpec font;
  font.size_points = 14;
  font.colour = 0x0000FF;
  font.parent_font = false;
  gui::Label& plain = page.CreateLabel();
  plain.SetBounds({20, 20, 300, 30});
  plain.SetAutoSize(false);
  plain.SetFont(font);
  plain.SetText(u"Wizard Page Text");
  gui::Label& bold = page.CreateLabel();
  bold.SetBounds({20, 60, 300, 30});
  bold.SetAutoSize(false);
  font.bold = true;
  bold.SetFont(font);
  bold.SetText(u"Wizard Page Text");
  // A picture with a transparent and an opaque label over it.
  gui::Picture& picture = page.CreatePicture();
  picture.SetBounds({20, 120, 200, 100});
  picture.SetStretch(true);
  const RgbaImage green = MakePicture(10, 10, [](int, int) { return 0xFF00C000u; });
  ASSERT_TRUE(picture.SetPicture(WriteBmp(green, {}), "BMP"));
  gui::Label& over = page.CreateLabel();
  over.SetBounds({30, 130, 80, 20});
  over.SetAutoSize(false);
  over.SetTransparent(true);
  over.SetText(u"over");
  gui::Label& opaque = page.CreateLabel();
  opaque.SetBounds({120, 130, 80, 20});
  opaque.SetAutoSize(false);
  opaque.SetText(u"opaque");

  const RgbaImage shot = Show("labels");
  EXPECT_EQ(RgbAt(shot, 500, 300), 0x222222u);
  int red = 0;
  for (int y = 20; y < 90; ++y)
    for (int x = 20; x < 320; ++x) red += IsRed(RgbAt(shot, x, y));
  EXPECT_GT(red, 50);
  const auto plain_ink = InkColumns(shot, {20, 20, 300, 30}, 0x222222);
  const auto bold_ink = InkColumns(shot, {20, 60, 300, 30}, 0x222222);
  EXPECT_GT(bold_ink.second - bold_ink.first, plain_ink.second - plain_ink.first);
  // Behind the transparent label the picture shows; the opaque label paints
  // the page colour.
  EXPECT_EQ(RgbAt(shot, 105, 147), 0x00C000u);
  EXPECT_EQ(RgbAt(shot, 195, 147), 0x222222u);
  EXPECT_EQ(RgbAt(shot, 210, 210), 0x00C000u);

  // Hidden controls leave their place to what is behind them.
  opaque.SetVisible(false);
  const RgbaImage after = Show("labels-hidden");
  EXPECT_EQ(RgbAt(after, 195, 147), 0x00C000u);
}

TEST_F(FltkScreens, GaugeGradientAtZeroHalfAndFull) {
  for (int progress : {0, 50, 100}) {
    SCOPED_TRACE(progress);
    gui::TGradGauge model;
    model.SetColor1(0xFF0000);  // blue
    model.SetColor2(0x0000FF);  // red
    model.SetAutocaption(false);
    model.SetCaption("");
    model.SetProgress(progress);
    gui::Gauge& gauge = form_->Pages().CreateGauge();
    gauge.SetBounds({100, 100 + progress, 200, 40});
    gauge.SetOnPaint([&model](gui::Canvas& canvas) { model.Paint(canvas, gui::FontSpec{}); });
    const RgbaImage shot = Show("gauge-" + std::to_string(progress));
    gui::MemoryCanvas expected(200, 40);
    model.Paint(expected, gui::FontSpec{});
    int wrong = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 200; ++x) {
        const gui::ColourRef c = expected.Pixel(x, y);
        const uint32_t rgb =
            (uint32_t(gui::RedOf(c)) << 16) | (gui::GreenOf(c) << 8) | gui::BlueOf(c);
        wrong += RgbAt(shot, 100 + x, 100 + progress + y) != rgb;
      }
    }
    EXPECT_EQ(wrong, 0);
    gauge.SetVisible(false);
  }
}

TEST_F(FltkScreens, PicturesOfEveryFormatShowTheirPixels) {
  // Four colour quarters: readable from every depth's palette.
  const std::vector<uint32_t> palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  const RgbaImage quarters = MakePicture(
      16, 16, [&](int x, int y) { return 0xFF000000u | palette[(x >= 8) + 2 * (y >= 8)]; });
  struct Case {
    std::string name;
    std::string bytes;
    std::string format;
    int tolerance;
  };
  std::vector<Case> cases;
  for (int bits : {1, 4, 8, 24, 32}) {
    BmpOptions options;
    options.bits = bits;
    if (bits <= 8)
      options.palette = bits == 1 ? std::vector<uint32_t>{0xFF0000, 0x00FF00} : palette;
    RgbaImage image = quarters;
    if (bits == 1) {
      image = MakePicture(16, 16, [](int x, int) { return x < 8 ? 0xFFFF0000u : 0xFF00FF00u; });
    }
    cases.push_back({"bmp" + std::to_string(bits), WriteBmp(image, options), "bmp", 0});
  }
  BmpOptions top_down;
  top_down.top_down = true;
  cases.push_back({"bmp-top-down", WriteBmp(quarters, top_down), "Bmp", 0});
  cases.push_back({"jpeg", WriteJpeg(quarters, 95), "jpg", 40});
  cases.push_back({"ico", WriteIco({{16, 16, WritePng(quarters)}}), "ico", 0});

  std::vector<std::pair<RgbaImage, gui::Rect>> placed;
  int left = 10;
  for (const Case& c : cases) {
    gui::Picture& picture = form_->Pages().CreatePicture();
    const gui::Rect box{left, 10, 16, 16};
    picture.SetBounds(box);
    ASSERT_TRUE(picture.SetPicture(c.bytes, c.format)) << c.name;
    placed.push_back({*gui::DecodePicture(c.bytes, c.format), box});
    left += 24;
  }
  // Unreadable bytes leave the picture empty.
  gui::Picture& broken = form_->Pages().CreatePicture();
  broken.SetBounds({10, 40, 16, 16});
  EXPECT_FALSE(broken.SetPicture("BM not a bitmap", "bmp"));
  EXPECT_FALSE(broken.HasPicture());

  const RgbaImage shot = Show("pictures");
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const RgbaImage& source = cases[i].name == "bmp1" ? placed[i].first : quarters;
    const gui::Rect& box = placed[i].second;
    for (int y : {2, 13}) {
      for (int x : {2, 13}) {
        const uint32_t want = PixelOf(source, x, y) & 0xFFFFFF;
        const uint32_t got = RgbAt(shot, box.left + x, box.top + y);
        for (int shift : {16, 8, 0}) {
          EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), cases[i].tolerance)
              << x << "," << y;
        }
      }
    }
  }
  EXPECT_EQ(RgbAt(shot, 15, 45), 0xFFFFFFu);
}

TEST_F(FltkScreens, RichTextShowsColoursBoldAndUnicode) {
  gui::RichEdit& rich = form_->Pages().CreateRichEdit();
  rich.SetBounds({10, 10, 400, 200});
  rich.SetBorder(true);
  rich.LoadContent(
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
      "\\f0\\fs32 Plain \\cf1 red\\cf0  {\\b bold} euro \\u8364? sign\\par next line}");
  const RgbaImage shot = Show("richtext");
  auto& display = static_cast<gui::fltk::FltkRichEdit&>(rich).Display();
  std::unique_ptr<char, void (*)(void*)> text(display.buffer()->text(), std::free);
  EXPECT_EQ(std::string(text.get()), "Plain red bold euro \xE2\x82\xAC sign\nnext line");
  int red = 0;
  for (int y = 10; y < 210; ++y)
    for (int x = 10; x < 410; ++x) red += IsRed(RgbAt(shot, x, y));
  EXPECT_GT(red, 20);
  // The raw bytes stay readable, as the wizard reads them back.
  EXPECT_EQ(rich.Content().substr(0, 5), "{\\rtf");
}

// A licence file that is not RTF shows in the control's own font: its
// colour, weight and size, not the black default of a style-less run.
TEST_F(FltkScreens, PlainTextContentShowsInTheControlsOwnFont) {
  gui::RichEdit& rich = form_->Pages().CreateRichEdit();
  rich.SetBounds({10, 10, 400, 200});
  gui::FontSpec font;
  font.size_points = 14;
  font.colour = 0x0000FF;  // red
  font.bold = true;
  font.parent_font = false;
  rich.SetFont(font);
  const char licence[] = "Licence terms\r\nsecond line\rthird\0hidden";
  rich.LoadContent(std::string(licence, sizeof licence - 1));
  const RgbaImage shot = Show("richtext-plain");
  auto& display = static_cast<gui::fltk::FltkRichEdit&>(rich).Display();
  std::unique_ptr<char, void (*)(void*)> text(display.buffer()->text(), std::free);
  EXPECT_EQ(std::string(text.get()), "Licence terms\nsecond line\nthird");
  EXPECT_EQ(display.textsize(), gui::fltk::PixelSize(14));
  EXPECT_EQ(display.textfont(), gui::fltk::FontFor(font.face, /*bold=*/true));
  int red = 0;
  for (int y = 10; y < 210; ++y)
    for (int x = 10; x < 410; ++x) red += IsRed(RgbAt(shot, x, y));
  EXPECT_GT(red, 20);
}

// The same word twice, underlined on the first line only: the first line's
// band holds a row of ink below the letters that the second lacks.
TEST_F(FltkScreens, RichTextUnderlinesWhatItsStyleUnderlines) {
  gui::RichEdit& rich = form_->Pages().CreateRichEdit();
  rich.SetBounds({10, 10, 300, 120});
  rich.LoadContent("{\\rtf1\\ansi\\fs32 {\\ul mmmm}\\par mmmm}");
  const RgbaImage shot = Show("richtext-underline");
  auto& display = static_cast<gui::fltk::FltkRichEdit&>(rich).Display();
  int x = 0, first_top = 0, second_top = 0;
  ASSERT_TRUE(display.position_to_xy(0, &x, &first_top));
  ASSERT_TRUE(display.position_to_xy(5, &x, &second_top));
  const int line = second_top - first_top;
  ASSERT_GT(line, 0);
  // Rows holding dark ink, per line band, in window coordinates.
  auto ink_rows = [&](int top) {
    int rows = 0;
    for (int y = top; y < top + line; ++y) {
      int dark = 0;
      for (int x = display.x(); x < display.x() + display.w(); ++x)
        dark += (RgbAt(shot, x, y) & 0xFF) < 100;
      rows += dark > 0;
    }
    return rows;
  };
  const int underlined = ink_rows(first_top);
  const int plain = ink_rows(second_top);
  EXPECT_GT(plain, 0);
  EXPECT_GT(underlined, plain);
}

TEST_F(FltkScreens, FolderTreeShowsDrivesAndFoldersAsProgramPaths) {
  TempDir root;
  ScopedEnv drives("WIZPAK_DRIVES", "C=" + root.path() + ":fixed");
  std::filesystem::create_directories(root.path() + "/Games/Old");
  std::filesystem::create_directories(root.path() + "/.hidden");
  gui::FolderTree& tree = form_->Pages().CreateFolderTree();
  tree.SetBounds({10, 10, 300, 200});
  int changes = 0;
  tree.SetOnChange([&] { ++changes; });
  EXPECT_TRUE(tree.SelectFolder("c:\\games\\old", true));
  EXPECT_EQ(tree.SelectedFolder(), "c:\\games\\old\\");
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(tree.SelectFolder("C:\\Missing", true));
  EXPECT_FALSE(tree.SelectFolder("D:\\", true));
  Show("folder-tree");
  auto& view = static_cast<gui::fltk::FltkFolderTree&>(tree).Tree();
  std::vector<std::string> labels;
  for (Fl_Tree_Item* item = view.first(); item; item = view.next(item)) {
    if (item != view.root()) labels.push_back(item->label());
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"Local Disk (C:)", "Games", "Old"}));
  for (const std::string& label : labels) EXPECT_EQ(label.find('/'), std::string::npos);
  tree.Clear();
  EXPECT_EQ(tree.SelectedFolder(), "");
}

TEST_F(FltkScreens, VerificationWindowBar) {
  auto verify = toolkit_->CreateVerifyWindow();
  verify->Show();
  verify->SetStatus("Status: 5 out of 10 files verifyed");
  verify->SetProgressMax(10);
  verify->SetProgressPosition(5);
  verify->Repaint();
  Fl_Window* window = Fl::first_window();
  ASSERT_NE(window, nullptr);
  ASSERT_STREQ(window->label(), "Verifying Contents");
  EXPECT_EQ(window->w(), 321);
  EXPECT_EQ(window->h(), 70);
  const RgbaImage shot = Grab(*window);
  SaveArtefact(shot, "verify");
  const uint32_t filled = RgbAt(shot, 8 + 305 / 4, 56);
  const uint32_t empty = RgbAt(shot, 8 + 305 * 3 / 4, 56);
  EXPECT_EQ(filled, 0x94AAD1u);
  EXPECT_NE(empty, 0x94AAD1u);
  EXPECT_EQ(verify->Status(), "Status: 5 out of 10 files verifyed");
  verify->Close();
  EXPECT_FALSE(verify->IsShown());
}

// Runs `inspect` on the first message box window once it is up.
void WhenBoxShows(std::function<void(Fl_Window&)> inspect) {
  static std::function<void(Fl_Window&)> pending;
  pending = std::move(inspect);
  Fl::add_timeout(0.3, [](void*) {
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
      if (w->modal()) {
        pending(*w);
        return;
      }
    }
  });
}

Fl_Button* ButtonLabelled(Fl_Window& window, const std::string& label) {
  for (int i = 0; i < window.children(); ++i) {
    auto* button = dynamic_cast<Fl_Button*>(window.child(i));
    if (button && button->label() && label == button->label()) return button;
  }
  return nullptr;
}

TEST_F(FltkScreens, MessageBoxButtonsIconAndUnicodeText) {
  std::vector<std::string> labels;
  bool default_is_yes = false;
  gui::Rect default_box{};
  std::string title;
  RgbaImage shot;
  WhenBoxShows([&](Fl_Window& box) {
    title = box.label();
    for (int i = 0; i < box.children(); ++i) {
      if (auto* b = dynamic_cast<Fl_Button*>(box.child(i))) labels.push_back(b->label());
      if (auto* r = dynamic_cast<Fl_Return_Button*>(box.child(i))) {
        default_is_yes = std::string(r->label()) == "&Yes";
        default_box = {r->x(), r->y(), r->w(), r->h()};
      }
    }
    shot = Grab(box);
    SaveArtefact(shot, "message-box");
    ButtonLabelled(box, "&No")->do_callback();
  });
  const gui::Answer answer =
      gui::MessageBoxW(u"Wirklich beenden? \u00C4\u00D6\u00DC \u20AC", u"Setup beenden",
                       gui::Buttons::YesNo, gui::Icon::Question);
  EXPECT_EQ(answer, gui::Answer::No);
  EXPECT_EQ(title, "Setup beenden");
  EXPECT_EQ(labels, (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_TRUE(default_is_yes);
  // The question icon's blue disc at the top left.
  ASSERT_GT(shot.width, 0);
  EXPECT_EQ(RgbAt(shot, 12 + 16, 12 + 4), 0x1E5AC8u);
  // The default button is framed dark, as on Windows, and carries no
  // return-arrow glyph right of its caption: the face shows there.
  EXPECT_EQ(RgbAt(shot, default_box.left + default_box.width / 2, default_box.top), 0x333333u);
  EXPECT_EQ(RgbAt(shot, default_box.left + default_box.width - 12,
                  default_box.top + default_box.height / 2),
            RgbAt(shot, default_box.left + 8, default_box.top + default_box.height / 2));
  // Buttons sit at the right: the strip's left part is plain.
  EXPECT_EQ(RgbAt(shot, 4, shot.height - 10), 0xF0F0F0u);

  // Escape or the close box: Cancel for OK/Cancel.
  WhenBoxShows([](Fl_Window& box) { box.do_callback(); });
  EXPECT_EQ(gui::MessageBox("Go on?", "Setup", gui::Buttons::OkCancel), gui::Answer::Cancel);
}

}  // namespace
}  // namespace wizpak::test
