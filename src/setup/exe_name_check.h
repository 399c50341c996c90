// The check that the running setup still has the file name its record
// expects: "setup.exe" also accepts "setup(3).exe" (a browser's download copy)
// but not "setup(0).exe" or "setup(10).exe".
#pragma once

#include <string>
#include <string_view>

namespace wizpak::setup {

// `expected` is the record's SetupExeName, `actual` the running file's name
// (no folder). Letter case and extensions are ignored.
bool ExecutableNameAccepted(std::string_view expected, std::string_view actual);

// The message shown when the check fails.
std::string RenamedExecutableMessage(std::string_view expected, std::string_view found);

// The file name part of a program or host path (after the last "\" or "/").
std::string FileNamePart(std::string_view path);

}  // namespace wizpak::setup
