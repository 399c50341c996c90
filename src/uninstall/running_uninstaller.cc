// The uninstaller operations on the program's own objects, and the adapters
// that let the builder read and write packages through TPak.
#include "uninstall/running_uninstaller.h"

#include <memory>
#include <stdexcept>

#include "package/package_files.h"
#include "package/pak.h"
#include "package/setup_info.h"
#include "platform/files.h"
#include "platform/process.h"
#include "text/path_helpers.h"
#include "text/run_texts.h"
#include "uninstall/uninstall_list.h"

namespace wizpak {
namespace {

class TPakSource : public PackageSource {
 public:
  explicit TPakSource(TPak& pak) : pak_(pak) {}
  std::vector<PackageEntryRef> Entries() const override {
    std::vector<PackageEntryRef> refs;
    refs.reserve(pak_.Entries.size());
    for (const TPakEntry& e : pak_.Entries) refs.push_back({e.Name, e.Group});
    return refs;
  }
  std::optional<std::string> Extract(size_t index) const override {
    try {
      return pak_.ExtractEntry(static_cast<uint32_t>(index));
    } catch (const DecompressionError&) {
      return std::nullopt;
    }
  }
  std::optional<StoredCopy> Stored(size_t index) const override {
    PakBlock bytes = pak_.ReadStored(static_cast<uint32_t>(index));
    if (!bytes) return std::nullopt;
    const TPakEntry& e = pak_.Entries[index];
    return StoredCopy{std::move(*bytes), e.CRC, e.StoredSize, e.OrigSize};
  }

 private:
  TPak& pak_;
};

class EmptySource : public PackageSource {
 public:
  std::vector<PackageEntryRef> Entries() const override { return {}; }
  std::optional<std::string> Extract(size_t) const override { return std::nullopt; }
};

class TPakAppender : public PackageAppender {
 public:
  explicit TPakAppender(std::string_view path) : pak_(path, /*append=*/true, false) {}
  bool IsOpen() const { return pak_.IsOpen(); }
  bool Add(std::string_view name, uint16_t group, std::string_view content) override {
    const uint32_t index = pak_.AddEntry(name, name, group);
    return pak_.StoreFromMemory(index, content.data(), content.size());
  }
  bool AddStored(std::string_view name, uint16_t group, const StoredCopy& copy) override {
    const uint32_t index = pak_.AddEntry(name, name, group);
    TPakEntry& e = pak_.Entries[index];
    e.CRC = copy.crc;
    e.StoredSize = copy.stored_size;
    e.OrigSize = copy.orig_size;
    return pak_.StorePrepared(index, copy.bytes);
  }
  bool Finish() override {
    const bool ok = pak_.WriteDirectory();
    pak_.Close();
    return ok;
  }

 private:
  TPak pak_;
};

std::unique_ptr<PackageAppender> OpenTPakAppender(std::string_view path) {
  auto appender = std::make_unique<TPakAppender>(path);
  if (!appender->IsOpen()) return nullptr;
  return appender;
}

std::optional<uint64_t> FileSize(const std::string& path) {
  platform::File file = platform::File::Open(path, platform::OpenMode::ReadShared);
  if (!file) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0) return std::nullopt;
  return static_cast<uint64_t>(size);
}

// Where the executable image of a package's file ends: at the stored bytes
// of the first entry that has any. An empty entry records offset 0, so an
// empty first entry does not say where the package begins; a package of
// empty entries only begins at its directory.
uint64_t ImageSizeBefore(const TPak& package) {
  for (const TPakEntry& entry : package.Entries) {
    if (entry.StoredLength() != 0) return entry.Offset;
  }
  return package.DirectoryOffset;
}

UninstallerPlan PlanFromRecord(const TSetupInfoFile& record, const PackageHooks& hooks) {
  UninstallerPlan plan;
  plan.install_dir = record.InstallDir;
  plan.uninstall_exe_name = record.UninstallExeName;
  plan.short_name = record.ShortName;
  TSetupInfoFile uninstaller_record = record;
  uninstaller_record.IsUninstaller = 1;
  plan.setup_info = uninstaller_record.SaveToBuffer();
  plan.force_folders = [&hooks](std::string_view folder) { ForceFoldersLogged(folder, hooks); };
  return plan;
}

}  // namespace

std::optional<ExecutableImage> RunningExecutableImage(const TPak& running,
                                                      const std::string& package_path,
                                                      bool from_command_line) {
  ExecutableImage image;
  if (!from_command_line) {
    // The package's file is the running executable: its image ends where
    // the first entry begins.
    image.path = package_path;
    image.size = ImageSizeBefore(running);
    return image;
  }
  image.path = platform::ExecutablePath();
  const std::optional<uint64_t> size = FileSize(image.path);
  if (!size) return std::nullopt;
  image.size = *size;
  TPak own(image.path, /*append=*/false, /*create_new=*/false);
  if (own.HasPackage()) {
    image.size = ImageSizeBefore(own);
  }
  own.Close();
  return image;
}

uint64_t UninstallerSpace(const TPak& running, const std::string& package_path,
                          bool from_command_line) {
  const std::optional<ExecutableImage> image =
      RunningExecutableImage(running, package_path, from_command_line);
  if (!image) return 0;
  constexpr uint64_t kRecordAndDirectory = 64 * 1024;
  uint64_t bytes = image->size + kRecordAndDirectory;
  for (const TPakEntry& e : running.Entries) {
    const PackageEntryRef ref{e.Name, e.Group};
    if (IsUninstallerEntry(ref)) bytes += e.StoredLength();
  }
  return bytes;
}

UninstallerBuildResult BuildUninstaller(const RunningPackage& running, const TSetupInfoFile& record,
                                        const PackageHooks& hooks) {
  UninstallerPlan plan = PlanFromRecord(record, hooks);
  std::optional<ExecutableImage> image;
  if (running.pak != nullptr) {
    image = RunningExecutableImage(*running.pak, running.path, running.from_command_line);
  }
  if (!image) {
    // Nothing to copy: register only, as when the package has no entries.
    UninstallerBuildResult result = BuildUninstallerFrom(EmptySource(), plan, OpenTPakAppender);
    result.message = running.pak == nullptr
                         ? "No running package to build the uninstaller from"
                         : "Cannot read the running executable " + platform::ExecutablePath();
    return result;
  }
  plan.image = *image;
  return BuildUninstallerFrom(TPakSource(*running.pak), plan, OpenTPakAppender);
}

bool StartFinaliser(const RunningPackage& running) {
  if (running.pak == nullptr) return false;
  return StartFinaliserFrom(TPakSource(*running.pak), platform::ExecutablePath());
}

UninstallWalkSummary RunUninstallWalk(const RunTexts& texts, TUninstallList& log,
                                      const UninstallWalkView& view) {
  const TSetupInfoFile& record = texts.record;
  UninstallWalkContext context;
  context.get_string = [&texts](uint16_t number) { return texts.languages.GetString(number); };
  context.expand_path = [&texts](std::string_view path) {
    return ExpandPathVariables(texts, path);
  };
  context.install_log_path = InstallLogPath(record.InstallDir, record.UninstallPrefix);
  context.short_name = record.ShortName;
  context.desktop_record_path = DesktopRecordPath(record.InstallDir, record.UninstallPrefix);
  UninstallWalkSummary summary = WalkInstallLog(log, context, view);
  // What could not be removed is an error of the uninstall (the report and
  // its status), not a success; the uninstaller stays to be run again.
  if (!summary.failures.empty()) {
    std::string message = std::to_string(summary.failures.size()) +
                          " installed items could not be removed: " + summary.failures[0];
    for (size_t i = 1; i < summary.failures.size() && i < 5; ++i)
      message += "; " + summary.failures[i];
    if (summary.failures.size() > 5) message += "; ...";
    throw std::runtime_error(message);
  }
  return summary;
}

}  // namespace wizpak
