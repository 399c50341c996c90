// The undo journal on Windows: not built yet. A run there notes nothing and
// cannot be rolled back; it behaves as before (what was done stays).
#include <cstdio>

#include "platform/journal.h"
#include "platform/paths.h"

namespace wizpak::platform {

namespace {
Journal* active_journal = nullptr;
}

std::string InstallFolderKey(std::string_view install_folder) {
  uint64_t hash = 1469598103934665603ull;
  for (char c : install_folder) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<uint8_t>(lower == '/' ? '\\' : lower)) * 1099511628211ull;
  }
  char key[24];
  std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
  return key;
}

Journal::Journal(int fd, std::string path, std::string install_host)
    : fd_(fd), path_(std::move(path)), install_host_(std::move(install_host)) {}
Journal::~Journal() = default;

bool Journal::Available() {
  return false;
}

std::unique_ptr<Journal> Journal::Begin(std::string_view install_folder) {
  return std::unique_ptr<Journal>(new Journal(-1, std::string(), std::string(install_folder)));
}
bool Journal::Append(std::string_view, bool) {
  return true;
}
bool Journal::NoteNewFile(const std::string&) {
  return true;
}
bool Journal::NoteNewFolder(const std::string&) {
  return true;
}
bool Journal::MoveFileAside(const std::string&) {
  return false;
}
bool Journal::MoveFolderAside(const std::string&) {
  return false;
}
bool Journal::NoteRegistryValue(int, std::string_view, std::string_view, const std::string*) {
  return true;
}
bool Journal::NoteRegistryKeyCreated(int, std::string_view) {
  return true;
}
bool Journal::NoteHiveCreated(const std::string&) {
  return true;
}
bool Journal::NoteFileTail(const std::string&, int64_t, std::string_view) {
  return true;
}
void Journal::Cancel() {}
void Journal::RestoreLast(const std::string&) {}
bool Journal::Rollback(const std::function<void(size_t, size_t)>&) {
  return false;
}
bool Journal::Commit() {
  return true;
}

RecoveryResult RecoverInterruptedRun(std::string_view, const std::function<void(size_t, size_t)>&) {
  return RecoveryResult::NothingPending;
}

JournalScope::JournalScope(Journal& journal) {
  active_journal = &journal;
}
JournalScope::~JournalScope() {
  active_journal = nullptr;
}
Journal* ActiveJournal() {
  return nullptr;  // the Windows calls note nothing
}
bool JournalBeforeWrite(const std::string&) {
  return true;
}
bool JournalBeforeNewFolder(const std::string&) {
  return true;
}
void JournalCancelLast() {}
void JournalRestoreLast(const std::string&) {}
bool NoteFileTailChange(std::string_view, int64_t, std::string_view) {
  return true;
}

}  // namespace wizpak::platform
