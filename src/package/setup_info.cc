#include "package/setup_info.h"

#include "package/buffer_manager.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace wizpak {

bool TSetupInfoFile::LoadFromBuffer(const void* data, size_t size) {
  if (size > 0x7FFFFFFF) return false;
  TBufferManager buffer(data, static_cast<int32_t>(size));
  TSetupInfoFile loaded;
  try {
    loaded.SetupName = ReadBufString(buffer);
    loaded.ShortName = ReadBufString(buffer);
    loaded.SetupExeName = ReadBufString(buffer);
    loaded.UninstallExeName = ReadBufString(buffer);
    loaded.UninstallPrefix = ReadBufString(buffer);
    loaded.InstallDir = ReadBufString(buffer);
    loaded.Changelog = ReadBufString(buffer);
    loaded.InstallDirRegKey.HKEY = ReadBufInt8(buffer);
    loaded.InstallDirRegKey.Path = ReadBufString(buffer);
    loaded.InstallDirRegKey.Key = ReadBufString(buffer);
    loaded.Pages = ReadBufString(buffer);
    loaded.UninstallPages = ReadBufString(buffer);
    loaded.IsUninstaller = ReadBufInt8(buffer);
    loaded.CreateUninstaller = ReadBufInt8(buffer);
  } catch (const BufferUnderrun&) {
    return false;
  }
  *this = std::move(loaded);
  return true;
}

std::string TSetupInfoFile::SaveToBuffer() const {
  std::string out;
  auto put = [&out](const std::string& s) {
    const size_t n = s.size() > 0xFFFF ? 0xFFFF : s.size();
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out.append(s, 0, n);
  };
  put(SetupName);
  put(ShortName);
  put(SetupExeName);
  put(UninstallExeName);
  put(UninstallPrefix);
  put(InstallDir);
  put(Changelog);
  out += static_cast<char>(InstallDirRegKey.HKEY);
  put(InstallDirRegKey.Path);
  put(InstallDirRegKey.Key);
  put(Pages);
  put(UninstallPages);
  out += static_cast<char>(IsUninstaller);
  out += static_cast<char>(CreateUninstaller);
  return out;
}

bool TSetupInfoFile::SaveToFile(std::string_view path) const {
  platform::File file = platform::File::Open(path, platform::OpenMode::Create);
  return file && file.Write(SaveToBuffer());
}

namespace {
constexpr std::string_view kAbbreviations[] = {"HKLM", "HKCU", "HKCR", "HKU", "HKCC"};
constexpr std::string_view kFullNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",
                                           "HKEY_CLASSES_ROOT", "HKEY_USERS",
                                           "HKEY_CURRENT_CONFIG"};
constexpr uint32_t kHandles[] = {0x80000002, 0x80000001, 0x80000000, 0x80000003, 0x80000005};
}  // namespace

uint8_t RootKeyIndex(std::string_view abbreviation) {
  const std::string upper = AnsiUpper(abbreviation);
  for (uint8_t i = 0; i < 5; ++i)
    if (upper == kAbbreviations[i]) return i;
  return 0;
}

std::string RootKeyFullName(uint8_t index) {
  return index < 5 ? std::string(kFullNames[index]) : "!ERROR!";
}

uint32_t RootKeyHandle(uint8_t index) {
  return index < 5 ? kHandles[index] : 0;
}

}  // namespace wizpak
