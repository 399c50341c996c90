#include "platform/hive_format.h"

#include <unordered_map>

#include "platform/codepage.h"

namespace wizpak::platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Splits bytes into lines without their line ends.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Reads a quoted string starting at s[pos] == '"', unescaping it. On success
// `pos` is just past the closing quote.
bool ReadQuoted(std::string_view s, size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  out.clear();
  for (size_t i = pos + 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      pos = i + 1;
      return true;
    }
    if (c == '\\' && i + 1 < s.size()) {
      const char next = s[++i];
      switch (next) {
        case '\\':
          out += '\\';
          break;
        case '"':
          out += '"';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case '0':
          out += '\0';
          break;
        default:
          out += '\\';
          out += next;
          break;
      }
      continue;
    }
    out += c;
  }
  return false;  // no closing quote
}

// "HKEY_LOCAL_MACHINE\\Software\\" -> "HKEY_LOCAL_MACHINE\Software".
std::string NormaliseKeyPath(std::string_view path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(start, end - start);
    if (!segment.empty()) {
      if (!out.empty()) out += '\\';
      out += segment;
    }
    start = end + 1;
  }
  return out;
}

enum class LineKind { Value, Malformed };

// Parses a value line into `value`. A string value with anything but blanks
// after its closing quote is kept verbatim as an Other value.
LineKind ParseValueLine(std::string_view line, HiveValue& value) {
  size_t pos = 0;
  if (line[0] == '@') {
    value.name.clear();
    pos = 1;
  } else if (!ReadQuoted(line, pos, value.name)) {
    return LineKind::Malformed;
  }
  const std::string_view after_name = TrimLeft(line.substr(pos));
  if (after_name.empty() || after_name[0] != '=') return LineKind::Malformed;
  const std::string_view data = TrimLeft(after_name.substr(1));
  if (!data.empty() && data[0] == '"') {
    size_t data_pos = 0;
    std::string text;
    if (ReadQuoted(data, data_pos, text) && TrimRight(data.substr(data_pos)).empty()) {
      value.kind = HiveValue::Kind::String;
      value.data = std::move(text);
      return LineKind::Value;
    }
    if (!ReadQuoted(data, data_pos, text)) return LineKind::Malformed;
  }
  if (data.empty()) return LineKind::Malformed;
  value.kind = HiveValue::Kind::Other;
  value.data = std::string(line);
  return LineKind::Value;
}

}  // namespace

std::optional<Hive> ParseHive(std::string_view bytes) {
  // A UTF-8 byte-order mark some editors add is not part of the text.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const std::vector<std::string_view> lines = SplitLines(bytes);
  size_t index = 0;
  while (index < lines.size() && TrimRight(lines[index]).empty()) ++index;
  Hive hive;
  if (index == lines.size()) return hive;
  if (TrimRight(lines[index]) != kHeader) return std::nullopt;
  ++index;

  std::unordered_map<std::string, size_t> key_index;  // lower-case path -> keys[i]
  HiveKey* current = nullptr;
  for (; index < lines.size(); ++index) {
    const std::string_view raw = lines[index];
    const std::string_view line = TrimRight(TrimLeft(raw));
    if (line.empty()) continue;
    if (line[0] == ';') {
      if (current) {
        current->values.push_back({HiveValue::Kind::Comment, "", std::string(raw)});
      } else {
        hive.preamble.emplace_back(raw);
      }
      continue;
    }
    if (line[0] == '[') {
      current = nullptr;
      if (line.size() < 2 || line.back() != ']') continue;  // malformed section
      std::string path = NormaliseKeyPath(line.substr(1, line.size() - 2));
      if (path.empty()) continue;
      const auto [it, inserted] = key_index.emplace(AnsiLower(path), hive.keys.size());
      if (inserted) hive.keys.push_back({std::move(path), {}});
      current = &hive.keys[it->second];
      continue;
    }
    if (!current) continue;  // a value outside any key
    HiveValue value;
    if (ParseValueLine(line, value) != LineKind::Value) continue;
    if (value.kind == HiveValue::Kind::Other) {
      // Binary values run on over lines that end with '\'. A blank line or
      // the end of the file ends the value; a dangling '\' before it is
      // dropped, and what is left is read again, so the value is written
      // back exactly as it is read.
      std::string text(TrimRight(raw));
      while (!text.empty() && text.back() == '\\' && index + 1 < lines.size() &&
             !TrimRight(TrimLeft(lines[index + 1])).empty()) {
        text += '\n';
        text += TrimRight(lines[++index]);
      }
      while (!text.empty() &&
             std::string_view("\\ \t\r\n").find(text.back()) != std::string_view::npos) {
        text.pop_back();
      }
      if (ParseValueLine(TrimLeft(text), value) != LineKind::Value) continue;
      if (value.kind == HiveValue::Kind::Other) value.data = std::move(text);
    }
    current->values.push_back(std::move(value));
  }
  return hive;
}

std::string QuoteHiveString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        out += c;
        break;
    }
  }
  out += '"';
  return out;
}

std::string FormatHive(const Hive& hive) {
  std::string out(kHeader);
  out += "\r\n\r\n";
  for (const std::string& line : hive.preamble) {
    out += line;
    out += "\r\n";
  }
  if (!hive.preamble.empty()) out += "\r\n";
  for (const HiveKey& key : hive.keys) {
    out += '[';
    out += key.path;
    out += "]\r\n";
    for (const HiveValue& value : key.values) {
      if (value.kind == HiveValue::Kind::String) {
        out += value.name.empty() ? std::string("@") : QuoteHiveString(value.name);
        out += '=';
        out += QuoteHiveString(value.data);
      } else {
        for (const char c : value.data) {
          if (c == '\n') {
            out += "\r\n";
          } else {
            out += c;
          }
        }
      }
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace wizpak::platform
