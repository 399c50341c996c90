// The uninstall walk.
#include "uninstall/uninstall_walk.h"

#include <optional>

#include "package/setup_info.h"
#include "platform/desktop_files.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/safe_files.h"
#include "platform/walked_paths.h"
#include "text/path_helpers.h"
#include "text/replace_all.h"
#include "text/text_routines.h"
#include "uninstall/desktop_menus.h"
#include "uninstall/uninstall_registration.h"

namespace wizpak {
namespace {

std::u16string Decimal16(int64_t value) {
  const std::string text = DecimalText(value);
  return std::u16string(text.begin(), text.end());
}

// Progress of one phase: shown for item n of s when n * 100 >= s.
class PhaseProgress {
 public:
  PhaseProgress(const UninstallWalkContext& context, const UninstallWalkView& view,
                std::u16string phase_name, int32_t items, int32_t earlier_items)
      : context_(context),
        view_(view),
        phase_name_(std::move(phase_name)),
        items_(items),
        earlier_(earlier_items) {}

  void Step(int32_t n) const {
    if (int64_t{n} * 100 < items_) return;
    if (view_.set_status) {
      const std::u16string format =
          context_.get_string ? context_.get_string(kUninstallProgressString) : u"";
      view_.set_status(UninstallProgressCaption(format, phase_name_, n, items_));
    }
    if (view_.set_gauge_position) view_.set_gauge_position(earlier_ + n);
  }

 private:
  const UninstallWalkContext& context_;
  const UninstallWalkView& view_;
  std::u16string phase_name_;
  int32_t items_;
  int32_t earlier_;
};

std::u16string PhaseName(const UninstallWalkContext& context, uint16_t number) {
  return context.get_string ? context.get_string(number) : std::u16string();
}

// A logged path split into its folder and last name, when it is one the
// installation could have made: a drive-letter path ("X:\\...") without "."
// or ".." levels. Anything else is left alone: a relative path means a
// variable expanded to nothing and would point into whatever folder the
// uninstaller runs in; a host path ("/etc/...") or a ".." only comes from a
// tampered log.
struct InstalledPath {
  std::string folder;
  std::string name;
};

std::optional<InstalledPath> SplitInstalledPath(std::string_view path) {
  const bool letter = path.size() >= 3 &&
                      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (!letter || path[1] != ':' || path[2] != '\\') return std::nullopt;
  while (path.size() > 3 && path.back() == '\\') path.remove_suffix(1);
  if (path.size() <= 3 || path.find('/') != std::string_view::npos) return std::nullopt;
  size_t start = 3;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view level = path.substr(start, end - start);
    if (level == "." || level == "..") return std::nullopt;
    start = end + 1;
  }
  const size_t cut = path.find_last_of('\\');
  return InstalledPath{std::string(path.substr(0, cut == 2 ? 3 : cut)),
                       std::string(path.substr(cut + 1))};
}

// The folder that the last entries lived in, kept open: consecutive log
// entries mostly share their folder, and reaching it again from the drive
// root for each one would open every level once per entry. The folder was
// reached without following a link, and its handle stays on that folder
// even if a level above it is swapped for a link later.
class OpenFolderCache {
 public:
  // The open folder `path`, or null when it cannot be reached safely.
  const platform::Folder* Get(const std::string& path) {
    if (!folder_ || path != path_) {
      folder_ = platform::Folder::Open(path, /*create=*/false);
      path_ = path;
    }
    return folder_ ? &folder_ : nullptr;
  }

 private:
  platform::Folder folder_;
  std::string path_;
};

// Deletes a logged file: its folder is reached without following a link,
// and only a regular file or a link itself (never what it points to) goes;
// DeleteEntry refuses everything else.
// Deleted: true; still there afterwards: `failure` says why.
bool DeleteInstalledFile(std::string_view path, OpenFolderCache& folders, std::string& failure) {
  const auto where = SplitInstalledPath(path);
  if (!where || where->name.empty()) return false;
  const platform::Folder* folder = folders.Get(where->folder);
  // A folder that is gone holds nothing; one replaced by a link holds
  // nothing of the installation either (what the link leads to is not
  // touched).
  if (folder == nullptr) return false;
  if (folder->DeleteEntry(where->name)) return true;
  const std::string reason = platform::LastErrorText();
  if (folder->KindOf(where->name) != platform::Folder::Kind::Missing)
    failure = std::string(path) + ": " + reason;
  return false;
}

// Removes a logged folder when it is empty and a real folder, not a link
// (RemoveFolder refuses anything else).
// A folder that still holds something (the user's own files) stays without
// a failure; an empty one that cannot be removed is one.
bool RemoveInstalledFolder(std::string_view path, OpenFolderCache& folders, std::string& failure) {
  const auto where = SplitInstalledPath(path);
  if (!where || where->name.empty()) return false;
  const platform::Folder* parent = folders.Get(where->folder);
  if (parent == nullptr) return false;
  // Temporary files of a killed run would keep the folder.
  if (const platform::Folder inside = platform::Folder::Open(path, /*create=*/false))
    platform::RemoveStaleTemporaries(inside);
  if (parent->RemoveFolder(where->name)) return true;
  const std::string reason = platform::LastErrorText();
  if (parent->KindOf(where->name) != platform::Folder::Kind::Folder) return false;
  const auto inside = platform::ListFolder(path);
  if (inside && inside->empty()) failure = std::string(path) + ": " + reason;
  return false;
}

}  // namespace

RegistryEntryParts SplitRegistryEntry(std::string_view entry) {
  std::string parts[4];
  std::string rest(entry);
  for (std::string& part : parts) {
    auto [token, remainder] = SplitFirstToken(rest);
    part = std::move(token);
    rest = std::move(remainder);
  }
  return {parts[0], parts[1], parts[2], parts[3]};
}

std::u16string UninstallProgressCaption(std::u16string_view format, std::u16string_view phase,
                                        int32_t number, int32_t total) {
  std::u16string text = ReplaceAllText(format, u"<%KYPNAME%>", phase);
  text = ReplaceAllText(text, u"<%FNUM%>", Decimal16(number));
  return ReplaceAllText(text, u"<%FTOTAL%>", Decimal16(total));
}

UninstallWalkSummary WalkInstallLog(const TUninstallList& log, const UninstallWalkContext& context,
                                    const UninstallWalkView& view) {
  UninstallWalkSummary summary;
  const auto& files = log.Files();
  const auto& folders = log.Directories();
  const auto& values = log.RegistryEntries();
  const int32_t file_count = static_cast<int32_t>(files.size());
  const int32_t folder_count = static_cast<int32_t>(folders.size());
  const int32_t value_count = static_cast<int32_t>(values.size());
  summary.total = file_count + folder_count + value_count;

  if (view.set_status) {
    view.set_status(u"Status: 0 of " + Decimal16(summary.total) + u" items remaining");
  }
  if (view.set_gauge_position) view.set_gauge_position(0);
  if (view.set_gauge_maximum) view.set_gauge_maximum(summary.total);

  // The menu entries and launchers first, so nothing on the desktop points
  // at files about to go; the record goes with them, before the install
  // folder is removed.
  if (!log.Desktop().Empty()) {
    if (const auto desktop = platform::UserDesktopFolders()) {
      RemoveDesktopItems(log.Desktop(), *desktop);
      platform::RefreshDesktopDatabase(desktop->applications);
    }
  }
  if (!context.desktop_record_path.empty()) platform::DeleteFile(context.desktop_record_path);

  OpenFolderCache open_folders;
  const PhaseProgress file_progress(context, view, u"", file_count, 0);
  for (int32_t i = 0; i < file_count; ++i) {
    const std::string path = context.expand_path ? context.expand_path(files[i]) : files[i];
    std::string failure;
    if (DeleteInstalledFile(path, open_folders, failure)) {
      ++summary.files_deleted;
    } else if (!failure.empty()) {
      summary.failures.push_back(std::move(failure));
    }
    file_progress.Step(i + 1);
  }

  // Last to first, so a folder's subfolders go before it; a folder that still
  // holds anything (the user's own files) stays, and so do its parents.
  const PhaseProgress folder_progress(context, view, PhaseName(context, kDirectoryPhaseString),
                                      folder_count, file_count);
  for (int32_t n = 1; n <= folder_count; ++n) {
    const std::string& folder = folders[folder_count - n];
    std::string failure;
    if (RemoveInstalledFolder(folder, open_folders, failure)) {
      ++summary.folders_removed;
    } else if (!failure.empty()) {
      summary.failures.push_back(std::move(failure));
    }
    folder_progress.Step(n);
  }

  // Only the value goes; the key stays.
  platform::Registry registry;
  const PhaseProgress value_progress(context, view, PhaseName(context, kRegistryPhaseString),
                                     value_count, file_count + folder_count);
  for (int32_t i = 0; i < value_count; ++i) {
    const RegistryEntryParts parts = SplitRegistryEntry(values[i]);
    // Unknown root names mean HKEY_LOCAL_MACHINE, as everywhere in scripts.
    const platform::RootKey root =
        RootKeyFromIndex(RootKeyIndex(parts.root)).value_or(platform::RootKey::LocalMachine);
    if (registry.KeyExists(root, parts.key)) {
      if (registry.DeleteValue(root, parts.key, parts.name)) {
        ++summary.values_deleted;
      } else if (const std::string reason = platform::LastErrorText();
                 registry.ReadString(root, parts.key, parts.name)) {
        summary.failures.push_back(values[i] + ": " + reason);
      }
    }
    value_progress.Step(i + 1);
  }

  // The registration and the log stay while anything they list remains:
  // the uninstaller can then be run again for the rest.
  if (!summary.failures.empty()) return summary;
  if (!RemoveUninstallRegistration(context.short_name)) {
    summary.failures.push_back("the uninstall registration of " + context.short_name + ": " +
                               platform::LastErrorText());
    return summary;
  }
  if (!context.install_log_path.empty() &&
      platform::DeleteFileWalked(context.install_log_path) == platform::DeleteResult::Failed) {
    summary.failures.push_back(context.install_log_path + ": " + platform::LastErrorText());
  }
  return summary;
}

}  // namespace wizpak
