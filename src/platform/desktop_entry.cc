#include "platform/desktop_entry.h"

namespace wizpak::platform {
namespace {

// Desktop Entry string values: no line breaks or other control characters
// may leak into the file (they would start new keys), and "\" is the
// escape character.
std::string EscapeValue(std::string_view text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 32 || u == 127) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

// One Exec argument: quoted when it holds a reserved character, with the
// quoting characters escaped inside; "%" doubled so it is no field code.
std::string QuoteExecArgument(std::string_view arg) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  bool quote = arg.empty();
  for (char c : arg) {
    if (kReserved.find(c) != std::string_view::npos) quote = true;
  }
  std::string out;
  if (quote) out += '"';
  for (char c : arg) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    out += c;
    if (c == '%') out += '%';
  }
  if (quote) out += '"';
  return out;
}

// Windows-style splitting: blanks and tabs separate, double quotes group
// and are dropped.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> args;
  std::string current;
  bool in_quotes = false;
  bool have = false;
  for (char c : text) {
    if (c == '"') {
      in_quotes = !in_quotes;
      have = true;
    } else if (!in_quotes && (c == ' ' || c == '\t')) {
      if (have) args.push_back(current);
      current.clear();
      have = false;
    } else {
      current += c;
      have = true;
    }
  }
  if (have) args.push_back(current);
  return args;
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string ExecLine(std::string_view host_target, std::string_view arguments, LaunchKind kind) {
  std::string exec = kind == LaunchKind::Document      ? "xdg-open "
                     : kind == LaunchKind::ShellScript ? "/bin/sh "
                                                       : "";
  exec += QuoteExecArgument(host_target);
  for (const std::string& arg : SplitArguments(arguments)) exec += " " + QuoteExecArgument(arg);
  return exec;
}

std::string DesktopEntryText(const DesktopEntry& entry) {
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + EscapeValue(entry.name) + "\n";
  text += "Exec=" + EscapeValue(entry.exec) + "\n";
  if (!entry.path.empty()) text += "Path=" + EscapeValue(entry.path) + "\n";
  if (!entry.icon.empty()) text += "Icon=" + EscapeValue(entry.icon) + "\n";
  if (!entry.categories.empty()) text += "Categories=" + EscapeValue(entry.categories) + "\n";
  if (entry.terminal_key) text += "Terminal=false\n";
  return text;
}

std::string DesktopEntryText(std::string_view name, std::string_view host_target,
                             std::string_view arguments, std::string_view host_folder,
                             LaunchKind kind) {
  DesktopEntry entry;
  entry.name = std::string(name);
  entry.exec = ExecLine(host_target, arguments, kind);
  entry.path = std::string(host_folder);
  return DesktopEntryText(entry);
}

std::string DirectoryEntryText(std::string_view name, std::string_view icon) {
  std::string text = "[Desktop Entry]\nType=Directory\n";
  text += "Name=" + EscapeValue(name) + "\n";
  if (!icon.empty()) text += "Icon=" + EscapeValue(icon) + "\n";
  return text;
}

std::string MenuFileText(const std::vector<MenuLevel>& levels, std::string_view desktop_file_id) {
  std::string text =
      "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
      " \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
      "<Menu>\n  <Name>Applications</Name>\n";
  std::string indent = "  ";
  for (const MenuLevel& level : levels) {
    text += indent + "<Menu>\n";
    indent += "  ";
    text += indent + "<Name>" + EscapeXml(level.name) + "</Name>\n";
    text += indent + "<Directory>" + EscapeXml(level.directory_file) + "</Directory>\n";
  }
  text += indent + "<Include><Filename>" + EscapeXml(desktop_file_id) + "</Filename></Include>\n";
  for (size_t i = levels.size(); i > 0; --i) {
    indent.resize(indent.size() - 2);
    text += indent + "</Menu>\n";
  }
  text += "</Menu>\n";
  return text;
}

std::string DesktopFileNamePart(std::string_view text) {
  static constexpr std::string_view kSpecial = "/<>&\"'`$\\";
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 32 || u == 127 || kSpecial.find(c) != std::string_view::npos) ? '_' : c;
  }
  return out;
}

std::string DesktopDirFromUserDirs(std::string_view text, std::string_view home) {
  std::string found;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.starts_with("XDG_DESKTOP_DIR=")) continue;
    line.remove_prefix(16);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') continue;
    line = line.substr(1, line.size() - 2);
    // Inside the quotes, "\" escapes the next character.
    std::string value;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
    if (value == "$HOME" || value.starts_with("$HOME/")) {
      value = std::string(home) + value.substr(5);
    } else if (!value.starts_with("/")) {
      continue;
    }
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    found = value;  // the last setting wins, as in a shell
  }
  return found;
}

}  // namespace wizpak::platform
