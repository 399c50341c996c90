#include "text/placeholders.h"

#include "platform/codepage.h"
#include "text/language.h"
#include "text/replace_all.h"
#include "text/setup_record_fields.h"
#include "text/shared_state.h"

namespace wizpak {

TLanguageStrings& TLanguageStrings::Instance() {
  static TLanguageStrings table = [] {
    TLanguageStrings t;
    t.RegisterPlaceholder("<%SETUPTITLE%>", RecordSetupName());
    t.RegisterPlaceholder("<%SETUPSHORTTITLE%>", RecordShortName());
    t.RegisterPlaceholder("<%CHANGELOG%>", RecordChangelog());
    t.RegisterPlaceholder("<%SPACEREQ%>", SpaceRequiredText);
    t.RegisterPlaceholder("<%SPACEAVA%>", SpaceAvailableText);
    return t;
  }();
  return table;
}

void TLanguageStrings::RegisterPlaceholder(std::string_view name, const std::string& value) {
  Items.push_back(TLanguageString{AnsiLower(name), &value});
}

std::u16string TLanguageStrings::ExpandTextPlaceholders(std::u16string_view text) const {
  std::u16string out(text);
  for (const TLanguageString& item : Items) {
    out = ReplaceAllText(out, AnsiToWide(item.Name), AnsiToWide(*item.Value));
  }
  return out;
}

std::u16string ExpandWizardText(std::u16string_view text) {
  std::u16string out = TLanguages::Instance().ExpandLangTags(text);
  out = ReplaceAllText(out, u"<BR>", u"\r");
  return TLanguageStrings::Instance().ExpandTextPlaceholders(out);
}

}  // namespace wizpak
