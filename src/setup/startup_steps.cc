#include "setup/startup_steps.h"

#include <stdexcept>

#include "platform/codepage.h"
#include "platform/path_bounds.h"
#include "platform/registry.h"
#include "text/path_helpers.h"

namespace wizpak::setup {

std::string FirstCdRomRoot(std::string_view drive_strings,
                           const std::function<platform::DriveType(std::string_view)>& drive_type) {
  // Up to the double terminator, as the Windows call returns its length.
  size_t length = drive_strings.find(std::string_view("\0\0", 2));
  length = length == std::string_view::npos ? drive_strings.size() : length + 1;
  if (length > kDriveStringsLimit) {
    // The system message of error 14 (error 8 has the "process this
    // command" wording).
    throw std::runtime_error(std::string(kNotEnoughStorageMessage));
  }
  for (size_t at = 0; at + 3 <= length; at += 4) {
    const std::string_view root = drive_strings.substr(at, 3);
    if (root.empty() || root[0] == '\0') break;
    if (drive_type(root) == platform::DriveType::CdRom) return std::string(root);
  }
  return "";
}

uint32_t SumSpaceRequired(const std::vector<GroupedEntry>& entries,
                          const std::vector<uint8_t>& group_kinds) {
  uint32_t sum = 0;
  for (const GroupedEntry& entry : entries) {
    if (entry.group < 1 || entry.group >= group_kinds.size()) continue;
    if (group_kinds[entry.group] == 0) {
      sum += entry.orig_size;
    } else if (group_kinds[entry.group] == 1) {
      sum += entry.stored_size != 0 ? entry.stored_size : entry.orig_size;
    }
  }
  return sum;
}

bool IsLanguageEntryName(std::string_view name) {
  return AnsiUpper(name.substr(0, 9)) == "LANGUAGE-";
}

namespace {

std::optional<int64_t> FreeSpaceOf(std::string_view folder) {
  if (folder.empty()) return std::nullopt;
  const char letter = AnsiUpperChar(folder[0]);
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  return platform::DiskFree(letter - 'A' + 1);
}

}  // namespace

std::string InstallFolderDamage(std::string_view folder, std::string_view origin) {
  const std::string fault = platform::PathTextFault(folder);
  if (fault.empty()) return "";
  return "The installation folder in " + std::string(origin) + " is damaged: it " + fault;
}

InstallDirOutcome ResolveInstallDir(const InstallDirSource& source) {
  InstallDirOutcome outcome;
  outcome.install_dir = source.install_dir;
  outcome.damage = InstallFolderDamage(source.install_dir, "the setup record");
  if (!outcome.damage.empty()) {
    outcome.install_dir.clear();
    return outcome;
  }
  if (!source.value_name.empty()) {
    const std::optional<platform::RootKey> root = RootKeyFromIndex(source.root_index);
    platform::Registry registry;
    if (root && registry.OpenKey(*root, source.key_path, false)) {
      std::string from_registry =
          registry.ReadString(*root, source.key_path, source.value_name).value_or("");
      // An uninstaller removes the value but leaves its key: a key without the
      // value (or with an empty one) keeps the record's folder instead of
      // offering an empty folder box.
      if (!from_registry.empty()) {
        // Checked before anything measures or opens it: a NUL would cut the
        // path where the host reads it.
        outcome.damage = InstallFolderDamage(
            from_registry, "the registry value " + source.key_path + "\\" + source.value_name);
        if (!outcome.damage.empty()) {
          outcome.install_dir.clear();
          return outcome;
        }
        outcome.install_dir = std::move(from_registry);
      }
      outcome.space_available = FreeSpaceOf(outcome.install_dir);
      return outcome;
    }
    if (outcome.install_dir.empty()) outcome.ok = false;
    return outcome;
  }
  if (outcome.install_dir.empty()) {
    outcome.ok = false;
    return outcome;
  }
  outcome.space_available = FreeSpaceOf(outcome.install_dir);
  return outcome;
}

}  // namespace wizpak::setup
