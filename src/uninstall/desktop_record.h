// The desktop record: what an installation put on the user's desktop (menu
// entries, submenu files, icons, desktop launchers) and the folders it made
// for them, as host paths. It is kept beside the install log as
// prefix + "desktop.log", a small text file, so the install log keeps its
// format and older logs (which have no record) stay readable:
//
//   wizpak desktop record 1
//   S <submenu: the program's folder below the start menu, program form>
//   F <host path of a file written>
//   D <host path of a folder made>
//
// One item per line, in the order they were made.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak {

inline constexpr std::string_view kDesktopRecordHeader = "wizpak desktop record 1";
// Limits the reader holds a record to: far above what a setup makes.
inline constexpr size_t kMaxDesktopRecordItems = 65535;
inline constexpr size_t kMaxDesktopRecordLine = 4096;
inline constexpr size_t kMaxDesktopRecordBytes = 8u << 20;

struct DesktopRecord {
  std::string submenu;
  std::vector<std::string> files;
  std::vector<std::string> folders;

  bool Empty() const { return submenu.empty() && files.empty() && folders.empty(); }
  bool HasFile(std::string_view path) const;
  // Each path once; a second add of the same path changes nothing.
  void AddFile(std::string_view path);
  void AddFolder(std::string_view path);
  void Clear() { *this = {}; }
};

// folder + "\" + prefix + "desktop.log".
std::string DesktopRecordPath(std::string_view folder, std::string_view prefix);

// The file's text. Items that cannot be stored on one line (a line break or
// other control character, a path that is not absolute, an over-long line)
// are left out: they were never written by the desktop code either.
std::string EncodeDesktopRecord(const DesktopRecord& record);

// Reads `size` bytes at `data`; nullopt when the header is missing, a line
// is not an item or the limits are passed. Never reads past `size`.
std::optional<DesktopRecord> DecodeDesktopRecord(const char* data, size_t size);

}  // namespace wizpak
