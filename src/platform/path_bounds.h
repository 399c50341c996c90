// The bounds every stored name or path is held to before anything uses it:
// no control character (a NUL would cut the name where the host reads it, so
// "..\0x" would pass every check as a name and reach the host as ".."), at
// most 259 characters and 64 levels, as Windows' MAX_PATH allows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wizpak::platform {

inline constexpr size_t kMaxPathChars = 259;
inline constexpr size_t kMaxPathLevels = 64;

// True when `text` holds a byte below 32 (NUL, tab, line breaks, ...).
bool HasControlCharacter(std::string_view text);

// "" when `path` may be used; otherwise why not, without the path itself
// ("holds the control character 0x00 at position 3", "is 300 characters
// long; at most 259 are allowed", "has 70 levels; at most 64 are allowed").
// A level is a part between "\" or "/" separators.
std::string PathTextFault(std::string_view path);

// A file name Windows accepts as one level: not empty, no control
// character, none of \ / : * ? " < > |, not "." or "..", not ending in a
// blank or a dot, at most 259 characters.
bool IsPlainFileName(std::string_view name);

// "" when files may be installed below `folder` (program form); otherwise
// why not: the folder breaks the bounds above, or its host path together
// with the longest name a package may hold (259 characters, up to three
// UTF-8 bytes each) would pass the host's PATH_MAX.
std::string InstallFolderFault(std::string_view folder);

// `text` fit for a one-line message: control characters shown as \xNN, and
// anything past 300 characters cut off with "...".
std::string VisibleText(std::string_view text);

}  // namespace wizpak::platform
