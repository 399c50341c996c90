// Writing and removing files below a folder without ever following a link.
// A setup runs with the user's rights (often an administrator's); a link
// planted where the installation puts a file or folder must not let it write
// or delete anything outside what it installs.
//
// A Folder is reached from its drive root one level at a time; every level
// below the root is opened as a folder that is not a link (the drive root
// itself is trusted: it is the drive map's choice). A level or name that
// exists only in another letter case (ASCII and Windows-1252 letters) is
// that one, as on Windows; new names are made as spelled. Files are written under a
// unique temporary name in their folder and renamed over their final name
// only when every byte is written, so a failed write keeps the old file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace wizpak::platform {

struct CaseIndex;

// An open folder. Move-only; closes on destruction.
class Folder {
 public:
  Folder() = default;
  ~Folder();
  Folder(Folder&& other) noexcept;
  Folder& operator=(Folder&& other) noexcept;
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // Opens the folder `path` (program form: "X:\a\b", or a host path "/a/b")
  // level by level from its root, never through a link. With `create`,
  // missing levels are made, and each level made is passed to `on_created`
  // in program form with its trailing "\". Fails (an invalid Folder) when a
  // level is a link, is not a folder, or is "..", or cannot be made;
  // LastErrorText() then names the level ("C:\Game\docs is a link").
  // With `trusted` (a leading part of `path`, such as a folder the user
  // named), the walk starts there instead of at the root: the user's own
  // path may pass through links, the levels below it may not.
  static Folder Open(std::string_view path, bool create,
                     const std::function<void(std::string_view level)>& on_created = {},
                     std::string_view trusted = {});

  bool IsOpen() const { return fd_ >= 0; }
  explicit operator bool() const { return IsOpen(); }
  // The program path this folder was opened by (no trailing "\").
  const std::string& path() const { return path_; }

  // What a name in this folder is, looked at without following a link.
  enum class Kind { Missing, File, Folder, Link, Other };
  Kind KindOf(std::string_view name) const;

  // Removes the regular file or the link `name` (never what a link points
  // to). Folders, devices, pipes and read-only files are refused.
  bool DeleteEntry(std::string_view name) const;
  // Removes the empty folder `name`; a link is refused.
  bool RemoveFolder(std::string_view name) const;
  // Flushes the whole file system this folder lives on (syncfs).
  bool SyncFileSystem() const;

  int fd() const { return fd_; }                          // platform units only
  const std::string& host_path() const { return host_; }  // platform units only
  // The host name `name` (program form, one level) has here: as spelled
  // when that exists or nothing differs only in letter case; else the
  // existing name that does, as Windows finds it (platform units only).
  std::string HostNameOf(std::string_view name) const;
  // Notes a name this process made here (platform units only).
  void NoteCreated(const std::string& host_name) const;

 private:
  Folder(int fd, std::string path, std::string host)
      : fd_(fd), path_(std::move(path)), host_(std::move(host)) {}
  int fd_ = -1;
  std::string path_;
  std::string host_;
  // Names of this folder by their lower-case spelling, read once at the
  // first name that is not found as spelled (POSIX; see HostNameOf).
  mutable std::shared_ptr<CaseIndex> case_index_;
};

// A file written under a temporary name in its folder and renamed over its
// final name by Commit. Until then the final name keeps whatever it held;
// destroying an uncommitted file removes the temporary one.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();
  ReplacingFile(ReplacingFile&& other) noexcept;
  ReplacingFile& operator=(ReplacingFile&& other) noexcept;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Starts the file `name` (one level, no separators) in `folder`. Fails
  // when `name` is a link or a folder there (LastErrorText names it), or the
  // temporary file cannot be made.
  static ReplacingFile Begin(const Folder& folder, std::string_view name);

  bool IsOpen() const { return fd_ >= 0; }
  explicit operator bool() const { return IsOpen(); }

  // Writes all bytes; false on any error, a short write included.
  bool Write(const void* data, int64_t size);
  // Closes the file and renames it over its final name, checked again not to
  // be a link or a folder. With `sync`, the data reaches the device first;
  // when the final name already holds a file it always does, so a crash
  // never trades a good old file for an empty new one.
  bool Commit(bool sync);

 private:
  void Discard();
  int fd_ = -1;
  int folder_fd_ = -1;  // a duplicate of the Folder's, held until committed
  std::string folder_path_;
  std::string host_path_;  // final name on the host, for the fault seam
  std::string name_;
  std::string temp_name_;
};

// Writes a whole file under a name that is free in `folder` (never through
// a link, never over anything): under a temporary name, moved to its name
// only when whole and only if the name is still free, so a killed run never
// leaves a part-written file under the real name. No flush: a file that did
// not exist has no old content to keep. Taken: the name holds something (a file, a link, a
// folder), or the platform writes every file through a ReplacingFile;
// nothing was written, and the caller goes on with a ReplacingFile, which
// checks what is there. Failed: a write or the close failed; the partly
// written file is removed again.
enum class NewFileResult { Written, Taken, Failed };
NewFileResult WriteNewFile(const Folder& folder, std::string_view name, std::string_view content);

// Removes the temporary files ReplacingFile and WriteNewFile leave in
// `folder` when their process is killed (".NAME.<pid>-<hex>.tmp" of a
// process that no longer runs). Only plain files go, never a folder or a
// link. Returns how many went.
int RemoveStaleTemporaries(const Folder& folder);
// The id of the process that made a file named as those temporaries are;
// 0 when `name` is no such name.
long TemporaryFileOwner(std::string_view name);

// An exclusive advisory lock (flock) on a lock file, held while the object
// lives; other processes asking for the same file are told it is busy.
class FileLock {
 public:
  enum class Result { Locked, Busy, Failed };
  FileLock() = default;
  ~FileLock();
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates the file at `path` (program form) when missing and locks it
  // without waiting. `result` says whether it is held, held by another
  // process, or could not be made (LastErrorText says why). The lock file
  // is removed again when the lock is released.
  static FileLock TryLock(std::string_view path, Result& result);
  bool IsHeld() const { return fd_ >= 0; }

 private:
  void Release();
  int fd_ = -1;
  std::string host_path_;  // removed on release (POSIX)
};

// A suffix that makes a temporary name unique to this call, across this and
// every other process (".<pid>-<10 random hex digits>"): two setups at once
// never pick the same scratch file.
std::string UniqueSuffix();

}  // namespace wizpak::platform
