// Which folders the finaliser may remove besides the uninstaller's own: the
// folders the install log lists above the one the uninstaller runs from.
// The uninstall walk cannot remove them while the uninstaller still sits
// below them; once the finaliser has deleted it, each that is then empty
// goes too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizpak {

// The folders above the folder of `uninstaller_path` (a drive-letter path,
// "C:\Games\Demo\Demo_Uninstall.exe") that `logged` lists (the install
// log's folders, compared without letter case, doubled or trailing "\") and
// that still exist; innermost first, spelled as in `uninstaller_path`. A
// drive root is never one of them, and neither is a folder the log does not
// list.
std::vector<std::string> FoldersAboveUninstaller(const std::vector<std::string>& logged,
                                                 std::string_view uninstaller_path);

}  // namespace wizpak
