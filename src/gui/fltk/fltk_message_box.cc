#include "gui/fltk/fltk_message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gui/fltk/fltk_style.h"
#include "gui/fltk/fltk_views.h"
#include "gui/fltk/fltk_windows.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {
namespace {

// The default button: Enter presses it, as Fl_Return_Button does, but it is
// drawn as Windows draws one, the plain face inside a dark frame, instead of
// with FLTK's return-arrow glyph beside the caption.
class DefaultButton : public Fl_Return_Button {
 public:
  using Fl_Return_Button::Fl_Return_Button;
  void draw() override {
    const bool down = value() != 0;
    draw_box(down ? (down_box() ? down_box() : fl_down(box())) : box(),
             down ? selection_color() : color());
    draw_label();
    fl_color(active_r() ? fl_rgb_color(0x33, 0x33, 0x33) : fl_inactive(FL_BLACK));
    fl_rect(x(), y(), w(), h());
    if (Fl::focus() == this) draw_focus();
  }
};

struct Choice {
  std::string caption;
  Answer answer;
};

std::vector<Choice> ChoicesFor(Buttons buttons, const ButtonCaptions& language) {
  auto pick = [](const std::string& wanted, const char* english) {
    return wanted.empty() ? std::string(english) : wanted;
  };
  const std::string ok = pick(language.ok, "OK");
  const std::string cancel = pick(language.cancel, "Cancel");
  switch (buttons) {
    case Buttons::Ok:
      return {{ok, Answer::Ok}};
    case Buttons::OkCancel:
      return {{ok, Answer::Ok}, {cancel, Answer::Cancel}};
    case Buttons::YesNo:
      return {{pick(language.yes, "&Yes"), Answer::Yes}, {pick(language.no, "&No"), Answer::No}};
    case Buttons::RetryCancel:
      return {{pick(language.retry, "&Retry"), Answer::Retry}, {cancel, Answer::Cancel}};
  }
  return {{ok, Answer::Ok}};
}

// What Escape and the close box give: the last button's answer (Cancel,
// No), or OK when OK is the only button.
Answer EscapeAnswer(Buttons buttons) {
  return ChoicesFor(buttons, {}).back().answer;
}

// The wizard window the box belongs to: the last form window shown.
Fl_Window* OwnerWindow() {
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w)) {
    if (dynamic_cast<FormWindow*>(w) && w->shown() && w->visible()) return w;
  }
  return nullptr;
}

// A round icon with its sign, in the colours Windows uses.
void PaintIcon(PaintedView& v, Icon icon) {
  Fl_Color fill = FL_BLUE;
  const char* sign = "i";
  switch (icon) {
    case Icon::Question:
      fill = fl_rgb_color(0x1E, 0x5A, 0xC8);
      sign = "?";
      break;
    case Icon::Warning:
      fill = fl_rgb_color(0xF0, 0xC0, 0x20);
      sign = "!";
      break;
    case Icon::Error:
      fill = fl_rgb_color(0xD0, 0x20, 0x20);
      sign = "X";
      break;
    case Icon::Information:
      fill = fl_rgb_color(0x1E, 0x5A, 0xC8);
      sign = "i";
      break;
    case Icon::None:
      return;
  }
  fl_color(fill);
  fl_pie(v.x(), v.y(), v.w(), v.h(), 0, 360);
  fl_color(icon == Icon::Warning ? FL_BLACK : FL_WHITE);
  fl_font(FontFor("Arial", true), 20);
  fl_draw(sign, v.x(), v.y(), v.w(), v.h(), FL_ALIGN_CENTER, nullptr, 0);
}

}  // namespace

Answer ShowMessageBox(const MessageBoxRequest& request) {
  constexpr int kMargin = 12;
  constexpr int kIconSize = 32;
  constexpr int kButtonWidth = 75;
  constexpr int kButtonHeight = 23;
  constexpr int kButtonGap = 6;
  const std::string text = DisplayText(std::string_view(request.text));
  const std::string caption = DisplayText(std::string_view(request.caption));
  const std::vector<Choice> choices = ChoicesFor(request.buttons, request.captions);
  const bool has_icon = request.icon != Icon::None;

  // Measure the text: lines wrap at about two thirds of the screen.
  const Fl_Font font = FontFor("Segoe UI", false);
  const int size = PixelSize(9);
  fl_font(font, size);
  int text_w = std::min(600, Fl::w() * 2 / 3);
  int text_h = 0;
  fl_measure(text.c_str(), text_w, text_h, 0);
  int unwrapped_w = 0;
  int unwrapped_h = 0;
  fl_measure(text.c_str(), unwrapped_w, unwrapped_h, 0);
  text_w = std::min(std::max(unwrapped_w, 1), text_w);
  fl_measure(text.c_str(), text_w, text_h, 0);

  const int text_x = kMargin + (has_icon ? kIconSize + kMargin : 0);
  // Buttons are 75 pixels wide unless a caption needs more ("Wiederholen").
  int button_w = kButtonWidth;
  for (const Choice& choice : choices) {
    std::string shown;
    for (char c : choice.caption) {
      if (c != '&') shown += c;
    }
    button_w = std::max(button_w, static_cast<int>(fl_width(shown.c_str())) + 2 * kMargin);
  }
  const int buttons_w = static_cast<int>(choices.size()) * (button_w + kButtonGap) - kButtonGap;
  const int content_h = std::max(text_h, has_icon ? kIconSize : 0);
  int width = std::max(text_x + text_w + kMargin * 2, buttons_w + kMargin * 2);
  width = std::max(width, 180);
  const int buttons_y = kMargin * 2 + content_h;
  const int height = buttons_y + kButtonHeight + kMargin;

  Fl_Double_Window window(width, height);
  window.label(caption.c_str());
  window.color(FL_WHITE);
  PaintedView icon_view;
  icon_view.resize(kMargin, kMargin, kIconSize, kIconSize);
  const Icon icon = request.icon;
  icon_view.SetPaint([icon](PaintedView& v) { PaintIcon(v, icon); });
  if (!has_icon) icon_view.hide();
  Fl_Box message(text_x, kMargin + std::max(0, (content_h - text_h) / 2), text_w + kMargin, text_h);
  message.box(FL_NO_BOX);
  message.align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  message.labelfont(font);
  message.labelsize(size);
  std::string shown_text;
  for (char c : text) {
    shown_text += c;
    if (c == '@') shown_text += '@';
  }
  message.label(shown_text.c_str());
  // The button strip: the form's grey below the white message area.
  Fl_Box strip(0, buttons_y - kMargin + 2, width, height - buttons_y + kMargin - 2);
  strip.box(FL_FLAT_BOX);
  strip.color(ToFlColour(0x8000000F));

  Answer answer = EscapeAnswer(request.buttons);
  bool done = false;
  struct Pressed {
    Answer* answer;
    bool* done;
    Answer value;
  };
  std::vector<Pressed> pressed;
  pressed.reserve(choices.size());
  std::vector<std::unique_ptr<Fl_Button>> buttons;
  int x = width - kMargin - buttons_w;
  for (size_t i = 0; i < choices.size(); ++i) {
    std::unique_ptr<Fl_Button> button;
    if (i == 0) {
      button = std::make_unique<DefaultButton>(x, buttons_y, button_w, kButtonHeight);
    } else {
      button = std::make_unique<Fl_Button>(x, buttons_y, button_w, kButtonHeight);
    }
    button->label(choices[i].caption.c_str());
    button->labelfont(font);
    button->labelsize(size);
    pressed.push_back(Pressed{&answer, &done, choices[i].answer});
    button->callback(
        [](Fl_Widget*, void* data) {
          auto* p = static_cast<Pressed*>(data);
          *p->answer = p->value;
          *p->done = true;
        },
        &pressed.back());
    buttons.push_back(std::move(button));
    x += button_w + kButtonGap;
  }
  window.end();
  window.callback([](Fl_Widget*, void* data) { *static_cast<bool*>(data) = true; }, &done);
  window.set_modal();
  window.size_range(width, height, width, height);
  // Centred on the wizard when there is one (FLTK marks a modal window as
  // transient for it), else on the screen.
  if (Fl_Window* owner = OwnerWindow()) {
    window.position(owner->x() + (owner->w() - width) / 2, owner->y() + (owner->h() - height) / 2);
  } else {
    CentreOnScreen(window);
  }
  window.show();
  OfferOnlyMoveAndClose(window, false);
  buttons.front()->take_focus();
  // A bounded wait: a callback that ends the box without an event (a
  // timer) must not leave the loop asleep.
  while (!done && window.shown()) Fl::wait(0.1);
  window.hide();
  Fl::flush();
  return answer;
}

}  // namespace wizpak::gui::fltk
