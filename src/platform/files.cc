#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/codepage.h"
#include "platform/host_files.h"
#include "platform/host_paths.h"
#include "platform/journal.h"
#include "platform/paths.h"

namespace wizpak::platform {

namespace {

// Program path to host path; a path that cannot be translated fails the call
// with ENOENT (as Windows fails on a missing drive). Levels that exist in
// another letter case are found, as on Windows.
std::optional<std::string> Host(std::string_view program_path) {
  auto host = ToHostPath(program_path);
  if (!host) {
    FailWith(ENOENT);
    return host;
  }
  return MatchHostCase(*host);
}

// The read-only attribute is the owner's write bit. The host would let root
// write anyway, so it is checked here to keep the Windows behaviour.
bool IsWriteProtected(const struct stat& info) {
  return !S_ISDIR(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

// Fails with EACCES when the existing file at `host_path` is read-only.
bool CheckWritable(const std::string& host_path) {
  struct stat info {};
  if (stat(host_path.c_str(), &info) == 0 && IsWriteProtected(info)) return FailWith(EACCES);
  return true;
}

bool WriteAllFd(int fd, const std::string& host_path, const char* data, size_t size) {
  while (size > 0) {
    if (int fault = ConsultFaultHook(FileOp::Write, host_path)) return FailWith(fault);
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return FailWith(errno);
    }
    if (written == 0) return FailWith(EIO);
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

std::string FolderOf(const std::string& host_path) {
  const size_t slash = host_path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return host_path.substr(0, slash);
}

// A name beside `host_path` no other writer in this or another process uses.
std::string TemporaryNameBeside(const std::string& host_path) {
  static std::atomic<unsigned> counter{0};
  return host_path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes `bytes` into a fresh temporary file beside `host_path`, with the
// permission bits `mode`, and syncs it. Returns the temporary name, or
// nullopt (nothing left behind) on failure.
std::optional<std::string> WriteTemporaryBeside(const std::string& host_path,
                                                std::string_view bytes, mode_t mode,
                                                bool journalled) {
  const std::string temp = TemporaryNameBeside(host_path);
  if (int fault = ConsultFaultHook(FileOp::Open, temp)) {
    FailWith(fault);
    return std::nullopt;
  }
  // A run killed while writing leaves no temporary file behind either.
  if (journalled && !JournalBeforeWrite(temp)) return std::nullopt;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    FailWith(errno);
    return std::nullopt;
  }
  bool ok = mode == 0 || ::fchmod(fd, mode) == 0 || FailWith(errno);
  ok = ok && WriteAllFd(fd, temp, bytes.data(), bytes.size());
  if (ok) {
    if (int fault = ConsultFaultHook(FileOp::Sync, temp)) {
      ok = FailWith(fault);
    } else if (::fsync(fd) != 0) {
      ok = FailWith(errno);
    }
  }
  if (::close(fd) != 0 && ok) ok = FailWith(errno);
  if (!ok) {
    const int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    return std::nullopt;
  }
  return temp;
}

// Renames the finished temporary file over `host_path` (or, with
// fail_if_exists, links it there only when nothing is there yet).
bool CommitTemporary(const std::string& temp, const std::string& host_path, bool fail_if_exists,
                     bool journalled) {
  bool ok = true;
  struct stat before {};
  const bool existed = ::lstat(host_path.c_str(), &before) == 0;
  if (int fault = ConsultFaultHook(FileOp::Rename, host_path)) {
    ok = FailWith(fault);
  } else if (journalled && !(fail_if_exists && existed) && !JournalBeforeWrite(host_path)) {
    ok = false;
  } else if (fail_if_exists) {
    if (::link(temp.c_str(), host_path.c_str()) != 0) {
      if (errno == EEXIST) {
        ok = FailWith(EEXIST);
      } else {
        // A file system without hard links: check, then rename.
        struct stat info {};
        if (::lstat(host_path.c_str(), &info) == 0) {
          ok = FailWith(EEXIST);
        } else if (::rename(temp.c_str(), host_path.c_str()) != 0) {
          ok = FailWith(errno);
        }
      }
    }
  } else if (::rename(temp.c_str(), host_path.c_str()) != 0) {
    ok = FailWith(errno);
    if (journalled) JournalRestoreLast(host_path);  // the old file goes back under its name
  }
  const int saved = errno;
  ::unlink(temp.c_str());  // the link case leaves the temporary name behind
  errno = saved;
  if (ok) SyncFolder(FolderOf(host_path));
  return ok;
}

}  // namespace

// ---- Fault seam and errors ----------------------------------------------------

std::string CaseKey(std::string_view host_name) {
  if (!IsValidUtf8(host_name)) return "";
  const std::string ansi = Utf8ToAnsi(host_name);
  if (AnsiToUtf8(ansi) != host_name) return "";
  return AnsiLower(ansi);
}

std::string MatchHostCase(const std::string& host_path) {
  struct stat info {};
  if (host_path.size() < 2 || host_path[0] != '/' || ::lstat(host_path.c_str(), &info) == 0 ||
      errno != ENOENT)
    return host_path;
  std::string out;
  size_t start = 1;
  while (start <= host_path.size()) {
    size_t end = host_path.find('/', start);
    if (end == std::string::npos) end = host_path.size();
    std::string level = host_path.substr(start, end - start);
    start = end + 1;
    if (level.empty()) continue;
    const std::string folder = out.empty() ? "/" : out;
    const std::string spelled = out + "/" + level;
    if (::lstat(spelled.c_str(), &info) != 0 && errno == ENOENT) {
      const std::string key = CaseKey(level);
      std::string found;
      if (DIR* dir = key.empty() ? nullptr : ::opendir(folder.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
          const std::string_view name = item->d_name;
          if (name == "." || name == "..") continue;
          if ((found.empty() || name < found) && CaseKey(name) == key) found = std::string(name);
        }
        ::closedir(dir);
      }
      if (found.empty()) return spelled + (end < host_path.size() ? host_path.substr(end) : "");
      level = found;
    }
    out += "/" + level;
  }
  return out.empty() ? host_path : out;
}

// ---- File -----------------------------------------------------------------------

File File::Open(std::string_view path, OpenMode mode) {
  const auto host = Host(path);
  if (!host) return File();
  if (int fault = ConsultFaultHook(FileOp::Open, *host)) {
    FailWith(fault);
    return File();
  }
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::ReadShared:
      flags |= O_RDONLY;
      break;
    case OpenMode::ReadWrite:
      flags |= O_RDWR;
      break;
    case OpenMode::Create:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
  }
  if (mode != OpenMode::ReadShared && !CheckWritable(*host)) return File();
  if (mode == OpenMode::Create && !JournalBeforeWrite(*host)) return File();
  const int fd = ::open(host->c_str(), flags, 0666);
  if (fd < 0) {
    const int error = errno;
    if (mode == OpenMode::Create) JournalRestoreLast(*host);
    FailWith(error);
    return File();
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    FailWith(EISDIR);
    return File();
  }
  return File(fd, *host);
}

int64_t File::Read(void* buffer, int64_t size) {
  if (fd_ < 0 || size < 0) return FailWith(EBADF), -1;
  auto* out = static_cast<char*>(buffer);
  int64_t total = 0;
  while (total < size) {
    if (int fault = ConsultFaultHook(FileOp::Read, host_path_)) return FailWith(fault), -1;
    const ssize_t got = ::read(fd_, out + total, static_cast<size_t>(size - total));
    if (got < 0) {
      if (errno == EINTR) continue;
      return FailWith(errno), -1;
    }
    if (got == 0) break;
    total += got;
  }
  return total;
}

int64_t File::ReadAt(int64_t offset, void* buffer, int64_t size) const {
  if (fd_ < 0 || size < 0 || offset < 0) return FailWith(EBADF), -1;
  auto* out = static_cast<char*>(buffer);
  int64_t total = 0;
  while (total < size) {
    if (int fault = ConsultFaultHook(FileOp::Read, host_path_)) return FailWith(fault), -1;
    const ssize_t got = ::pread(fd_, out + total, static_cast<size_t>(size - total),
                                static_cast<off_t>(offset + total));
    if (got < 0) {
      if (errno == EINTR) continue;
      return FailWith(errno), -1;
    }
    if (got == 0) break;
    total += got;
  }
  return total;
}

bool File::Write(const void* buffer, int64_t size) {
  if (fd_ < 0 || size < 0) return FailWith(EBADF);
  return WriteAllFd(fd_, host_path_, static_cast<const char*>(buffer), static_cast<size_t>(size));
}

int64_t File::Seek(int64_t offset, SeekFrom from) {
  if (fd_ < 0) return FailWith(EBADF), -1;
  if (int fault = ConsultFaultHook(FileOp::Seek, host_path_)) return FailWith(fault), -1;
  const int whence = from == SeekFrom::Begin     ? SEEK_SET
                     : from == SeekFrom::Current ? SEEK_CUR
                                                 : SEEK_END;
  const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (result < 0) return FailWith(errno), -1;
  return result;
}

int64_t File::Position() {
  return Seek(0, SeekFrom::Current);
}

int64_t File::Size() {
  if (fd_ < 0) return FailWith(EBADF), -1;
  if (int fault = ConsultFaultHook(FileOp::Seek, host_path_)) return FailWith(fault), -1;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return FailWith(errno), -1;
  return info.st_size;
}

bool File::Truncate(int64_t size) {
  if (fd_ < 0 || size < 0) return FailWith(EBADF);
  if (int fault = ConsultFaultHook(FileOp::Truncate, host_path_)) return FailWith(fault);
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return FailWith(errno);
  return true;
}

bool File::Sync() {
  if (fd_ < 0) return FailWith(EBADF);
  if (int fault = ConsultFaultHook(FileOp::Sync, host_path_)) return FailWith(fault);
  if (::fsync(fd_) != 0) return FailWith(errno);
  return true;
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

// ---- Files and folders --------------------------------------------------------

namespace {

// stat() through the seam; false (with the error recorded) when it fails.
bool StatHost(const std::string& host, struct stat& info) {
  if (int fault = ConsultFaultHook(FileOp::Attributes, host)) return FailWith(fault);
  if (::stat(host.c_str(), &info) != 0) return FailWith(errno);
  return true;
}

}  // namespace

std::string StoredSpelling(std::string_view path) {
  const auto host = ToHostPath(path);
  if (!host) return std::string(path);
  const std::string matched = MatchHostCase(*host);
  if (matched == *host) return std::string(path);
  // Only letter case may differ; anything else (a folder mapped to two
  // drives) keeps the spelling given.
  const std::string stored = FromHostPath(matched);
  return EqualsIgnoreCaseAnsi(stored, path) ? stored : std::string(path);
}

bool FileExists(std::string_view path) {
  const auto host = Host(path);
  struct stat info {};
  return host && StatHost(*host, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(std::string_view path) {
  const auto host = Host(path);
  struct stat info {};
  return host && StatHost(*host, info) && S_ISDIR(info.st_mode);
}

bool IsRegularFile(std::string_view path) {
  const auto host = Host(path);
  struct stat info {};
  return host && StatHost(*host, info) && S_ISREG(info.st_mode);
}

bool DeleteFile(std::string_view path) {
  const auto host = Host(path);
  if (!host) return false;
  if (int fault = ConsultFaultHook(FileOp::Delete, *host)) return FailWith(fault);
  struct stat info {};
  if (::lstat(host->c_str(), &info) != 0) return FailWith(errno);
  if (S_ISDIR(info.st_mode)) return FailWith(EISDIR);
  if (!S_ISLNK(info.st_mode) && IsWriteProtected(info)) return FailWith(EACCES);
  // A run that can be undone moves the file aside instead.
  if (Journal* journal = ActiveJournal()) return journal->MoveFileAside(*host);
  if (::unlink(host->c_str()) != 0) return FailWith(errno);
  return true;
}

bool CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  const auto source = Host(from);
  const auto target = Host(to);
  if (!source || !target) return false;
  if (int fault = ConsultFaultHook(FileOp::Copy, *target)) return FailWith(fault);
  struct stat info {};
  if (::stat(source->c_str(), &info) != 0) return FailWith(errno);
  if (S_ISDIR(info.st_mode)) return FailWith(EISDIR);
  if (!fail_if_exists && !CheckWritable(*target)) return false;
  auto bytes = ReadHostFileBytes(*source, UINT64_MAX);
  if (!bytes) return false;
  // Copy into a temporary file and rename it into place, so a full disk
  // never leaves half a file under the destination name.
  const auto temp = WriteTemporaryBeside(*target, *bytes, info.st_mode & 07777, true);
  return temp && CommitTemporary(*temp, *target, fail_if_exists, true);
}

bool RenameFile(std::string_view from, std::string_view to) {
  const auto source = Host(from);
  const auto target = Host(to);
  if (!source || !target) return false;
  if (int fault = ConsultFaultHook(FileOp::Rename, *target)) return FailWith(fault);
  if (*source != *target && !CheckWritable(*target)) return false;
  // The old file at the target is moved aside (or the name noted), then the
  // move itself, so an undo renames the file back to where it was.
  Journal* journal = *source != *target ? ActiveJournal() : nullptr;
  if (journal != nullptr && !JournalBeforeWrite(*target)) return false;
  if (journal != nullptr && !journal->NoteMove(*source, *target)) {
    JournalRestoreLast(*target);
    return false;
  }
  if (::rename(source->c_str(), target->c_str()) != 0) {
    const int error = errno;
    if (journal != nullptr) {
      journal->Cancel();
      JournalRestoreLast(*target);
    }
    return FailWith(error);
  }
  return true;
}

bool CreateDirectory(std::string_view path) {
  const auto host = Host(path);
  if (!host) return false;
  if (int fault = ConsultFaultHook(FileOp::CreateDir, *host)) return FailWith(fault);
  if (!JournalBeforeNewFolder(*host)) return false;
  if (::mkdir(host->c_str(), 0777) != 0) {
    const int error = errno;
    JournalCancelLast();
    return FailWith(error);
  }
  return true;
}

bool RemoveDirectory(std::string_view path) {
  const auto host = Host(path);
  if (!host) return false;
  if (int fault = ConsultFaultHook(FileOp::RemoveDir, *host)) return FailWith(fault);
  if (Journal* journal = ActiveJournal()) return journal->MoveFolderAside(*host);
  if (::rmdir(host->c_str()) != 0) return FailWith(errno);
  return true;
}

std::optional<std::vector<FolderEntry>> ListFolder(std::string_view path) {
  const auto host = Host(path);
  if (!host) return std::nullopt;
  if (int fault = ConsultFaultHook(FileOp::List, *host)) return FailWith(fault), std::nullopt;
  DIR* dir = ::opendir(host->c_str());
  if (!dir) return FailWith(errno), std::nullopt;
  std::vector<FolderEntry> entries;
  const int dir_fd = ::dirfd(dir);
  while (const dirent* item = ::readdir(dir)) {
    const std::string_view name = item->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = Utf8ToAnsi(name);
    entry.host_name = std::string(name);
    entry.name_exact = IsValidUtf8(name) && AnsiToUtf8(entry.name) == name;
    struct stat info {};
    struct stat own {};
    entry.is_link =
        ::fstatat(dir_fd, item->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
    if (::fstatat(dir_fd, item->d_name, &info, 0) == 0) {
      entry.is_folder = S_ISDIR(info.st_mode);
      entry.is_other = !entry.is_folder && !S_ISREG(info.st_mode);
      entry.size = entry.is_folder || entry.is_other ? 0 : static_cast<uint64_t>(info.st_size);
    } else {
      entry.is_other = true;  // a broken link, or gone meanwhile
    }
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  SortFolderEntries(entries);
  return entries;
}

uint32_t GetFileAttributes(std::string_view path) {
  const auto host = Host(path);
  struct stat info {};
  if (!host || !StatHost(*host, info)) return kInvalidAttributes;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory;
  return IsWriteProtected(info) ? kAttributeReadOnly : kAttributeNormal;
}

bool SetFileAttributes(std::string_view path, uint32_t attributes) {
  const auto host = Host(path);
  struct stat info {};
  if (!host || !StatHost(*host, info)) return false;
  // Folders ignore the read-only bit, as Windows does.
  if (S_ISDIR(info.st_mode)) return true;
  mode_t mode = info.st_mode & 07777;
  if (attributes & kAttributeReadOnly) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  if (::chmod(host->c_str(), mode) != 0) return FailWith(errno);
  return true;
}

std::optional<std::string> ReadHostFileBytes(const std::string& host_path, uint64_t limit) {
  if (int fault = ConsultFaultHook(FileOp::Open, host_path)) return FailWith(fault), std::nullopt;
  const int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailWith(errno), std::nullopt;
  struct stat info {};
  std::optional<std::string> result;
  if (::fstat(fd, &info) != 0) {
    FailWith(errno);
  } else if (S_ISDIR(info.st_mode)) {
    FailWith(EISDIR);
  } else if (static_cast<uint64_t>(info.st_size) > limit) {
    FailWith(EFBIG);
  } else {
    // The size is only a hint (the file may change, /proc files report 0):
    // read to the end, but never past the limit.
    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    bool ok = true;
    while (ok) {
      if (int fault = ConsultFaultHook(FileOp::Read, host_path)) {
        ok = FailWith(fault);
        break;
      }
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got < 0) {
        if (errno == EINTR) continue;
        ok = FailWith(errno);
      } else if (got == 0) {
        break;
      } else if (bytes.size() + static_cast<uint64_t>(got) > limit) {
        ok = FailWith(EFBIG);
      } else {
        bytes.append(chunk, static_cast<size_t>(got));
      }
    }
    if (ok) result = std::move(bytes);
  }
  ::close(fd);
  return result;
}

namespace {
bool WriteAtomic(const std::string& host_path, std::string_view bytes, bool journalled) {
  if (!CheckWritable(host_path)) return false;
  struct stat info {};
  const mode_t mode = ::stat(host_path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
  const auto temp = WriteTemporaryBeside(host_path, bytes, mode, journalled);
  return temp && CommitTemporary(*temp, host_path, false, journalled);
}
}  // namespace

bool WriteHostFileAtomic(const std::string& host_path, std::string_view bytes) {
  return WriteAtomic(host_path, bytes, /*journalled=*/false);
}

std::optional<std::string> ReadFileBytes(std::string_view path, uint64_t limit) {
  const auto host = Host(path);
  if (!host) return std::nullopt;
  return ReadHostFileBytes(*host, limit);
}

bool WriteFileAtomic(std::string_view path, std::string_view bytes) {
  const auto host = Host(path);
  return host && WriteAtomic(*host, bytes, /*journalled=*/true);
}

}  // namespace wizpak::platform
