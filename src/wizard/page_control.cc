#include "wizard/page_control.h"

#include "gui/message_box.h"
#include "gui/transcript.h"
#include "platform/codepage.h"
#include "text/run_texts.h"

namespace wizpak::wizard {

namespace {

constexpr uint16_t kNextCaption = 13;
constexpr uint16_t kInstallCaption = 15;
constexpr uint16_t kFinishCaption = 16;

std::string Header(const TStringList& section) {
  const std::string& header = section.Get(0);
  return header.size() >= 2 ? AsciiLower(header.substr(1, header.size() - 2)) : "";
}

}  // namespace

TPageType PageTypeFromWord(std::string_view word) {
  const std::string lower = AsciiLower(word);
  for (int value = 0; value <= static_cast<int>(TPageType::ptUninstall); ++value) {
    auto type = static_cast<TPageType>(value);
    if (PageTypeWord(type) == lower) return type;
  }
  return TPageType::ptWelcome;
}

TSEPageControl::TSEPageControl(gui::Button& back, gui::Button& next, gui::Button& cancel,
                               gui::Button& language, gui::PageArea& page_area,
                               const RunTexts& texts, EntryLookup find_entry)
    : back_(back),
      next_(next),
      cancel_(cancel),
      language_(language),
      page_area_(page_area),
      texts_(texts),
      find_entry_(std::move(find_entry)) {}

bool TSEPageControl::LoadPageSet(std::string_view entry_name) {
  std::optional<std::string> bytes = find_entry_ ? find_entry_(entry_name) : std::nullopt;
  if (!bytes) {
    gui::MessageBox("Error File Missing: " + std::string(entry_name), "Missing File");
    return false;
  }
  LoadPageSetText(*bytes);
  return true;
}

void TSEPageControl::LoadPageSetText(std::string_view text) {
  TStringList all;
  SplitLinesInto(all, text);
  TStringList section;
  for (int32_t i = 0; i < all.Count(); ++i) {
    const std::string& line = all.Get(i);
    if (line.empty()) continue;
    if (line[0] == '[' && section.Count() > 0) {
      ParseSection(section);
      section.Clear();
    }
    section.Add(line);
  }
  if (section.Count() > 0) ParseSection(section);
}

void TSEPageControl::ParseSection(const TStringList& section) {
  const std::string name = Header(section);
  if (name == "pages") {
    for (int32_t i = 1; i < section.Count(); ++i) AddPage(section.Get(i));
  } else if (name == "settings") {
    for (int32_t i = 1; i < section.Count(); ++i) ApplySetting(section.Get(i));
  } else if (name == "pagetypes") {
    for (int32_t k = 1; k < section.Count(); ++k) {
      // Type lines without a page to refer to are ignored.
      if (k - 1 >= PageCount()) break;
      TControlParser& page = *pages_[static_cast<size_t>(k - 1)];
      page.PageType = PageTypeFromWord(section.Get(k));
      if (page.PageType == TPageType::ptMainLayout) {
        page.ShowControls();
        page.SendControlsToBack();
      }
    }
  }
}

void TSEPageControl::ApplySetting(std::string_view line) {
  if (AsciiLower(line.substr(0, 6)) == "colour") {
    Colour = LayoutColour(line.size() > 7 ? line.substr(7) : std::string_view());
  }
  if (AsciiLower(line.substr(0, 10)) == "fontcolour") {
    FontColour = LayoutColour(line.size() > 11 ? line.substr(11) : std::string_view());
  }
}

void TSEPageControl::AddPage(std::string_view layout_entry) {
  auto page = std::make_unique<TControlParser>(page_area_, texts_, find_entry_);
  page->LoadLayout(layout_entry);
  page->HideControls();
  pages_.push_back(std::move(page));
  if (pages_.size() == 1) ShowPage(0);
}

TPageType TSEPageControl::TypeOf(int index) const {
  if (index < 0 || index >= PageCount()) return TPageType::ptWelcome;
  return pages_[static_cast<size_t>(index)]->PageType;
}

TPageType TSEPageControl::CurrentType() const {
  return TypeOf(CurrentPage);
}

void TSEPageControl::ShowPage(int index) {
  if (index < 0 || index >= PageCount()) return;
  CurrentPage = index;
  const TLanguages& languages = texts_.languages;

  back_.SetVisible(true);
  next_.SetEnabled(true);
  cancel_.SetEnabled(true);
  if (index == 0) back_.SetVisible(false);
  next_.SetText(languages.GetString(kNextCaption));

  // What this never undoes (the hidden Next and language button, the finish
  // caption of Cancel) stays so once a page has set it.
  switch (TypeOf(index)) {
    case TPageType::ptPatch:
      next_.SetText(languages.GetString(kInstallCaption));
      break;
    case TPageType::ptPatching:
    case TPageType::ptUninstall:
      back_.SetVisible(false);
      next_.SetEnabled(false);
      cancel_.SetEnabled(false);
      language_.SetVisible(false);
      break;
    case TPageType::ptFinish:
      cancel_.SetText(languages.GetString(kFinishCaption));
      back_.SetVisible(false);
      next_.SetVisible(false);
      break;
    default:
      break;
  }

  for (int i = 0; i < PageCount(); ++i) {
    TControlParser& page = *pages_[static_cast<size_t>(i)];
    if (i == index || page.PageType == TPageType::ptMainLayout) {
      page.ShowControls();
    } else {
      page.HideControls();
    }
  }
  gui::TranscriptPage(index, PageTypeWord(TypeOf(index)));
  if (OnPageShown) OnPageShown();
}

void TSEPageControl::RetranslatePages() {
  for (auto& page : pages_) page->RetranslateControls();
}

}  // namespace wizpak::wizard
