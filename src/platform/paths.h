// Drive map and path translation. Inside the program every path is
// Windows-style ("C:\Games\X", ANSI); this unit maps it onto a host path
// (UTF-8) at the last moment, and answers the drive questions Windows would:
// logical drive list, drive types, free space, temporary and special folders.
//
// The drive map comes from WIZPAK_DRIVES ("C=/host/dir:fixed;D=/mnt/cd:cdrom"),
// read on every call so tests may change it. Unset, it is
// C=$XDG_DATA_HOME/wizpak/drive_c (created on first use) and Z=/, both fixed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform {

// Values as Windows GetDriveTypeA returns them.
enum class DriveType : int {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

struct Drive {
  char letter = 'C';      // upper case
  std::string host_root;  // host folder, no trailing '/' (except "/")
  DriveType type = DriveType::Fixed;
};

// The current drive map, sorted by letter. A malformed WIZPAK_DRIVES entry is
// skipped (and reported once on stderr).
std::vector<Drive> DriveMap();

// Program path -> host path (UTF-8):
//   "X:\rest"   -> host folder of drive X + "/rest" (backslashes become '/');
//   "X:"        -> host folder of drive X;
//   "/..."      -> unchanged (already a host path);
//   "\\server\share..." -> std::nullopt (not supported);
//   relative    -> relative to the working folder (separators become '/');
//   unknown drive letter -> std::nullopt.
// The text is converted from ANSI to UTF-8 on the way.
std::optional<std::string> ToHostPath(std::string_view program_path);

// Host path (UTF-8) -> program path (ANSI): the drive with the longest
// matching host folder wins; a path under no drive is returned unchanged
// with '/' kept (it still works as a host path).
std::string FromHostPath(std::string_view host_path);

// Windows GetLogicalDriveStringsA: "C:\<0>Z:\<0><0>" (each root 4 characters).
std::string LogicalDriveStrings();

// Windows GetDriveTypeA of a root such as "D:\" (or "D:"). Letters not in the
// map give NoRootDir.
DriveType GetDriveType(std::string_view root);

// Delphi DiskFree: free bytes available on drive `drive_number` (1 = A, 2 = B,
// 3 = C, ...), -1 when the drive is not mapped or cannot be read (statvfs).
int64_t DiskFree(int drive_number);

// Windows GetTempPathA: $TMPDIR or /tmp in program form, with a trailing '\'.
std::string TempFolder();

// Shell special folders by CSIDL number, in program form without trailing
// '\': 38 (program files) = "C:\Program Files", 2 (start-menu programs) =
// "C:\ProgramData\Start Menu\Programs", 25 (the desktop of all users) =
// "C:\Users\Public\Desktop". Others give an empty string.
std::string SpecialFolder(int csidl);
constexpr int kCsidlPrograms = 2;
constexpr int kCsidlCommonDesktop = 25;
constexpr int kCsidlProgramFiles = 38;

}  // namespace wizpak::platform
