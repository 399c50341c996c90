// The part of one run that the text services and the wizard read: the setup
// record, the languages, the placeholder table bound to both, the shared
// figures and the status view. SetupRun (script/setup_run.h) is one; layers
// below the script take a RunTexts& so they see no more of the run than
// this. Tests make a fresh one per case.
#pragma once

#include <string>
#include <string_view>

#include "package/setup_info.h"
#include "text/language.h"
#include "text/placeholders.h"
#include "text/shared_state.h"
#include "text/status_progress.h"

namespace wizpak {

class RunTexts {
 public:
  // An empty record, no languages, the figures at their start values; the
  // placeholder table holds its five placeholders: "<%SETUPTITLE%>",
  // "<%SETUPSHORTTITLE%>" and "<%CHANGELOG%>" bound to the record's
  // SetupName, ShortName and Changelog, "<%SPACEREQ%>" and "<%SPACEAVA%>" to
  // the figures' SpaceRequiredText and SpaceAvailableText.
  RunTexts();
  // The placeholders point into this object, so it stays where it is made.
  RunTexts(const RunTexts&) = delete;
  RunTexts& operator=(const RunTexts&) = delete;

  TSetupInfoFile record;
  TLanguages languages;
  RunFigures figures;
  StatusView status;
  TLanguageStrings placeholders;
};

// The text a wizard control shows: "<LANGn>" tags expanded from the current
// language, every "<BR>" turned into a carriage return, then the
// placeholders replaced.
std::u16string ExpandWizardText(const RunTexts& texts, std::u16string_view text);

}  // namespace wizpak
