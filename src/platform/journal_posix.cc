// The undo journal's host file operations on POSIX.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/host_files.h"
#include "platform/journal_host.h"
#include "platform/paths.h"

namespace wizpak::platform::journal_host {

namespace {

// Removes the folder `name` below `parent_fd` and all in it, never
// following a link.
void RemoveTreeAt(int parent_fd, const std::string& name, int depth) {
  const int fd = ::openat(parent_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0 && depth < 256) {
    DIR* dir = ::fdopendir(::dup(fd));
    if (dir != nullptr) {
      std::vector<std::pair<std::string, bool>> entries;
      while (const dirent* entry = ::readdir(dir)) {
        const std::string child = entry->d_name;
        if (child == "." || child == "..") continue;
        struct stat info {};
        const bool folder =
            ::fstatat(fd, child.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        entries.emplace_back(child, folder);
      }
      ::closedir(dir);
      for (const auto& [child, folder] : entries) {
        if (folder) {
          RemoveTreeAt(fd, child, depth + 1);
        } else {
          ::unlinkat(fd, child.c_str(), 0);
        }
      }
    }
  }
  if (fd >= 0) ::close(fd);
  ::unlinkat(parent_fd, name.c_str(), AT_REMOVEDIR);
}

std::string Trimmed(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

Kind KindOf(const std::string& host) {
  struct stat info {};
  if (::lstat(host.c_str(), &info) != 0) return Kind::Missing;
  return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::File;
}

bool Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 || FailWith(errno);
}

bool RemoveFile(const std::string& host) {
  return ::unlink(host.c_str()) == 0 || errno == ENOENT || FailWith(errno);
}

bool RemoveEmptyFolder(const std::string& host) {
  return ::rmdir(host.c_str()) == 0 || errno == ENOENT || FailWith(errno);
}

void RemoveTree(const std::string& host) {
  const size_t slash = host.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : host.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  RemoveTreeAt(fd, host.substr(slash + 1), 0);
  ::close(fd);
}

std::optional<std::vector<std::string>> Names(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    FailWith(errno);
    return std::nullopt;
  }
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

std::optional<std::string> ReadWhole(const std::string& host) {
  return ReadHostFileBytes(host, UINT64_MAX);
}

bool WriteWhole(const std::string& host, std::string_view bytes) {
  return WriteHostFileAtomic(host, bytes);
}

bool RestoreTail(const std::string& host, int64_t offset, std::string_view tail) {
  const int fd = ::open(host.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return FailWith(errno);
  bool ok = ::ftruncate(fd, offset) == 0 || FailWith(errno);
  for (size_t done = 0; ok && done < tail.size();) {
    const ssize_t n =
        ::pwrite(fd, tail.data() + done, tail.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = FailWith(n < 0 ? errno : EIO);
    if (n > 0) done += static_cast<size_t>(n);
  }
  ok = ok && (::fsync(fd) == 0 || FailWith(errno));
  ::close(fd);
  return ok;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string TempFolderHost() {
  return HostOfProgram(TempFolder());
}

std::string HostOfProgram(std::string_view program_path) {
  return Trimmed(ToHostPath(program_path).value_or(std::string(program_path)));
}

intptr_t CreateJournalFile(const std::string& host) {
  // A journal found here was not undone: another user's, or one the last
  // start could not finish. It stays for the next start; this run writes
  // its journal in another place.
  const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) FailWith(errno);
  return fd;
}

std::optional<std::string> ReadJournalFile(const std::string& host, bool& foreign) {
  foreign = false;
  const int fd = ::open(host.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    foreign = errno == ELOOP;  // a link
    FailWith(errno);
    return std::nullopt;
  }
  struct stat info {};
  std::optional<std::string> bytes;
  if (::fstat(fd, &info) != 0) {
    FailWith(errno);
  } else if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 022) != 0) {
    foreign = true;
    FailWith(EPERM);
  } else {
    bytes.emplace();
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        bytes.reset();
        FailWith(errno);
      }
      if (n <= 0) break;
      bytes->append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return bytes;
}

bool AppendJournalFile(intptr_t handle, std::string_view text, uint64_t size_before) {
  const int fd = static_cast<int>(handle);
  if (fd < 0) return FailWith(EBADF);
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // What did reach the file is cut off again, so the file keeps whole notes.
      const int error = n < 0 ? errno : EIO;
      if (done > 0 && ::ftruncate(fd, static_cast<off_t>(size_before)) == 0)
        ::lseek(fd, static_cast<off_t>(size_before), SEEK_SET);
      return FailWith(error);
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool SyncJournalFile(intptr_t handle) {
  if (handle < 0) return FailWith(EBADF);
  return ::fdatasync(static_cast<int>(handle)) == 0 || FailWith(errno);
}

void CloseJournalFile(intptr_t handle) {
  if (handle >= 0) ::close(static_cast<int>(handle));
}

}  // namespace wizpak::platform::journal_host
