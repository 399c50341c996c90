// The registry accessor: a file-backed hive in REGEDIT4 text, at
// $WIZPAK_REGISTRY or <host folder of drive C>/../registry.reg. Key and value
// names compare case-insensitively (ANSI); only string values are kept (other
// value kinds found in the file are preserved verbatim). Every change re-reads
// the hive under an advisory lock (flock), applies itself and saves
// atomically (temporary file, fsync, rename), so two setups never lose each
// other's writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform {

// Order of the stored root-key index: 0 HKLM ... 4 HKCC.
enum class RootKey : int {
  LocalMachine = 0,
  CurrentUser = 1,
  ClassesRoot = 2,
  Users = 3,
  CurrentConfig = 4,
};

// "HKEY_LOCAL_MACHINE", ...
const char* RootKeyName(RootKey root);

// Whether a failure to open (create) the key `path` means the registry
// cannot be written at all, rather than that this key is out of reach. The
// file-backed hive opens every key it can hold (no line break or NUL in the
// name) unless the hive cannot be read or saved; Windows refuses single keys.
bool KeyOpenFailureIsWriteFailure(std::string_view path);

// A value with no state of its own: every call reads or changes the hive
// (the host's registry on Windows), so any number of them see the same keys.
class Registry {
 public:
  // Windows RegOpenKeyEx / RegCreateKeyEx: true when the key exists (or,
  // with create, was created together with its missing parents).
  bool OpenKey(RootKey root, std::string_view path, bool create);
  bool KeyExists(RootKey root, std::string_view path);
  // nullopt when the key or the value does not exist. An empty name reads
  // the key's default value.
  std::optional<std::string> ReadString(RootKey root, std::string_view path, std::string_view name);
  // Creates the key when missing. False when the hive cannot be saved.
  bool WriteString(RootKey root, std::string_view path, std::string_view name,
                   std::string_view value);
  bool DeleteValue(RootKey root, std::string_view path, std::string_view name);
  // Puts back a value of any type as the undo journal noted it before a
  // change (the hive file: its value line; Windows: type and bytes in hex).
  bool WriteStored(RootKey root, std::string_view path, std::string_view name,
                   std::string_view stored);
  // Deletes the key and everything below it.
  bool DeleteKey(RootKey root, std::string_view path);
  // Deletes the key only when it holds no value and no key below it
  // (undoing a key a run created); true when it is gone afterwards.
  bool DeleteEmptyKey(RootKey root, std::string_view path);
  // Removes the hive file when it holds no key at all (undoing a run that
  // made the hive); true when nothing is left to remove.
  bool RemoveHiveIfEmpty();
  // Names of the values of a key (empty when missing), in stored order.
  std::vector<std::string> ValueNames(RootKey root, std::string_view path);

  // Host path of the hive file in use.
  std::string HivePath() const;
};

}  // namespace wizpak::platform
