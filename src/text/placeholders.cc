#include "text/placeholders.h"

#include "platform/codepage.h"
#include "text/replace_all.h"

namespace wizpak {

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

}  // namespace wizpak
