// Fuzz target for the registry hive text: parsing never fails unsafely, and
// whatever parses formats into text that parses back to the same hive.
#include <cstdio>
#include <cstdlib>

#include "fuzz_target.h"
#include "platform/hive_format.h"

using wizpak::platform::FormatHive;
using wizpak::platform::Hive;
using wizpak::platform::HiveValue;
using wizpak::platform::ParseHive;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto hive = ParseHive(bytes);
  if (!hive) return 0;
  const std::string once = FormatHive(*hive);
  const auto again = ParseHive(once);
  if (!again || FormatHive(*again) != once) {
    std::fprintf(stderr, "hive text does not survive a round trip\n");
    std::abort();
  }
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  Hive hive;
  hive.preamble.push_back("; written by wizpak");
  hive.keys.push_back({"HKEY_LOCAL_MACHINE\\SOFTWARE", {}});
  hive.keys.push_back(
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Game",
       {{HiveValue::Kind::String, "DisplayName", "Game \"Deluxe\""},
        {HiveValue::Kind::String, "UninstallString", "C:\\Games\\Game\\uninstall.exe"},
        {HiveValue::Kind::String, "", "default"},
        {HiveValue::Kind::String, "Lines", std::string("a\r\nb\0c", 7)},
        {HiveValue::Kind::Other, "Flags", "\"Flags\"=dword:00000001"},
        {HiveValue::Kind::Other, "Blob", "\"Blob\"=hex:00,01,\\\n  02,03"},
        {HiveValue::Kind::Comment, "", "; a note"}}});
  hive.keys.push_back({"HKEY_CURRENT_USER\\Software\\\xC4rger",
                       {{HiveValue::Kind::String, "Path", "C:\\\xE9t\xE9"}}});
  return {
      FormatHive(hive),
      "REGEDIT4\n\n[HKEY_USERS\\x]\n\"a\"=\"1\"\n[hkey_users\\X\\\\]\n@=\"2\"\n[-HKEY_X]\n"
      "\"u\"=hex(2):41,00,\\\n 00,00\n\"bad\n[\n",
  };
}
