// Interim copy of the setup record's fields for builds made before the
// package unit provides it; compiler.h uses the package unit's own header
// whenever it is present.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace wizpak {

struct TInstallDirRegKey {
  uint8_t HKEY = 0;
  std::string Path;
  std::string Key;
};

struct TSetupInfoFile {
  std::string SetupName, ShortName, SetupExeName, UninstallExeName, UninstallPrefix, InstallDir,
      Changelog;
  TInstallDirRegKey InstallDirRegKey;
  std::string Pages, UninstallPages;
  uint8_t IsUninstaller = 0;
  uint8_t CreateUninstaller = 0;

  std::string SaveToBuffer() const {
    std::string out;
    auto put = [&out](const std::string& s) {
      out += static_cast<char>(s.size() & 0xFF);
      out += static_cast<char>((s.size() >> 8) & 0xFF);
      out += s;
    };
    put(SetupName), put(ShortName), put(SetupExeName), put(UninstallExeName);
    put(UninstallPrefix), put(InstallDir), put(Changelog);
    out += static_cast<char>(InstallDirRegKey.HKEY);
    put(InstallDirRegKey.Path), put(InstallDirRegKey.Key), put(Pages), put(UninstallPages);
    out += static_cast<char>(IsUninstaller);
    out += static_cast<char>(CreateUninstaller);
    return out;
  }
};

inline uint8_t RootKeyIndex(std::string_view name) {
  const std::string upper = AnsiUpper(name);
  if (upper == "HKCU") return 1;
  if (upper == "HKCR") return 2;
  if (upper == "HKU") return 3;
  if (upper == "HKCC") return 4;
  return 0;
}

}  // namespace wizpak
