#include "text/run_texts.h"

#include "text/replace_all.h"

namespace wizpak {

RunTexts::RunTexts() {
  placeholders.RegisterPlaceholder("<%SETUPTITLE%>", record.SetupName);
  placeholders.RegisterPlaceholder("<%SETUPSHORTTITLE%>", record.ShortName);
  placeholders.RegisterPlaceholder("<%CHANGELOG%>", record.Changelog);
  placeholders.RegisterPlaceholder("<%SPACEREQ%>", figures.SpaceRequiredText);
  placeholders.RegisterPlaceholder("<%SPACEAVA%>", figures.SpaceAvailableText);
}

std::u16string ExpandWizardText(const RunTexts& texts, std::u16string_view text) {
  std::u16string out = texts.languages.ExpandLangTags(text);
  out = ReplaceAllText(out, u"<BR>", u"\r");
  return texts.placeholders.ExpandTextPlaceholders(out);
}

}  // namespace wizpak
