#include "wizard/control_parser.h"

#include <array>
#include <utility>

#include "gui/message_box.h"
#include "platform/codepage.h"
#include "text/path_helpers.h"
#include "text/run_texts.h"
#include "text/replace_all.h"
#include "text/text_routines.h"

namespace wizpak::wizard {

namespace {

using gui::WidgetKind;

struct KindWord {
  std::string_view word;
  WidgetKind kind;
};

// Compared in this order.
constexpr std::array<KindWord, 10> kKindWords = {{
    {"tlabel", WidgetKind::Label},
    {"tedit", WidgetKind::Edit},
    {"tshelltreeview", WidgetKind::FolderTree},
    {"tbutton", WidgetKind::Button},
    {"timage", WidgetKind::Picture},
    {"tpanel", WidgetKind::Panel},
    {"tbevel", WidgetKind::Bevel},
    {"tmemo", WidgetKind::Memo},
    {"trichedit", WidgetKind::RichEdit},
    {"tprogressbar", WidgetKind::Gauge},
}};

bool IsFontKind(WidgetKind kind) {
  return kind == WidgetKind::Label || kind == WidgetKind::Edit || kind == WidgetKind::Panel ||
         kind == WidgetKind::Memo || kind == WidgetKind::RichEdit;
}

bool ShowsItsName(WidgetKind kind) {
  return kind == WidgetKind::Label || kind == WidgetKind::Edit || kind == WidgetKind::Button ||
         kind == WidgetKind::Panel || kind == WidgetKind::Memo || kind == WidgetKind::RichEdit;
}

// Only "<BR>" (any letter case) becomes a carriage return: memo and rich
// edit texts get no language tags or placeholders.
std::u16string BreaksOnly(std::string_view value) {
  return ReplaceAllText(AnsiToWide(value), u"<BR>", u"\r");
}

// The caption a label or panel shows for a source text. Panels hold ANSI
// captions, so their text goes through the ANSI code page once more.
std::u16string PipelineText(const RunTexts& texts, WidgetKind kind, std::u16string_view source) {
  std::u16string text = ExpandWizardText(texts, source);
  if (kind == WidgetKind::Panel) return AnsiToWide(WideToAnsi(text));
  return text;
}

// The extension of an entry name, lower-cased ASCII, without the dot.
std::string ExtensionOf(std::string_view name) {
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of("\\/");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) return "";
  return AsciiLower(name.substr(dot + 1));
}

}  // namespace

std::string_view PageTypeWord(TPageType type) {
  static constexpr std::array<std::string_view, 8> kWords = {
      "welcome",  "changelog", "installdir", "patch",
      "patching", "finish",    "mainlayout", "uninstall"};
  auto index = static_cast<size_t>(type);
  return index < kWords.size() ? kWords[index] : "welcome";
}

int32_t LayoutInteger(std::string_view value) {
  std::optional<int32_t> parsed = ParseInteger(value);
  if (!parsed) throw WizardError(InvalidIntegerMessage(value));
  return *parsed;
}

gui::ColourRef LayoutColour(std::string_view value) {
  return static_cast<gui::ColourRef>(LayoutInteger(value));
}

bool LayoutBoolean(std::string_view value) {
  return AsciiLower(value) == "true";
}

bool IsValidControlName(std::string_view name) {
  if (name.empty()) return true;
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(name[0])) return false;
  for (char c : name) {
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

TControlParser::TControlParser(gui::PageArea& page_area, const RunTexts& texts,
                               EntryLookup find_entry)
    : page_area_(page_area), texts_(texts), find_entry_(std::move(find_entry)) {}

void TControlParser::LoadLayout(std::string_view entry_name) {
  lines_.Clear();
  std::optional<std::string> bytes = find_entry_ ? find_entry_(entry_name) : std::nullopt;
  if (!bytes) {
    gui::MessageBox("Error File Missing: |" + std::string(entry_name) + "|", "Missing File");
    return;
  }
  LoadLayoutText(*bytes);
}

void TControlParser::LoadLayoutText(std::string_view text) {
  lines_.Clear();
  TStringList all;
  SplitLinesInto(all, text);
  for (int32_t i = 0; i < all.Count(); ++i) {
    const std::string& line = all.Get(i);
    if (line.empty()) continue;
    if (line[0] == '[' && lines_.Count() > 0) {
      BuildControl(lines_);
      lines_.Clear();
    }
    lines_.Add(line);
  }
  if (lines_.Count() > 0) {
    BuildControl(lines_);
    lines_.Clear();
  }
}

gui::Widget& TControlParser::CreateKind(WidgetKind kind) {
  gui::Widget& control = page_area_.Create(kind);
  if (kind == WidgetKind::Gauge) {
    auto model = std::make_unique<gui::TGradGauge>();
    gui::TGradGauge* gauge = model.get();
    auto& face = static_cast<gui::Gauge&>(control);
    control.SetBounds({0, 0, gui::TGradGauge::kCreateWidth, gui::TGradGauge::kCreateHeight});
    face.SetOnPaint(
        [gauge, &control](gui::Canvas& canvas) { gauge->Paint(canvas, control.Font()); });
    face.SetOnRead([gauge] {
      return gui::GaugeReading{gauge->FilledPercent(), AnsiToWide(gauge->Caption())};
    });
    gauge->SetRepaintHandler([&control](bool) { control.Repaint(); });
    gauges_.push_back({&control, std::move(model)});
  }
  return control;
}

void TControlParser::CheckUniqueName(const gui::Widget& control, const std::string& name) const {
  if (name.empty()) return;
  for (const gui::Widget* other : page_area_.Children()) {
    if (other != &control && EqualsIgnoreCaseAnsi(other->Name(), name)) {
      throw WizardError("A component named " + name + " already exists");
    }
  }
}

void TControlParser::BuildControl(const TStringList& section) {
  const std::string& header = section.Get(0);
  std::string name = header.size() >= 2 ? header.substr(1, header.size() - 2) : "";
  const std::string& kind_line = section.Get(1);
  size_t equals = kind_line.find('=');
  std::string kind_word =
      AsciiLower(equals == std::string::npos ? kind_line : kind_line.substr(equals + 1));

  const KindWord* match = nullptr;
  for (const KindWord& entry : kKindWords) {
    if (entry.word == kind_word) {
      match = &entry;
      break;
    }
  }
  if (!match) return;

  gui::Widget& control = CreateKind(match->kind);
  if (!IsValidControlName(name)) {
    throw WizardError("''" + name + "'' is not a valid component name");
  }
  CheckUniqueName(control, name);
  control.SetName(name);
  if (ShowsItsName(match->kind)) control.SetText(AnsiToWide(name));
  AddControl(control);
  std::u16string& slot = source_texts_.back();
  for (int32_t i = 2; i < section.Count(); ++i) {
    auto [key, value] = SplitNameValue(section.Get(i));
    ApplyProperty(key, value, slot, control);
  }
}

void TControlParser::AddControl(gui::Widget& control) {
  controls_.push_back(&control);
  source_texts_.emplace_back();
}

void TControlParser::ApplyProperty(std::string_view key_text, std::string_view value,
                                   std::u16string& source_text, gui::Widget& control) {
  const std::string key = AsciiLower(key_text);
  if (key == "left") {
    control.SetLeft(LayoutInteger(value));
  } else if (key == "top") {
    control.SetTop(LayoutInteger(value));
  } else if (key == "width") {
    control.SetWidth(LayoutInteger(value));
  } else if (key == "height") {
    control.SetHeight(LayoutInteger(value));
  } else if (key == "enabled") {
    control.SetEnabled(LayoutBoolean(value));
  }
  ApplyKindProperty(key, value, source_text, control);
}

void TControlParser::ApplyKindProperty(std::string_view key, std::string_view value,
                                       std::u16string& source_text, gui::Widget& control) {
  const WidgetKind kind = control.Kind();

  if (IsFontKind(kind)) {
    gui::FontSpec font = control.Font();
    bool font_changed = true;
    if (key == "fontface") {
      font.face = std::string(value);
    } else if (key == "fontsize") {
      font.size_points = LayoutInteger(value);
    } else if (key == "fontcolour") {
      font.colour = LayoutColour(value);
      font.parent_font = false;
    } else if (key == "fontbold") {
      font.bold = LayoutBoolean(value);
    } else {
      font_changed = false;
    }
    if (font_changed) {
      control.SetFont(font);
      return;
    }
  }

  switch (kind) {
    case WidgetKind::Label:
    case WidgetKind::Panel:
      if (key == "caption") {
        source_text = AnsiToWide(value);
        control.SetText(PipelineText(texts_, kind, source_text));
      } else if (key == "autosize" && kind == WidgetKind::Label) {
        control.SetAutoSize(LayoutBoolean(value));
      } else if (key == "wordwrap" && kind == WidgetKind::Label) {
        control.SetWordWrap(LayoutBoolean(value));
      } else if (key == "transparent" && kind == WidgetKind::Label) {
        control.SetTransparent(LayoutBoolean(value));
      }
      break;
    case WidgetKind::Edit:
      if (key == "text") {
        source_text = AnsiToWide(value);
        control.SetText(ExpandWizardText(texts_, source_text));
      } else if (key == "autosize") {
        control.SetAutoSize(LayoutBoolean(value));
      }
      break;
    case WidgetKind::Memo:
    case WidgetKind::RichEdit:
      if (key == "text") {
        control.SetText(BreaksOnly(value));
      } else if (key == "border") {
        control.SetBorder(LayoutBoolean(value));
      } else if (key == "file" && kind == WidgetKind::RichEdit) {
        std::u16string name = texts_.placeholders.ExpandTextPlaceholders(AnsiToWide(value));
        LoadRichText(control, WideToAnsi(name));
      }
      break;
    case WidgetKind::Picture:
      if (key == "file") {
        LoadPicture(control, value);
      } else if (key == "transparent") {
        control.SetTransparent(LayoutBoolean(value));
      } else if (key == "stretch") {
        static_cast<gui::Picture&>(control).SetStretch(LayoutBoolean(value));
      } else if (key == "center") {
        static_cast<gui::Picture&>(control).SetCenter(LayoutBoolean(value));
      }
      break;
    case WidgetKind::Gauge:
      if (gui::TGradGauge* gauge = GaugeOf(&control)) {
        if (key == "forecolour") {
          gui::ColourRef colour = LayoutColour(value);
          gauge->SetColor1(colour);
          gauge->SetColor2(colour);
        } else if (key == "backcolour") {
          gauge->SetBackcolor(LayoutColour(value));
        }
      }
      break;
    case WidgetKind::FolderTree:
    case WidgetKind::Button:
    case WidgetKind::Bevel:
      break;
  }
}

void TControlParser::LoadPicture(gui::Widget& control, std::string_view entry_name) {
  // Decoded straight from the entry's bytes: no temporary file is written.
  std::optional<std::string> bytes = find_entry_ ? find_entry_(entry_name) : std::nullopt;
  if (!bytes) return;
  std::string format = ExtensionOf(entry_name);
  if (format != "jpg" && format != "jpeg" && format != "bmp" && format != "ico" &&
      format != "wmf" && format != "emf") {
    return;  // no picture format for this name: the picture stays empty
  }
  static_cast<gui::Picture&>(control).SetPicture(std::move(*bytes), format);
}

void TControlParser::LoadRichText(gui::Widget& control, std::string_view entry_name) {
  // "file=<%CHANGELOG%>" of a setup without a change log names no entry at
  // all: the box stays empty instead of reporting a file without a name.
  if (entry_name.empty()) return;
  std::optional<std::string> bytes = find_entry_ ? find_entry_(entry_name) : std::nullopt;
  if (!bytes) {
    gui::MessageBox("Error: File \"" + std::string(entry_name) + "\" Missing", "Rich Edit Error");
    return;
  }
  static_cast<gui::RichEdit&>(control).LoadContent(*bytes);
}

void TControlParser::HideControls() {
  for (gui::Widget* control : controls_) control->SetVisible(false);
}

void TControlParser::ShowControls() {
  for (gui::Widget* control : controls_) control->SetVisible(true);
}

void TControlParser::SendControlsToBack() {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) (*it)->SendToBack();
}

void TControlParser::RetranslateControls() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    gui::Widget& control = *controls_[i];
    if (control.Kind() == WidgetKind::Label || control.Kind() == WidgetKind::Panel) {
      control.SetText(PipelineText(texts_, control.Kind(), source_texts_[i]));
    }
  }
}

gui::TGradGauge* TControlParser::GaugeOf(const gui::Widget* control) const {
  for (const GaugeBinding& binding : gauges_) {
    if (binding.control == control) return binding.model.get();
  }
  return nullptr;
}

}  // namespace wizpak::wizard
