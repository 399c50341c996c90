#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <cstdlib>
#include <functional>
#include <mutex>

#include "platform/codepage.h"
#include "platform/hive_format.h"
#include "platform/host_files.h"
#include "platform/host_paths.h"
#include "platform/journal.h"
#include "platform/paths.h"
#include "platform/stop_signals.h"

namespace wizpak::platform {

namespace {

// A hive larger than this is not read (nor overwritten).
constexpr uint64_t kHiveSizeLimit = 64ull << 20;

// Identity of the hive file last read, so an unchanged file is not parsed
// again. Saves go through rename, so every change gives a new inode.
struct FileIdentity {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  int64_t mtime_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct Cache {
  std::mutex mutex;
  bool valid = false;
  FileIdentity identity;
  Hive hive;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

std::optional<FileIdentity> Identify(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{
      path, info.st_dev, info.st_ino, info.st_size,
      static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

// The hive as it is on disk now. Missing file: an empty hive. nullopt when
// the file exists but cannot be read or is not a hive. Caller holds the
// cache mutex.
std::optional<Hive> LoadHive(Cache& cache, const std::string& path) {
  const auto identity = Identify(path);
  if (!identity) {
    if (errno == ENOENT) return Hive{};
    FailWith(errno);
    return std::nullopt;
  }
  if (cache.valid && cache.identity == *identity) return cache.hive;
  const auto bytes = ReadHostFileBytes(path, kHiveSizeLimit);
  if (!bytes) return std::nullopt;
  auto hive = ParseHive(*bytes);
  if (!hive) {
    SetLastErrorText("the registry file " + path + " is not a REGEDIT4 hive");
    return std::nullopt;
  }
  // Only cache what matches the identity seen before reading.
  if (Identify(path) == identity) {
    cache.valid = true;
    cache.identity = *identity;
    cache.hive = *hive;
  }
  return hive;
}

// How long a lock held by another process is waited for: 30 s, or
// WIZPAK_LOCK_WAIT_MS (tests).
int LockWaitMilliseconds() {
  if (const char* text = std::getenv("WIZPAK_LOCK_WAIT_MS"); text && *text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end == '\0' && value >= 0 && value <= 3600000) return static_cast<int>(value);
  }
  return 30000;
}

// Holds an exclusive flock on the lock file beside the hive. Another
// process's lock is waited for at most LockWaitMilliseconds(), and never
// past SIGINT or SIGTERM; the lock file is removed again on release, so a
// finished run leaves none behind (a waiter that locked the removed file
// sees it is no longer the one at the path and starts over).
class HiveLock {
 public:
  explicit HiveLock(const std::string& hive_path) : path_(hive_path + ".lock") {
    const int limit = LockWaitMilliseconds();
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
      fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd_ < 0) {
        FailWith(errno);
        return;
      }
      if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        if (StillAtPath()) return;
      } else if (errno != EWOULDBLOCK && errno != EINTR) {
        Give(errno, path_ + " cannot be locked: " + std::strerror(errno));
        return;
      }
      ::close(fd_);
      fd_ = -1;
      if (StopRequested()) {
        Give(EINTR, "Stopped while waiting for the registry lock " + path_);
        return;
      }
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - start);
      if (waited.count() >= limit) {
        Give(EWOULDBLOCK, "The registry lock " + path_ +
                              " is held by another process; gave up after " +
                              std::to_string(limit / 1000) + " s");
        std::fprintf(stderr, "wizpak: %s\n", LastErrorText().c_str());
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~HiveLock() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());  // while held: nobody else holds this file
    ::close(fd_);             // closing releases the lock
  }
  HiveLock(const HiveLock&) = delete;
  HiveLock& operator=(const HiveLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  // The locked file is still the one at the path (not removed by the
  // holder before us).
  bool StillAtPath() const {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd_, &held) == 0 && ::lstat(path_.c_str(), &named) == 0 &&
           held.st_ino == named.st_ino && held.st_dev == named.st_dev;
  }
  void Give(int error, std::string text) {
    FailWith(error);
    SetLastErrorText(std::move(text));
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  std::string path_;
  int fd_ = -1;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Outcome of a change applied to the hive in memory.
enum class Change { None, Modified, Refused };

// Runs `apply` on the freshly read hive under the lock and saves the result
// when it changed something. False when the hive could not be read or saved,
// or `apply` refused.
bool ModifyHive(const std::function<Change(Hive&)>& apply) {
  const std::string path = Registry().HivePath();
  if (int fault = ConsultFaultHook(FileOp::Registry, path)) return FailWith(fault);
  if (!CreateHostFolders(FolderOf(path))) return FailWith(errno ? errno : ENOENT);
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.mutex);
  HiveLock lock(path);
  if (!lock.held()) return false;
  const bool existed = Identify(path).has_value();
  auto hive = LoadHive(cache, path);
  if (!hive) return false;
  // A run's journal notes that the hive file is new before anything in it.
  Journal* journal = ActiveJournal();
  if (journal != nullptr && !existed && !journal->NoteHiveCreated(path)) return false;
  const Change change = apply(*hive);
  if (change == Change::Refused) return false;
  if (change == Change::None) return true;
  if (!WriteHostFileAtomic(path, FormatHive(*hive))) {
    cache.valid = false;
    return false;
  }
  if (const auto identity = Identify(path)) {
    cache.valid = true;
    cache.identity = *identity;
    cache.hive = std::move(*hive);
  } else {
    cache.valid = false;
  }
  return true;
}

// The hive for reading: no lock needed, since saves replace the file whole.
std::optional<Hive> ReadHive() {
  const std::string path = Registry().HivePath();
  if (int fault = ConsultFaultHook(FileOp::Registry, path)) {
    FailWith(fault);
    return std::nullopt;
  }
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.mutex);
  return LoadHive(cache, path);
}

// Splits "Software\\Game\" into its non-empty segments. nullopt when a
// segment holds a character no hive line can carry.
std::optional<std::vector<std::string>> KeySegments(std::string_view path) {
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(start, end - start);
    for (const char c : segment) {
      if (c == '\n' || c == '\r' || c == '\0') return std::nullopt;
    }
    if (!segment.empty()) segments.emplace_back(segment);
    start = end + 1;
  }
  return segments;
}

std::string JoinKey(RootKey root, const std::vector<std::string>& segments, size_t count) {
  std::string out = RootKeyName(root);
  for (size_t i = 0; i < count; ++i) {
    out += '\\';
    out += segments[i];
  }
  return out;
}

// True when `path` is `key` or lies below it (case-insensitively).
bool IsAtOrBelow(std::string_view path, std::string_view key) {
  if (path.size() < key.size() || !EqualsIgnoreCaseAnsi(path.substr(0, key.size()), key)) {
    return false;
  }
  return path.size() == key.size() || path[key.size()] == '\\';
}

HiveKey* FindKey(Hive& hive, std::string_view path) {
  for (HiveKey& key : hive.keys) {
    if (EqualsIgnoreCaseAnsi(key.path, path)) return &key;
  }
  return nullptr;
}

bool KeyExistsIn(const Hive& hive, std::string_view path) {
  for (const HiveKey& key : hive.keys) {
    if (IsAtOrBelow(key.path, path)) return true;
  }
  return false;
}

// Notes, in the journal of the run in scope, each key of `segments` (and
// its parents) that is missing from `hive`, as EnsureKey will create them.
bool NoteKeysToCreate(const Hive& hive, RootKey root, const std::vector<std::string>& segments) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr) return true;
  for (size_t count = 1; count <= segments.size(); ++count) {
    const std::string path = JoinKey(root, segments, count);
    if (KeyExistsIn(hive, path)) continue;
    std::string relative;
    for (size_t i = 0; i < count; ++i) relative += (i ? "\\" : "") + segments[i];
    if (!journal->NoteRegistryKeyCreated(static_cast<int>(root), relative)) return false;
  }
  return true;
}

// Makes sure the key and each of its missing parents has a section. Names
// already in the hive keep the case of whoever wrote them first. Returns the
// key's section.
HiveKey& EnsureKey(Hive& hive, RootKey root, const std::vector<std::string>& segments,
                   bool& created) {
  std::string stored = RootKeyName(root);
  if (segments.empty()) {
    if (HiveKey* key = FindKey(hive, stored)) return *key;
    created = true;
    hive.keys.insert(hive.keys.begin(), HiveKey{stored, {}});
    return hive.keys.front();
  }
  HiveKey* result = nullptr;
  for (const std::string& segment : segments) {
    const std::string parent = stored;
    const std::string wanted = stored + "\\" + segment;
    stored = wanted;
    for (const HiveKey& key : hive.keys) {
      if (IsAtOrBelow(key.path, wanted)) {
        stored = key.path.substr(0, wanted.size());
        break;
      }
    }
    result = FindKey(hive, stored);
    if (result) continue;
    // New section: after the last one inside the parent's subtree, so the
    // file keeps its tree order.
    size_t position = hive.keys.size();
    for (size_t i = hive.keys.size(); i-- > 0;) {
      if (IsAtOrBelow(hive.keys[i].path, parent)) {
        position = i + 1;
        break;
      }
    }
    created = true;
    result = &*hive.keys.insert(hive.keys.begin() + static_cast<ptrdiff_t>(position),
                                HiveKey{stored, {}});
  }
  return *result;
}

bool IsNamedValue(const HiveValue& value, std::string_view name) {
  return value.kind != HiveValue::Kind::Comment && EqualsIgnoreCaseAnsi(value.name, name);
}

// Notes, in the journal of the run in scope, the value's data as it is
// before a change (or that it is absent).
bool NoteOldValue(Hive& hive, RootKey root, const std::vector<std::string>& segments,
                  std::string_view name) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr) return true;
  std::string relative;
  for (size_t i = 0; i < segments.size(); ++i) relative += (i ? "\\" : "") + segments[i];
  const HiveValue* old = nullptr;
  if (const HiveKey* key = FindKey(hive, JoinKey(root, segments, segments.size()))) {
    for (const HiveValue& value : key->values) {
      if (IsNamedValue(value, name)) {
        old = &value;
        break;
      }
    }
  }
  // A value of another type (a number, binary data) is noted as its line,
  // so an undo puts it back rather than removing it.
  if (old != nullptr && old->kind == HiveValue::Kind::Other) {
    return journal->NoteRegistryStoredValue(static_cast<int>(root), relative, name, old->data);
  }
  return journal->NoteRegistryValue(static_cast<int>(root), relative, name,
                                    old != nullptr ? &old->data : nullptr);
}

bool ValidValueName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

bool KeyOpenFailureIsWriteFailure(std::string_view path) {
  return KeySegments(path).has_value();
}

std::string Registry::HivePath() const {
  if (const char* path = std::getenv("WIZPAK_REGISTRY"); path && *path) return path;
  for (const Drive& drive : DriveMap()) {
    if (drive.letter == 'C') return NormaliseHostPath(drive.host_root + "/../registry.reg");
  }
  return HomeFolder() + "/.local/share/wizpak/registry.reg";
}

bool Registry::OpenKey(RootKey root, std::string_view path, bool create) {
  if (!create) return KeyExists(root, path);
  const auto segments = KeySegments(path);
  if (!segments) return FailWith(EINVAL);
  if (segments->empty()) return true;  // the roots always exist
  return ModifyHive([&](Hive& hive) {
    if (!NoteKeysToCreate(hive, root, *segments)) return Change::Refused;
    bool created = false;
    EnsureKey(hive, root, *segments, created);
    return created ? Change::Modified : Change::None;
  });
}

bool Registry::KeyExists(RootKey root, std::string_view path) {
  const auto segments = KeySegments(path);
  if (!segments) return false;
  const auto hive = ReadHive();
  if (!hive) return false;
  return segments->empty() || KeyExistsIn(*hive, JoinKey(root, *segments, segments->size()));
}

std::optional<std::string> Registry::ReadString(RootKey root, std::string_view path,
                                                std::string_view name) {
  const auto segments = KeySegments(path);
  if (!segments) return std::nullopt;
  auto hive = ReadHive();
  if (!hive) return std::nullopt;
  const HiveKey* key = FindKey(*hive, JoinKey(root, *segments, segments->size()));
  if (!key) return std::nullopt;
  for (const HiveValue& value : key->values) {
    if (IsNamedValue(value, name)) {
      if (value.kind != HiveValue::Kind::String) return std::nullopt;
      return value.data;
    }
  }
  return std::nullopt;
}

bool Registry::WriteString(RootKey root, std::string_view path, std::string_view name,
                           std::string_view value) {
  const auto segments = KeySegments(path);
  if (!segments || !ValidValueName(name)) return FailWith(EINVAL);
  return ModifyHive([&](Hive& hive) {
    // Keys first: undone in reverse, the value goes before its new key.
    if (!NoteKeysToCreate(hive, root, *segments) || !NoteOldValue(hive, root, *segments, name))
      return Change::Refused;
    bool created = false;
    HiveKey& key = EnsureKey(hive, root, *segments, created);
    bool written = false;
    bool changed = created;
    for (auto it = key.values.begin(); it != key.values.end();) {
      if (!IsNamedValue(*it, name)) {
        ++it;
      } else if (written) {
        it = key.values.erase(it);  // a later duplicate would shadow nothing
        changed = true;
      } else {
        if (it->kind != HiveValue::Kind::String || it->data != value) changed = true;
        it->kind = HiveValue::Kind::String;
        it->data = std::string(value);
        written = true;
        ++it;
      }
    }
    if (!written) {
      key.values.push_back({HiveValue::Kind::String, std::string(name), std::string(value)});
      changed = true;
    }
    return changed ? Change::Modified : Change::None;
  });
}

bool Registry::WriteStored(RootKey root, std::string_view path, std::string_view name,
                           std::string_view stored) {
  const auto segments = KeySegments(path);
  if (!segments || !ValidValueName(name)) return FailWith(EINVAL);
  return ModifyHive([&](Hive& hive) {
    bool created = false;
    HiveKey& key = EnsureKey(hive, root, *segments, created);
    bool written = false;
    for (auto it = key.values.begin(); it != key.values.end();) {
      if (!IsNamedValue(*it, name)) {
        ++it;
      } else if (written) {
        it = key.values.erase(it);
      } else {
        *it = HiveValue{HiveValue::Kind::Other, std::string(name), std::string(stored)};
        written = true;
        ++it;
      }
    }
    if (!written)
      key.values.push_back({HiveValue::Kind::Other, std::string(name), std::string(stored)});
    return Change::Modified;
  });
}

bool Registry::DeleteValue(RootKey root, std::string_view path, std::string_view name) {
  const auto segments = KeySegments(path);
  if (!segments) return FailWith(EINVAL);
  const std::string key_path = JoinKey(root, *segments, segments->size());
  return ModifyHive([&](Hive& hive) {
    HiveKey* key = FindKey(hive, key_path);
    if (!key) return Change::Refused;
    if (!NoteOldValue(hive, root, *segments, name)) return Change::Refused;
    const size_t before = key->values.size();
    std::erase_if(key->values, [&](const HiveValue& value) { return IsNamedValue(value, name); });
    if (key->values.size() == before) {
      SetLastErrorText("The value does not exist");
      return Change::Refused;
    }
    return Change::Modified;
  });
}

bool Registry::DeleteKey(RootKey root, std::string_view path) {
  const auto segments = KeySegments(path);
  // A whole root is never deleted.
  if (!segments || segments->empty()) return FailWith(EINVAL);
  const std::string key_path = JoinKey(root, *segments, segments->size());
  return ModifyHive([&](Hive& hive) {
    const size_t before = hive.keys.size();
    std::erase_if(hive.keys, [&](const HiveKey& key) { return IsAtOrBelow(key.path, key_path); });
    if (hive.keys.size() == before) {
      SetLastErrorText("The key does not exist");
      return Change::Refused;
    }
    return Change::Modified;
  });
}

bool Registry::DeleteEmptyKey(RootKey root, std::string_view path) {
  const auto segments = KeySegments(path);
  if (!segments || segments->empty()) return FailWith(EINVAL);
  const std::string key_path = JoinKey(root, *segments, segments->size());
  return ModifyHive([&](Hive& hive) {
    HiveKey* key = FindKey(hive, key_path);
    bool below = false;
    for (const HiveKey& other : hive.keys) {
      if (&other != key && IsAtOrBelow(other.path, key_path)) below = true;
    }
    if (below) return Change::Refused;
    if (key == nullptr) return Change::None;
    for (const HiveValue& value : key->values) {
      if (value.kind != HiveValue::Kind::Comment) return Change::Refused;
    }
    std::erase_if(hive.keys, [&](const HiveKey& k) { return &k == key; });
    return Change::Modified;
  });
}

bool Registry::RemoveHiveIfEmpty() {
  const std::string path = HivePath();
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> guard(cache.mutex);
  HiveLock lock(path);
  if (!lock.held()) return false;
  if (!Identify(path)) return true;
  const auto hive = LoadHive(cache, path);
  if (!hive || !hive->keys.empty()) return false;
  cache.valid = false;
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::vector<std::string> Registry::ValueNames(RootKey root, std::string_view path) {
  std::vector<std::string> names;
  const auto segments = KeySegments(path);
  if (!segments) return names;
  auto hive = ReadHive();
  if (!hive) return names;
  if (const HiveKey* key = FindKey(*hive, JoinKey(root, *segments, segments->size()))) {
    for (const HiveValue& value : key->values) {
      if (value.kind != HiveValue::Kind::Comment) names.push_back(value.name);
    }
  }
  return names;
}

}  // namespace wizpak::platform
