#include "platform/desktop_entry.h"

#include <vector>

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

}  // namespace

std::string DesktopEntryText(std::string_view name, std::string_view host_target,
                             std::string_view arguments, std::string_view host_folder) {
  std::string exec = QuoteExecArgument(host_target);
  for (const std::string& arg : SplitArguments(arguments)) exec += " " + QuoteExecArgument(arg);
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + EscapeValue(name) + "\n";
  text += "Exec=" + EscapeValue(exec) + "\n";
  text += "Path=" + EscapeValue(host_folder) + "\n";
  return text;
}

}  // namespace wizpak::platform
