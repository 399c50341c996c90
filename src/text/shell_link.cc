#include "text/shell_link.h"

#include <vector>

#include "package/package_files.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace wizpak {
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

std::string FileNamePart(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FolderPart(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

// Creates every missing folder of a program path, outermost first.
void CreateFolders(std::string_view folder) {
  if (folder.empty() || platform::DirectoryExists(folder)) return;
  const std::string parent = FolderPart(folder);
  if (!parent.empty() && parent != folder) CreateFolders(parent);
  platform::CreateDirectory(folder);
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

bool CreateShellLink(std::string_view link_file, std::string_view target,
                     std::string_view arguments) {
  const auto host_target = platform::ToHostPath(target);
  if (!host_target || !platform::ToHostPath(link_file)) return false;
  const std::string target_folder = FolderPart(target);
  std::string host_folder;
  if (!target_folder.empty()) {
    const auto mapped = platform::ToHostPath(target_folder.size() == 2 && target_folder[1] == ':'
                                                 ? target_folder + "\\"
                                                 : target_folder);
    if (mapped) host_folder = *mapped;
  }
  // Drive paths create their folders through the logged helper, so the
  // uninstaller removes them again; host paths just get theirs.
  const std::string link_folder = FolderPart(link_file);
  ForceFoldersLogged(link_folder);
  CreateFolders(link_folder);

  std::string name = FileNamePart(link_file);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);

  const std::string text =
      DesktopEntryText(AnsiToUtf8(name), *host_target, AnsiToUtf8(arguments), host_folder);
  if (!platform::WriteFileAtomic(link_file, text)) return false;
  platform::MakeExecutable(link_file);
  return true;
}

}  // namespace wizpak
