#include "platform/journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/host_files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/safe_files.h"

namespace wizpak::platform {

namespace {

Journal* active_journal = nullptr;

constexpr std::string_view kHeader = "WIZPAK-JOURNAL 1";
constexpr std::string_view kAsidePrefix = ".wzaside";
// Notes that only add something are flushed after this many.
constexpr size_t kFlushBatch = 1024;

// Clears the journal in scope while the journal itself undoes or tidies, so
// its own registry and file calls are not noted again.
class NoJournal {
 public:
  NoJournal() : saved_(std::exchange(active_journal, nullptr)) {}
  ~NoJournal() { active_journal = saved_; }
  NoJournal(const NoJournal&) = delete;
  NoJournal& operator=(const NoJournal&) = delete;

 private:
  Journal* saved_;
};

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
  }
  return out;
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(
        Unescape(line.substr(start, tab == std::string_view::npos ? tab : tab - start)));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

std::string FolderOfHost(const std::string& host) {
  const size_t slash = host.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : host.substr(0, slash);
}

std::string AsideNameFor(const std::string& host) {
  return FolderOfHost(host) + "/" + std::string(kAsidePrefix) + UniqueSuffix();
}

bool IsFolder(const std::string& host) {
  struct stat info {};
  return ::lstat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& host) {
  struct stat info {};
  return ::lstat(host.c_str(), &info) == 0;
}

std::string JournalName(std::string_view key) {
  return ".wizpak-journal-" + std::string(key);
}

std::string HostOf(std::string_view install_folder) {
  std::string host = ToHostPath(install_folder).value_or(std::string(install_folder));
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  return host;
}

// Removes a folder set aside and everything in it, never following a link.
void RemoveAsideTree(int parent_fd, const std::string& name, int depth) {
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
          RemoveAsideTree(fd, child, depth + 1);
        } else {
          ::unlinkat(fd, child.c_str(), 0);
        }
      }
    }
  }
  if (fd >= 0) ::close(fd);
  ::unlinkat(parent_fd, name.c_str(), AT_REMOVEDIR);
}

void RemoveAside(const std::string& aside) {
  if (IsFolder(aside)) {
    const std::string folder = FolderOfHost(aside);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    RemoveAsideTree(fd, aside.substr(aside.rfind('/') + 1), 0);
    ::close(fd);
  } else {
    ::unlink(aside.c_str());
  }
}

bool RestoreTail(const std::string& host, int64_t offset, const std::string& tail_file) {
  if (!Exists(tail_file)) return true;  // restored already
  const auto tail = ReadHostFileBytes(tail_file, UINT64_MAX);
  if (!tail) return false;
  const int fd = ::open(host.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool ok = ::ftruncate(fd, offset) == 0;
  for (size_t done = 0; ok && done < tail->size();) {
    const ssize_t n =
        ::pwrite(fd, tail->data() + done, tail->size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    if (n > 0) done += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ::close(fd);
  if (ok) ::unlink(tail_file.c_str());
  return ok;
}

// Undoes one record; false when it could not be put back.
bool Undo(const std::vector<std::string>& r) {
  const std::string& kind = r[0];
  if (kind == "N" && r.size() >= 2) {
    struct stat info {};
    if (::lstat(r[1].c_str(), &info) != 0) return true;
    if (S_ISDIR(info.st_mode)) return false;
    return ::unlink(r[1].c_str()) == 0 || errno == ENOENT;
  }
  if (kind == "D" && r.size() >= 2) {
    return ::rmdir(r[1].c_str()) == 0 || errno == ENOENT;
  }
  if ((kind == "A" || kind == "R") && r.size() >= 3) {
    if (!Exists(r[2])) return true;  // never moved, or moved back already
    if (kind == "R" && IsFolder(r[1])) ::rmdir(r[1].c_str());
    return ::rename(r[2].c_str(), r[1].c_str()) == 0;
  }
  if (kind == "V" && r.size() >= 6) {
    Registry registry;
    const auto root = static_cast<RootKey>(std::atoi(r[1].c_str()));
    if (r[4] == "1") return registry.WriteString(root, r[2], r[3], r[5]);
    return !registry.ReadString(root, r[2], r[3]) || registry.DeleteValue(root, r[2], r[3]);
  }
  if (kind == "K" && r.size() >= 3) {
    return Registry().DeleteEmptyKey(static_cast<RootKey>(std::atoi(r[1].c_str())), r[2]);
  }
  if (kind == "H" && r.size() >= 2) {
    return Registry().RemoveHiveIfEmpty();
  }
  if (kind == "T" && r.size() >= 4) {
    return RestoreTail(r[1], std::atoll(r[2].c_str()), r[3]);
  }
  return true;
}

// Removes what a finished run set aside.
void Tidy(const std::vector<std::string>& r) {
  if ((r[0] == "A" || r[0] == "R") && r.size() >= 3) RemoveAside(r[2]);
  if (r[0] == "T" && r.size() >= 4) ::unlink(r[3].c_str());
}

struct ParsedJournal {
  std::vector<std::vector<std::string>> records;
  bool committed = false;
};

std::optional<ParsedJournal> ParseJournal(const std::string& bytes) {
  ParsedJournal parsed;
  size_t start = 0;
  bool header = true;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;  // a note cut off as it was written
    const std::string_view line(bytes.data() + start, end - start);
    start = end + 1;
    if (header) {
      if (line.substr(0, kHeader.size()) != kHeader) return std::nullopt;
      header = false;
      continue;
    }
    std::vector<std::string> fields = Fields(line);
    if (fields[0] == "X") {
      if (!parsed.records.empty()) parsed.records.pop_back();
    } else if (fields[0] == "C") {
      parsed.committed = true;
    } else {
      parsed.records.push_back(std::move(fields));
    }
  }
  if (header) return std::nullopt;
  return parsed;
}

bool UndoAll(const std::vector<std::vector<std::string>>& records,
             const std::function<void(size_t, size_t)>& step) {
  const NoJournal quiet;
  bool all = true;
  for (size_t i = records.size(); i-- > 0;) {
    if (!Undo(records[i])) all = false;
    if (step) step(records.size() - i, records.size());
  }
  return all;
}

void TidyAll(const std::vector<std::vector<std::string>>& records) {
  const NoJournal quiet;
  for (const auto& record : records) Tidy(record);
}

void SyncFolderOf(const std::string& host) {
  const int fd = ::open(FolderOfHost(host).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string InstallFolderKey(std::string_view install_folder) {
  const std::string host = HostOf(install_folder);
  uint64_t hash = 1469598103934665603ull;  // FNV-1a over the folder, any case
  for (char c : host) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<uint8_t>(lower == '/' ? '\\' : lower)) * 1099511628211ull;
  }
  char key[24];
  std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
  return key;
}

Journal::Journal(int fd, std::string path, std::string install_host)
    : fd_(fd), path_(std::move(path)), install_host_(std::move(install_host)) {}

Journal::~Journal() {
  if (fd_ >= 0) ::close(fd_);
}

bool Journal::Available() {
  return true;
}

std::unique_ptr<Journal> Journal::Begin(std::string_view install_folder) {
  const std::string host = HostOf(install_folder);
  const std::string name = JournalName(InstallFolderKey(install_folder));
  // The nearest existing folder above the install folder, then the install
  // folder itself, then the temporary folder.
  std::vector<std::string> places;
  std::string above = host;
  while (above.size() > 1) {
    above = FolderOfHost(above);
    if (IsFolder(above)) {
      places.push_back(above);
      break;
    }
  }
  if (IsFolder(host)) places.push_back(host);
  places.push_back(HostOf(TempFolder()));
  for (const std::string& place : places) {
    const std::string path = (place == "/" ? "" : place) + "/" + name;
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    std::unique_ptr<Journal> journal(new Journal(fd, path, host));
    if (journal->Append(std::string(kHeader) + "\t" + Escape(host), /*flush=*/true)) {
      SyncFolderOf(path);
      journal->records_ = 0;
      return journal;
    }
    ::close(journal->fd_);
    journal->fd_ = -1;
    ::unlink(path.c_str());
  }
  SetLastErrorText("the undo journal of " + std::string(install_folder) +
                   " cannot be written: " + std::strerror(errno));
  return nullptr;
}

bool Journal::Append(std::string_view line, bool flush) {
  if (fd_ < 0) return FailWith(EBADF);
  std::string text(line);
  text += '\n';
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // What did reach the file is cut off again, so the file keeps whole notes.
      const int error = n < 0 ? errno : EIO;
      if (done > 0) ::ftruncate(fd_, static_cast<off_t>(text_.size()));
      return FailWith(error);
    }
    done += static_cast<size_t>(n);
  }
  text_ += text;
  ++records_;
  ++unflushed_;
  if (flush || unflushed_ >= kFlushBatch) {
    if (::fdatasync(fd_) != 0) return FailWith(errno);
    unflushed_ = 0;
  }
  return true;
}

bool Journal::NoteNewFile(const std::string& host) {
  return Append("N\t" + Escape(host), false);
}

bool Journal::NoteNewFolder(const std::string& host) {
  return Append("D\t" + Escape(host), false);
}

bool Journal::MoveFileAside(const std::string& host) {
  const std::string aside = AsideNameFor(host);
  if (!Append("A\t" + Escape(host) + "\t" + Escape(aside), /*flush=*/false)) return false;
  if (::rename(host.c_str(), aside.c_str()) != 0) {
    const int error = errno;
    Cancel();
    return FailWith(error);
  }
  return true;
}

bool Journal::MoveFolderAside(const std::string& host) {
  // Only a folder that is empty but for what was moved aside goes: any
  // other content means the folder is not empty, as rmdir would say.
  DIR* dir = ::opendir(host.c_str());
  if (dir == nullptr) return FailWith(errno);
  bool empty = true;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name.substr(0, kAsidePrefix.size()) != kAsidePrefix) empty = false;
  }
  ::closedir(dir);
  if (!empty) return FailWith(ENOTEMPTY);
  const std::string aside = AsideNameFor(host);
  if (!Append("R\t" + Escape(host) + "\t" + Escape(aside), /*flush=*/false)) return false;
  if (::rename(host.c_str(), aside.c_str()) != 0) {
    const int error = errno;
    Cancel();
    return FailWith(error);
  }
  return true;
}

bool Journal::NoteRegistryValue(int root, std::string_view key, std::string_view name,
                                const std::string* old_data) {
  return Append("V\t" + std::to_string(root) + "\t" + Escape(key) + "\t" + Escape(name) + "\t" +
                    (old_data ? "1\t" + Escape(*old_data) : std::string("0\t")),
                /*flush=*/true);
}

bool Journal::NoteRegistryKeyCreated(int root, std::string_view key) {
  return Append("K\t" + std::to_string(root) + "\t" + Escape(key), /*flush=*/true);
}

bool Journal::NoteHiveCreated(const std::string& hive_host) {
  return Append("H\t" + Escape(hive_host), /*flush=*/true);
}

bool Journal::NoteFileTail(const std::string& host, int64_t offset, std::string_view tail) {
  const std::string tail_file = path_ + ".tail" + std::to_string(++tails_);
  if (!WriteHostFileAtomic(tail_file, tail)) return false;
  return Append("T\t" + Escape(host) + "\t" + std::to_string(offset) + "\t" + Escape(tail_file),
                /*flush=*/true);
}

void Journal::Cancel() {
  if (Append("X", false) && records_ >= 2) records_ -= 2;
}

bool Journal::Rollback(const std::function<void(size_t, size_t)>& step) {
  if (fd_ >= 0) ::fdatasync(fd_);
  const auto parsed = ParseJournal(text_);
  if (!parsed) return false;
  const bool all = UndoAll(parsed->records, step);
  if (!all) return false;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  ::unlink(path_.c_str());
  return true;
}

bool Journal::Commit() {
  // Marked finished first: a kill while tidying up must not undo a run
  // that ended well. Where even that mark cannot be written, the journal
  // goes before anything is tidied, for the same reason.
  const bool marked = Append("C", /*flush=*/true);
  const auto parsed = ParseJournal(text_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!marked) ::unlink(path_.c_str());
  if (parsed) TidyAll(parsed->records);
  ::unlink(path_.c_str());
  return marked;
}

void Journal::RestoreLast(const std::string& host) {
  const auto parsed = ParseJournal(text_);
  if (!parsed || parsed->records.empty()) return;
  const std::vector<std::string>& last = parsed->records.back();
  if (last.size() < 2 || last[1] != host) return;  // no note was made for it
  if ((last[0] == "A" || last[0] == "R") && last.size() >= 3) {
    const NoJournal quiet;
    Undo(last);
  }
  Cancel();
}

namespace {

// Removes the saved tails (and their half-written temporaries) that a run
// killed between writing a tail and noting it left beside its journal in
// `place`: no note refers to them, so nothing else ever would.
void RemoveLeftTails(const std::string& place, const std::string& journal_name) {
  DIR* dir = ::opendir(place.c_str());
  if (dir == nullptr) return;
  const std::string prefix = journal_name + ".tail";
  std::vector<std::string> left;
  while (const dirent* item = ::readdir(dir)) {
    const std::string_view entry = item->d_name;
    if (entry.starts_with(prefix)) left.emplace_back(entry);
  }
  ::closedir(dir);
  for (const std::string& entry : left) {
    ::unlink(((place == "/" ? "" : place) + "/" + entry).c_str());
  }
}

}  // namespace

RecoveryResult RecoverInterruptedRun(std::string_view install_folder,
                                     const std::function<void(size_t, size_t)>& step) {
  const std::string host = HostOf(install_folder);
  const std::string name = JournalName(InstallFolderKey(install_folder));
  std::vector<std::string> places{host};
  for (std::string above = host; above.size() > 1;) {
    above = FolderOfHost(above);
    places.push_back(above);
  }
  places.push_back(HostOf(TempFolder()));
  RecoveryResult result = RecoveryResult::NothingPending;
  for (const std::string& place : places) {
    const std::string path = (place == "/" ? "" : place) + "/" + name;
    if (!Exists(path)) {
      RemoveLeftTails(place, name);
      continue;
    }
    const auto bytes = ReadHostFileBytes(path, UINT64_MAX);
    const auto parsed = bytes ? ParseJournal(*bytes) : std::nullopt;
    if (!parsed) {
      ::unlink(path.c_str());  // cut off before its first note: nothing changed
      RemoveLeftTails(place, name);
      continue;
    }
    if (parsed->committed) {
      TidyAll(parsed->records);
      ::unlink(path.c_str());
      RemoveLeftTails(place, name);
      if (result == RecoveryResult::NothingPending) result = RecoveryResult::Finished;
      continue;
    }
    if (!UndoAll(parsed->records, step)) {
      result = RecoveryResult::Incomplete;
      continue;
    }
    ::unlink(path.c_str());
    RemoveLeftTails(place, name);
    if (result != RecoveryResult::Incomplete) result = RecoveryResult::RolledBack;
  }
  return result;
}

JournalScope::JournalScope(Journal& journal) {
  active_journal = &journal;
}

JournalScope::~JournalScope() {
  active_journal = nullptr;
}

Journal* ActiveJournal() {
  return active_journal;
}

bool JournalBeforeWrite(const std::string& host) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr) return true;
  struct stat info {};
  if (::lstat(host.c_str(), &info) != 0) return journal->NoteNewFile(host);
  if (S_ISDIR(info.st_mode)) return true;  // the write refuses a folder itself
  return journal->MoveFileAside(host);
}

bool JournalBeforeNewFolder(const std::string& host) {
  Journal* journal = ActiveJournal();
  return journal == nullptr || journal->NoteNewFolder(host);
}

void JournalCancelLast() {
  if (Journal* journal = ActiveJournal()) journal->Cancel();
}

void JournalRestoreLast(const std::string& host) {
  if (Journal* journal = ActiveJournal()) journal->RestoreLast(host);
}

bool NoteFileTailChange(std::string_view path, int64_t offset, std::string_view tail) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr) return true;
  const auto host = ToHostPath(path);
  return host && journal->NoteFileTail(*host, offset, tail);
}

}  // namespace wizpak::platform
