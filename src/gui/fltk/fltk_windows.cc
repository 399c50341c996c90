// Fl_X (x.H), for whether a shown window still waits for its first expose.
#define FL_INTERNALS
#include "gui/fltk/fltk_windows.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cctype>
#include <chrono>

#include "gui/fltk/fltk_style.h"
#include "gui/button_row.h"
#include "gui/grad_gauge.h"
#include "gui/pictures/picture_decode.h"
#include "platform/codepage.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {
namespace {

constexpr ColourRef kButtonFace = 0x8000000F;

void StyleLabelBox(Fl_Box& box) {
  box.box(FL_NO_BOX);
  box.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP);
  box.labelfont(FontFor("MS Shell Dlg 2", false));
  box.labelsize(PixelSize(8));
}

// Waits until `window`, just shown, has been mapped and its first paint is
// due, but for `limit` at most. FLTK's own wait_for_expose waits for ever,
// and a window manager that never maps the window (one that stopped, or
// died with the request queued) would then hold the setup before its first
// page. Past the limit the window paints whenever it is mapped.
void WaitForExpose(Fl_Window& window, std::chrono::milliseconds limit) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  for (Fl_X* x = Fl_X::i(&window); x != nullptr && x->wait_for_expose; x = Fl_X::i(&window)) {
    if (std::chrono::steady_clock::now() >= give_up) return;
    Fl::wait(0.05);
  }
}

}  // namespace

void CentreOnScreen(Fl_Window& window) {
  window.position((Fl::w() - window.w()) / 2, (Fl::h() - window.h()) / 2);
}

void OfferOnlyMoveAndClose(Fl_Window& window, bool minimize) {
  if (!window.shown() || !fl_display) return;
  // _MOTIF_WM_HINTS: flags (1 functions, 2 decorations), functions, decorations,
  // input mode, status. Functions: 4 move, 8 minimise, 32 close; decorations:
  // 2 border, 8 title, 16 menu, 32 minimise button.
  const long functions = 4 | 32 | (minimize ? 8 : 0);
  const long decorations = 2 | 8 | 16 | (minimize ? 32 : 0);
  long hints[5] = {1 | 2, functions, decorations, 0, 0};
  const Atom atom = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(fl_display, fl_xid(&window), atom, atom, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(hints), 5);
  XFlush(fl_display);
}

int FormWindow::handle(int event) {
  if (event == FL_SHORTCUT && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter) &&
      on_enter_ && !(Fl::event_state() & (FL_ALT | FL_CTRL | FL_META))) {
    on_enter_();
    return 1;
  }
  if (event == FL_SHORTCUT && on_alt_key_ &&
      (Fl::event_state() & (FL_ALT | FL_CTRL | FL_META)) == FL_ALT && Fl::event_key() < 128 &&
      std::isalnum(Fl::event_key()) && on_alt_key_(Fl::event_key())) {
    return 1;
  }
  return Fl_Double_Window::handle(event);
}

// ---- main form

FltkMainForm::FltkMainForm()
    : window_(kClientWidth, kClientHeight),
      pages_(window_),
      language_(nullptr, window_),
      back_(nullptr, window_),
      next_(nullptr, window_),
      cancel_(nullptr, window_) {
  window_.end();
  window_.color(ToFlColour(kButtonFace));
  window_.size_range(kClientWidth, kClientHeight, kClientWidth, kClientHeight);
  window_.resizable(nullptr);
  window_.callback(WindowCallback, this);
  window_.SetOnEnter([this] { PressEnter(); });
  window_.SetOnAltKey([this](int key) { return PressAccelerator(key); });
  pages_.SetBounds({0, 0, kClientWidth, kPageAreaHeight});
  pages_.SetColour(kWhite);
  // The separator: a lowered line across the form above the buttons.
  window_.add(separator_);
  separator_.resize(0, kPageAreaHeight, kClientWidth, 2);
  separator_.SetPaint([](PaintedView& v) {
    fl_color(ToFlColour(0xA0A0A0));
    fl_xyline(v.x(), v.y(), v.x() + v.w() - 1);
    fl_color(FL_WHITE);
    fl_xyline(v.x(), v.y() + 1, v.x() + v.w() - 1);
  });
  LayOutButtons(language_, back_, next_, cancel_);
}

FltkMainForm::~FltkMainForm() {
  window_.hide();
}

void FltkMainForm::ApplyCaption() {
  title_ = DisplayText(Caption());
  window_.label(title_.c_str());
}

void FltkMainForm::SetIcon(std::string_view ico_bytes) {
  std::optional<RgbaImage> image = DecodePicture(ico_bytes, "ico");
  if (!image || image->width <= 0 || image->height <= 0) return;
  icon_pixels_ = std::move(image->pixels);
  icon_ = std::make_unique<Fl_RGB_Image>(icon_pixels_.data(), image->width, image->height, 4);
  window_.icon(icon_.get());
}

void FltkMainForm::PopupMenuBelow(Widget& anchor) {
  const std::vector<MenuItem>& menu = MenuItems();
  if (menu.empty()) return;
  std::vector<std::string> labels;
  labels.reserve(menu.size());
  std::vector<Fl_Menu_Item> items;
  for (const MenuItem& item : menu) {
    labels.push_back(DisplayText(item.caption));
    Fl_Menu_Item entry{};
    entry.text = labels.back().c_str();
    entry.flags = FL_MENU_RADIO | (item.checked ? FL_MENU_VALUE : 0);
    entry.labelfont_ = FontFor("MS Shell Dlg 2", false);
    entry.labelsize_ = PixelSize(8);
    items.push_back(entry);
  }
  items.push_back(Fl_Menu_Item{});
  // FLTK places the menu relative to the window of the last event; the
  // wanted place is the anchor's lower left corner on this form.
  const Rect r = anchor.Bounds();
  int x = r.left;
  int y = r.top + r.height;
  if (window_.shown()) {
    x += window_.x_root() - (Fl::event_x_root() - Fl::event_x());
    y += window_.y_root() - (Fl::event_y_root() - Fl::event_y());
  }
  const Fl_Menu_Item* picked = items[0].popup(x, y);
  if (!picked) return;
  const size_t index = static_cast<size_t>(picked - items.data());
  ChooseMenuItem(index);
}

void FltkMainForm::Show() {
  if (!window_.shown()) CentreOnScreen(window_);
  window_.show();
  OfferOnlyMoveAndClose(window_, true);
  FitButtons();
}

void FltkMainForm::FitButtons() {
  if (!window_.shown()) return;
  FltkButton* buttons[] = {&back_, &next_, &cancel_};
  std::vector<RowButton> row;
  for (size_t i = 0; i < 3; ++i) {
    row.push_back({kWizardRow[i], buttons[i]->ViewButton().CaptionWidth()});
  }
  const std::vector<Rect> fitted = FitButtonRow(row, kWizardRowLeftLimit);
  bool moved = false;
  for (size_t i = 0; i < fitted.size(); ++i) {
    if (buttons[i]->Bounds() == fitted[i]) continue;
    buttons[i]->SetBounds(fitted[i]);
    moved = true;
  }
  // The strip under the buttons shows through where a button left.
  if (moved) window_.redraw();
}

// The window manager's close box and Escape both arrive here: Escape is
// the Cancel button, the close box asks the close query directly.
void FltkMainForm::WindowCallback(Fl_Widget*, void* self) {
  auto& form = *static_cast<FltkMainForm*>(self);
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) {
    form.cancel_.Click();
    return;
  }
  form.Close();
}

void FltkMainForm::PressEnter() {
  for (FltkButton* button : {&language_, &back_, &next_, &cancel_}) {
    if (Fl::focus() == button->View()) {
      button->Click();
      return;
    }
  }
  if (Fl::focus() && dynamic_cast<Fl_Text_Display*>(Fl::focus())) return;
  if (Button* button = DefaultButton()) button->Click();
}

void FltkMainForm::SetDefaultButton(Button* button) {
  MainForm::SetDefaultButton(button);
  for (FltkButton* b : {&language_, &back_, &next_, &cancel_}) {
    b->ViewButton().SetDefault(b == button);
  }
  // The wizard names the default button once a page's captions are set.
  FitButtons();
}

void FltkMainForm::SetFocus(Widget& widget) {
  MainForm::SetFocus(widget);
  Fl_Widget* view = FocusView(widget);
  if (!view || !view->visible() || !view->active()) return;
  view->take_focus();
}

bool FltkMainForm::PressAccelerator(int key) {
  for (FltkButton* button : {&language_, &back_, &next_, &cancel_}) {
    if (!button->Visible() || !button->Enabled()) continue;
    const unsigned marked = Fl_Widget::label_shortcut(button->View()->label());
    if (marked > 0 && marked < 128 && std::tolower(static_cast<int>(marked)) == std::tolower(key)) {
      button->Click();
      return true;
    }
  }
  return false;
}

// ---- verification window

FltkVerifyWindow::FltkVerifyWindow()
    : window_(321, 70, "Verifying Contents"),
      intro_(8, 8, 305, 14, "Verifying contents please wait..."),
      status_label_(8, 32, 305, 14),
      bar_(8, 48, 305, 16) {
  window_.end();
  window_.color(ToFlColour(kButtonFace));
  window_.size_range(321, 70, 321, 70);
  window_.resizable(nullptr);
  // A tool window without border icons: closing it is start-up's business.
  window_.callback([](Fl_Widget*, void*) {});
  StyleLabelBox(intro_);
  StyleLabelBox(status_label_);
  // The label tops match a Windows label's text top; FLTK's box sits one
  // pixel higher for the same look.
  status_utf8_ = AnsiToUtf8(Status());
  status_label_.label(status_utf8_.c_str());
  bar_.box(FL_DOWN_BOX);
  bar_.color(fl_rgb_color(0xE6, 0xE6, 0xE6));
  // The colour of the wizard's gauge, so the two bars look alike.
  bar_.selection_color(ToFlColour(TGradGauge::kDefaultGradientColor));
  bar_.minimum(0);
  bar_.maximum(1);
  bar_.value(0);
}

FltkVerifyWindow::~FltkVerifyWindow() {
  window_.hide();
}

void FltkVerifyWindow::ApplyStatus(bool) {
  status_utf8_ = AnsiToUtf8(Status());
  status_label_.label(status_utf8_.c_str());
  window_.redraw();
}

void FltkVerifyWindow::ApplyProgress() {
  bar_.value(static_cast<float>(ProgressFraction()));
}

void FltkVerifyWindow::Show() {
  CentreOnScreen(window_);
  window_.show();
  WaitForExpose(window_, std::chrono::seconds(2));
  SetShown(true);
  Repaint();
}

void FltkVerifyWindow::Repaint() {
  window_.redraw();
  Fl::flush();
}

void FltkVerifyWindow::Close() {
  window_.hide();
  Fl::flush();
  SetShown(false);
}

// ---- debug window

FltkDebugWindow::FltkDebugWindow()
    : window_(870, 600, "Debug"),
      area_(window_),
      content_(static_cast<FltkRichEdit&>(area_.CreateRichEdit())) {
  window_.end();
  area_.SetBounds({0, 0, 870, 600});
  content_.SetBounds({0, 0, 870, 600});
  content_.SetBorder(false);
}

void FltkDebugWindow::ShowModal() {
  CentreOnScreen(window_);
  window_.set_modal();
  window_.show();
  while (window_.shown()) Fl::wait(0.1);
}

}  // namespace wizpak::gui::fltk
