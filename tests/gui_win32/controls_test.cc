// The native controls under Wine or Windows: what the wizard reads back
// stays in step with the windows, and the windows look as asked.
#include <gtest/gtest.h>

#include "gui/grad_gauge.h"
#include "gui/win32/controls.h"
#include "gui/win32/debug_window.h"
#include "gui/win32/dib_canvas.h"
#include "gui/win32/main_form.h"
#include "gui/win32/message_loop.h"
#include "gui/win32/register.h"
#include "gui/win32/rich_edit.h"
#include "gui/win32/toolkit.h"
#include "gui/win32/verify_window.h"

namespace wizpak::gui::win32 {
namespace {

class Win32ControlsTest : public ::testing::Test {
 protected:
  Win32Toolkit toolkit_;
  Win32MainForm form_;
  PageArea& pages_ = form_.Pages();
};

TEST(Win32TextTest, LoneBreaksBecomeCrLf) {
  EXPECT_EQ(WithCrLf(u"a\rb\nc\r\nd"), u"a\r\nb\r\nc\r\nd");
  EXPECT_EQ(WithCrLf(u"\r\r"), u"\r\n\r\n");
  EXPECT_EQ(WithCrLf(u""), u"");
}

TEST(Win32CanvasTest, FillsClippedInColourReferenceOrder) {
  DibCanvas canvas(10, 4, kWhite);
  canvas.FillRect(-5, 1, 8, 100, Rgb(200, 10, 30));
  EXPECT_EQ(canvas.Pixel(0, 1), Rgb(200, 10, 30));
  EXPECT_EQ(canvas.Pixel(2, 3), Rgb(200, 10, 30));
  EXPECT_EQ(canvas.Pixel(3, 1), kWhite);
  EXPECT_EQ(canvas.Pixel(0, 0), kWhite);
  canvas.SetPixel(9, 0, Rgb(1, 2, 3));
  canvas.SetPixel(10, 0, Rgb(9, 9, 9));  // outside: ignored
  EXPECT_EQ(canvas.Pixel(9, 0), Rgb(1, 2, 3));
  EXPECT_EQ(DibCanvas(-3, 5, kWhite).Width(), 0);
}

TEST(Win32CanvasTest, GaugePaintsAsTheModelsMemoryCanvas) {
  TGradGauge gauge;
  gauge.SetColor1(Rgb(0x3C, 0x96, 0xC8));
  gauge.SetColor2(Rgb(0x10, 0x20, 0x30));
  gauge.SetProgress(60);
  DibCanvas native(200, 24, kWhite);
  MemoryCanvas model(200, 24, kWhite);
  const FontSpec font;
  gauge.Paint(native, font);
  gauge.Paint(model, font);
  // Away from the centred caption every pixel is the model's.
  for (int y = 0; y < 24; ++y) {
    for (int x : {0, 1, 2, 20, 60, 116, 117, 150, 198, 199}) {
      EXPECT_EQ(native.Pixel(x, y), model.Pixel(x, y)) << x << "," << y;
    }
  }
}

TEST_F(Win32ControlsTest, FormHasItsFixedClientAreaAndNoSizingFrame) {
  RECT client{};
  GetClientRect(form_.Handle(), &client);
  EXPECT_EQ(client.right, MainForm::kClientWidth);
  EXPECT_EQ(client.bottom, MainForm::kClientHeight);
  const LONG_PTR style = GetWindowLongPtrW(form_.Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  // Enter presses Next.
  const LRESULT def = SendMessageW(form_.Handle(), DM_GETDEFID, 0, 0);
  EXPECT_EQ(HIWORD(def), DC_HASDEFID);
  auto& next = dynamic_cast<NativeButton&>(form_.NextButton());
  EXPECT_EQ(LOWORD(def), GetDlgCtrlID(next.Handle()));
  EXPECT_EQ(form_.NextButton().Bounds(), (Rect{416, 384, 73, 25}));
}

// Tab walks the page's controls in the order the page made them (the tree
// made after the folder box comes after it, though it lies in front), then
// Back, Next, Cancel and the language button; Shift+Tab walks back.
TEST_F(Win32ControlsTest, TabFollowsThePagesOrderThenTheButtons) {
  const HWND edit = dynamic_cast<NativeControl&>(pages_.CreateEdit()).Handle();
  pages_.CreateLabel();
  const HWND tree = dynamic_cast<NativeControl&>(pages_.CreateFolderTree()).Handle();
  auto handle = [](Button& b) { return dynamic_cast<NativeButton&>(b).Handle(); };
  Widget& box = *pages_.Children().front();
  form_.Show();
  form_.SetFocus(box);
  ASSERT_EQ(GetFocus(), edit);
  auto tab = [](bool shift) {
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG message{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    DispatchOne(message);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    return GetFocus();
  };
  EXPECT_EQ(tab(false), tree);
  EXPECT_EQ(tab(false), handle(form_.BackButton()));
  form_.NextButton().SetEnabled(false);  // skipped while disabled
  EXPECT_EQ(tab(false), handle(form_.CancelButton()));
  EXPECT_EQ(tab(false), handle(form_.LanguageButton()));
  EXPECT_EQ(tab(false), edit);
  EXPECT_EQ(tab(true), handle(form_.LanguageButton()));
}

// Long captions widen their buttons to the left; the row keeps its right
// edge and Back still meets Next.
TEST_F(Win32ControlsTest, LongCaptionsWidenTheirButtons) {
  form_.NextButton().SetText(u"&Deinstallieren mit allen Dateien");
  form_.SetDefaultButton(&form_.NextButton());
  const Rect back = form_.BackButton().Bounds();
  const Rect next = form_.NextButton().Bounds();
  const Rect cancel = form_.CancelButton().Bounds();
  EXPECT_EQ(cancel, (Rect{496, 384, 75, 25}));
  EXPECT_EQ(next.left + next.width, 489);
  EXPECT_GT(next.width, 73);
  EXPECT_EQ(back.left + back.width - 1, next.left);
  RECT shown{};
  GetWindowRect(dynamic_cast<NativeButton&>(form_.NextButton()).Handle(), &shown);
  EXPECT_EQ(shown.right - shown.left, next.width);
}

TEST_F(Win32ControlsTest, CloseAsksTheQueryAndEndsOnce) {
  bool allow = false;
  int closed = 0;
  form_.SetOnCloseQuery([&] { return allow; });
  form_.SetOnClose([&] { ++closed; });
  SendMessageW(form_.Handle(), WM_CLOSE, 0, 0);  // the close box
  EXPECT_FALSE(form_.IsClosed());
  allow = true;
  EXPECT_TRUE(form_.Close());
  EXPECT_TRUE(form_.Close());
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_EQ(closed, 1);
}

TEST_F(Win32ControlsTest, EscapeAndClickPressCancelOnlyWhenEnabled) {
  int pressed = 0;
  form_.CancelButton().SetOnClick([&] { ++pressed; });
  SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(pressed, 1);
  form_.CancelButton().SetEnabled(false);
  EXPECT_FALSE(form_.CancelButton().Click());
  auto& cancel = dynamic_cast<NativeButton&>(form_.CancelButton());
  EXPECT_FALSE(IsWindowEnabled(cancel.Handle()));
  EXPECT_EQ(pressed, 1);
}

TEST_F(Win32ControlsTest, MenuOpensAtTheButtonsLowerLeft) {
  auto& language = dynamic_cast<NativeButton&>(form_.LanguageButton());
  RECT r{};
  GetWindowRect(language.Handle(), &r);
  const POINT at = Win32MainForm::MenuPoint(language.Handle());
  EXPECT_EQ(at.x, r.left);
  EXPECT_EQ(at.y, r.bottom);
  form_.SetMenuItems({{u"English", 0, true, nullptr}, {u"Deutsch", 1, false, nullptr}});
  form_.CheckMenuItemWithTag(1);
  EXPECT_FALSE(form_.MenuItems()[0].checked);
  EXPECT_TRUE(form_.MenuItems()[1].checked);
}

TEST_F(Win32ControlsTest, EditRunsItsCallbackOncePerChange) {
  Edit& edit = pages_.CreateEdit();
  int changes = 0;
  edit.SetOnChange([&] { ++changes; });
  edit.SetText(u"C:\\Games");
  edit.SetText(u"C:\\Games");
  EXPECT_EQ(changes, 2);
  // Typing goes through the window: the stored text follows it.
  auto& native = dynamic_cast<NativeEdit&>(edit);
  SetWindowTextW(native.Handle(), L"D:\\Other");
  EXPECT_EQ(edit.Text(), u"D:\\Other");
  EXPECT_EQ(changes, 3);
}

TEST_F(Win32ControlsTest, LabelSizesItselfToItsText) {
  Label& label = pages_.CreateLabel();
  label.SetName("Title");
  EXPECT_EQ(label.Text(), u"Title");
  const Rect one = label.Bounds();
  EXPECT_GT(one.width, 0);
  EXPECT_GT(one.height, 0);
  label.SetText(u"Title\rSecond line");
  EXPECT_GT(label.Bounds().height, one.height);
  // As a layout builds one: the size first, then auto-size off, then the
  // caption. The size given is kept.
  Label& laid = pages_.CreateLabel();
  laid.SetName("Welcome_Title");
  laid.SetBounds({184, 20, 378, 44});
  laid.SetAutoSize(false);
  laid.SetText(u"Welcome to the set-up of a program with a long name");
  EXPECT_EQ(laid.Bounds(), (Rect{184, 20, 378, 44}));
  label.SetAutoSize(false);
  label.SetBounds({10, 20, 30, 40});
  label.SetText(u"a much longer caption than before");
  EXPECT_EQ(label.Bounds(), (Rect{10, 20, 30, 40}));
  auto& native = dynamic_cast<NativeLabel&>(label);
  wchar_t shown[64] = {};
  GetWindowTextW(native.Handle(), shown, 64);
  EXPECT_STREQ(shown, L"a much longer caption than before");
}

TEST_F(Win32ControlsTest, ZOrderFollowsTheChildList) {
  Widget& back = pages_.CreateLabel();
  Widget& front = pages_.CreateBevel();
  front.SendToBack();
  ASSERT_EQ(pages_.Children().size(), 2u);
  EXPECT_EQ(pages_.Children()[0], &front);
  // The window z-order lists the front-most first.
  HWND first = GetWindow(dynamic_cast<NativeControl&>(back).Handle(), GW_HWNDFIRST);
  EXPECT_EQ(first, dynamic_cast<NativeControl&>(back).Handle());
  EXPECT_EQ(front.Parent(), &pages_);
}

TEST_F(Win32ControlsTest, RichEditShowsRtfAsFormattedText) {
  auto& rich = dynamic_cast<NativeRichEdit&>(pages_.CreateRichEdit());
  const std::string rtf = "{\\rtf1\\ansi Licence \\b terms\\b0  apply.}";
  rich.LoadContent(rtf);
  EXPECT_EQ(rich.Content(), rtf);
  const std::u16string shown = rich.ShownText();
  EXPECT_NE(shown.find(u"Licence terms apply."), std::u16string::npos)
      << std::string(shown.begin(), shown.end());
  EXPECT_EQ(shown.find(u"rtf1"), std::u16string::npos);
  // Plain bytes are Windows-1252 whatever the system code page.
  rich.LoadContent("caf\xE9");
  EXPECT_EQ(rich.ShownText(), u"caf\u00E9");
  rich.AddLine(u"more");
  EXPECT_EQ(rich.Content(), "");
  EXPECT_EQ(rich.Text(), u"caf\u00E9\r\nmore");
  const LONG_PTR style = GetWindowLongPtrW(rich.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_TRUE(style & WS_HSCROLL);
}

TEST(Win32VerifyWindowTest, LayoutAndScaledBar) {
  Win32VerifyWindow window;
  RECT client{};
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, 321);
  EXPECT_EQ(client.bottom, 70);
  wchar_t caption[64] = {};
  GetWindowTextW(window.Handle(), caption, 64);
  EXPECT_STREQ(caption, L"Verifying Contents");
  EXPECT_EQ(Win32VerifyWindow::ScaledPosition(5, 10), 5);
  EXPECT_EQ(Win32VerifyWindow::ScaledPosition(20, 10), 10);
  EXPECT_EQ(Win32VerifyWindow::ScaledPosition(-1, 10), 0);
  const int64_t huge = int64_t{1} << 40;
  EXPECT_EQ(Win32VerifyWindow::ScaledPosition(huge, huge), INT_MAX);
  EXPECT_NEAR(Win32VerifyWindow::ScaledPosition(huge / 2, huge), INT_MAX / 2, 1);
}

TEST_F(Win32ControlsTest, DebugWindowIsModalUntilClosed) {
  form_.Show();
  Win32DebugWindow debug;
  debug.Content().Clear();
  debug.Content().AddLine(u"Header");
  debug.Content().AddLine(u"ID: KYPF");
  EXPECT_EQ(debug.Content().Text(), u"Header\r\nID: KYPF");
  RECT client{};
  GetClientRect(debug.Handle(), &client);
  EXPECT_EQ(debug.Content().Bounds(), (Rect{0, 0, client.right, client.bottom}));
  // Closed from inside its own loop: ShowModal returns and the form takes
  // input again.
  PostMessageW(debug.Handle(), WM_CLOSE, 0, 0);
  debug.ShowModal();
  EXPECT_FALSE(IsWindowVisible(debug.Handle()));
  EXPECT_TRUE(IsWindowEnabled(form_.Handle()));
}

TEST(Win32FrontEndChoiceTest, NativeByDefaultHeadlessWhenAsked) {
  RegisterWin32Toolkit();
  std::string error;
  auto chosen = CreateToolkit(FrontEndOptions{}, error);
  ASSERT_NE(chosen, nullptr) << error;
  EXPECT_EQ(chosen->Name(), "win32");
  chosen.reset();
  EXPECT_EQ(CreateToolkit(FrontEndOptions{"", true}, error)->Name(), "headless");
  EXPECT_EQ(CreateToolkit(FrontEndOptions{"headless", false}, error)->Name(), "headless");
}

TEST(Win32MessageBoxTest, FlagsAndAnswers) {
  const unsigned yes_no = MessageBoxFlags(Buttons::YesNo, Icon::Question);
  EXPECT_EQ(yes_no & MB_TYPEMASK, static_cast<unsigned>(MB_YESNO));
  EXPECT_EQ(yes_no & MB_ICONMASK, static_cast<unsigned>(MB_ICONQUESTION));
  EXPECT_EQ(yes_no & MB_DEFMASK, static_cast<unsigned>(MB_DEFBUTTON1));
  EXPECT_TRUE(yes_no & MB_TASKMODAL);
  EXPECT_EQ(MessageBoxFlags(Buttons::RetryCancel, Icon::Error) & MB_TYPEMASK,
            static_cast<unsigned>(MB_RETRYCANCEL));
  EXPECT_EQ(AnswerFor(IDRETRY, Buttons::RetryCancel), Answer::Retry);
  EXPECT_EQ(AnswerFor(IDNO, Buttons::YesNo), Answer::No);
  // A box that could not be shown never agrees to go on.
  EXPECT_EQ(AnswerFor(0, Buttons::YesNo), Answer::No);
  EXPECT_EQ(AnswerFor(0, Buttons::OkCancel), Answer::Cancel);
  EXPECT_EQ(AnswerFor(0, Buttons::Ok), Answer::Ok);
}

}  // namespace
}  // namespace wizpak::gui::win32
