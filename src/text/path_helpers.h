// Path variables ("$INSTDIR", "$SMPROGRAMS", ...) and their reverse form,
// and the small path, registry-root and drive helpers the commands, the
// wizard and start-up share. Paths are program paths in ANSI.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/registry.h"

namespace wizpak {

struct RunFigures;
class RunTexts;

// Replaces, in this order and ignoring ASCII case, "$INSTDIR" and
// "$INSTALLDIR" by `install_dir`, "$SMPROGRAMS" by ProgramsFolder,
// "$PROGRAMFILES" by ProgramFilesFolder and "$CDDRIVE" by CDDriveRoot of
// `folders`; then collapses every run of backslashes to one. An unknown value
// expands to nothing.
std::string ExpandPathVariables(const RunFigures& folders, std::string_view text,
                                std::string_view install_dir);
// The same with the run's figures and its record's InstallDir.
std::string ExpandPathVariables(const RunTexts& texts, std::string_view text);
std::u16string ExpandPathVariables(const RunTexts& texts, std::u16string_view text);

// Turns the known folders back into variables: `install_dir` -> "$INSTDIR",
// ProgramsFolder -> "$SMPROGRAMS", ProgramFilesFolder -> "$PROGRAMFILES"
// (ASCII case ignored, no backslash collapsing). An empty folder value is
// not replaced.
std::string CompressPathVariables(const RunFigures& folders, std::string_view path,
                                  std::string_view install_dir);
std::string CompressPathVariables(const RunTexts& texts, std::string_view path);

// Empty stays empty; otherwise "\" is appended unless the text ends in one.
std::string IncludeBackslash(std::string_view path);

// Splits at the first "=": {before, after}. Without "=": {"", whole text}.
// Neither part is trimmed.
std::pair<std::string, std::string> SplitNameValue(std::string_view text);

// Stored root-key index 0..4 to the registry root; anything else gives
// nullopt (no key).
std::optional<platform::RootKey> RootKeyFromIndex(int index);

// Decimal integer (hexadecimal after "$"); -1 for text that isn't one.
int32_t ParseIntOrMinusOne(std::string_view text);

// The shell's special folder `csidl` (38 program files, 2 start-menu
// programs) without trailing "\"; empty when unknown.
std::string GetSpecialFolderPath(int csidl);

// The root ("D:\") of the first CD-ROM drive in drive-letter order; empty
// when there is none. Like the Windows call it stands for, it reads the drive
// list into a 129-character buffer; a longer list sets `*error` (when given)
// to the out-of-storage message and gives an empty result.
std::string FindFirstCDDrive(std::string* error = nullptr);

// The message of Windows error 14.
inline constexpr std::string_view kNotEnoughStorageMessage =
    "Not enough storage is available to complete this operation";

}  // namespace wizpak
