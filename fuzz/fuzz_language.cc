// Fuzz target: loading a language file and using what it holds. Loading must
// stay inside the buffer; string lookup and tag expansion of every loaded
// string must terminate with bounded output.
#include <algorithm>
#include <cstdlib>

#include "fuzz_target.h"
#include "text/language.h"
#include "text/unicode_string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wizpak::TUnicodeStringList lines;
  if (!lines.LoadFromBuffer(data, size)) std::abort();
  if (static_cast<size_t>(lines.Count()) > size / 2 + 1) std::abort();

  wizpak::TLanguages table;
  const wizpak::LanguageLoadResult result = table.AddLanguage(data, size);
  if (table.Items.size() != 1) std::abort();
  const wizpak::TLanguage& language = *table.Items[0];
  if (result.ok && language.Strings.size() != static_cast<size_t>(lines.Count() - 2)) {
    std::abort();
  }
  table.Current = 0;
  for (const wizpak::TLID& entry : language.Strings) {
    if (language.Find(entry.Number) == nullptr) std::abort();
    const std::u16string expanded = table.ExpandLangTags(entry.Text);
    // Each of the bounded replacements inserts at most one string's text.
    size_t longest = 0;
    for (const wizpak::TLID& other : language.Strings) {
      longest = std::max(longest, other.Text.size());
    }
    if (expanded.size() >
        entry.Text.size() + (longest + 16) * (wizpak::TLanguages::kMaxTagReplacements + 1)) {
      std::abort();
    }
  }
  table.ExpandLangTags(u"<LANG0><LANG1><LANG65535><LANG");
  return 0;
}

namespace {

std::string Encode(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace

std::vector<std::string> wizpak_fuzz_seeds() {
  return {
      Encode(u"English\r\n0409;0809;\r\n1 Welcome to <%SETUPTITLE%>\r\n12 < Back\r\n"
             u"\"13\" Next >\r\n$1A <LANG1><BR><LANG12>\r\n26 \r\n"),
      Encode(u"Deutsch\r0407\r7 Verf\u00FCgbar: <%SPACEAVA%>\r8 <LANG8><LANG8>\r"),
      Encode(u"X\r\n0c09;2809;0409\r\n5 tail without CR"),
      Encode(u"lost\nName\r\n0409;\r\n\"12 3\" quoted\r\n"),
  };
}
