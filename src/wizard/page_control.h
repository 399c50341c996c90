// TSEPageControl: the wizard's page set. Reads the page description
// ("Pages.txt": sections pages, pagetypes, settings), owns one
// TControlParser per page, knows the current page, shows exactly that page
// plus the main-layout pages, and sets Back, Next, Cancel and the language
// button for the current page's type.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/widgets.h"
#include "wizard/control_parser.h"

namespace wizpak {
class RunTexts;
}

namespace wizpak::wizard {

// A type word ("Welcome", "patching", ...) in any letter case; unknown words
// give ptWelcome.
TPageType PageTypeFromWord(std::string_view word);

class TSEPageControl {
 public:
  TSEPageControl(gui::Button& back, gui::Button& next, gui::Button& cancel, gui::Button& language,
                 gui::PageArea& page_area, const RunTexts& texts, EntryLookup find_entry);
  TSEPageControl(const TSEPageControl&) = delete;
  TSEPageControl& operator=(const TSEPageControl&) = delete;

  // Reads the page description entry. A missing entry shows "Error File
  // Missing: NAME" (caption "Missing File") and returns false with no pages.
  // Throws WizardError on a fatal value in a layout or settings line.
  bool LoadPageSet(std::string_view entry_name);
  // The same from the description's text.
  void LoadPageSetText(std::string_view text);
  void ParseSection(const TStringList& section);
  void AddPage(std::string_view layout_entry);

  // Makes `index` current and sets the buttons; out of range does nothing.
  // Then runs OnPageShown (the form puts its default button and focus).
  void ShowPage(int index);
  std::function<void()> OnPageShown;
  void RetranslatePages();

  int CurrentPage = 0;
  gui::ColourRef Colour = 0xFFFFFF;
  gui::ColourRef FontColour = 0x000000;

  const std::vector<std::unique_ptr<TControlParser>>& PageList() const { return pages_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  // The type of the current page (ptWelcome when there are no pages).
  TPageType CurrentType() const;
  TPageType TypeOf(int index) const;

 private:
  void ApplySetting(std::string_view line);

  gui::Button& back_;
  gui::Button& next_;
  gui::Button& cancel_;
  gui::Button& language_;
  gui::PageArea& page_area_;
  const RunTexts& texts_;
  EntryLookup find_entry_;
  std::vector<std::unique_ptr<TControlParser>> pages_;
};

}  // namespace wizpak::wizard
