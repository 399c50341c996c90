// POSIX shell integration: shortcuts are Desktop Entries with host paths;
// executables carry no resources, so the icon step reports failure.
#include "platform/shell.h"

#include "platform/codepage.h"
#include "platform/desktop_entry.h"
#include "platform/desktop_files.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/walked_paths.h"

namespace wizpak::platform {

bool WriteShellLink(std::string_view link_file, std::string_view target, std::string_view arguments,
                    std::string_view working_folder) {
  const auto host_target = ToHostPath(target);
  if (!host_target || !ToHostPath(link_file)) return false;
  std::string host_folder;
  if (!working_folder.empty()) host_folder = ToHostPath(working_folder).value_or("");

  const size_t cut = link_file.find_last_of("\\/");
  std::string name(cut == std::string_view::npos ? link_file : link_file.substr(cut + 1));
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);

  // A program is started; a document is opened by the desktop's handler,
  // since no launcher can run a text file.
  const std::string text = DesktopEntryText(AnsiToUtf8(name), *host_target, AnsiToUtf8(arguments),
                                            host_folder, LaunchKindOf(target));
  // Through the no-follow walk: a link planted on the way to the start
  // menu folder, or at the name, never makes this write land elsewhere.
  if (!WriteFileWalked(link_file, text)) return false;
  MakeExecutable(link_file);
  return true;
}

bool WriteExeIcon(std::string_view /*exe_file*/, std::string_view /*directory_entry*/,
                  std::string_view /*image*/) {
  return false;
}

}  // namespace wizpak::platform
