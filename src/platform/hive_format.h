// The registry hive's text form (REGEDIT4, as regedit exports it), parsed
// into keys and values and written back. Pure functions on bytes: no files,
// no locking (registry.cc does that).
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Game]
//   "Path"="C:\\Games\\Game"
//   @="default value"
//
// String values are unescaped (\\ \" and, for values no regedit line can
// hold, \n \r \0). Value lines of other kinds (dword:, hex:..., with their
// continuation lines) and comment lines are kept verbatim. Malformed lines
// are dropped. Sections naming the same key are merged.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform {

struct HiveValue {
  enum class Kind {
    String,   // name + data (unescaped)
    Other,    // name + raw text of the value line(s), '\n' between lines
    Comment,  // raw text of a ';' line
  };
  Kind kind = Kind::String;
  std::string name;  // "" is the key's default value ("@")
  std::string data;
};

struct HiveKey {
  std::string path;  // "HKEY_LOCAL_MACHINE\Software\Game", no empty segments
  std::vector<HiveValue> values;
};

struct Hive {
  std::vector<std::string> preamble;  // comment lines before the first key
  std::vector<HiveKey> keys;          // in file order
};

// Bytes of a hive file. Empty or blank input is an empty hive; input that
// does not start with the "REGEDIT4" line gives nullopt (it is not a hive,
// and must not be overwritten).
std::optional<Hive> ParseHive(std::string_view bytes);

// The text of `hive` with CR LF line ends, starting with "REGEDIT4".
std::string FormatHive(const Hive& hive);

// The quoted, escaped form of a name or string value: "a\\b" for a\b.
std::string QuoteHiveString(std::string_view text);

}  // namespace wizpak::platform
