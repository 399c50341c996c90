// The order ListFolder gives on every host.
#include <algorithm>

#include "platform/codepage.h"
#include "platform/files.h"

namespace wizpak::platform {

void SortFolderEntries(std::vector<FolderEntry>& entries) {
  // Case-insensitive order as a Windows user sees it; bytes break ties so the
  // order never depends on the host.
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    const std::string la = AnsiLower(a.name);
    const std::string lb = AnsiLower(b.name);
    return la != lb ? la < lb : a.name < b.name;
  });
}

}  // namespace wizpak::platform
