// ReplaceAllText: the one replace-every-occurrence routine behind path
// variables, placeholders and the wizard's texts. Matching ignores the case of
// ASCII letters only.
#pragma once

#include <string>
#include <string_view>

namespace wizpak {

// Replaces every occurrence of `pattern` in `text` by `replacement`.
//
// After each replacement the scan goes on at the last pattern-length-minus-one
// characters of the inserted text (or, when the replacement is shorter than
// the pattern, from the point where a match could first involve it). So a
// match lying wholly inside inserted text is never replaced again and the
// routine always terminates, even when the replacement contains the pattern;
// a match that the insertion forms with the text after it is still found
// (a run of three backslashes with "\\" -> "\" becomes one backslash).
// An empty pattern changes nothing.
//
// Characters other than ASCII letters match only themselves.
std::u16string ReplaceAllText(std::u16string_view text, std::u16string_view pattern,
                              std::u16string_view replacement);
// The same on ANSI (Windows-1252) text.
std::string ReplaceAllText(std::string_view text, std::string_view pattern,
                           std::string_view replacement);

}  // namespace wizpak
