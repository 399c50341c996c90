#include "text/language.h"

#include "platform/codepage.h"
#include "text/text_routines.h"
#include "text/unicode_string_list.h"

namespace wizpak {
namespace {

constexpr std::u16string_view kTagStart = u"<LANG";

LanguageLoadResult Fail(std::string message, int line = 0) {
  return {false, std::move(message), line};
}

// A hexadecimal identifier as the file writes it (no prefix), low 16 bits.
bool ParseLangID(std::string_view text, uint16_t& out) {
  const std::string trimmed = TrimText(text);
  if (trimmed.empty() || trimmed.front() == '$' || trimmed.front() == '-' ||
      trimmed.front() == '+') {
    return false;
  }
  const auto value = ParseInteger("$" + trimmed);
  if (!value) return false;
  out = static_cast<uint16_t>(static_cast<uint32_t>(*value) & 0xFFFF);
  return true;
}

// Identifier line: one identifier alone, or a list with every identifier
// followed by ";". A last identifier without its ";" is accepted too.
LanguageLoadResult ParseLangIDs(std::string_view line, std::vector<uint16_t>& ids) {
  ids.clear();
  auto bad = [](std::string_view text) {
    return Fail("line 2: " + InvalidIntegerMessage("$" + std::string(text)), 2);
  };
  uint16_t id = 0;
  if (line.find(';') == std::string_view::npos) {
    if (!ParseLangID(line, id)) return bad(line);
    ids.push_back(id);
    return {};
  }
  while (!line.empty()) {
    const size_t semicolon = line.find(';');
    const std::string_view item = line.substr(0, semicolon);
    if (semicolon == std::string_view::npos && TrimText(item).empty()) break;
    if (!ParseLangID(item, id)) return bad(item);
    ids.push_back(id);
    if (semicolon == std::string_view::npos) break;
    line = line.substr(semicolon + 1);
  }
  return {};
}

}  // namespace

LanguageLoadResult TLanguage::LoadFromBuffer(const void* buffer, size_t size) {
  TUnicodeStringList lines;
  if (!lines.LoadFromBuffer(buffer, size)) return Fail(std::string(kCannotOpenFileMessage));
  if (lines.Count() < 2) {
    return Fail("language file has " + DecimalText(static_cast<int64_t>(lines.Count())) +
                    " line(s); the name and identifier lines are needed",
                static_cast<int>(lines.Count()) + 1);
  }
  Name = lines.Get(0);
  if (auto ids = ParseLangIDs(WideToAnsi(lines.Get(1)), LangIDs); !ids) return ids;

  Strings.clear();
  Strings.reserve(static_cast<size_t>(lines.Count() - 2));
  for (int32_t i = 2; i < lines.Count(); ++i) {
    auto [token, rest] = SplitFirstToken(lines.Get(i));
    const std::string number_text = WideToAnsi(token);
    const auto number = ParseInteger(number_text);
    if (!number) {
      return Fail("line " + DecimalText(static_cast<int64_t>(i) + 1) + ": " +
                      InvalidIntegerMessage(number_text),
                  static_cast<int>(i) + 1);
    }
    Strings.push_back(
        TLID{static_cast<uint16_t>(static_cast<uint32_t>(*number) & 0xFFFF), TrimLeftText(rest)});
  }
  return {};
}

const std::u16string* TLanguage::Find(uint16_t number) const {
  for (const TLID& entry : Strings) {
    if (entry.Number == number) return &entry.Text;
  }
  return nullptr;
}

LanguageLoadResult TLanguages::AddLanguage(const void* buffer, size_t size) {
  Items.push_back(std::make_unique<TLanguage>());
  return Items.back()->LoadFromBuffer(buffer, size);
}

int32_t TLanguages::FindByLangID(uint16_t lang_id) const {
  for (size_t i = 0; i < Items.size(); ++i) {
    for (uint16_t id : Items[i]->LangIDs) {
      if (id == lang_id) return static_cast<int32_t>(i);
    }
  }
  return -1;
}

const TLanguage* TLanguages::CurrentLanguage() const {
  if (Current < 0 || static_cast<size_t>(Current) >= Items.size()) return nullptr;
  return Items[static_cast<size_t>(Current)].get();
}

std::u16string TLanguages::GetString(uint16_t number) const {
  if (const TLanguage* language = CurrentLanguage()) {
    if (const std::u16string* text = language->Find(number)) return *text;
  }
  return u"NOT FOUND " + AnsiToWide(DecimalText(uint64_t{number}));
}

namespace {

struct TagExpander {
  const TLanguages& languages;
  int budget = TLanguages::kMaxTagReplacements;
  std::string error;

  // Appends the expansion of `text` to `out`; false after a malformed tag
  // (the rest of `text` is then appended unchanged).
  bool Expand(std::u16string_view text, int depth, std::u16string& out) {
    size_t pos = 0;
    for (;;) {
      const size_t tag = text.find(kTagStart, pos);
      if (tag == std::u16string_view::npos) {
        out.append(text.substr(pos));
        return true;
      }
      out.append(text.substr(pos, tag - pos));
      const size_t close = text.find(u'>', tag + kTagStart.size());
      if (close == std::u16string_view::npos) {
        error = "language tag without '>': " + WideToAnsi(text.substr(tag, 16));
        out.append(text.substr(tag));
        return false;
      }
      const std::string number_text =
          WideToAnsi(text.substr(tag + kTagStart.size(), close - tag - kTagStart.size()));
      const auto number = ParseInteger(number_text);
      if (!number) {
        error = InvalidIntegerMessage(number_text);
        out.append(text.substr(tag));
        return false;
      }
      pos = close + 1;
      if (depth >= TLanguages::kMaxTagDepth || budget <= 0) {
        out.append(text.substr(tag, pos - tag));
        continue;
      }
      --budget;
      const auto id = static_cast<uint16_t>(static_cast<uint32_t>(*number) & 0xFFFF);
      if (!Expand(languages.GetString(id), depth + 1, out)) {
        out.append(text.substr(pos));
        return false;
      }
    }
  }
};

}  // namespace

TagExpansionResult TLanguages::ExpandLangTagsChecked(std::u16string_view text) const {
  TagExpansionResult result;
  if (CurrentLanguage() == nullptr) {
    result.text = std::u16string(text);
    return result;
  }
  TagExpander expander{*this, TLanguages::kMaxTagReplacements, {}};
  result.ok = expander.Expand(text, 0, result.text);
  result.message = std::move(expander.error);
  return result;
}

std::u16string TLanguages::ExpandLangTags(std::u16string_view text) const {
  return ExpandLangTagsChecked(text).text;
}

void TLanguages::Clear() {
  Items.clear();
  Current = -1;
}

}  // namespace wizpak
