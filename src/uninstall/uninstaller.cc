// Building the uninstaller and starting the finaliser.
#include "uninstall/uninstaller.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/safe_files.h"
#include "platform/walked_paths.h"
#include "text/exe_icon.h"
#include "text/status_progress.h"

namespace wizpak {
namespace {

bool IsUninstallEntry(const PackageEntryRef& entry) {
  return entry.group == 0 && entry.name.size() >= kUninstallEntryPrefix.size() &&
         AnsiUpper(std::string_view(entry.name).substr(0, kUninstallEntryPrefix.size())) ==
             kUninstallEntryPrefix;
}

bool IsIconEntry(const PackageEntryRef& entry) {
  return entry.group == 0 && AnsiUpper(entry.name) == kUninstallIconEntry;
}

// Copies the first `size` bytes of `path` into `out` in one pass, a piece at
// a time, so the image is neither held whole in memory nor read twice. False
// when they are not all there or a write fails.
bool CopyPrefix(const std::string& path, uint64_t size, platform::File& out) {
  platform::File file = platform::File::Open(path, platform::OpenMode::ReadShared);
  if (!file) return false;
  const int64_t file_size = file.Size();
  if (file_size < 0 || static_cast<uint64_t>(file_size) < size) return false;
  std::string piece(std::min<uint64_t>(size, 1u << 20), '\0');
  for (uint64_t left = size; left > 0;) {
    const int64_t want = static_cast<int64_t>(std::min<uint64_t>(left, piece.size()));
    if (file.Read(piece.data(), want) != want || !out.Write(piece.data(), want)) return false;
    left -= static_cast<uint64_t>(want);
  }
  return true;
}

// Puts the first image of the icon entries into the bare image at `exe`.
// Failure keeps the program's own icon, as on a system without resources.
void ApplyIcons(const PackageSource& running, const std::vector<PackageEntryRef>& entries,
                const std::string& exe) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!IsIconEntry(entries[i])) continue;
    const std::optional<std::string> icon = running.Extract(i);
    if (!icon) continue;
    const std::string icon_path =
        platform::TempFolder() + "icon" + platform::UniqueSuffix() + ".ico";
    if (platform::WriteFileAtomic(icon_path, *icon)) {
      ReplaceExeIcon(icon_path, exe);
      platform::DeleteFile(icon_path);
    }
  }
}

// Removes "<uninstaller>.<pid>-<hex>.new" files of earlier runs that were
// killed while writing the uninstaller. The install folder's lock keeps
// other setups out meanwhile, so none of them is still being written.
void RemoveStaleTemporaries(const std::string& uninstaller_path) {
  const size_t cut = uninstaller_path.find_last_of('\\');
  if (cut == std::string::npos) return;
  const std::string folder = uninstaller_path.substr(0, cut);
  const std::string stem = AnsiLower(uninstaller_path.substr(cut + 1)) + ".";
  const auto listing = platform::ListFolder(folder);
  if (!listing) return;
  for (const platform::FolderEntry& entry : *listing) {
    const std::string name = AnsiLower(entry.name);
    if (entry.is_folder || name.size() <= stem.size() + 4 ||
        name.compare(0, stem.size(), stem) != 0 || name.compare(name.size() - 4, 4, ".new") != 0)
      continue;
    platform::DeleteFile(folder + "\\" + entry.name);
  }
}

}  // namespace

bool IsUninstallerEntry(const PackageEntryRef& entry) {
  return IsUninstallEntry(entry) && !IsIconEntry(entry);
}

UninstallerBuildResult BuildUninstallerFrom(const PackageSource& running,
                                            const UninstallerPlan& plan,
                                            const PackageAppenderFactory& open_appender) {
  UninstallerBuildResult result;
  result.path = UninstallerPath(plan.install_dir, plan.uninstall_exe_name);
  RegisterUninstaller(plan.short_name, result.path);

  const std::vector<PackageEntryRef> entries = running.Entries();
  if (entries.empty()) return result;
  if (plan.force_folders) plan.force_folders(plan.install_dir);

  // A name of its own, so two setups never write one file; what a killed
  // run left behind is removed first.
  // The folder is reached from its drive root without following a link
  // before anything is written, and again before the uninstaller takes its
  // name: a link planted before the run or swapped in meanwhile stops it.
  if (!platform::Folder::Open(plan.install_dir, /*create=*/false)) {
    result.message = "Cannot write " + result.path + ": " + platform::LastErrorText();
    return result;
  }
  RemoveStaleTemporaries(result.path);
  const std::string temporary = result.path + platform::UniqueSuffix() + ".new";
  auto fail = [&](std::string message) {
    const std::string reason = platform::LastErrorText();
    platform::DeleteFileWalked(temporary);
    result.message = std::move(message) + ": " + reason;
    return result;
  };
  {
    platform::File out = platform::File::Open(temporary, platform::OpenMode::Create);
    if (!out) return fail("Cannot write " + temporary);
    if (!CopyPrefix(plan.image.path, plan.image.size, out)) {
      out = platform::File();
      return fail("Cannot copy the first " + std::to_string(plan.image.size) + " bytes of " +
                  plan.image.path + " to " + temporary);
    }
  }
  ApplyIcons(running, entries, temporary);

  std::unique_ptr<PackageAppender> package = open_appender(temporary);
  if (!package) return fail("Cannot open " + temporary + " to append the package");
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!IsUninstallEntry(entries[i]) || IsIconEntry(entries[i])) continue;
    const std::string name = entries[i].name.substr(kUninstallEntryPrefix.size());
    // Stored bytes are copied as they are: the same stream, checked by its
    // CRC, without inflating and compressing it again.
    if (const std::optional<StoredCopy> stored = running.Stored(i)) {
      if (package->AddStored(name, 0, *stored)) continue;
    }
    const std::optional<std::string> content = running.Extract(i);
    if (!content) {
      package.reset();
      return fail("Cannot extract package entry " + std::to_string(i) + " (" + entries[i].name +
                  ")");
    }
    if (!package->Add(name, 0, *content)) {
      package.reset();
      return fail("Cannot store " + name + " in " + temporary);
    }
  }
  if (!package->Add("SetupInfo", 0, plan.setup_info) || !package->Finish()) {
    package.reset();
    return fail("Cannot finish the package of " + temporary);
  }
  package.reset();

  // The data must be on the disk before the new name points to it.
  {
    platform::File done = platform::File::Open(temporary, platform::OpenMode::ReadWrite);
    if (!done || !done.Sync()) return fail("Cannot flush " + temporary);
  }
  platform::MakeExecutable(temporary);
  {
    const platform::Folder folder = platform::Folder::Open(plan.install_dir, /*create=*/false);
    const std::string name = platform::SplitLastLevel(result.path).second;
    if (!folder) return fail("Cannot write " + result.path);
    const platform::Folder::Kind kind = folder.KindOf(name);
    if (kind == platform::Folder::Kind::Link || kind == platform::Folder::Kind::Folder) {
      platform::SetLastErrorText(
          result.path + (kind == platform::Folder::Kind::Link ? " is a link" : " is a folder"));
      return fail("Cannot write " + result.path);
    }
  }
  if (!platform::RenameFile(temporary, result.path)) {
    return fail("Cannot rename " + temporary + " to " + result.path);
  }
  result.built = true;
  return result;
}

std::string FinaliserPath() {
  return platform::ExecutableScratchFolder() + "FINALISE" + platform::UniqueSuffix() + ".exe";
}

namespace {

// The finaliser is a scratch program under a name of its own, started at
// once and removed by itself: it is created under that name directly
// (exclusively, never through a link) and not flushed to disk, which would
// only make every uninstall wait. Where that is not possible the careful
// write is used.
bool WriteScratchProgram(const std::string& path, std::string_view content) {
  const size_t cut = path.find_last_of("\\/");
  if (cut != std::string::npos) {
    const std::string folder_path = path.substr(0, cut + 1);
    const platform::Folder folder =
        platform::Folder::Open(folder_path, /*create=*/false, {}, /*trusted=*/folder_path);
    if (folder) {
      switch (platform::WriteNewFile(folder, std::string_view(path).substr(cut + 1), content)) {
        case platform::NewFileResult::Written:
          return true;
        case platform::NewFileResult::Failed:
          return false;
        case platform::NewFileResult::Taken:
          break;
      }
    }
  }
  return platform::WriteFileWalked(path, content);
}

}  // namespace

bool StartFinaliserFrom(const PackageSource& running, std::string_view uninstaller_path) {
  const std::vector<PackageEntryRef> entries = running.Entries();
  std::optional<std::string> content;
  for (size_t i = 0; i < entries.size() && !content; ++i) {
    if (entries[i].group == 0 && EqualsIgnoreCaseAnsi(entries[i].name, kFinaliserEntry)) {
      content = running.Extract(i);
    }
  }
  if (!content) {
    platform::SetLastErrorText("the package holds no finaliser");
    return false;
  }
  // The scratch folder first; where it is full or cannot be written, the
  // temporary folder. Each failed copy is removed again.
  std::string reasons;
  for (const std::string& folder : {platform::ExecutableScratchFolder(), platform::TempFolder()}) {
    const std::string path = folder + "FINALISE" + platform::UniqueSuffix() + ".exe";
    if (WriteScratchProgram(path, *content) && platform::MakeExecutable(path) &&
        platform::StartProgram(path, {"\"" + std::string(uninstaller_path) + "\""}))
      return true;
    reasons += (reasons.empty() ? "" : "; ") + path + ": " + platform::LastErrorText();
    platform::DeleteFileWalked(path);
  }
  platform::SetLastErrorText(reasons);
  return false;
}

UninstallWalkView ActiveControlsView(StatusView& status) {
  UninstallWalkView view;
  view.set_status = [&status](std::u16string_view text) { status.ShowStatus(text, true); };
  view.set_gauge_maximum = [&status](int32_t maximum) { status.SetGaugeMaximum(maximum); };
  view.set_gauge_position = [&status](int32_t position) { status.SetGaugePosition(position); };
  return view;
}

}  // namespace wizpak
