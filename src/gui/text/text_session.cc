#include "gui/text/text_session.h"

#include <algorithm>

#include "gui/text/line_editor.h"
#include "platform/codepage.h"
#include "gui/text/page_view.h"

namespace wizpak::gui::text {
namespace {

constexpr const char* kEnterScreen = "\x1b[?1049h\x1b[H\x1b[2J\x1b[?25l";
constexpr const char* kLeaveScreen = "\x1b[0m\x1b[?25h\x1b[?1049l";
// How long the rest of an escape sequence may take to arrive.
constexpr int kSequenceWaitMs = 40;
// How often a waiting prompt looks at the window size.
constexpr int kResizeCheckMs = 250;

struct Choice {
  std::u16string caption;
  Answer answer;
};

// The buttons with the captions of the wizard's language; English where it
// gives none.
std::vector<Choice> ChoicesFor(Buttons buttons, const ButtonCaptions& captions) {
  const auto in_language = [](const std::string& caption, const char16_t* english) {
    return caption.empty() ? std::u16string(english) : Utf8ToWide(caption);
  };
  const Choice ok{in_language(captions.ok, u"OK"), Answer::Ok};
  const Choice cancel{in_language(captions.cancel, u"Cancel"), Answer::Cancel};
  switch (buttons) {
    case Buttons::Ok:
      return {ok};
    case Buttons::OkCancel:
      return {ok, cancel};
    case Buttons::YesNo:
      return {{in_language(captions.yes, u"&Yes"), Answer::Yes},
              {in_language(captions.no, u"&No"), Answer::No}};
    case Buttons::RetryCancel:
      return {{in_language(captions.retry, u"&Retry"), Answer::Retry}, cancel};
  }
  return {ok};
}

CellLine KeyedCaption(const std::u16string& caption, char32_t key, uint8_t style) {
  std::u16string shown;
  MarkedLetter(caption, &shown);
  CellLine line;
  if (key) {
    line.push_back(Cell{U'[', style});
    line.push_back(Cell{key >= U'a' && key <= U'z' ? key - U'a' + U'A' : key, style});
    line.push_back(Cell{U']', style});
    line.push_back(Cell{U' ', style});
  }
  Append(line, shown, style);
  return line;
}

std::u16string Shown(const std::u16string& caption) {
  std::u16string shown;
  MarkedLetter(caption, &shown);
  return shown;
}

char32_t LowerAscii(char32_t c) {
  return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

}  // namespace

TextSession::TextSession(int in_fd, int out_fd, bool escapes)
    : terminal_(in_fd, out_fd), out_fd_(out_fd), may_escape_(escapes) {
  Resume();
}

void TextSession::Resume() {
  terminal_.EnterRawMode();
  if (!may_escape_ || active_) return;
  escapes_ = true;
  terminal_.Write(kEnterScreen);
  active_ = true;
  full_ = true;
  last_error_line_.clear();
  errors_ = std::make_unique<ErrorCapture>(out_fd_);
}

TextSession::~TextSession() {
  Shutdown();
}

void TextSession::Shutdown() {
  LeaveScreen();
  terminal_.RestoreMode();
}

void TextSession::LeaveScreen() {
  if (active_) {
    terminal_.Write(kLeaveScreen);
    active_ = false;
  }
  // After the screen is left, so the lines stay in view.
  if (errors_) errors_->Release();
  escapes_ = false;
}

// ---- screen

void TextSession::Redraw() {
  if (!escapes_) return;
  const TerminalSize size = terminal_.Size();
  if (size != shown_size_) {
    full_ = true;
    shown_size_ = size;
  }
  Frame frame;
  frame.width = size.columns;
  frame.rows.assign(static_cast<size_t>(size.rows), CellLine{});
  if (base_) base_(frame);
  if (errors_) {
    for (std::string& line : errors_->NewLines())
      if (!line.empty()) last_error_line_ = std::move(line);
  }
  if (!last_error_line_.empty() && frame.Height() > 2) {
    // Under the title, where every window leaves a blank row.
    frame.rows[1] = Fit(Utf8ToCells(" " + last_error_line_, kBold), frame.width, true);
  }
  if (overlay_) overlay_(frame);
  Present(frame);
}

void TextSession::Present(const Frame& frame) {
  std::string out;
  const size_t rows = frame.rows.size();
  if (full_) {
    out += "\x1b[0m\x1b[H\x1b[2J";
    shown_.assign(rows, std::string("\x01"));  // matches no row: all are written
    full_ = false;
  }
  shown_.resize(rows);
  for (size_t r = 0; r < rows; ++r) {
    // The last column of the last row stays empty: writing there would
    // scroll some terminals.
    const int room = r + 1 == rows ? frame.width - 1 : frame.width;
    const std::string bytes = Render(Fit(frame.rows[r], room), true);
    if (bytes == shown_[r]) continue;
    out += "\x1b[" + std::to_string(r + 1) + ";1H" + bytes + "\x1b[0m\x1b[K";
    shown_[r] = bytes;
  }
  if (frame.cursor_row >= 0) {
    out += "\x1b[" + std::to_string(frame.cursor_row + 1) + ";" +
           std::to_string(frame.cursor_column + 1) + "H\x1b[?25h";
  } else {
    out += "\x1b[?25l";
  }
  terminal_.Write(out);
}

int TextSession::DrawBottomBox(Frame& frame, const std::u16string& title,
                               const std::vector<CellLine>& body) {
  const int width = std::max(frame.width, 12);
  const int inner = width - 4;
  // The box ends above the last row, which stays empty: its bottom-right
  // corner would otherwise fall on the screen's last cell, and the keys of
  // the window below do not apply while the box is up.
  if (frame.Height() > 0) frame.rows.back().clear();
  const int height = std::max(frame.Height() - 1, 3);
  const int max_body = std::max(height - 2, 1);
  const int shown = std::min(static_cast<int>(body.size()), max_body);
  const int top = std::max(height - shown - 2, 0);
  CellLine edge{Cell{U'┌'}, Cell{U'─'}};
  if (!title.empty()) {
    edge.push_back(Cell{U' '});
    CellLine t = Fit(ToCells(title, kBold), inner - 4, true);
    edge.insert(edge.end(), t.begin(), t.end());
    edge.push_back(Cell{U' '});
  }
  while (LineWidth(edge) < width - 1) edge.push_back(Cell{U'─'});
  edge.push_back(Cell{U'┐'});
  if (top < frame.Height()) frame.rows[static_cast<size_t>(top)] = edge;
  for (int k = 0; k < shown; ++k) {
    CellLine row{Cell{U'│'}, Cell{U' '}};
    CellLine content = Fit(body[static_cast<size_t>(k)], inner);
    PadTo(content, inner);
    row.insert(row.end(), content.begin(), content.end());
    row.push_back(Cell{U' '});
    row.push_back(Cell{U'│'});
    const int r = top + 1 + k;
    if (r < frame.Height()) frame.rows[static_cast<size_t>(r)] = row;
  }
  CellLine bottom{Cell{U'└'}};
  while (LineWidth(bottom) < width - 1) bottom.push_back(Cell{U'─'});
  bottom.push_back(Cell{U'┘'});
  const int last = top + shown + 1;
  if (last < frame.Height()) frame.rows[static_cast<size_t>(last)] = bottom;
  return top + 1;
}

// ---- plain output

void TextSession::PrintLine(const CellLine& line) {
  terminal_.Write(Render(line, false) + "\n");
}

void TextSession::PrintLines(const std::vector<CellLine>& lines) {
  std::string out;
  for (const CellLine& line : lines) out += Render(line, false) + "\n";
  terminal_.Write(out);
}

// ---- keys

std::optional<Key> TextSession::WaitKey(int timeout_ms) {
  if (!typed_ahead_.empty()) {
    Key key = typed_ahead_.front();
    typed_ahead_.pop_front();
    return key;
  }
  Key key;
  if (decoder_.Next(key)) return key;
  if (input_ended_) {
    if (decoder_.Next(key, true)) return key;
    return Key{KeyCode::EndOfInput, 0, false};
  }
  while (true) {
    std::string bytes;
    const ReadResult result =
        terminal_.Read(bytes, decoder_.Pending() ? kSequenceWaitMs : timeout_ms);
    if (result == ReadResult::Data) {
      decoder_.Feed(bytes);
      if (decoder_.Next(key)) return key;
      continue;
    }
    if (result == ReadResult::EndOfInput) input_ended_ = true;
    if (decoder_.Pending() && decoder_.Next(key, true)) return key;
    if (input_ended_) return Key{KeyCode::EndOfInput, 0, false};
    return std::nullopt;
  }
}

void TextSession::PollInput() {
  if (input_ended_) return;
  while (true) {
    std::string bytes;
    const ReadResult result = terminal_.Read(bytes, 0);
    if (result == ReadResult::Data) {
      decoder_.Feed(bytes);
      continue;
    }
    if (result == ReadResult::EndOfInput) input_ended_ = true;
    break;
  }
  Key key;
  while (decoder_.Next(key, true)) typed_ahead_.push_back(key);
}

void TextSession::ProcessInterrupts() {
  PollInput();
  for (auto it = typed_ahead_.begin(); it != typed_ahead_.end(); ++it) {
    if (it->code != KeyCode::Escape && it->code != KeyCode::CtrlC) continue;
    const Key key = *it;
    typed_ahead_.erase(it);
    if (interrupt_target_) interrupt_target_->Interrupt(key);
    return;
  }
}

std::optional<std::u16string> TextSession::ReadPlainLine() {
  const bool echo = terminal_.InputIsTerminal();
  LineEditor editor;
  while (true) {
    const std::optional<Key> key = WaitKey(-1);
    if (!key) continue;
    const size_t before = editor.Text().size();
    const LineEditor::Outcome outcome = editor.Apply(*key);
    if (outcome == LineEditor::Outcome::Accepted) {
      // Typed on a terminal the answer is on the screen already; read from
      // elsewhere it is written out, so the output reads as a dialogue.
      std::string shown;
      if (!echo)
        for (char32_t c : editor.Text()) AppendUtf8Char(shown, c);
      terminal_.Write(shown + "\n");
      return ToUtf16(editor.Text());
    }
    if (outcome == LineEditor::Outcome::Abandoned) {
      if (echo) terminal_.Write("\n");
      return std::nullopt;
    }
    if (!echo) continue;
    // Plain terminals: only typing at the end and rubbing out are shown.
    if (editor.Text().size() > before) {
      std::string bytes;
      AppendUtf8Char(bytes, editor.Text().back());
      terminal_.Write(bytes);
    } else if (editor.Text().size() < before) {
      terminal_.Write("\b \b");
    }
  }
}

// ---- prompts

void TextSession::Modal(const Painter& overlay, const std::function<bool(const Key&)>& on_key) {
  Painter previous = std::move(overlay_);
  overlay_ = overlay;
  while (true) {
    Redraw();
    const std::optional<Key> key = WaitKey(kResizeCheckMs);
    if (!key) continue;
    if (key->code == KeyCode::CtrlL) {
      full_ = true;
      continue;
    }
    if (on_key(*key)) break;
  }
  overlay_ = std::move(previous);
  Redraw();
}

Answer TextSession::AskMessageBox(const MessageBoxRequest& request) {
  const std::vector<Choice> choices = ChoicesFor(request.buttons, request.captions);
  std::vector<std::u16string> captions;
  for (const Choice& c : choices) captions.push_back(c.caption);
  const std::vector<char32_t> keys = AssignKeys(captions);
  const Answer escape_answer = choices.back().answer;
  CellLine text = Utf8ToCells(request.text);

  if (!escapes_) {
    std::vector<CellLine> out{CellLine{}};
    CellLine head = Utf8ToCells("[" + request.caption + "]");
    out.push_back(head);
    for (CellLine& line : Wrap(text, std::max(Size().columns - 2, 20))) out.push_back(line);
    CellLine options;
    for (size_t i = 0; i < choices.size(); ++i) {
      AppendUtf8(options, "  " + std::to_string(i + 1) + ") ");
      Append(options, Shown(captions[i]));
    }
    out.push_back(options);
    PrintLines(out);
    while (true) {
      terminal_.Write(words_.choice + " [1]: ");
      const std::optional<std::u16string> line = ReadPlainLine();
      if (!line) return escape_answer;
      if (line->empty()) return choices.front().answer;
      const char32_t c = LowerAscii((*line)[0]);
      for (size_t i = 0; i < choices.size(); ++i) {
        if (line->size() == 1 && (c == U'1' + i || c == keys[i])) return choices[i].answer;
      }
    }
  }

  size_t focus = 0;
  Answer answer = escape_answer;
  const std::u16string title = Utf8ToWide(request.caption);
  Modal(
      [&](Frame& frame) {
        const int inner = std::max(frame.width - 4, 8);
        std::vector<CellLine> body = Wrap(text, inner);
        body.emplace_back();
        CellLine buttons;
        for (size_t i = 0; i < choices.size(); ++i) {
          if (i) AppendUtf8(buttons, "   ");
          CellLine b = KeyedCaption(captions[i], keys[i], i == focus ? kReverse : kPlain);
          b.insert(b.begin(), Cell{U' ', i == focus ? kReverse : kPlain});
          b.push_back(Cell{U' ', i == focus ? kReverse : kPlain});
          buttons.insert(buttons.end(), b.begin(), b.end());
        }
        body.push_back(buttons);
        CellLine hint;
        AppendUtf8(hint, words_.enter_key + ": ", kDim);
        Append(hint, Shown(captions[focus]), kDim);
        AppendUtf8(hint, "   " + words_.escape_key + ": ", kDim);
        Append(hint, Shown(captions.back()), kDim);
        body.push_back(hint);
        DrawBottomBox(frame, title, body);
      },
      [&](const Key& key) {
        switch (key.code) {
          case KeyCode::Enter:
            answer = choices[focus].answer;
            return true;
          case KeyCode::Escape:
          case KeyCode::CtrlC:
          case KeyCode::EndOfInput:
            answer = escape_answer;
            return true;
          case KeyCode::Left:
          case KeyCode::Up:
            focus = focus == 0 ? choices.size() - 1 : focus - 1;
            return false;
          case KeyCode::Right:
          case KeyCode::Down:
          case KeyCode::Tab:
            focus = (focus + 1) % choices.size();
            return false;
          case KeyCode::Char:
            for (size_t i = 0; i < choices.size(); ++i) {
              if (keys[i] && LowerAscii(key.ch) == keys[i]) {
                answer = choices[i].answer;
                return true;
              }
            }
            return false;
          default:
            return false;
        }
      });
  return answer;
}

int TextSession::ChooseFromMenu(const std::u16string& title,
                                const std::vector<std::u16string>& items, int current) {
  if (items.empty()) return -1;
  const int count = static_cast<int>(items.size());
  if (current < 0 || current >= count) current = 0;
  if (!escapes_) {
    std::vector<CellLine> out{CellLine{}, ToCells(title)};
    for (int i = 0; i < count; ++i) {
      CellLine line;
      AppendUtf8(line, "  " + std::to_string(i + 1) + ") ");
      Append(line, items[static_cast<size_t>(i)]);
      if (i == current) AppendUtf8(line, " *");
      out.push_back(line);
    }
    PrintLines(out);
    while (true) {
      terminal_.Write(words_.choice + " [" + std::to_string(current + 1) + "]: ");
      const std::optional<std::u16string> line = ReadPlainLine();
      if (!line) return -1;
      if (line->empty()) return current;
      int n = 0;
      for (char16_t c : *line) n = c >= u'0' && c <= u'9' && n < 1000 ? n * 10 + (c - u'0') : -1;
      if (n >= 1 && n <= count) return n - 1;
    }
  }
  int focus = current;
  int chosen = -1;
  Modal(
      [&](Frame& frame) {
        std::vector<CellLine> body;
        for (int i = 0; i < count; ++i) {
          const uint8_t style = i == focus ? kReverse : kPlain;
          CellLine line;
          AppendUtf8(line, " " + std::to_string(i + 1) + ") ", style);
          Append(line, items[static_cast<size_t>(i)], style);
          AppendUtf8(line, i == current ? " ✓ " : "   ", style);
          body.push_back(line);
        }
        CellLine hint;
        AppendUtf8(hint, FillWord(words_.menu_hint, "COUNT", std::to_string(count)), kDim);
        body.push_back(hint);
        DrawBottomBox(frame, title, body);
      },
      [&](const Key& key) {
        switch (key.code) {
          case KeyCode::Enter:
            chosen = focus;
            return true;
          case KeyCode::Escape:
          case KeyCode::CtrlC:
          case KeyCode::EndOfInput:
            return true;
          case KeyCode::Up:
            focus = focus == 0 ? count - 1 : focus - 1;
            return false;
          case KeyCode::Down:
          case KeyCode::Tab:
            focus = (focus + 1) % count;
            return false;
          case KeyCode::Char:
            if (key.ch >= U'1' && key.ch <= U'9' && static_cast<int>(key.ch - U'1') < count) {
              chosen = static_cast<int>(key.ch - U'1');
              return true;
            }
            return false;
          default:
            return false;
        }
      });
  return chosen;
}

std::optional<std::u16string> TextSession::PromptLine(
    const std::u16string& title, const std::u16string& text, const std::vector<CellLine>& info,
    const std::function<std::vector<CellLine>(const std::u16string&)>& on_tab) {
  if (!escapes_) {
    PrintLines(info);
    CellLine prompt = ToCells(title);
    AppendUtf8(prompt, " [");
    Append(prompt, text);
    AppendUtf8(prompt, "]: ");
    terminal_.Write(Render(prompt, false));
    std::optional<std::u16string> line = ReadPlainLine();
    if (line && line->empty()) return text;
    return line;
  }
  LineEditor editor(ToUtf32(text));
  std::vector<CellLine> shown_info = info;
  std::optional<std::u16string> result;
  Modal(
      [&](Frame& frame) {
        const int inner = std::max(frame.width - 4, 8);
        std::vector<CellLine> body;
        const int room = std::max(frame.Height() - 6, 0);
        for (size_t k = 0; k < shown_info.size() && static_cast<int>(k) < room; ++k)
          body.push_back(shown_info[k]);
        if (!shown_info.empty()) body.emplace_back();
        // The input, scrolled so the cursor stays in view.
        const std::u32string& t = editor.Text();
        const int field = inner - 2;
        const size_t start =
            editor.Cursor() >= static_cast<size_t>(field) ? editor.Cursor() - field + 1 : 0;
        CellLine input;
        AppendUtf8(input, "> ", kBold);
        for (size_t k = start; k < t.size() && static_cast<int>(k - start) < field; ++k)
          input.push_back(Cell{t[k], kUnderline});
        body.push_back(input);
        CellLine hint;
        AppendUtf8(hint, on_tab ? words_.folder_prompt_hint : words_.line_prompt_hint, kDim);
        body.push_back(hint);
        const int first = DrawBottomBox(frame, title, body);
        frame.cursor_row = first + static_cast<int>(body.size()) - 2;
        CellLine before;
        for (size_t k = start; k < editor.Cursor(); ++k) before.push_back(Cell{t[k]});
        frame.cursor_column = 2 + 2 + LineWidth(before);
      },
      [&](const Key& key) {
        if (key.code == KeyCode::Tab && on_tab) {
          shown_info = on_tab(ToUtf16(editor.Text()));
          return false;
        }
        switch (editor.Apply(key)) {
          case LineEditor::Outcome::Accepted:
            result = ToUtf16(editor.Text());
            return true;
          case LineEditor::Outcome::Abandoned:
            return true;
          default:
            return false;
        }
      });
  return result;
}

void TextSession::ShowReader(const std::u16string& title, const std::vector<CellLine>& lines) {
  if (!escapes_) {
    std::vector<CellLine> out{CellLine{}, ToCells(title)};
    out.insert(out.end(), lines.begin(), lines.end());
    out.push_back(Utf8ToCells(words_.end_of_text));
    PrintLines(out);
    return;
  }
  int top = 0;
  int page = 1;
  const int count = static_cast<int>(lines.size());
  Modal(
      [&](Frame& frame) {
        const int height = frame.Height();
        page = std::max(height - 2, 1);
        top = std::clamp(top, 0, std::max(count - page, 0));
        CellLine head = ToCells(u" " + title, kReverse);
        PadTo(head, frame.width, kReverse);
        frame.rows[0] = head;
        for (int r = 0; r < page && r + 1 < height; ++r) {
          const int k = top + r;
          CellLine row{Cell{U' '}};
          if (k < count)
            row.insert(row.end(), lines[static_cast<size_t>(k)].begin(),
                       lines[static_cast<size_t>(k)].end());
          frame.rows[static_cast<size_t>(r + 1)] = row;
        }
        CellLine foot;
        std::string hint =
            FillWord(words_.pager_hint, "FIRST", std::to_string(count ? top + 1 : 0));
        hint = FillWord(hint, "LAST", std::to_string(std::min(top + page, count)));
        AppendUtf8(foot, " " + FillWord(hint, "COUNT", std::to_string(count)), kDim);
        frame.rows[static_cast<size_t>(height - 1)] = foot;
      },
      [&](const Key& key) {
        switch (key.code) {
          case KeyCode::Up:
            --top;
            return false;
          case KeyCode::Down:
            ++top;
            return false;
          case KeyCode::PageUp:
            top -= page;
            return false;
          case KeyCode::PageDown:
            top += page;
            return false;
          case KeyCode::Home:
            top = 0;
            return false;
          case KeyCode::End:
            top = count;
            return false;
          case KeyCode::Char:
            if (key.ch == U' ') {
              top += page;
              return false;
            }
            return key.ch == U'q' || key.ch == U'Q';
          case KeyCode::Enter:
          case KeyCode::Escape:
          case KeyCode::CtrlC:
          case KeyCode::EndOfInput:
            return true;
          default:
            return false;
        }
      });
}

}  // namespace wizpak::gui::text
