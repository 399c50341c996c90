// The install log in memory and its file.
#include "uninstall/uninstall_list.h"

#include "platform/files.h"
#include "platform/walked_paths.h"
#include "text/path_helpers.h"
#include "text/run_texts.h"

namespace wizpak {
namespace {

std::string AsciiLowerCopy(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The largest file the format can describe: the header and three full lists
// of full-length entries. Anything larger cannot be an install log.
constexpr uint64_t kMaxInstallLogFileBytes =
    6 + 3 * uint64_t{kMaxInstallLogEntries} * (2 + uint64_t{kMaxInstallLogEntryBytes});

}  // namespace

std::string InstallLogPath(std::string_view folder, std::string_view prefix) {
  std::string path(folder);
  path += '\\';
  path += prefix;
  path += "install.log";
  return path;
}

std::string TUninstallList::Compress(std::string_view path) const {
  if (texts_ == nullptr) return CompressPathVariables(RunFigures{}, path, "");
  return CompressPathVariables(*texts_, path);
}

std::string TUninstallList::Expand(std::string_view path) const {
  if (texts_ == nullptr) return ExpandPathVariables(RunFigures{}, path, "");
  return ExpandPathVariables(*texts_, path);
}

void TUninstallList::Clear() {
  lists_ = {};
  desktop_.Clear();
  file_index_.clear();
  registry_index_.clear();
}

void TUninstallList::Append(std::vector<std::string>& list, std::unordered_set<std::string>& index,
                            std::string_view text) {
  if (index.insert(AsciiLowerCopy(text)).second) list.emplace_back(text);
}

void TUninstallList::AddFile(std::string_view path) {
  Append(lists_.files, file_index_, Compress(path));
}

bool TUninstallList::HasFile(std::string_view path) const {
  return file_index_.count(AsciiLowerCopy(path)) != 0;
}

void TUninstallList::AddRegistryEntry(std::string_view entry) {
  Append(lists_.registry_entries, registry_index_, entry);
}

bool TUninstallList::HasRegistryEntry(std::string_view entry) const {
  return registry_index_.count(AsciiLowerCopy(entry)) != 0;
}

void TUninstallList::AddDirectory(std::string_view path) {
  lists_.directories.emplace_back(path);
}

void TUninstallList::Assign(InstallLogLists lists) {
  lists_ = std::move(lists);
  Reindex();
}

void TUninstallList::Reindex() {
  file_index_.clear();
  registry_index_.clear();
  for (const auto& f : lists_.files) file_index_.insert(AsciiLowerCopy(f));
  for (const auto& r : lists_.registry_entries) registry_index_.insert(AsciiLowerCopy(r));
}

InstallLogResult TUninstallList::SaveToFile(std::string_view folder,
                                            std::string_view prefix) const {
  const std::string path = InstallLogPath(folder, prefix);
  InstallLogEncoding encoding = EncodeInstallLog(lists_);
  if (!encoding.ok) {
    return {InstallLogStatus::TooLarge, "Cannot save " + path + ": " + encoding.error};
  }
  if (!platform::WriteFileWalked(path, encoding.bytes)) {
    return {InstallLogStatus::WriteFailed,
            "Cannot save " + path + ": " + platform::LastErrorText()};
  }
  return SaveDesktopRecord(folder, prefix);
}

InstallLogResult TUninstallList::SaveDesktopRecord(std::string_view folder,
                                                   std::string_view prefix) const {
  if (desktop_.Empty()) return {};
  const std::string path = DesktopRecordPath(folder, prefix);
  if (!platform::WriteFileAtomic(path, EncodeDesktopRecord(desktop_))) {
    return {InstallLogStatus::WriteFailed,
            "Cannot save " + path + ": " + platform::LastErrorText()};
  }
  return {};
}

InstallLogResult TUninstallList::LoadFromFile(std::string_view folder, std::string_view prefix) {
  const std::string path = InstallLogPath(folder, prefix);
  if (!platform::FileExists(path)) {
    return {InstallLogStatus::Missing, "Error: install log is missing"};
  }
  std::optional<std::string> bytes = platform::ReadFileBytes(path, kMaxInstallLogFileBytes);
  if (!bytes) {
    return {InstallLogStatus::Unreadable,
            "Cannot read install log " + path + ": " + platform::LastErrorText()};
  }
  InstallLogDecoding decoding = DecodeInstallLog(*bytes);
  if (!decoding.ok) {
    return {InstallLogStatus::Damaged,
            "Error: install log " + path + " is damaged (" + decoding.error + ")"};
  }
  Assign(std::move(decoding.lists));
  // The desktop record is optional: an installation that put nothing on the
  // desktop (or an older one) has none, and a damaged one removes nothing.
  desktop_.Clear();
  const std::string record_path = DesktopRecordPath(folder, prefix);
  if (platform::FileExists(record_path)) {
    const auto record = platform::ReadFileBytes(record_path, kMaxDesktopRecordBytes);
    if (record) {
      if (auto decoded = DecodeDesktopRecord(record->data(), record->size())) {
        desktop_ = std::move(*decoded);
      }
    }
  }
  return {};
}

InstallLogResult TUninstallList::MergeStillPresent(
    std::string_view folder, std::string_view prefix,
    const std::function<bool(std::string_view entry)>& value_exists) {
  TUninstallList earlier;
  InstallLogResult result = earlier.LoadFromFile(folder, prefix);
  if (result.status == InstallLogStatus::Missing) return {};
  if (!result.ok()) return result;
  for (const std::string& file : earlier.lists_.files) {
    const std::string path = Expand(file);
    if (platform::FileExists(path) ||
        platform::GetFileAttributes(path) != platform::kInvalidAttributes)
      Append(lists_.files, file_index_, file);
  }
  for (const std::string& entry : earlier.lists_.registry_entries) {
    if (value_exists && value_exists(entry)) AddRegistryEntry(entry);
  }
  // After the first folder listed so far (the install folder, which the
  // uninstaller removes last) and before the rest: folders go last to first,
  // so the earlier run's keep their order among themselves.
  std::vector<std::string> folders;
  for (const std::string& dir : earlier.lists_.directories) {
    if (platform::DirectoryExists(Expand(dir))) folders.push_back(dir);
  }
  const auto at = lists_.directories.begin() + (lists_.directories.empty() ? 0 : 1);
  lists_.directories.insert(at, folders.begin(), folders.end());
  return {};
}

}  // namespace wizpak
