// The start-up steps that decide something on their own, apart from the
// sequence that calls them: the CD-ROM root, the space the installation
// needs, the language entries and the installation folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace wizpak::setup {

// Start-up messages, exactly as the user sees them.
inline constexpr const char* kInvalidHeaderText =
    "Invalid Setup Header. No Contents or Corrupted Contents.";
inline constexpr const char* kSetupInfoMissingText =
    "Error: Setup Information Missing. Setup is corrupt";
inline constexpr const char* kInstallLogMissingText = "Error: install log is missing";
inline constexpr const char* kCompiledLinesMissingText =
    "Error: Compiled Lines Missing. Setup is corrupt";
inline constexpr const char* kRegistryKeyNotFoundText =
    "Error: Registry Key Not Found. Please Install Software";

// The room the drive list may take (129 characters with its terminator).
constexpr size_t kDriveStringsLimit = 128;

// The first drive root ("D:\") of type CD-ROM in a logical-drive list
// ("C:\<0>D:\<0><0>", four characters per drive), or "". A list longer than
// the limit throws std::runtime_error, as the 129-character buffer did.
std::string FirstCdRomRoot(std::string_view drive_strings,
                           const std::function<platform::DriveType(std::string_view)>& drive_type);

struct GroupedEntry {
  uint16_t group = 0;
  uint32_t orig_size = 0;
  uint32_t stored_size = 0;
};
// Bytes to install, summed in 32 bits: plain-file groups count the content,
// game-archive groups the stored length; group 0 and groups beyond the kind
// table are not counted.
uint32_t SumSpaceRequired(const std::vector<GroupedEntry>& entries,
                          const std::vector<uint8_t>& group_kinds);

// A group-0 entry whose name, cut to 9 characters and upper-cased, is
// "LANGUAGE-".
bool IsLanguageEntryName(std::string_view name);

// Where the installation folder comes from.
struct InstallDirSource {
  std::string install_dir;  // from the record
  int root_index = 0;       // InstallDirRegKey.HKEY
  std::string key_path;     // InstallDirRegKey.Path
  std::string value_name;   // InstallDirRegKey.Key
};
struct InstallDirOutcome {
  bool ok = true;  // false: "Registry Key Not Found"
  std::string install_dir;
  // Free bytes of the folder's drive when it begins with a drive letter.
  std::optional<int64_t> space_available;
  // Set when the folder (from the record or the registry) is damage rather
  // than a path: a control character, or longer or deeper than Windows
  // allows. Says where it came from and why; nothing may use the folder.
  std::string damage;
};
InstallDirOutcome ResolveInstallDir(const InstallDirSource& source);

// "" when `folder` may be used as an installation folder; else the one-line
// reason naming `origin` ("the setup record", "the registry value ...").
std::string InstallFolderDamage(std::string_view folder, std::string_view origin);

}  // namespace wizpak::setup
