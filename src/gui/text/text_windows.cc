#include "gui/text/text_windows.h"

#include <algorithm>

#include "gui/text/folder_prompt.h"
#include "platform/codepage.h"

namespace wizpak::gui::text {
namespace {

// Rows around the page body: title, blank, rule, buttons, hints.
constexpr int kChromeRows = 5;

char32_t Upper(char32_t c) {
  return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c;
}

char32_t Lower(char32_t c) {
  return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

bool Usable(const Button& button) {
  return button.Visible() && button.Enabled();
}

std::u16string Shown(const std::u16string& caption) {
  std::u16string shown;
  MarkedLetter(caption, &shown);
  return shown;
}

// "[N] Next >": the key in brackets, then the caption without its marks.
CellLine ButtonFace(const std::u16string& caption, char32_t key, uint8_t style) {
  CellLine face;
  if (key) {
    face.push_back(Cell{U'[', style});
    face.push_back(Cell{Upper(key), style});
    face.push_back(Cell{U']', style});
    face.push_back(Cell{U' ', style});
  }
  Append(face, Shown(caption), style);
  return face;
}

}  // namespace

// ---- wizard

TextMainForm::TextMainForm(TextSession& session) : session_(session) {
  pages_.SetOnRepaint([this] { Repainted(); });
}

TextMainForm::~TextMainForm() {
  pages_.SetOnRepaint(nullptr);
  session_.ClearBase(this);
  if (session_.Target() == this) session_.SetInterruptTarget(nullptr);
}

void TextMainForm::PopupMenuBelow(Widget&) {
  const std::vector<MenuItem>& menu = MenuItems();
  if (menu.empty()) return;
  std::vector<std::u16string> captions;
  int current = 0;
  for (size_t i = 0; i < menu.size(); ++i) {
    captions.push_back(menu[i].caption);
    if (menu[i].checked) current = static_cast<int>(i);
  }
  const int chosen =
      session_.ChooseFromMenu(Utf8ToWide(session_.Words().language), captions, current);
  if (chosen >= 0) ChooseMenuItem(static_cast<size_t>(chosen));
}

void TextMainForm::HideWindow() {
  session_.ClearBase(this);
  if (session_.Target() == this) session_.SetInterruptTarget(nullptr);
  session_.LeaveScreen();
}

void TextMainForm::WindowClosed() {
  session_.ClearBase(this);
  if (session_.Target() == this) session_.SetInterruptTarget(nullptr);
}

void TextMainForm::Show() {
  shown_ = true;
  session_.Resume();
  session_.SetBase(this, [this](Frame& frame) { Paint(frame); });
  session_.SetInterruptTarget(this);
  session_.Redraw();
}

Button* TextMainForm::DefaultButton() {
  if (Usable(next_)) return &next_;
  // The finish page has only its close button. While a run keeps Next
  // disabled, Enter presses nothing (Cancel stays on Escape).
  if (!next_.Visible() && Usable(cancel_)) return &cancel_;
  return nullptr;
}

std::vector<TextMainForm::KeyedButton> TextMainForm::ButtonKeys() {
  std::vector<Button*> buttons;
  for (Button* b : {static_cast<Button*>(&back_), static_cast<Button*>(&next_),
                    static_cast<Button*>(&cancel_), static_cast<Button*>(&language_)}) {
    if (Usable(*b)) buttons.push_back(b);
  }
  std::vector<std::u16string> captions;
  for (Button* b : buttons) captions.push_back(b->Text());
  const std::vector<char32_t> keys = AssignKeys(captions);
  std::vector<KeyedButton> out;
  for (size_t i = 0; i < buttons.size(); ++i) out.push_back(KeyedButton{buttons[i], keys[i]});
  return out;
}

std::vector<const Widget*> TextMainForm::PageIdentity() const {
  std::vector<const Widget*> identity;
  for (const Widget* child : pages_.Children()) {
    if (child->Visible()) identity.push_back(child);
  }
  return identity;
}

void TextMainForm::Paint(Frame& frame) {
  const int width = frame.width;
  const int height = frame.Height();
  if (height < 1) return;
  // Title.
  CellLine title = ToCells(Caption().empty() || Caption()[0] != u' ' ? u" " + Caption() : Caption(),
                           kReverse | kBold);
  title = Fit(title, width, true);
  PadTo(title, width, kReverse);
  frame.rows[0] = title;

  // Page body.
  const std::vector<const Widget*> identity = PageIdentity();
  if (identity != identity_) {
    identity_ = identity;
    scroll_ = 0;
  }
  const FrontEndWords& words = session_.Words();
  view_ = RenderPage(pages_, std::max(width - 4, 10), ViewStyle{true, 8, &words});
  body_height_ = std::max(height - kChromeRows, 1);
  const int lines = static_cast<int>(view_.lines.size());
  scroll_ = std::clamp(scroll_, 0, std::max(lines - body_height_, 0));
  for (int r = 0; r < body_height_ && 2 + r < height; ++r) {
    const int k = scroll_ + r;
    if (k >= lines) break;
    CellLine row{Cell{U' '}, Cell{U' '}};
    row.insert(row.end(), view_.lines[static_cast<size_t>(k)].begin(),
               view_.lines[static_cast<size_t>(k)].end());
    frame.rows[static_cast<size_t>(2 + r)] = row;
  }
  if (height < kChromeRows) return;

  // Rule, buttons, hints.
  CellLine rule;
  for (int c = 0; c < width; ++c) rule.push_back(Cell{U'─', kDim});
  frame.rows[static_cast<size_t>(height - 3)] = rule;

  const std::vector<KeyedButton> keyed = ButtonKeys();
  auto key_of = [&keyed](const Button* b) -> char32_t {
    for (const KeyedButton& k : keyed)
      if (k.button == b) return k.key;
    return 0;
  };
  const Button* default_button = DefaultButton();
  auto face = [&](Button& b, const std::u16string& suffix) {
    uint8_t style = kPlain;
    if (!b.Enabled()) style = kDim;
    if (&b == default_button) style = kReverse | kBold;
    CellLine f = ButtonFace(b.Text() + suffix, b.Enabled() ? key_of(&b) : 0, style);
    if (&b == default_button) {
      f.insert(f.begin(), Cell{U' ', style});
      f.push_back(Cell{U' ', style});
    }
    return f;
  };
  CellLine left{Cell{U' '}};
  if (language_.Visible()) {
    CellLine f = face(language_, u" ▾");
    left.insert(left.end(), f.begin(), f.end());
  }
  CellLine right;
  for (Button* b : {static_cast<Button*>(&back_), static_cast<Button*>(&next_),
                    static_cast<Button*>(&cancel_)}) {
    if (!b->Visible()) continue;
    if (!right.empty()) AppendUtf8(right, "  ");
    CellLine f = face(*b, u"");
    right.insert(right.end(), f.begin(), f.end());
  }
  right.push_back(Cell{U' '});
  CellLine row = left;
  PadTo(row, std::max(width - LineWidth(right), LineWidth(left) + 2));
  row.insert(row.end(), right.begin(), right.end());
  frame.rows[static_cast<size_t>(height - 2)] = row;

  CellLine hint{Cell{U' '}};
  // The scroll hint first: on a narrow screen the end of the line is cut.
  if (lines > body_height_) {
    AppendUtf8(hint, (scroll_ + body_height_ < lines ? words.more_below : words.scroll) + "   ",
               kDim);
  }
  if (default_button) {
    AppendUtf8(hint, words.enter_key + ": ", kDim);
    Append(hint, Shown(default_button->Text()), kDim);
    AppendUtf8(hint, "   ", kDim);
  }
  // On the finish page Enter and Escape press the same button: named once.
  if (Usable(cancel_) && default_button != &cancel_) {
    AppendUtf8(hint, words.escape_key + ": ", kDim);
    Append(hint, Shown(cancel_.Text()), kDim);
    AppendUtf8(hint, "   ", kDim);
  }
  if (!view_.fields.empty()) {
    AppendUtf8(hint,
               (view_.fields.size() == 1
                    ? words.open_field
                    : FillWord(words.open_fields, "COUNT", std::to_string(view_.fields.size()))) +
                   "   ",
               kDim);
  }
  AppendUtf8(hint, words.close_hint, kDim);
  frame.rows[static_cast<size_t>(height - 1)] = Fit(hint, width, true);
}

void TextMainForm::Repainted() {
  if (!shown_ || IsClosed()) return;
  if (session_.Escapes())
    session_.Redraw();
  else
    PlainProgress();
}

void TextMainForm::PlainProgress() {
  const PageView view = RenderPage(pages_, std::max(session_.Size().columns - 2, 20),
                                   ViewStyle{false, 8, &session_.Words()});
  if (!view.has_gauge) return;
  if (PageIdentity() != identity_) {
    // The run's page came up inside the click that started the run.
    identity_ = PageIdentity();
    printed_language_ = language_.Text();
    plain_tenth_ = -1;
    std::vector<CellLine> out{CellLine{}};
    // The bar itself follows as progress lines.
    for (const CellLine& line : view.lines)
      if (line != view.gauge_line) out.push_back(line);
    session_.PrintLines(out);
  }
  const int tenth = view.gauge_percent / 10;
  if (tenth == plain_tenth_) return;
  plain_tenth_ = tenth;
  CellLine line = GaugeBar(view.gauge_percent, 22, false);
  AppendUtf8(line, " ");
  line.insert(line.end(), view.gauge_caption.begin(), view.gauge_caption.end());
  if (!view.gauge_status.empty()) {
    AppendUtf8(line, "  ");
    line.insert(line.end(), view.gauge_status.begin(), view.gauge_status.end());
  }
  session_.PrintLine(line);
}

void TextMainForm::OpenField(const PageField& field) {
  switch (field.kind) {
    case PageField::Kind::Edit: {
      auto& edit = static_cast<Edit&>(*field.widget);
      const std::optional<std::u16string> text = session_.PromptLine(
          field.title.empty() ? AnsiToWide(edit.Name()) : field.title, edit.Text(), {});
      if (text) edit.SetText(*text);
      break;
    }
    case PageField::Kind::Folder:
      BrowseFolders(session_, static_cast<FolderTree&>(*field.widget), field.title);
      break;
    case PageField::Kind::Reader:
      session_.ShowReader(field.title.empty() ? AnsiToWide(field.widget->Name()) : field.title,
                          ReaderLines(*field.widget, std::max(session_.Size().columns - 2, 10),
                                      session_.Escapes()));
      break;
  }
}

void TextMainForm::HandleKey(const Key& key) {
  switch (key.code) {
    case KeyCode::Enter:
      if (Button* b = DefaultButton()) b->Click();
      return;
    case KeyCode::Escape:
      if (Usable(cancel_)) cancel_.Click();
      return;
    case KeyCode::CtrlC:
      Close();
      return;
    case KeyCode::CtrlL:
      session_.Invalidate();
      return;
    case KeyCode::Up:
      --scroll_;
      return;
    case KeyCode::Down:
      ++scroll_;
      return;
    case KeyCode::PageUp:
      scroll_ -= body_height_;
      return;
    case KeyCode::PageDown:
      scroll_ += body_height_;
      return;
    case KeyCode::Home:
      scroll_ = 0;
      return;
    case KeyCode::End:
      scroll_ = static_cast<int>(view_.lines.size());
      return;
    case KeyCode::Char: {
      if (key.ch >= U'1' && key.ch <= U'9') {
        const size_t k = key.ch - U'1';
        if (k < view_.fields.size()) OpenField(view_.fields[k]);
        return;
      }
      for (const KeyedButton& kb : ButtonKeys()) {
        if (kb.key && Lower(key.ch) == kb.key) {
          kb.button->Click();
          return;
        }
      }
      return;
    }
    default:
      return;
  }
}

void TextMainForm::Interrupt(const Key& key) {
  if (IsClosed()) return;
  if (key.code == KeyCode::CtrlC) {
    Close();
  } else if (Usable(cancel_)) {
    cancel_.Click();
  }
}

void TextMainForm::PlainStep() {
  const int width = std::max(session_.Size().columns - 2, 20);
  const FrontEndWords& words = session_.Words();
  view_ = RenderPage(pages_, width, ViewStyle{false, 8, &words});
  const std::vector<const Widget*> identity = PageIdentity();
  if (identity != identity_ || language_.Text() != printed_language_) {
    identity_ = identity;
    printed_language_ = language_.Text();
    plain_tenth_ = -1;
    std::vector<CellLine> out{CellLine{}};
    std::u16string caption = Shown(Caption());
    caption.erase(0, caption.find_first_not_of(u' ') == std::u16string::npos
                         ? caption.size()
                         : caption.find_first_not_of(u' '));
    if (!caption.empty()) out.push_back(ToCells(u"== " + caption + u" =="));
    for (const CellLine& line : view_.lines) out.push_back(line);
    session_.PrintLines(out);
  }
  // The choices: the buttons, the language menu, then the page's fields.
  struct Option {
    CellLine text;
    std::function<void()> act;
  };
  std::vector<Option> options;
  const std::vector<KeyedButton> keyed = ButtonKeys();
  const Button* default_button = DefaultButton();
  size_t default_number = 0;
  for (const KeyedButton& kb : keyed) {
    Button* b = kb.button;
    CellLine text = ToCells(Shown(b->Text()));
    if (b == &language_) text = ToCells(Utf8ToWide(words.language + ": ") + Shown(b->Text()));
    options.push_back(Option{text, [b] { b->Click(); }});
    if (b == default_button) default_number = options.size();
  }
  for (const PageField& field : view_.fields) {
    CellLine text;
    switch (field.kind) {
      case PageField::Kind::Edit:
        text = ToCells(Utf8ToWide(words.change + ": ") + field.widget->Text());
        break;
      case PageField::Kind::Folder:
        text = Utf8ToCells(words.browse_folders);
        break;
      case PageField::Kind::Reader:
        text = Utf8ToCells(words.read_whole_text);
        break;
    }
    PageField copy = field;
    options.push_back(Option{text, [this, copy] { OpenField(copy); }});
  }
  std::vector<CellLine> out;
  for (size_t i = 0; i < options.size(); ++i) {
    CellLine line;
    AppendUtf8(line, "  " + std::to_string(i + 1) + ") ");
    line.insert(line.end(), options[i].text.begin(), options[i].text.end());
    out.push_back(line);
  }
  session_.PrintLines(out);
  session_.Write(default_number ? words.choice + " [" + std::to_string(default_number) + "]: "
                                : words.choice + ": ");
  const std::optional<std::u16string> answer = session_.ReadPlainLine();
  if (!answer) {
    // Escape, Ctrl+C or the end of input: the window's close button.
    if (!session_.InputEnded()) Close();
    return;
  }
  if (answer->empty()) {
    if (default_number) options[default_number - 1].act();
    return;
  }
  int n = 0;
  for (char16_t c : *answer)
    n = c >= u'0' && c <= u'9' && n >= 0 && n < 1000 ? n * 10 + (c - u'0') : -1;
  if (n >= 1 && static_cast<size_t>(n) <= options.size()) {
    options[static_cast<size_t>(n) - 1].act();
    return;
  }
  if (answer->size() == 1) {
    for (const KeyedButton& kb : keyed) {
      if (kb.key && Lower((*answer)[0]) == kb.key) {
        kb.button->Click();
        return;
      }
    }
  }
}

// ---- verification window

TextVerifyWindow::~TextVerifyWindow() {
  session_.ClearBase(this);
}

void TextVerifyWindow::Show() {
  SetShown(true);
  if (!session_.Escapes()) {
    session_.PrintLine(Utf8ToCells("Verifying contents please wait..."));
    return;
  }
  session_.SetBase(this, [this](Frame& frame) { Paint(frame); });
  session_.Redraw();
}

void TextVerifyWindow::Close() {
  SetShown(false);
  session_.ClearBase(this);
}

void TextVerifyWindow::Paint(Frame& frame) const {
  const int height = frame.Height();
  if (height < 6) return;
  CellLine title = Utf8ToCells(" Verifying Contents", kReverse | kBold);
  PadTo(title, frame.width, kReverse);
  frame.rows[0] = title;
  frame.rows[2] = Utf8ToCells("  Verifying contents please wait...");
  frame.rows[4] = ToCells(u"  " + AnsiToWide(Status()));
  const int64_t max = ProgressMax();
  const int percent =
      max > 0 ? static_cast<int>(std::clamp<int64_t>(ProgressPosition() * 100 / max, 0, 100)) : 0;
  CellLine bar{Cell{U' '}, Cell{U' '}};
  const CellLine b = GaugeBar(percent, std::clamp(frame.width - 4, 4, 60), true);
  bar.insert(bar.end(), b.begin(), b.end());
  frame.rows[5] = bar;
}

// ---- debug window

void TextDebugWindow::ShowModal() {
  session_.ShowReader(u"Debug", ReaderLines(content_, std::max(session_.Size().columns - 2, 10),
                                            session_.Escapes()));
}

}  // namespace wizpak::gui::text
