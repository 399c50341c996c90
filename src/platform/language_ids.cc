#include "platform/language_ids.h"

#include <string>

#include "platform/codepage.h"

namespace wizpak::platform {

namespace {

struct Territory {
  const char* code;
  uint16_t sublanguage;
};

struct Language {
  const char* code;  // ISO 639-1
  uint16_t primary;
  uint16_t default_sublanguage;
  std::initializer_list<Territory> territories;
};

const Language kLanguages[] = {
    {"en", 0x09, 1, {{"US", 1}, {"GB", 2}, {"AU", 3}, {"CA", 4}, {"NZ", 5}, {"IE", 6}, {"ZA", 7}}},
    {"de", 0x07, 1, {{"DE", 1}, {"CH", 2}, {"AT", 3}, {"LU", 4}, {"LI", 5}}},
    {"fr", 0x0C, 1, {{"FR", 1}, {"BE", 2}, {"CA", 3}, {"CH", 4}, {"LU", 5}}},
    {"es",
     0x0A,
     3,
     {{"ES", 3}, {"MX", 2}, {"VE", 8}, {"CO", 9}, {"PE", 10}, {"AR", 11}, {"CL", 13}}},
    {"it", 0x10, 1, {{"IT", 1}, {"CH", 2}}},
    {"nl", 0x13, 1, {{"NL", 1}, {"BE", 2}}},
    {"pl", 0x15, 1, {}},
    {"pt", 0x16, 2, {{"BR", 1}, {"PT", 2}}},
    {"ru", 0x19, 1, {}},
    {"cs", 0x05, 1, {}},
    {"sv", 0x1D, 1, {{"SE", 1}, {"FI", 2}}},
    {"da", 0x06, 1, {}},
    {"fi", 0x0B, 1, {}},
    {"no", 0x14, 1, {}},
    {"nb", 0x14, 1, {}},
    {"nn", 0x14, 2, {}},
    {"hu", 0x0E, 1, {}},
    {"ja", 0x11, 1, {}},
    {"zh", 0x04, 2, {{"TW", 1}, {"CN", 2}, {"HK", 3}, {"SG", 4}, {"MO", 5}}},
    {"ko", 0x12, 1, {}},
    {"tr", 0x1F, 1, {}},
    {"el", 0x08, 1, {}},
    {"sk", 0x1B, 1, {}},
    {"sl", 0x24, 1, {}},
    {"hr", 0x1A, 1, {}},
    {"ro", 0x18, 1, {}},
    {"bg", 0x02, 1, {}},
    {"uk", 0x22, 1, {}},
    {"et", 0x25, 1, {}},
    {"lv", 0x26, 1, {}},
    {"lt", 0x27, 1, {}},
    {"he", 0x0D, 1, {}},
    {"ar", 0x01, 1, {}},
    {"ca", 0x03, 1, {}},
    {"is", 0x0F, 1, {}},
};

}  // namespace

std::optional<uint16_t> LangIdFromLocale(std::string_view locale) {
  const size_t end = locale.find_first_of(".@");
  locale = locale.substr(0, end);
  const size_t separator = locale.find_first_of("_-");
  const std::string language = AsciiLower(locale.substr(0, separator));
  std::string territory;
  if (separator != std::string_view::npos) territory = AnsiUpper(locale.substr(separator + 1));
  for (const Language& entry : kLanguages) {
    if (language != entry.code) continue;
    uint16_t sublanguage = entry.default_sublanguage;
    for (const Territory& t : entry.territories) {
      if (territory == t.code) sublanguage = t.sublanguage;
    }
    return static_cast<uint16_t>(sublanguage << 10 | entry.primary);
  }
  return std::nullopt;
}

}  // namespace wizpak::platform
