// The uninstall walk.
#include "uninstall/uninstall_walk.h"

#include "package/setup_info.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "text/path_helpers.h"
#include "text/replace_all.h"
#include "text/text_routines.h"
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

// Only paths that name their drive (or host root) are removed. Every path
// the installation logged is one; a relative path means a variable expanded
// to nothing (an empty install folder, say) and would point into whatever
// folder the uninstaller happens to run in.
bool IsRootedPath(std::string_view path) {
  if (!path.empty() && path[0] == '/') return true;
  const bool letter = path.size() >= 3 &&
                      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path[1] == ':' && path[2] == '\\';
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

  const PhaseProgress file_progress(context, view, u"", file_count, 0);
  for (int32_t i = 0; i < file_count; ++i) {
    const std::string path = context.expand_path ? context.expand_path(files[i]) : files[i];
    if (IsRootedPath(path) && platform::FileExists(path) && platform::DeleteFile(path)) {
      ++summary.files_deleted;
    }
    file_progress.Step(i + 1);
  }

  // Last to first, so a folder's subfolders go before it; a folder that still
  // holds anything (the user's own files) stays, and so do its parents.
  const PhaseProgress folder_progress(context, view, PhaseName(context, kDirectoryPhaseString),
                                      folder_count, file_count);
  for (int32_t n = 1; n <= folder_count; ++n) {
    const std::string& folder = folders[folder_count - n];
    if (IsRootedPath(folder) && platform::DirectoryExists(folder) &&
        platform::RemoveDirectory(folder)) {
      ++summary.folders_removed;
    }
    folder_progress.Step(n);
  }

  // Only the value goes; the key stays.
  platform::Registry& registry = platform::Registry::Instance();
  const PhaseProgress value_progress(context, view, PhaseName(context, kRegistryPhaseString),
                                     value_count, file_count + folder_count);
  for (int32_t i = 0; i < value_count; ++i) {
    const RegistryEntryParts parts = SplitRegistryEntry(values[i]);
    // Unknown root names mean HKEY_LOCAL_MACHINE, as everywhere in scripts.
    const platform::RootKey root =
        RootKeyFromIndex(RootKeyIndex(parts.root)).value_or(platform::RootKey::LocalMachine);
    if (registry.KeyExists(root, parts.key) && registry.DeleteValue(root, parts.key, parts.name)) {
      ++summary.values_deleted;
    }
    value_progress.Step(i + 1);
  }

  RemoveUninstallRegistration(context.short_name);
  if (!context.install_log_path.empty()) platform::DeleteFile(context.install_log_path);
  return summary;
}

}  // namespace wizpak
