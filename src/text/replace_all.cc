#include "text/replace_all.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace wizpak {
namespace {

template <typename Char>
uint32_t FoldAscii(Char c) {
  const uint32_t v = static_cast<uint32_t>(static_cast<std::make_unsigned_t<Char>>(c));
  return (v >= 'A' && v <= 'Z') ? v + ('a' - 'A') : v;
}

template <typename Char>
size_t FindFolded(std::basic_string_view<Char> text, std::basic_string_view<Char> pattern,
                  size_t from) {
  if (pattern.size() > text.size()) return std::basic_string_view<Char>::npos;
  for (size_t at = from; at + pattern.size() <= text.size(); ++at) {
    size_t k = 0;
    while (k < pattern.size() && FoldAscii(text[at + k]) == FoldAscii(pattern[k])) ++k;
    if (k == pattern.size()) return at;
  }
  return std::basic_string_view<Char>::npos;
}

template <typename Char>
std::basic_string<Char> ReplaceAllImpl(std::basic_string_view<Char> text,
                                       std::basic_string_view<Char> pattern,
                                       std::basic_string_view<Char> replacement) {
  std::basic_string<Char> result(text);
  if (pattern.empty()) return result;
  size_t from = 0;
  for (;;) {
    const size_t at = FindFolded<Char>(result, pattern, from);
    if (at == std::basic_string_view<Char>::npos) return result;
    result.replace(at, pattern.size(), replacement);
    // Resume where a new match could first overlap the text after the
    // insertion. With a replacement at least as long as the pattern this is
    // past `at`, and the text still to scan shrinks by one character per
    // replacement; with a shorter one the whole text shrinks. Either way the
    // loop ends.
    const size_t end_of_insert = at + replacement.size();
    from = end_of_insert + 1 >= pattern.size() ? end_of_insert + 1 - pattern.size() : 0;
  }
}

}  // namespace

std::u16string ReplaceAllText(std::u16string_view text, std::u16string_view pattern,
                              std::u16string_view replacement) {
  return ReplaceAllImpl(text, pattern, replacement);
}

std::string ReplaceAllText(std::string_view text, std::string_view pattern,
                           std::string_view replacement) {
  return ReplaceAllImpl(text, pattern, replacement);
}

}  // namespace wizpak
