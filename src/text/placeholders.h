// Text placeholders ("<%SETUPTITLE%>" and its kin): the program-wide table
// binding each placeholder name to an ANSI string variable owned elsewhere,
// and the wizard's text pipeline (language tags, "<BR>", placeholders).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizpak {

struct TLanguageString {
  std::string Name;                    // lower-cased (ANSI)
  const std::string* Value = nullptr;  // not owned; read at every expansion
};

class TLanguageStrings {
 public:
  std::vector<TLanguageString> Items;  // registration order

  // The program-wide table. Created on first use with its five placeholders
  // registered: "<%SETUPTITLE%>", "<%SETUPSHORTTITLE%>" and "<%CHANGELOG%>"
  // bound to the setup record's SetupName, ShortName and Changelog, and
  // "<%SPACEREQ%>", "<%SPACEAVA%>" bound to SpaceRequiredText and
  // SpaceAvailableText (shared_state.h).
  static TLanguageStrings& Instance();

  // Appends a placeholder bound to `value` by reference: every expansion
  // uses the variable's content at that moment. `value` must outlive the
  // table.
  void RegisterPlaceholder(std::string_view name, const std::string& value);

  // Replaces every registered placeholder (ASCII case ignored), in
  // registration order, by its variable's current text.
  std::u16string ExpandTextPlaceholders(std::u16string_view text) const;
};

// The text a wizard control shows: "<LANGn>" tags expanded from the current
// language, every "<BR>" turned into a carriage return, then the
// placeholders of the program-wide table replaced.
std::u16string ExpandWizardText(std::u16string_view text);

}  // namespace wizpak
