// The install log file's bytes: three 16-bit counts (files, registry entries,
// folders), then every entry as a 16-bit length and its bytes enciphered with
// the install-log digit key. Encoding refuses what the 16-bit fields cannot
// hold; decoding checks every count and length against the bytes present.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak {

// The three ordered lists of an install log.
struct InstallLogLists {
  std::vector<std::string> files;
  std::vector<std::string> registry_entries;
  std::vector<std::string> directories;

  bool operator==(const InstallLogLists&) const = default;
};

// The largest list and entry the file format can hold.
inline constexpr size_t kMaxInstallLogEntries = 65535;
inline constexpr size_t kMaxInstallLogEntryBytes = 65535;

struct InstallLogEncoding {
  bool ok = false;
  std::string bytes;  // the file's content when ok
  std::string error;  // why not, naming the list and entry, when !ok
};
InstallLogEncoding EncodeInstallLog(const InstallLogLists& lists);

struct InstallLogDecoding {
  bool ok = false;
  InstallLogLists lists;  // complete only when ok
  std::string error;      // what is damaged and where, when !ok
};
// Bytes past the last entry count as damage too: the writer never leaves any.
InstallLogDecoding DecodeInstallLog(std::string_view bytes);

}  // namespace wizpak
