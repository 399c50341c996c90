// The uninstall walk: undoes what the loaded install log records (files,
// then folders last to first, then registry values), shows per-phase progress,
// removes the product's uninstall registration and deletes the install log.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "uninstall/uninstall_list.h"

namespace wizpak {

// Where the walk shows its progress; the wizard binds these to the status
// label and gauge of its uninstall page and repaints them at once. Unset
// members show nothing.
struct UninstallWalkView {
  std::function<void(std::u16string_view caption)> set_status;
  std::function<void(int32_t maximum)> set_gauge_maximum;
  std::function<void(int32_t position)> set_gauge_position;
};

// The language texts the walk uses: string 19 is the progress template with
// "<%KYPNAME%>", "<%FNUM%>" and "<%FTOTAL%>"; 25 and 24 name the folder and
// registry phases (the file phase has no name).
inline constexpr uint16_t kUninstallProgressString = 19;
inline constexpr uint16_t kRegistryPhaseString = 24;
inline constexpr uint16_t kDirectoryPhaseString = 25;

// What the walk needs besides the log: the language strings and the files it
// removes at the end. RunUninstallWalk fills these from the program's
// language table and setup record.
struct UninstallWalkContext {
  std::function<std::u16string(uint16_t number)> get_string;
  std::function<std::string(std::string_view path)> expand_path;
  std::string install_log_path;  // deleted last
  std::string short_name;        // names the uninstall registration removed
  // The desktop record beside the log: its items go first, then the file.
  std::string desktop_record_path;
};

struct UninstallWalkSummary {
  int32_t total = 0;  // items in the log
  int32_t files_deleted = 0;
  int32_t folders_removed = 0;
  int32_t values_deleted = 0;
  // Listed items that could not be removed and are still there, one line
  // each ("C:\Game\a.txt: Permission denied"). While any remain, the
  // uninstall registration and the install log stay, so the uninstaller can
  // be run again.
  std::vector<std::string> failures;
};

// Splits an install-log registry entry into its (up to) four parts: each
// runs to the next blank or tab outside double quotes, quotes removed. Parts
// the entry lacks are empty.
struct RegistryEntryParts {
  std::string root, key, name, data;
};
RegistryEntryParts SplitRegistryEntry(std::string_view entry);

// "Uninstalling <%KYPNAME%>: <%FNUM%> of <%FTOTAL%> items" filled in.
std::u16string UninstallProgressCaption(std::u16string_view format, std::u16string_view phase,
                                        int32_t number, int32_t total);

// The walk over `log` with everything it needs passed in.
UninstallWalkSummary WalkInstallLog(const TUninstallList& log, const UninstallWalkContext& context,
                                    const UninstallWalkView& view);

}  // namespace wizpak
