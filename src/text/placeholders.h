// Text placeholders ("<%SETUPTITLE%>" and its kin): a table binding each
// placeholder name to an ANSI string variable owned elsewhere. Each run has
// one (RunTexts), bound to its record and figures.
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

  // Appends a placeholder bound to `value` by reference: every expansion
  // uses the variable's content at that moment. `value` must outlive the
  // table.
  void RegisterPlaceholder(std::string_view name, const std::string& value);

  // Replaces every registered placeholder (ASCII case ignored), in
  // registration order, by its variable's current text.
  std::u16string ExpandTextPlaceholders(std::u16string_view text) const;
};

}  // namespace wizpak
