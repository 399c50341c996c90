// TControlParser: one wizard page built from a layout text. Owns the layout
// text rules (sections, kind line, property lines), the property table of
// the ten control kinds with their value syntax, the text pipeline and the
// re-translation of labels and panels, picture and rich-text loading from
// package entries, and the gradient gauge models of the page's progress bars.
// The controls themselves belong to the page area they are created on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "gui/grad_gauge.h"
#include "gui/widgets.h"
#include "text/string_list.h"

namespace wizpak {
class RunTexts;
}

namespace wizpak::wizard {

// Looks a package entry up by name (group 0, letter case ignored): its bytes,
// or nullopt when there is no such entry.
using EntryLookup = std::function<std::optional<std::string>(std::string_view name)>;

// A fatal error while building the wizard (a value that is not an integer, a
// bad or duplicate control name). Start-up reports it through the error
// report and ends; what() is the reported message.
class WizardError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The page types of the page set, in stored order.
enum class TPageType : int {
  ptWelcome = 0,
  ptChangelog = 1,
  ptInstallDir = 2,
  ptPatch = 3,
  ptPatching = 4,
  ptFinish = 5,
  ptMainLayout = 6,
  ptUninstall = 7,
};

// "welcome", "changelog", ... for a type.
std::string_view PageTypeWord(TPageType type);

// Layout value syntax. Integers: decimal or "$" hexadecimal, optionally
// signed; anything else throws WizardError("'%s' is not a valid integer value").
int32_t LayoutInteger(std::string_view value);
// A colour number read as an integer, 0x00BBGGRR.
gui::ColourRef LayoutColour(std::string_view value);
// "true" in any letter case; everything else is false.
bool LayoutBoolean(std::string_view value);
// Letters, digits and underscores, not beginning with a digit. The empty
// name is allowed (a control may stay unnamed).
bool IsValidControlName(std::string_view name);

class TControlParser {
 public:
  // `texts` (the run's languages and placeholders) must outlive the parser.
  TControlParser(gui::PageArea& page_area, const RunTexts& texts, EntryLookup find_entry);
  TControlParser(const TControlParser&) = delete;
  TControlParser& operator=(const TControlParser&) = delete;

  // Reads the layout entry and builds its controls. A missing entry shows
  // "Error File Missing: |NAME|" and leaves the page empty. Throws
  // WizardError on a fatal value or name.
  void LoadLayout(std::string_view entry_name);
  // Builds every control of a layout text (bytes up to the first zero byte).
  void LoadLayoutText(std::string_view text);

  void BuildControl(const TStringList& section);
  void ApplyProperty(std::string_view key, std::string_view value, std::u16string& source_text,
                     gui::Widget& control);
  void AddControl(gui::Widget& control);

  void HideControls();
  void ShowControls();
  // Puts the page's controls behind every other control of the page area,
  // keeping their own order (the first ends rearmost).
  void SendControlsToBack();
  // Rebuilds label and panel captions from SourceTexts in the current
  // language; a label or panel without a caption line ends up empty.
  void RetranslateControls();

  const std::vector<gui::Widget*>& Controls() const { return controls_; }
  const std::vector<std::u16string>& SourceTexts() const { return source_texts_; }
  TPageType PageType = TPageType::ptWelcome;

  // The gauge model behind a progress-bar control of this page, or null.
  gui::TGradGauge* GaugeOf(const gui::Widget* control) const;

 private:
  void ApplyKindProperty(std::string_view key, std::string_view value, std::u16string& source_text,
                         gui::Widget& control);
  void LoadPicture(gui::Widget& control, std::string_view entry_name);
  void LoadRichText(gui::Widget& control, std::string_view entry_name);
  void CheckUniqueName(const gui::Widget& control, const std::string& name) const;
  gui::Widget& CreateKind(gui::WidgetKind kind);

  gui::PageArea& page_area_;
  const RunTexts& texts_;
  EntryLookup find_entry_;
  TStringList lines_;
  std::vector<gui::Widget*> controls_;
  std::vector<std::u16string> source_texts_;
  struct GaugeBinding {
    const gui::Widget* control;
    std::unique_ptr<gui::TGradGauge> model;
  };
  std::vector<GaugeBinding> gauges_;
};

}  // namespace wizpak::wizard
