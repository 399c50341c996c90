// The undo journal of an installation run: every change the run makes to
// files, folders, the registry and archive tails is noted on disk before it
// takes effect, so that the run can be undone in reverse order when it ends
// in an error, a cancel or a stop signal, and so that the next start of a
// setup or an uninstaller for the same folder can undo a run that was killed.
//
// What is noted: a new file or folder (undone by removing it), a file about
// to be replaced or deleted (moved aside first: a rename to a hidden name in
// its own folder, never a copy; undone by moving it back), a folder about to
// be removed (moved aside the same way), a registry value's old data or its
// absence and each key a change creates, and the old tail of a file that is
// cut and appended to (a game archive being patched).
//
// The journal file lives in the nearest folder above the install folder that
// exists when the run starts (the install folder itself when that folder
// cannot be written), named after the install folder: it is on the drive the
// run installs to, it survives a restart (unlike the temporary folder), the
// next start finds it by walking up from the install folder, and it never
// sits inside a folder the run may create and remove again.
//
// Every note is written (it reaches the kernel, so a killed process loses
// none) before its change is made; the file is flushed to the device in
// batches of notes, and at once for registry and archive notes. A file
// replaced in place is flushed by its writer before the rename, which on
// journalling file systems also carries the notes written before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace wizpak::platform {

class Journal {
 public:
  // Starts the journal of a run into `install_folder` (program path). Null
  // when it cannot be written (LastErrorText says why): the run must not
  // change anything then.
  static std::unique_ptr<Journal> Begin(std::string_view install_folder);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Changes noted so far.
  size_t ChangeCount() const { return records_; }

  // Undoes every change in reverse order, calling `step(done, total)` after
  // each, then removes the journal. False when something could not be put
  // back (the journal is then kept, so a later start tries again).
  bool Rollback(const std::function<void(size_t done, size_t total)>& step = {});
  // The run ended well: marks the journal finished, removes what was set
  // aside, then the journal itself.
  bool Commit();

  // Host path of the journal file.
  const std::string& path() const { return path_; }

  // ---- Noting changes (platform units only; host paths) ----------------------
  // Each returns false when the note cannot be written; the change must then
  // not be made. `Cancel` voids the last note (its change did not happen).
  bool NoteNewFile(const std::string& host);
  // Two new files in one write (a file and the temporary it is written as).
  bool NoteNewFiles(const std::string& first, const std::string& second);
  bool NoteNewFolder(const std::string& host);
  // Renames the file (or link) `host` to a hidden name beside it and notes
  // it; afterwards the name is free. False (nothing moved) on failure.
  bool MoveFileAside(const std::string& host);
  // The same for a folder that holds nothing but what was moved aside.
  bool MoveFolderAside(const std::string& host);
  // The file `from` is about to be renamed to `to` (whose old file, if any,
  // was moved aside first): undone by renaming it back.
  bool NoteMove(const std::string& from, const std::string& to);
  // A registry value about to change: `old_data` is its data, or null when
  // absent. `root` is the RootKey index.
  bool NoteRegistryValue(int root, std::string_view key, std::string_view name,
                         const std::string* old_data);
  // The same for a value that is not a string: `stored` is its stored form
  // (see Registry::WriteStored), put back unchanged by an undo.
  bool NoteRegistryStoredValue(int root, std::string_view key, std::string_view name,
                               std::string_view stored);
  bool NoteRegistryKeyCreated(int root, std::string_view key);
  bool NoteHiveCreated(const std::string& hive_host);
  // The file `host` is about to be cut at `offset` and appended to; `tail`
  // holds its bytes from `offset` to the end.
  bool NoteFileTail(const std::string& host, int64_t offset, std::string_view tail);
  void Cancel();
  // The change last noted for `host` failed part-way: a file or folder
  // moved aside for it is moved back, and the note voided.
  void RestoreLast(const std::string& host);

 private:
  Journal(intptr_t handle, std::string path, std::string install_host);
  // Writes `notes` lines (`text` without its last line break).
  bool Append(std::string_view text, bool flush, size_t notes = 1);
  // Notes `host` as a record of `kind` ('A' file, 'R' folder) and renames it
  // to its hidden name; the note is voided when the rename fails.
  bool MoveAside(char kind, const std::string& host);
  intptr_t handle_ = -1;
  std::string path_;
  std::string install_host_;
  size_t records_ = 0;
  size_t unflushed_ = 0;
  size_t tails_ = 0;
  std::string text_;  // the notes written so far, as in the file
};

// What the next start found for an install folder.
enum class RecoveryResult {
  NothingPending,  // no journal of an unfinished run
  RolledBack,      // a killed run was undone
  Finished,        // a run that had ended well was killed while tidying up
  Incomplete,      // something could not be put back; the journal stays
};
// Undoes the run a killed setup left for `install_folder` (program path),
// if any. The caller holds the install folder's lock, so the journal found
// is not that of a run still going on.
RecoveryResult RecoverInterruptedRun(std::string_view install_folder,
                                     const std::function<void(size_t, size_t)>& step = {});

// Makes `journal` the one the platform's file, folder and registry calls
// note their changes in, for the lifetime of the scope. Not nested.
class JournalScope {
 public:
  explicit JournalScope(Journal& journal);
  ~JournalScope();
  JournalScope(const JournalScope&) = delete;
  JournalScope& operator=(const JournalScope&) = delete;
};

// The journal in scope, or null (platform units only).
Journal* ActiveJournal();
// Platform units, before a file is created at, or renamed or written over,
// the host path `host`: notes the new name, or moves the file there aside.
// True when no journal is in scope or the note was made.
bool JournalBeforeWrite(const std::string& host);
// Before a folder is made at `host`: notes it.
bool JournalBeforeNewFolder(const std::string& host);
// After a noted change did not happen after all.
void JournalCancelLast();
// After a change failed once its old file was moved aside: moves it back.
void JournalRestoreLast(const std::string& host);

// For the archive patcher: notes the old tail of the program path `path`
// in the journal in scope. True when there is none, or the note was made.
bool NoteFileTailChange(std::string_view path, int64_t offset, std::string_view tail);

// A key made of the install folder's host path, letter case ignored: names
// the journal and the install folder's lock.
std::string InstallFolderKey(std::string_view install_folder);

}  // namespace wizpak::platform
