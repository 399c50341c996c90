// Windows language identifiers (LANGID = sublanguage << 10 | primary) for
// POSIX locale names, used to answer GetSystemDefaultLangID.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace wizpak::platform {

constexpr uint16_t kLangIdEnglishUS = 0x0409;

// "de_DE.UTF-8@euro" -> 0x0407, "pt_BR" -> 0x0416, "zh_TW" -> 0x0404.
// A known language with an unknown or missing territory gets its main
// sublanguage. nullopt for "C", "POSIX" and unknown languages.
std::optional<uint16_t> LangIdFromLocale(std::string_view locale);

}  // namespace wizpak::platform
