// Building the uninstaller: the running program's executable image, its icon
// replaced from "UNINSTALL_ICON.ICO", followed by a package of every group-0
// "UNINSTALL_" entry of the running package with the prefix removed and,
// last, the setup record marked as uninstaller. Also the start of the
// finaliser that removes the uninstaller after it has run. The package
// reader and writer come in through PackageSource and PackageAppender, so
// this unit decides what goes into the uninstaller and the package unit how
// it is stored.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uninstall/uninstall_registration.h"
#include "uninstall/uninstall_walk.h"

namespace wizpak {

class TPak;
struct PackageHooks;
class RunTexts;
class TUninstallList;
struct StatusView;
struct TSetupInfoFile;

// Entries copied into the uninstaller start with this (compared upper-cased).
inline constexpr std::string_view kUninstallEntryPrefix = "UNINSTALL_";
// The uninstaller's icon; applied to the image, never copied as an entry.
inline constexpr std::string_view kUninstallIconEntry = "UNINSTALL_ICON.ICO";
// The finaliser's entry in the uninstaller's package.
inline constexpr std::string_view kFinaliserEntry = "FINALISE.EXE";

// One directory record of the running package, as far as the builder needs it.
struct PackageEntryRef {
  std::string name;
  uint16_t group = 0;
};

// An entry's stored bytes with the record fields that describe them: what
// the builder copies as it is, without inflating and compressing it again.
struct StoredCopy {
  std::string bytes;
  uint32_t crc = 0;
  uint32_t stored_size = 0;
  uint32_t orig_size = 0;
};

// The running package, read side.
class PackageSource {
 public:
  virtual ~PackageSource() = default;
  virtual std::vector<PackageEntryRef> Entries() const = 0;
  // The content of entry `index`; nullopt when it cannot be read.
  virtual std::optional<std::string> Extract(size_t index) const = 0;
  // The checked stored bytes of entry `index`; nullopt when the source
  // cannot give them (the builder then stores the content anew).
  virtual std::optional<StoredCopy> Stored(size_t /*index*/) const { return std::nullopt; }
};

// A package being appended to an existing file.
class PackageAppender {
 public:
  virtual ~PackageAppender() = default;
  virtual bool Add(std::string_view name, uint16_t group, std::string_view content) = 0;
  // Adds an entry from stored bytes as they are; false when not supported.
  virtual bool AddStored(std::string_view /*name*/, uint16_t /*group*/, const StoredCopy&) {
    return false;
  }
  // Writes the directory and trailer and closes the file.
  virtual bool Finish() = 0;
};
// Opens the file at `path` to append a package (package start = its length);
// nullptr when it cannot be opened.
using PackageAppenderFactory = std::function<std::unique_ptr<PackageAppender>(std::string_view)>;

// The bytes the uninstaller's image is copied from: the first `size` bytes
// of the file at `path`.
struct ExecutableImage {
  std::string path;
  uint64_t size = 0;
};

// Everything the builder takes from the setup record and the program.
struct UninstallerPlan {
  std::string install_dir;
  std::string uninstall_exe_name;
  std::string short_name;
  std::string setup_info;  // the stored record with IsUninstaller = 1
  ExecutableImage image;
  // Creates the install folder with its missing parents (logging them).
  std::function<void(std::string_view folder)> force_folders;
};

struct UninstallerBuildResult {
  bool built = false;
  std::string path;     // the uninstaller file
  std::string message;  // why it was not built; "" when built or nothing to build
};

// Registers the uninstaller first (even when the rest cannot run), then
// writes it under a temporary name beside its final one and renames it, so
// an earlier uninstaller is replaced whole or not at all. A package without
// entries builds nothing. Throws std::runtime_error "Failed to set data for
// '...'" when the registration cannot be written; other failures are results.
UninstallerBuildResult BuildUninstallerFrom(const PackageSource& running,
                                            const UninstallerPlan& plan,
                                            const PackageAppenderFactory& open_appender);

// Where the finaliser is written: a folder that allows execution (the
// temporary folder may be mounted noexec), under the name "FINALISE.exe".
std::string FinaliserPath();

// Writes the group-0 entry "FINALISE.EXE" to FinaliserPath() and starts it
// with `uninstaller_path` in double quotes; returns at once. False when
// there is no such entry or it could not be written or started (the
// uninstaller then stays).
bool StartFinaliserFrom(const PackageSource& running, std::string_view uninstaller_path);

// A walk view showing on the status label and gauge of `status`,
// repainting them.
UninstallWalkView ActiveControlsView(StatusView& status);

// ---- On the run's own objects -----------------------------------------------

// The package a run runs from, open for the whole run, and the file it was
// opened from. `from_command_line`: that file was named on the command line
// and is not the running executable. The package is not owned; null when
// there is none.
struct RunningPackage {
  TPak* pak = nullptr;
  std::string path;
  bool from_command_line = false;
};

// The executable part of the uninstaller. Normally the package's file (the
// running executable) up to the first entry of its package. When the
// package came from the command line its offsets say nothing about the
// running program, so the image is the running executable up to the start
// of its own package, or the whole file when it carries none. nullopt when
// the file cannot be read.
// True for the entries copied into the uninstaller's package: group 0,
// named "UNINSTALL_..." (any case), not the icon.
bool IsUninstallerEntry(const PackageEntryRef& entry);

// Bytes the uninstaller built from `running` takes on disk: the executable
// image, the stored bytes of the entries copied into its package and room
// for its setup record and directory. 0 when the image cannot be found.
uint64_t UninstallerSpace(const TPak& running, const std::string& package_path,
                          bool from_command_line);

std::optional<ExecutableImage> RunningExecutableImage(const TPak& running,
                                                      const std::string& package_path,
                                                      bool from_command_line);

// BuildUninstallerFrom on the running package and the setup record (a copy
// with IsUninstaller = 1 is stored). Registers even without a package. The
// install folder's missing levels are made and logged through `hooks`,
// which must outlive the call only.
UninstallerBuildResult BuildUninstaller(const RunningPackage& running, const TSetupInfoFile& record,
                                        const PackageHooks& hooks);

// StartFinaliserFrom the running package with the running executable's path.
bool StartFinaliser(const RunningPackage& running);

// The uninstall page's walk over `log`, with the current language's strings
// and the record's InstallDir, UninstallPrefix, ShortName (all of `texts`).
UninstallWalkSummary RunUninstallWalk(const RunTexts& texts, TUninstallList& log,
                                      const UninstallWalkView& view);

}  // namespace wizpak
