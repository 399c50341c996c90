// The registry accessor on the Windows registry: RegCreateKeyExW,
// RegSetValueExW, RegQueryValueExW, RegDeleteValueW and RegDeleteKeyW under
// the five predefined roots. Names are ANSI (active code page); scripts read
// and write string values; a value's old type and bytes are kept for undoing.
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/journal.h"
#include "platform/registry.h"
#include "platform/win32/windows_api.h"

namespace wizpak::platform {

namespace {

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::CurrentUser:
      return HKEY_CURRENT_USER;
    case RootKey::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::Users:
      return HKEY_USERS;
    case RootKey::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return HKEY_LOCAL_MACHINE;
}

// An open key, closed on destruction.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (handle_ != nullptr) RegCloseKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* out() { return &handle_; }
  HKEY get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

// Key paths as scripts write them may have a leading or doubled '\'; the
// registry wants none.
std::wstring KeyPath(std::string_view path) {
  std::wstring wide = win32::AcpToWide(path);
  std::wstring out;
  for (wchar_t c : wide) {
    if (c == L'\\' && (out.empty() || out.back() == L'\\')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == L'\\') out.pop_back();
  return out;
}

std::string SeamPath(RootKey root, std::string_view path) {
  return std::string(RootKeyName(root)) + "\\" + std::string(path);
}

bool Check(LONG status) {
  if (status == ERROR_SUCCESS) return true;
  return win32::FailWithWin32(static_cast<DWORD>(status));
}

// Deletes `name` below `parent` with all its subkeys, deepest first
// (RegDeleteKeyW removes only keys without subkeys).
LONG DeleteTree(HKEY parent, const std::wstring& name) {
  {
    Key key;
    LONG status = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.out());
    if (status != ERROR_SUCCESS) return status;
    for (;;) {
      wchar_t child[256];
      DWORD length = static_cast<DWORD>(std::size(child));
      // Always the first subkey: the list shrinks as they are deleted.
      status = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS) return status;
      status = DeleteTree(key.get(), std::wstring(child, length));
      if (status != ERROR_SUCCESS) return status;
    }
  }
  return RegDeleteKeyW(parent, name.c_str());
}

// Whether the key is there. Only "not found" counts as missing: a key this
// user may not open (access denied) exists, and noting it as one the run
// creates would let an undo delete it.
bool Exists(RootKey root, const std::wstring& key_path) {
  Key key;
  return RegOpenKeyExW(RootHandle(root), key_path.c_str(), 0, KEY_READ, key.out()) !=
         ERROR_FILE_NOT_FOUND;
}

// Notes, in the journal of the run in scope, each level of `key_path` that
// does not exist yet, outermost first, as creating the key will make them.
bool NoteKeysToCreate(RootKey root, const std::wstring& key_path) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr || key_path.empty()) return true;
  for (size_t end = 0; end != std::wstring::npos;) {
    end = key_path.find(L'\\', end + 1);
    const std::wstring level = key_path.substr(0, end);
    if (Exists(root, level)) continue;
    if (!journal->NoteRegistryKeyCreated(static_cast<int>(root), win32::WideToAcp(level)))
      return false;
  }
  return true;
}

// What a value holds before a change: "TYPE:HEX" (its type number and its
// bytes), absent (the key or the value does not exist), or unreadable.
struct OldValue {
  enum { Present, Absent, Unreadable } state = Unreadable;
  std::string stored;
};

OldValue ReadOldValue(RootKey root, std::string_view path, std::string_view name) {
  Key key;
  LONG status = RegOpenKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, KEY_READ, key.out());
  if (status == ERROR_FILE_NOT_FOUND) return {OldValue::Absent, {}};
  if (!Check(status)) return {};
  const std::wstring value_name = win32::AcpToWide(name);
  // The value may grow between asking its size and reading it: ask again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD bytes = 0;
    status = RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return {OldValue::Absent, {}};
    if (!Check(status)) return {};
    std::vector<BYTE> data(bytes + 1);
    DWORD got = bytes;
    status = RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type, data.data(), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (!Check(status)) return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string stored = std::to_string(type) + ":";
    for (DWORD i = 0; i < got; ++i) {
      stored += kHex[data[i] >> 4];
      stored += kHex[data[i] & 15];
    }
    return {OldValue::Present, std::move(stored)};
  }
  SetLastErrorText("The value keeps changing");
  return {};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Notes the value as it is before a change, or that it is absent. Every
// value, strings too, is noted with its type and bytes: read as ANSI text, a
// string the active code page cannot spell, or one without its terminator,
// would come back altered. A value that exists but cannot be read is not
// changed at all, since an undo would remove it.
bool NoteOldValue(RootKey root, std::string_view path, std::string_view name) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr) return true;
  const OldValue old = ReadOldValue(root, path, name);
  const std::string key = win32::WideToAcp(KeyPath(path));
  switch (old.state) {
    case OldValue::Present:
      return journal->NoteRegistryStoredValue(static_cast<int>(root), key, name, old.stored);
    case OldValue::Absent:
      return journal->NoteRegistryValue(static_cast<int>(root), key, name, nullptr);
    case OldValue::Unreadable:
      break;
  }
  return false;
}

}  // namespace

bool KeyOpenFailureIsWriteFailure(std::string_view) {
  return false;  // Windows refuses keys one by one (access rights)
}

bool Registry::OpenKey(RootKey root, std::string_view path, bool create) {
  if (!create) return KeyExists(root, path);
  const std::wstring key_path = KeyPath(path);
  if (key_path.empty()) return true;  // the roots always exist
  if (int fault = win32::ConsultFaultHook(FileOp::Registry, SeamPath(root, path))) {
    return win32::FailWithErrno(fault);
  }
  if (!NoteKeysToCreate(root, key_path)) return false;
  Key key;
  return Check(RegCreateKeyExW(RootHandle(root), key_path.c_str(), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, key.out(),
                               nullptr));
}

bool Registry::KeyExists(RootKey root, std::string_view path) {
  Key key;
  return RegOpenKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, KEY_READ, key.out()) ==
         ERROR_SUCCESS;
}

std::optional<std::string> Registry::ReadString(RootKey root, std::string_view path,
                                                std::string_view name) {
  Key key;
  if (!Check(RegOpenKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, KEY_READ, key.out()))) {
    return std::nullopt;
  }
  const std::wstring value_name = win32::AcpToWide(name);
  // The value may grow between asking its size and reading it: ask again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type, nullptr, &bytes);
    if (!Check(status)) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      SetLastErrorText("The value is not a string");
      return std::nullopt;
    }
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    status = RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (!Check(status)) return std::nullopt;
    // The stored bytes may or may not end with a terminator (or several).
    data.resize(got / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0') data.pop_back();
    return win32::WideToAcp(data);
  }
  SetLastErrorText("The value keeps changing");
  return std::nullopt;
}

bool Registry::WriteString(RootKey root, std::string_view path, std::string_view name,
                           std::string_view value) {
  if (int fault = win32::ConsultFaultHook(FileOp::Registry, SeamPath(root, path))) {
    return win32::FailWithErrno(fault);
  }
  if (!NoteKeysToCreate(root, KeyPath(path)) || !NoteOldValue(root, path, name)) return false;
  Key key;
  if (!Check(RegCreateKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.out(),
                             nullptr))) {
    return false;
  }
  const std::wstring data = win32::AcpToWide(value);
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return Check(RegSetValueExW(key.get(), win32::AcpToWide(name).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()), bytes));
}

bool Registry::WriteStored(RootKey root, std::string_view path, std::string_view name,
                           std::string_view stored) {
  const size_t colon = stored.find(':');
  if (colon == std::string_view::npos || (stored.size() - colon - 1) % 2 != 0) {
    return win32::FailWithErrno(EINVAL);
  }
  const DWORD type =
      static_cast<DWORD>(std::strtoul(std::string(stored.substr(0, colon)).c_str(), nullptr, 10));
  std::vector<BYTE> data;
  for (size_t i = colon + 1; i + 1 < stored.size(); i += 2) {
    const int high = HexDigit(stored[i]);
    const int low = HexDigit(stored[i + 1]);
    if (high < 0 || low < 0) return win32::FailWithErrno(EINVAL);
    data.push_back(static_cast<BYTE>(high * 16 + low));
  }
  Key key;
  if (!Check(RegCreateKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.out(),
                             nullptr))) {
    return false;
  }
  return Check(RegSetValueExW(key.get(), win32::AcpToWide(name).c_str(), 0, type,
                              data.empty() ? nullptr : data.data(),
                              static_cast<DWORD>(data.size())));
}

bool Registry::DeleteValue(RootKey root, std::string_view path, std::string_view name) {
  if (int fault = win32::ConsultFaultHook(FileOp::Registry, SeamPath(root, path))) {
    return win32::FailWithErrno(fault);
  }
  Key key;
  if (!Check(RegOpenKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, KEY_SET_VALUE, key.out()))) {
    return false;
  }
  if (!NoteOldValue(root, path, name)) return false;
  return Check(RegDeleteValueW(key.get(), win32::AcpToWide(name).c_str()));
}

bool Registry::DeleteEmptyKey(RootKey root, std::string_view path) {
  const std::wstring key_path = KeyPath(path);
  if (key_path.empty()) return true;  // a root stays
  DWORD subkeys = 0;
  DWORD values = 0;
  {
    Key key;
    const LONG status = RegOpenKeyExW(RootHandle(root), key_path.c_str(), 0, KEY_READ, key.out());
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (!Check(status)) return false;
    if (!Check(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                &values, nullptr, nullptr, nullptr, nullptr))) {
      return false;
    }
  }
  if (subkeys != 0 || values != 0) return win32::FailWithWin32(ERROR_DIR_NOT_EMPTY);
  return Check(RegDeleteKeyW(RootHandle(root), key_path.c_str()));
}

bool Registry::RemoveHiveIfEmpty() {
  return true;  // the Windows registry is no file of ours
}

bool Registry::DeleteKey(RootKey root, std::string_view path) {
  const std::wstring key_path = KeyPath(path);
  // A whole root is never deleted.
  if (key_path.empty()) return win32::FailWithErrno(EINVAL);
  if (int fault = win32::ConsultFaultHook(FileOp::Registry, SeamPath(root, path))) {
    return win32::FailWithErrno(fault);
  }
  return Check(DeleteTree(RootHandle(root), key_path));
}

std::vector<std::string> Registry::ValueNames(RootKey root, std::string_view path) {
  std::vector<std::string> names;
  Key key;
  if (RegOpenKeyExW(RootHandle(root), KeyPath(path).c_str(), 0, KEY_READ, key.out()) !=
      ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD length = static_cast<DWORD>(std::size(name));
    const LONG status =
        RegEnumValueW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    names.push_back(win32::WideToAcp(std::wstring_view(name, length)));
  }
  return names;
}

std::string Registry::HivePath() const {
  // The Windows registry is no file of ours.
  return {};
}

}  // namespace wizpak::platform
