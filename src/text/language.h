// Languages: one TLanguage per language file (display name, the Windows
// language identifiers it serves, its numbered strings) and the program-wide
// table TLanguages (one per run, in RunTexts) with the current language, string lookup and
// "<LANGn>" tag expansion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/replace_all.h"

namespace wizpak {

struct TLID {
  uint16_t Number = 0;
  std::u16string Text;
};

// Outcome of loading a language file. On failure `message` says what did
// not convert, with the line number.
struct LanguageLoadResult {
  bool ok = true;
  std::string message;
  int line = 0;  // 1-based line the failure is on; 0 when it is about the whole file
  explicit operator bool() const { return ok; }
};

class TLanguage {
 public:
  std::u16string Name = u"Untitled";
  std::vector<uint16_t> LangIDs;  // file order
  std::vector<TLID> Strings;      // file order; the first of equal numbers wins

  // Loads a language file (UTF-16 LE with byte-order mark) of `size` bytes.
  // Line 1 is the name, line 2 the hexadecimal identifiers (one alone, or a
  // list each followed by ";"), every further line "NUMBER TEXT". Fails on a
  // null buffer, fewer than two lines, an identifier or string number that
  // isn't a number, or an empty string line; the fields then hold whatever
  // was read before the failing line.
  LanguageLoadResult LoadFromBuffer(const void* buffer, size_t size);

  // The text of the first string numbered `number`, or nullptr.
  const std::u16string* Find(uint16_t number) const;
};

// Outcome of tag expansion: `ok` false when a "<LANG" tag had no closing ">"
// or its number didn't convert; `message` then says which.
struct TagExpansionResult {
  std::u16string text;
  bool ok = true;
  std::string message;
};

class TLanguages {
 public:
  int32_t Current = -1;
  std::vector<std::unique_ptr<TLanguage>> Items;  // load order

  // Appends a new language and loads it from the buffer (the content of one
  // language entry). The language stays in the table even when loading
  // fails, holding what was read.
  LanguageLoadResult AddLanguage(const void* buffer, size_t size);

  // Index of the first language, in load order, listing `lang_id`; -1 when
  // none does.
  int32_t FindByLangID(uint16_t lang_id) const;

  // The current language, or nullptr when Current indexes none.
  const TLanguage* CurrentLanguage() const;

  // The text of string `number` in the current language; "NOT FOUND "
  // followed by the number when there is no such string or no current
  // language. Never fails.
  std::u16string GetString(uint16_t number) const;

  // Replaces every "<LANGn>" tag (case-sensitive) by GetString(n mod 65536).
  // Strings that themselves hold tags are expanded too, but no deeper than
  // kMaxTagDepth levels and with no more than kMaxTagReplacements
  // replacements in all, so a string that names itself cannot loop; tags
  // past those limits are left as they are. Without a current language the
  // text is returned unchanged. A tag without ">" or with a number that
  // doesn't convert stops the expansion there (the rest is left as it is)
  // and is reported in the result.
  TagExpansionResult ExpandLangTagsChecked(std::u16string_view text) const;
  // The same, ignoring the report.
  std::u16string ExpandLangTags(std::u16string_view text) const;

  static constexpr int kMaxTagDepth = 16;
  static constexpr int kMaxTagReplacements = 1024;

  // See replace_all.h.
  static std::u16string ReplaceAllText(std::u16string_view text, std::u16string_view pattern,
                                       std::u16string_view replacement) {
    return wizpak::ReplaceAllText(text, pattern, replacement);
  }

  // Empties the table (Current -1); for tests and a fresh start-up.
  void Clear();
};

}  // namespace wizpak
