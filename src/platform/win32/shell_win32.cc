// Windows shell integration: shell links through IShellLinkW and
// IPersistFile, and the executable's icon through the resource update
// functions (RT_ICON + RT_GROUP_ICON).
#include "platform/win32/windows_api.h"
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/journal.h"
#include "platform/journal_host.h"
#include "platform/shell.h"

namespace wizpak::platform {

namespace {

// RT_ICON and RT_GROUP_ICON in their wide form (the plain macros follow
// the A/W choice, which this build does not make).
const LPCWSTR kIconType = MAKEINTRESOURCEW(3);
const LPCWSTR kIconGroupType = MAKEINTRESOURCEW(14);

// COM for the calling thread for one scope.
class ComScope {
 public:
  ComScope() : result_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // RPC_E_CHANGED_MODE: COM is already up on this thread in another mode,
  // which serves as well.
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

// A COM interface pointer, released on destruction.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (ptr_ != nullptr) ptr_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  void** out() { return reinterpret_cast<void**>(&ptr_); }

 private:
  T* ptr_ = nullptr;
};

bool Succeeded(HRESULT result) {
  if (SUCCEEDED(result)) return true;
  return win32::FailWithWin32(static_cast<DWORD>(result));
}

// The name and language of the executable's first icon group (the icon the
// shell shows), and the RT_ICON ids that group uses.
struct IconGroup {
  std::wstring name;  // "#1" style for numeric ids
  WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
  std::vector<WORD> icon_ids;
};

// The RT_ICON ids an icon group resource names. GRPICONDIR: reserved, type
// and count words, then 14-byte entries whose last 2 bytes are the id. Only
// the entries the resource really holds are read, whatever its count says.
std::vector<WORD> IconIdsOfGroup(ByteReader group) {
  std::vector<WORD> ids;
  const auto count = group.U16At(4);
  if (!count || !group.Seek(6)) return ids;
  for (uint32_t i = 0; i < *count; ++i) {
    if (!group.Skip(12)) break;
    const auto id = group.U16();
    if (!id) break;
    ids.push_back(*id);
  }
  return ids;
}

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* group = reinterpret_cast<IconGroup*>(param);
  if (IS_INTRESOURCE(name)) {
    group->name = L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
  } else {
    group->name = name;
  }
  return FALSE;  // the first one is enough
}

BOOL CALLBACK TakeFirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<IconGroup*>(param)->language = language;
  return FALSE;
}

// Reads the current first icon group; nullopt-like empty name when there is
// none (or the file cannot be loaded as data).
IconGroup ExistingIconGroup(const std::wstring& exe) {
  IconGroup group;
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return group;
  EnumResourceNamesW(module, kIconGroupType, TakeFirstName, reinterpret_cast<LONG_PTR>(&group));
  if (!group.name.empty()) {
    EnumResourceLanguagesW(module, kIconGroupType, group.name.c_str(), TakeFirstLanguage,
                           reinterpret_cast<LONG_PTR>(&group));
    HRSRC found = FindResourceExW(module, kIconGroupType, group.name.c_str(), group.language);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    group.icon_ids = IconIdsOfGroup(ByteReader(data, size));
  }
  FreeLibrary(module);
  return group;
}

}  // namespace

bool WriteShellLink(std::string_view link_file, std::string_view target, std::string_view arguments,
                    std::string_view working_folder) {
  ComScope com;
  if (!com.usable()) return win32::FailWithWin32(ERROR_NOT_SUPPORTED);
  ComPtr<IShellLinkW> link;
  if (!Succeeded(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.out()))) {
    return false;
  }
  if (!Succeeded(link->SetPath(win32::AcpToWide(target).c_str())) ||
      !Succeeded(link->SetArguments(win32::AcpToWide(arguments).c_str())) ||
      !Succeeded(link->SetWorkingDirectory(win32::AcpToWide(working_folder).c_str()))) {
    return false;
  }
  ComPtr<IPersistFile> file;
  if (!Succeeded(link->QueryInterface(IID_IPersistFile, file.out()))) return false;
  // A run that can be undone moves an old link aside (or notes the new one)
  // first: the shell writes the file itself, past the platform's calls.
  const std::string noted =
      ActiveJournal() != nullptr ? journal_host::HostOfProgram(link_file) : std::string();
  if (!noted.empty() && !JournalBeforeWrite(noted)) return false;
  if (Succeeded(file->Save(win32::AcpToWide(link_file).c_str(), TRUE))) return true;
  if (!noted.empty()) JournalRestoreLast(noted);
  return false;
}

bool WriteExeIcon(std::string_view exe_file, std::string_view directory_entry,
                  std::string_view image) {
  if (directory_entry.size() != 12 || image.empty() || image.size() > UINT32_MAX) {
    return win32::FailWithWin32(ERROR_INVALID_DATA);
  }
  const std::wstring exe = win32::AcpToWide(exe_file);
  IconGroup group = ExistingIconGroup(exe);
  if (group.name.empty()) group.name = L"#1";
  // "#12" is the numeric id 12; any other text is a name.
  const auto name_of = [](const std::wstring& name) {
    return name[0] == L'#' ? MAKEINTRESOURCEW(std::wcstoul(name.c_str() + 1, nullptr, 10) & 0xFFFF)
                           : name.c_str();
  };

  HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
  if (update == nullptr) return win32::FailWithLastError();
  bool ok = true;
  // The old group's images go, so the image does not carry dead icons.
  for (WORD id : group.icon_ids) {
    UpdateResourceW(update, kIconType, MAKEINTRESOURCEW(id), group.language, nullptr, 0);
  }
  const WORD icon_id = 1;
  ok = UpdateResourceW(update, kIconType, MAKEINTRESOURCEW(icon_id), group.language,
                       const_cast<char*>(image.data()), static_cast<DWORD>(image.size())) != FALSE;
  if (ok) {
    // GRPICONDIR with one GRPICONDIRENTRY: the icon file's entry without
    // its offset, then the RT_ICON id.
    std::string directory;
    AppendLe16(directory, 0);  // reserved
    AppendLe16(directory, 1);  // icons
    AppendLe16(directory, 1);  // count
    directory += directory_entry;
    AppendLe16(directory, icon_id);
    ok = UpdateResourceW(update, kIconGroupType, name_of(group.name), group.language,
                         directory.data(), static_cast<DWORD>(directory.size())) != FALSE;
  }
  if (!ok) {
    win32::FailWithLastError();
    EndUpdateResourceW(update, TRUE);  // discard: the image stays as it was
    return false;
  }
  if (!EndUpdateResourceW(update, FALSE)) return win32::FailWithLastError();
  return true;
}

}  // namespace wizpak::platform
