// The install log TUninstallList: what an installation wrote (files, registry
// string values, folders), kept in memory during the run, saved enciphered
// into the install folder and loaded again by the uninstaller. Each run owns
// one (SetupRun::install_log).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "uninstall/desktop_record.h"
#include "uninstall/install_log_format.h"

namespace wizpak {

enum class InstallLogStatus {
  Ok,
  Missing,      // load: no file at the path; the lists stay as they were
  Damaged,      // load: truncated or malformed; the lists stay as they were
  Unreadable,   // load: the file exists but cannot be read
  TooLarge,     // save: a list or entry does not fit the file; nothing written
  WriteFailed,  // save: the file could not be written; an earlier file stays whole
};

struct InstallLogResult {
  InstallLogStatus status = InstallLogStatus::Ok;
  std::string message;  // one line for a message box or error report, "" when Ok
  bool ok() const { return status == InstallLogStatus::Ok; }
};

// folder + "\" + prefix + "install.log" (a folder ending in "\" gives a
// doubled separator, which the file system accepts).
std::string InstallLogPath(std::string_view folder, std::string_view prefix);

class RunTexts;

class TUninstallList {
 public:
  // Paths go in and out without path variables.
  TUninstallList() = default;
  // Paths use the path variables of `texts` (its figures and record's
  // InstallDir), which must outlive the list.
  explicit TUninstallList(const RunTexts& texts) : texts_(&texts) {}

  const std::vector<std::string>& Files() const { return lists_.files; }
  const std::vector<std::string>& RegistryEntries() const { return lists_.registry_entries; }
  const std::vector<std::string>& Directories() const { return lists_.directories; }
  const InstallLogLists& Lists() const { return lists_; }
  // What the installation put on the user's desktop; saved beside the log.
  DesktopRecord& Desktop() { return desktop_; }
  const DesktopRecord& Desktop() const { return desktop_; }

  // Empties the three lists and the desktop record.
  void Clear();

  // Puts the path variables back ("$INSTDIR", "$SMPROGRAMS", "$PROGRAMFILES")
  // and appends the path unless HasFile finds it.
  void AddFile(std::string_view path);
  // Compared with ASCII letters lower-cased.
  bool HasFile(std::string_view path) const;
  // `entry` is the four quoted parts: "root" "key" "name" "data", unexpanded.
  void AddRegistryEntry(std::string_view entry);
  bool HasRegistryEntry(std::string_view entry) const;
  // Always appended, even twice.
  void AddDirectory(std::string_view path);

  // Replaces the file at InstallLogPath atomically: a reader (or a crash)
  // sees the old or the new complete file. Lists that do not fit the format
  // are refused (TooLarge) and nothing is written. A desktop record that
  // holds anything is saved beside it (SaveDesktopRecord).
  InstallLogResult SaveToFile(std::string_view folder, std::string_view prefix) const;
  // Replaces the lists with the file's when it exists and is whole; a missing,
  // unreadable or damaged file leaves them unchanged. With the lists, the
  // desktop record is replaced by the one beside the log: empty when there
  // is none (an older installation's log) or it is damaged.
  InstallLogResult LoadFromFile(std::string_view folder, std::string_view prefix);
  // Writes the desktop record to DesktopRecordPath atomically, when it
  // holds anything.
  InstallLogResult SaveDesktopRecord(std::string_view folder, std::string_view prefix) const;

  // A reinstall: adds the entries of the install log already in `folder`
  // whose items are still there (files, folders, and registry values for
  // which `value_exists` says so), so the new log lists both runs' items.
  // Earlier folders go right after the first folder listed so far.
  // A missing log adds nothing; a damaged one adds nothing and says so.
  InstallLogResult MergeStillPresent(
      std::string_view folder, std::string_view prefix,
      const std::function<bool(std::string_view entry)>& value_exists);

  // Replaces the lists (tests, and callers that build a log by hand).
  void Assign(InstallLogLists lists);

 private:
  void Append(std::vector<std::string>& list, std::unordered_set<std::string>& index,
              std::string_view text);
  void Reindex();
  std::string Compress(std::string_view path) const;
  std::string Expand(std::string_view path) const;

  const RunTexts* texts_ = nullptr;  // not owned
  InstallLogLists lists_;
  DesktopRecord desktop_;
  // ASCII-lower-cased copies of Files and RegistryEntries, for duplicate checks.
  std::unordered_set<std::string> file_index_;
  std::unordered_set<std::string> registry_index_;
};

}  // namespace wizpak
