#include "gui/win32/main_form.h"

#include <algorithm>
#include <string>
#include <vector>

#include "gui/button_row.h"
#include "gui/win32/message_loop.h"

namespace wizpak::gui::win32 {
namespace {

constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

// The width of a button's caption in its font, the "&" of the Alt letter
// left out.
int CaptionWidth(HWND button) {
  const int length = GetWindowTextLengthW(button);
  if (length <= 0) return 0;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(button, text.data(), length + 1)));
  std::wstring shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  HDC dc = GetDC(button);
  if (!dc) return 0;
  auto* font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE size{};
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  if (old) SelectObject(dc, old);
  ReleaseDC(button, dc);
  return size.cx;
}

// Whether Tab may put the focus on `hwnd`: a shown, enabled tab stop.
bool TakesTabFocus(HWND hwnd) {
  return hwnd && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
         (GetWindowLongW(hwnd, GWL_STYLE) & WS_TABSTOP) != 0;
}

// Puts the keyboard focus on a control as Tab does in a dialog: an edit's
// text is selected whole. (WM_NEXTDLGCTL would do this, but only a dialog
// box's own procedure handles it, and the form is a plain window.)
void FocusControl(HWND hwnd) {
  if (SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    SendMessageW(hwnd, EM_SETSEL, 0, -1);
  }
  ::SetFocus(hwnd);
}

}  // namespace

Win32MainForm::Win32MainForm() {
  RegisterWindowClass(L"WizpakMainForm", Procedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const POINT at = CentredOnScreen(width, height);
  window_.Reset(CreateWindowExW(kFormExStyle, L"WizpakMainForm", L"", kFormStyle, at.x, at.y, width,
                                height, nullptr, nullptr, ModuleHandle(), this));
  AddDialogRoot(Handle());

  pages_ = std::make_unique<PageSurface>(Handle());
  pages_->SetBounds({0, 0, kClientWidth, kPageAreaHeight});
  pages_->SetColour(kWhite);

  // Created in tab order: Back, Next, Cancel, then the language button.
  for (std::unique_ptr<NativeButton>* button : {&back_, &next_, &cancel_, &language_}) {
    *button = std::make_unique<NativeButton>(nullptr, Handle());
    SetWindowPos((*button)->Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  LayOutButtons(*language_, *back_, *next_, *cancel_);
  // The page area comes first in the tab order.
  SetWindowPos(pages_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetDefaultButton(next_.get());
}

void Win32MainForm::SetDefaultButton(Button* button) {
  MainForm::SetDefaultButton(button);
  for (NativeButton* b : {back_.get(), next_.get(), cancel_.get()}) {
    SendMessageW(b->Handle(), BM_SETSTYLE, b == button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
  // The wizard names the default button once a page's captions are set.
  FitButtons();
}

void Win32MainForm::FitButtons() {
  NativeButton* buttons[] = {back_.get(), next_.get(), cancel_.get()};
  std::vector<RowButton> row;
  for (size_t i = 0; i < 3; ++i) row.push_back({kWizardRow[i], CaptionWidth(buttons[i]->Handle())});
  const std::vector<Rect> fitted = FitButtonRow(row, kWizardRowLeftLimit);
  for (size_t i = 0; i < fitted.size(); ++i) {
    if (buttons[i]->Bounds() != fitted[i]) buttons[i]->SetBounds(fitted[i]);
  }
}

bool Win32MainForm::MoveTabFocus(bool backwards) {
  std::vector<HWND> order;
  for (Widget* child : pages_->Children()) {
    if (auto* native = dynamic_cast<NativeControl*>(child)) order.push_back(native->Handle());
  }
  for (NativeButton* b : {back_.get(), next_.get(), cancel_.get(), language_.get()}) {
    order.push_back(b->Handle());
  }
  std::erase_if(order, [](HWND hwnd) { return !TakesTabFocus(hwnd); });
  if (order.empty()) return false;
  // The focus may sit in a part of a control (a combined control's edit).
  HWND focus = GetFocus();
  auto at = std::find_if(order.begin(), order.end(),
                         [focus](HWND hwnd) { return focus == hwnd || IsChild(hwnd, focus); });
  const size_t count = order.size();
  size_t next = 0;
  if (at == order.end()) {
    next = backwards ? count - 1 : 0;
  } else {
    const auto index = static_cast<size_t>(at - order.begin());
    next = backwards ? (index + count - 1) % count : (index + 1) % count;
  }
  FocusControl(order[next]);
  return true;
}

void Win32MainForm::SetFocus(Widget& widget) {
  MainForm::SetFocus(widget);
  auto* native = dynamic_cast<NativeControl*>(&widget);
  if (!native || !native->Handle()) return;
  if (!IsWindowVisible(native->Handle()) || !IsWindowEnabled(native->Handle())) return;
  FocusControl(native->Handle());
}

Win32MainForm::~Win32MainForm() {
  RemoveDialogRoot(Handle());
  // Children go before the form window that parents them.
  language_.reset();
  cancel_.reset();
  next_.reset();
  back_.reset();
  pages_.reset();
  if (Handle()) SetWindowLongPtrW(Handle(), GWLP_USERDATA, 0);
}

void Win32MainForm::ApplyCaption() {
  SetWindowTextW(Handle(), Wide(Caption()));
}

POINT Win32MainForm::MenuPoint(HWND anchor) {
  RECT r{};
  GetWindowRect(anchor, &r);
  return POINT{r.left, r.bottom};
}

void Win32MainForm::PopupMenuBelow(Widget& anchor) {
  auto* native = dynamic_cast<NativeControl*>(&anchor);
  const std::vector<MenuItem>& items = MenuItems();
  if (!native || items.empty()) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (size_t i = 0; i < items.size(); ++i) {
    const UINT flags = MF_STRING | (items[i].checked ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuW(menu, flags, i + 1, Wide(items[i].caption));
  }
  const POINT at = MenuPoint(native->Handle());
  SetForegroundWindow(Handle());
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON, at.x,
      at.y, 0, Handle(), nullptr));
  DestroyMenu(menu);
  if (chosen > 0) ChooseMenuItem(static_cast<size_t>(chosen) - 1);
}

void Win32MainForm::HideWindow() {
  ShowWindow(Handle(), SW_HIDE);
}

// Wakes a message loop that is waiting, so it sees the form closed.
void Win32MainForm::WindowClosed() {
  PostMessageW(Handle(), WM_NULL, 0, 0);
}

void Win32MainForm::Show() {
  if (IsClosed()) return;
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
  SetForegroundWindow(Handle());
  FitButtons();
  if (Widget* focus = FocusedWidget()) SetFocus(*focus);
}

void Win32MainForm::PaintSeparator(HDC dc) {
  // A lowered line along the top of a 3-pixel bevel: shadow, then highlight.
  RECT shadow{0, kPageAreaHeight, kClientWidth, kPageAreaHeight + 1};
  RECT light{0, kPageAreaHeight + 1, kClientWidth, kPageAreaHeight + 2};
  ::FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
  ::FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

LRESULT CALLBACK Win32MainForm::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<Win32MainForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form && form->Handle() == hwnd) return form->OnMessage(message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT Win32MainForm::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case kMoveTabFocus:
      return MoveTabFocus(wparam != 0) ? 1 : 0;
    case DM_GETDEFID: {
      auto* native = dynamic_cast<NativeControl*>(DefaultButton());
      if (!native || !native->Handle()) return 0;
      return MAKELRESULT(GetDlgCtrlID(native->Handle()), DC_HASDEFID);
    }
    case WM_COMMAND:
      // Escape through dialog navigation: IDCANCEL without a sending control.
      if (LOWORD(wparam) == IDCANCEL && lparam == 0) {
        cancel_->Click();
        return 0;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(Handle(), &paint);
      PaintSeparator(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    default:
      break;
  }
  LRESULT routed = 0;
  if (RouteChildMessage(message, wparam, lparam, routed)) return routed;
  return DefWindowProcW(Handle(), message, wparam, lparam);
}

}  // namespace wizpak::gui::win32
