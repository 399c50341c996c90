// The setup information record "SetupInfo": titles, expected executable
// name, uninstaller names, installation folder and its registry key, and the
// two flags that make a package an installer or an uninstaller. Also the
// registry root index the record and the scripts use (0 HKLM ... 4 HKCC).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wizpak {

struct TInstallDirRegKey {
  uint8_t HKEY = 0;  // a root key index
  std::string Path;
  std::string Key;  // value name; empty = no registry lookup
};

struct TSetupInfoFile {
  std::string SetupName;
  std::string ShortName;
  std::string SetupExeName;
  std::string UninstallExeName;
  std::string UninstallPrefix;
  std::string InstallDir;
  std::string Changelog;
  TInstallDirRegKey InstallDirRegKey;
  std::string Pages;
  std::string UninstallPages;
  uint8_t IsUninstaller = 0;
  uint8_t CreateUninstaller = 0;

  // Replaces every field from a stored record. False (and the record left
  // unchanged) when the bytes end before the last field.
  bool LoadFromBuffer(const void* data, size_t size);
  // The stored form, byte-exact. Strings longer than 65,535 bytes are cut.
  std::string SaveToBuffer() const;
  // Writes the stored form to a file (program path). False on failure.
  bool SaveToFile(std::string_view path) const;
};

// "HKLM" 0, "HKCU" 1, "HKCR" 2, "HKU" 3, "HKCC" 4, compared upper-cased;
// anything else 0.
uint8_t RootKeyIndex(std::string_view abbreviation);
// "HKEY_LOCAL_MACHINE" ... ; "!ERROR!" for any other index.
std::string RootKeyFullName(uint8_t index);
// The Windows root key handle value (80000002 for HKLM ...); 0 for others.
uint32_t RootKeyHandle(uint8_t index);

}  // namespace wizpak
