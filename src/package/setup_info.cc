#include "package/setup_info.h"

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace wizpak {

bool TSetupInfoFile::LoadFromBuffer(const void* data, size_t size) {
  ByteReader in(data, size);
  const auto text = [&in](std::string& field) {
    if (const auto read = in.Counted16()) field = std::string(*read);
  };
  TSetupInfoFile loaded;
  text(loaded.SetupName);
  text(loaded.ShortName);
  text(loaded.SetupExeName);
  text(loaded.UninstallExeName);
  text(loaded.UninstallPrefix);
  text(loaded.InstallDir);
  text(loaded.Changelog);
  loaded.InstallDirRegKey.HKEY = in.U8().value_or(0);
  text(loaded.InstallDirRegKey.Path);
  text(loaded.InstallDirRegKey.Key);
  text(loaded.Pages);
  text(loaded.UninstallPages);
  loaded.IsUninstaller = in.U8().value_or(0);
  loaded.CreateUninstaller = in.U8().value_or(0);
  if (!in.Ok()) return false;
  *this = std::move(loaded);
  return true;
}

std::string TSetupInfoFile::SaveToBuffer() const {
  std::string out;
  auto put = [&out](const std::string& s) {
    const size_t n = s.size() > 0xFFFF ? 0xFFFF : s.size();
    AppendLe16(out, static_cast<uint16_t>(n));
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
