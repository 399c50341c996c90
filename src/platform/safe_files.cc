#include "platform/safe_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <random>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/host_files.h"
#include "platform/journal.h"
#include "platform/path_bounds.h"
#include "platform/paths.h"

namespace wizpak::platform {

namespace {

// Fails the call with `error` and a text that names the program path.
bool FailNaming(int error, const std::string& program_path, std::string_view what) {
  FailWith(error);
  SetLastErrorText(program_path + " " + std::string(what));
  return false;
}

// A level's host name. Program paths are ANSI (Windows-1252) and become
// UTF-8; a host path ("/...") keeps a level that is UTF-8 already.
std::string HostName(std::string_view segment, bool host_form) {
  return host_form && IsValidUtf8(segment) ? std::string(segment) : AnsiToUtf8(segment);
}

// Calls `each` with every name in the folder `folder_fd` (not "." or "..").
template <typename Each>
void ForEachName(int folder_fd, Each&& each) {
  const int copy = ::openat(folder_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (copy < 0) return;
  DIR* dir = ::fdopendir(copy);
  if (dir == nullptr) {
    ::close(copy);
    return;
  }
  while (const dirent* item = ::readdir(dir)) {
    const std::string_view name = item->d_name;
    if (name != "." && name != "..") each(name);
  }
  ::closedir(dir);
}

// `host_name` as it exists in `folder_fd`: as spelled, or else the first
// (by bytes) existing name that differs only in letter case; as spelled
// when there is none.
std::string ExistingSpelling(int folder_fd, const std::string& host_name) {
  struct stat info {};
  if (::fstatat(folder_fd, host_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
    return host_name;
  const std::string key = CaseKey(host_name);
  if (key.empty()) return host_name;
  std::string found;
  ForEachName(folder_fd, [&](std::string_view name) {
    if ((found.empty() || name < found) && CaseKey(name) == key) found = std::string(name);
  });
  return found.empty() ? host_name : found;
}

std::string JoinProgram(const std::string& folder, std::string_view name) {
  std::string out = folder;
  if (out.empty() || (out.back() != '\\' && out.back() != '/'))
    out += folder[0] == '/' ? '/' : '\\';
  out.append(name);
  return out;
}

std::string JoinHostPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

Folder::Kind KindAt(int folder_fd, const std::string& host_name) {
  struct stat info {};
  if (::fstatat(folder_fd, host_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    return Folder::Kind::Missing;
  if (S_ISLNK(info.st_mode)) return Folder::Kind::Link;
  if (S_ISDIR(info.st_mode)) return Folder::Kind::Folder;
  if (S_ISREG(info.st_mode)) return Folder::Kind::File;
  return Folder::Kind::Other;
}

// Explains why `name` in `folder_fd` could not be opened as a folder.
bool FailNotAFolder(int folder_fd, const std::string& host_name, const std::string& level) {
  switch (KindAt(folder_fd, host_name)) {
    case Folder::Kind::Link:
      return FailNaming(ELOOP, level, "is a link");
    case Folder::Kind::Missing:
      return FailNaming(ENOENT, level, "does not exist");
    case Folder::Kind::Folder:
      return FailNaming(errno == 0 ? EACCES : errno, level, "cannot be opened");
    default:
      return FailNaming(ENOTDIR, level, "is not a folder");
  }
}

// One level: not empty, not "." or "..", no separator, no control character.
bool IsLeafName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/") == std::string_view::npos && !HasControlCharacter(name);
}

// A temporary name no other writer, in this process or another, picks.
std::string TemporaryName(std::string_view name) {
  return "." + std::string(name.substr(0, 160)) + UniqueSuffix() + ".tmp";
}

}  // namespace

struct CaseIndex {
  std::unordered_map<std::string, std::string> names;  // CaseKey -> host name
};

std::string Folder::HostNameOf(std::string_view name) const {
  const std::string host = HostName(name, !path_.empty() && path_[0] == '/');
  if (fd_ < 0) return host;
  struct stat info {};
  if (::fstatat(fd_, host.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) return host;
  const std::string key = CaseKey(host);
  if (key.empty()) return host;
  if (!case_index_) {
    // Read once: a folder that receives many new files is not listed again
    // for each of them.
    case_index_ = std::make_shared<CaseIndex>();
    ForEachName(fd_, [&](std::string_view existing) {
      const std::string existing_key = CaseKey(existing);
      if (existing_key.empty()) return;
      auto [at, added] = case_index_->names.emplace(existing_key, std::string(existing));
      if (!added && existing < at->second) at->second = std::string(existing);
    });
  }
  const auto found = case_index_->names.find(key);
  if (found == case_index_->names.end()) return host;
  if (::fstatat(fd_, found->second.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return host;
  return found->second;
}

void Folder::NoteCreated(const std::string& host_name) const {
  if (!case_index_) return;
  const std::string key = CaseKey(host_name);
  if (!key.empty()) case_index_->names.emplace(key, host_name);
}

// This process's id, asked once (a call per file adds up) and again in a
// child after fork.
pid_t CurrentProcessId() {
  static pid_t pid = [] {
    ::pthread_atfork(nullptr, nullptr, [] { pid = ::getpid(); });
    return ::getpid();
  }();
  return pid;
}

std::string UniqueSuffix() {
  static std::atomic<uint64_t> counter{0};
  static const uint64_t salt = [] {
    std::random_device device;
    return (static_cast<uint64_t>(device()) << 32) ^ device();
  }();
  const uint64_t n = ++counter;
  const uint64_t mix = (salt ^ (n * 0x9E3779B97F4A7C15ull)) & 0xFFFFFFFFFFull;
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%d-%010llx", static_cast<int>(CurrentProcessId()),
                static_cast<unsigned long long>(mix));
  return suffix;
}

// ---- Folder -------------------------------------------------------------------

Folder::~Folder() {
  if (fd_ >= 0) ::close(fd_);
}

Folder::Folder(Folder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      host_(std::move(other.host_)),
      case_index_(std::move(other.case_index_)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    host_ = std::move(other.host_);
    case_index_ = std::move(other.case_index_);
  }
  return *this;
}

Folder Folder::Open(std::string_view path, bool create,
                    const std::function<void(std::string_view)>& on_created,
                    std::string_view trusted) {
  // The root the walk starts from, and the levels below it.
  std::string root_program;
  std::string root_host;
  std::string_view rest;
  char separator = '\\';
  if (!trusted.empty() && path.substr(0, trusted.size()) == trusted &&
      (path.size() == trusted.size() || path[trusted.size()] == '\\' ||
       path[trusted.size()] == '/')) {
    root_program = std::string(trusted);
    const auto host = ToHostPath(root_program);
    if (!host) return FailNaming(ENOENT, root_program, "cannot be found"), Folder();
    root_host = *host;
    rest = path.substr(trusted.size());
    if (trusted[0] == '/') separator = '/';
  } else if (path.size() >= 2 && path[1] == ':' && (path.size() == 2 || path[2] == '\\')) {
    root_program = std::string(path.substr(0, 2)) + "\\";
    const auto host = ToHostPath(root_program);
    if (!host) return FailNaming(ENOENT, root_program, "is not a drive"), Folder();
    root_host = *host;
    rest = path.size() > 3 ? path.substr(3) : std::string_view();
  } else if (!path.empty() && path[0] == '/') {
    root_program = root_host = "/";
    rest = path.substr(1);
    separator = '/';
  } else {
    // Relative to the working folder, which is trusted like a drive root.
    root_host = ".";
    rest = path;
  }

  if (int fault = ConsultFaultHook(FileOp::Open, root_host)) return FailWith(fault), Folder();
  int fd = ::open(root_host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FailNaming(errno, root_host, "cannot be opened"), Folder();

  std::string level = root_program;
  std::string host = root_host;
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view segment = rest.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (!level.empty() && level.back() != separator) level += separator;
    level.append(segment);
    if (segment == "..") {
      ::close(fd);
      return FailNaming(EINVAL, level, "leaves its folder"), Folder();
    }
    if (HasControlCharacter(segment)) {
      ::close(fd);
      return FailNaming(EINVAL, VisibleText(level), "holds a control character"), Folder();
    }
    // An existing level that differs only in letter case is the same
    // folder, as on Windows; a new one is made as spelled.
    const std::string name = ExistingSpelling(fd, HostName(segment, separator == '/'));
    host = JoinHostPath(host, name);
    int next = -1;
    for (int attempt = 0; attempt < 3 && next < 0; ++attempt) {
      if (int fault = ConsultFaultHook(FileOp::Open, host)) {
        errno = fault;
        break;
      }
      next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (next >= 0 || errno != ENOENT || !create) break;
      if (int fault = ConsultFaultHook(FileOp::CreateDir, host)) {
        errno = fault;
        break;
      }
      if (!JournalBeforeNewFolder(host)) break;
      if (::mkdirat(fd, name.c_str(), 0777) == 0) {
        if (on_created) on_created(level + separator);
      } else {
        const int error = errno;
        JournalCancelLast();
        errno = error;
        if (errno != EEXIST) break;
      }
    }
    if (next < 0) {
      const int saved = errno;
      FailNotAFolder(fd, name, level);
      if (saved != ELOOP && saved != ENOTDIR && saved != ENOENT) {
        FailWith(saved);
        SetLastErrorText(level + ": " + LastErrorText());
      }
      ::close(fd);
      return Folder();
    }
    ::close(fd);
    fd = next;
  }
  if (level.size() > root_program.size() && level.back() == separator) level.pop_back();
  return Folder(fd, level, host);
}

Folder::Kind Folder::KindOf(std::string_view name) const {
  if (fd_ < 0) return Kind::Missing;
  return KindAt(fd_, HostNameOf(name));
}

bool Folder::DeleteEntry(std::string_view name) const {
  if (fd_ < 0) return FailWith(EBADF);
  if (!IsLeafName(name)) return FailNaming(EINVAL, VisibleText(name), "is not a name");
  const std::string host = HostNameOf(name);
  const std::string program = JoinProgram(path_, name);
  if (int fault = ConsultFaultHook(FileOp::Delete, JoinHostPath(host_, host)))
    return FailWith(fault);
  struct stat info {};
  if (::fstatat(fd_, host.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return FailWith(errno);
  if (S_ISDIR(info.st_mode)) return FailNaming(EISDIR, program, "is a folder");
  if (!S_ISLNK(info.st_mode) && !S_ISREG(info.st_mode))
    return FailNaming(EPERM, program, "is not a regular file");
  if (S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0) return FailWith(EACCES);
  // A run that can be undone moves the file aside instead.
  if (Journal* journal = ActiveJournal())
    return journal->MoveFileAside(JoinHostPath(host_path(), host));
  if (::unlinkat(fd_, host.c_str(), 0) != 0) return FailWith(errno);
  return true;
}

bool Folder::RemoveFolder(std::string_view name) const {
  if (fd_ < 0) return FailWith(EBADF);
  if (!IsLeafName(name)) return FailNaming(EINVAL, VisibleText(name), "is not a name");
  const std::string host = HostNameOf(name);
  const std::string program = JoinProgram(path_, name);
  if (int fault = ConsultFaultHook(FileOp::RemoveDir, JoinHostPath(host_, host)))
    return FailWith(fault);
  if (KindAt(fd_, host) != Kind::Folder) return FailNaming(ENOTDIR, program, "is not a folder");
  if (Journal* journal = ActiveJournal())
    return journal->MoveFolderAside(JoinHostPath(host_path(), host));
  if (::unlinkat(fd_, host.c_str(), AT_REMOVEDIR) != 0) return FailWith(errno);
  return true;
}

bool Folder::SyncFileSystem() const {
  if (fd_ < 0) return FailWith(EBADF);
  if (int fault = ConsultFaultHook(FileOp::Sync, host_)) return FailWith(fault);
  if (::syncfs(fd_) != 0) return FailWith(errno);
  return true;
}

// ---- WriteNewFile ---------------------------------------------------------------

NewFileResult WriteNewFile(const Folder& folder, std::string_view name, std::string_view content) {
  if (!folder) return FailWith(EBADF), NewFileResult::Failed;
  if (!IsLeafName(name)) {
    FailNaming(EINVAL, VisibleText(JoinProgram(folder.path(), name)), "is not a file name");
    return NewFileResult::Failed;
  }
  const std::string host = folder.HostNameOf(name);
  const std::string host_path = JoinHostPath(folder.host_path(), host);
  if (int fault = ConsultFaultHook(FileOp::Open, host_path))
    return FailWith(fault), NewFileResult::Failed;
  struct stat info {};
  if (::fstatat(folder.fd(), host.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
    return NewFileResult::Taken;
  // A run that can be undone notes the name as new, then each temporary,
  // before they are made, so an undo (or the next start after a kill)
  // removes both; the notes of what did not happen are voided again.
  Journal* journal = ActiveJournal();
  const auto void_notes = [journal](int count) {
    if (journal == nullptr) return;
    const int saved = errno;
    for (int i = 0; i < count; ++i) journal->Cancel();
    errno = saved;
  };
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = TemporaryName(host);
    // The name and the first temporary are noted in one write.
    if (journal != nullptr && attempt == 0 &&
        !journal->NoteNewFiles(host_path, JoinHostPath(folder.host_path(), temp)))
      return NewFileResult::Failed;
    if (journal != nullptr && attempt > 0 &&
        !journal->NoteNewFile(JoinHostPath(folder.host_path(), temp))) {
      void_notes(1);
      return NewFileResult::Failed;
    }
    fd = ::openat(folder.fd(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0666);
    if (fd < 0) {
      void_notes(1);
      if (errno != EEXIST) break;
    }
  }
  if (fd < 0) {
    void_notes(1);
    FailNaming(errno, JoinProgram(folder.path(), name),
               std::string("cannot be written: ") + std::strerror(errno));
    return NewFileResult::Failed;
  }
  int error = 0;
  for (size_t done = 0; done < content.size() && error == 0;) {
    if (int fault = ConsultFaultHook(FileOp::Write, host_path)) {
      error = fault;
      break;
    }
    const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0)
      error = written < 0 ? errno : EIO;
    else
      done += static_cast<size_t>(written);
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0) {
    // Only onto a free name: whatever appeared there meanwhile (a link
    // above all) is never replaced; the caller then checks it.
    if (::renameat2(folder.fd(), temp.c_str(), folder.fd(), host.c_str(), RENAME_NOREPLACE) == 0) {
      folder.NoteCreated(host);
      return NewFileResult::Written;
    }
    if (errno == EINVAL || errno == ENOSYS) {
      // A file system without the flag: a hard link never replaces either.
      if (::linkat(folder.fd(), temp.c_str(), folder.fd(), host.c_str(), 0) == 0) {
        ::unlinkat(folder.fd(), temp.c_str(), 0);
        folder.NoteCreated(host);
        return NewFileResult::Written;
      }
    }
    const int saved = errno;
    ::unlinkat(folder.fd(), temp.c_str(), 0);
    void_notes(2);  // the temporary's and the name's: neither is this run's now
    if (saved == EEXIST) return NewFileResult::Taken;
    error = saved;
  } else {
    ::unlinkat(folder.fd(), temp.c_str(), 0);
    void_notes(2);
  }
  FailWith(error);
  return NewFileResult::Failed;
}

int RemoveStaleTemporaries(const Folder& folder) {
  if (!folder) return 0;
  std::vector<std::string> stale;
  ForEachName(folder.fd(), [&](std::string_view name) {
    const long pid = TemporaryFileOwner(name);
    if (pid <= 0 || pid == ::getpid()) return;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) return;  // still running
    stale.emplace_back(name);
  });
  int removed = 0;
  for (const std::string& name : stale) {
    struct stat info {};
    if (::fstatat(folder.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode) && ::unlinkat(folder.fd(), name.c_str(), 0) == 0)
      ++removed;
  }
  return removed;
}

// ---- FileLock -------------------------------------------------------------------

FileLock::~FileLock() {
  Release();
}

void FileLock::Release() {
  if (fd_ < 0) return;
  // Removed while still held, so no other process holds it now; one that
  // opened it meanwhile sees it is no longer the file at the path.
  if (!host_path_.empty()) ::unlink(host_path_.c_str());
  ::close(fd_);  // closing releases the lock
  fd_ = -1;
}

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), host_path_(std::move(other.host_path_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    host_path_ = std::move(other.host_path_);
  }
  return *this;
}

FileLock FileLock::TryLock(std::string_view path, Result& result) {
  result = Result::Failed;
  FileLock lock;
  const auto host = ToHostPath(path);
  if (!host) return FailWith(ENOENT), FileLock();
  if (int fault = ConsultFaultHook(FileOp::Open, *host)) return FailWith(fault), FileLock();
  // A few rounds: a holder that releases removes the file, and the file we
  // locked may then no longer be the one at the path.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = ::open(host->c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return FailNaming(errno, *host, std::strerror(errno)), FileLock();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      result = errno == EWOULDBLOCK ? Result::Busy : Result::Failed;
      FailNaming(errno, *host,
                 result == Result::Busy ? "is held by another process" : std::strerror(errno));
      ::close(fd);
      return FileLock();
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::lstat(host->c_str(), &named) == 0 &&
        held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
      lock.fd_ = fd;
      lock.host_path_ = *host;
      result = Result::Locked;
      return lock;
    }
    ::close(fd);
  }
  FailNaming(EAGAIN, *host, "keeps changing");
  return FileLock();
}

// ---- ReplacingFile --------------------------------------------------------------

void ReplacingFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  const int saved = errno;
  if (!temp_name_.empty() && folder_fd_ >= 0) ::unlinkat(folder_fd_, temp_name_.c_str(), 0);
  if (folder_fd_ >= 0) ::close(folder_fd_);
  errno = saved;
  folder_fd_ = -1;
  temp_name_.clear();
}

ReplacingFile ReplacingFile::Begin(const Folder& folder, std::string_view name) {
  ReplacingFile file;
  const std::string program = JoinProgram(folder.path(), name);
  if (!folder) return FailWith(EBADF), ReplacingFile();
  if (!IsLeafName(name)) {
    return FailNaming(EINVAL, VisibleText(program), "is not a file name"), ReplacingFile();
  }
  const std::string host = folder.HostNameOf(name);
  struct stat info {};
  mode_t mode = 0;
  if (::fstatat(folder.fd(), host.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(info.st_mode)) return FailNaming(ELOOP, program, "is a link"), ReplacingFile();
    if (S_ISDIR(info.st_mode)) return FailNaming(EISDIR, program, "is a folder"), ReplacingFile();
    if (!S_ISREG(info.st_mode))
      return FailNaming(EPERM, program, "is not a regular file"), ReplacingFile();
    // Read-only files are not replaced, as on Windows.
    if ((info.st_mode & S_IWUSR) == 0)
      return FailNaming(EACCES, program, "is read-only"), ReplacingFile();
    mode = info.st_mode & 07777;
  }
  if (int fault = ConsultFaultHook(FileOp::Open, JoinHostPath(folder.host_path(), host)))
    return FailWith(fault), ReplacingFile();
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temp = TemporaryName(host);
    // Noted, so a run killed while writing leaves no temporary file behind.
    if (!JournalBeforeWrite(JoinHostPath(folder.host_path(), temp))) return ReplacingFile();
    const int fd = ::openat(folder.fd(), temp.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int error = errno;
      JournalCancelLast();
      errno = error;
      if (errno == EEXIST) continue;
      FailNaming(errno, program, std::string("cannot be written: ") + std::strerror(errno));
      return ReplacingFile();
    }
    if (mode != 0) ::fchmod(fd, mode);
    file.fd_ = fd;
    file.folder_fd_ = ::fcntl(folder.fd(), F_DUPFD_CLOEXEC, 0);
    if (file.folder_fd_ < 0) {
      FailWith(errno);
      ::unlinkat(folder.fd(), temp.c_str(), 0);
      return ReplacingFile();
    }
    file.folder_path_ = folder.path();
    file.host_path_ = JoinHostPath(folder.host_path(), host);
    file.name_ = host;
    file.temp_name_ = temp;
    return file;
  }
  FailNaming(EEXIST, program, "has no free temporary name");
  return ReplacingFile();
}

bool ReplacingFile::Write(const void* data, int64_t size) {
  if (fd_ < 0 || size < 0) return FailWith(EBADF);
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    if (int fault = ConsultFaultHook(FileOp::Write, host_path_)) return FailWith(fault);
    const ssize_t written = ::write(fd_, bytes, static_cast<size_t>(size));
    if (written < 0) {
      if (errno == EINTR) continue;
      return FailWith(errno);
    }
    if (written == 0) return FailWith(EIO);
    bytes += written;
    size -= written;
  }
  return true;
}

bool ReplacingFile::Commit(bool sync) {
  if (fd_ < 0) return FailWith(EBADF);
  const std::string program = JoinProgram(folder_path_, name_);
  const Folder::Kind kind = KindAt(folder_fd_, name_);
  bool ok = true;
  if (sync || kind == Folder::Kind::File) {
    if (int fault = ConsultFaultHook(FileOp::Sync, host_path_)) {
      ok = FailWith(fault);
    } else if (::fsync(fd_) != 0) {
      ok = FailWith(errno);
    }
  }
  const int closed = ::close(fd_);
  fd_ = -1;
  if (ok && closed != 0) ok = FailWith(errno);
  if (ok && kind == Folder::Kind::Link) ok = FailNaming(ELOOP, program, "is a link");
  if (ok && kind == Folder::Kind::Folder) ok = FailNaming(EISDIR, program, "is a folder");
  if (ok) {
    if (int fault = ConsultFaultHook(FileOp::Rename, host_path_)) {
      ok = FailWith(fault);
    } else if (!JournalBeforeWrite(host_path_)) {
      // The old file is moved aside (a rename, no copy) or the name noted.
      ok = false;
    } else if (::renameat(folder_fd_, temp_name_.c_str(), folder_fd_, name_.c_str()) != 0) {
      ok = FailWith(errno);
      JournalRestoreLast(host_path_);  // the old file goes back under its name
    } else {
      temp_name_.clear();
      Discard();  // closes the folder
    }
  }
  if (!ok) {
    const int saved = errno;
    const std::string text = LastErrorText();
    Discard();
    errno = saved;
    SetLastErrorText(text);
  }
  return ok;
}

}  // namespace wizpak::platform
