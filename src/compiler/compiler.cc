#include "compiler/compiler.h"

#include <algorithm>
#include <map>

#include "compiler/compile_commands.h"
#include "compiler/file_groups.h"
#include "compiler/path_join.h"
#include "platform/codepage.h"
#include "script/command_class.h"

namespace wizpak::compiler {
namespace {

// Parameters per command number (index 0 unused), as the commands read them.
constexpr int kRequiredParams[kCommandCount + 1] = {
    0,  // -
    1,  // goto
    1,  // name
    1,  // outfile
    1,  // installdir
    3,  // installdirregkey
    3,  // iffileexists
    1,  // file
    1,  // delete
    4,  // writeregstr
    1,  // changelog
    3,  // kypupdate
    2,  // rmdir
    1,  // createdirectory
    3,  // createshortcut
    1,  // message
    4,  // messagebox
    2,  // copyfile
    1,  // language
    0,  // failure
    1,  // pages
    1,  // shortname
    1,  // uninstallpages
    1,  // uninstalllanguage
    1,  // prefix
    1,  // uninstalllogload
    1,  // uninstalllogsave
    3,  // kypofficial
};

const TCommandList& Registry() {
  static const TCommandList list = [] {
    TCommandList l;
    RegisterCommands(l);
    return l;
  }();
  return list;
}

std::string Plural(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// Warns about a label name used twice: jumps then depend on the command.
void WarnAboutDuplicateLabels(TCompiler& compiler) {
  std::map<std::string, int> first_line;
  for (std::size_t i = 0; i < compiler.lines.Lines.size(); ++i) {
    const TCompLine& line = compiler.lines.Lines[i];
    if (line.Command != kLabelCommand || line.Params.empty()) continue;
    const auto [it, inserted] = first_line.emplace(AnsiLower(line.Params[0]), static_cast<int>(i));
    if (!inserted) {
      compiler.Warning(static_cast<int>(i),
                       "Label defined again - " + line.Params[0] + " (first on line " +
                           std::to_string(it->second + 1) +
                           "); goto jumps to the first, iffileexists and messagebox to the last");
    }
  }
}

}  // namespace

bool TCompiler::HasErrors() const {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.is_error; });
}

void TCompiler::Error(int line, std::string message) {
  diagnostics.push_back({line, true, std::move(message)});
}

void TCompiler::Warning(int line, std::string message) {
  diagnostics.push_back({line, false, std::move(message)});
}

int RequiredParams(int32_t command) {
  if (command < 1 || command > kCommandCount) return 0;
  return kRequiredParams[command];
}

std::string FormatDiagnostic(std::string_view file, const Diagnostic& d) {
  const bool inner = !d.file.empty();
  const std::string column = !inner && d.column > 0 ? ":" + std::to_string(d.column) : "";
  return (inner ? d.file : std::string(file)) + ":" +
         std::to_string(inner ? d.file_line : d.line + 1) + column + ": " +
         (d.is_error ? "" : "warning: ") + d.message;
}

TCompiler CompileSource(std::string_view bytes, const CompilerSettings& settings) {
  TCompiler compiler;
  compiler.settings = settings;
  compiler.files.follow_links = settings.follow_links;
  DecodedScript decoded = DecodeScriptSource(bytes);
  compiler.diagnostics = std::move(decoded.diagnostics);
  if (compiler.HasErrors()) return compiler;
  SourceText source = ReadSource(decoded.text);
  compiler.diagnostics = std::move(source.diagnostics);
  if (compiler.HasErrors()) return compiler;

  // First pass: one compiled line per source line, so labels anywhere in the
  // script are known before any target is resolved.
  const TCommandList& registry = Registry();
  std::vector<int32_t> numbers(source.lines.size(), 0);
  compiler.lines.Lines.resize(source.lines.size());
  for (std::size_t i = 0; i < source.lines.size(); ++i) {
    const SourceLine& from = source.lines[i];
    TCompLine& to = compiler.lines.Lines[i];
    const int position = static_cast<int>(i);
    if (from.kind == SourceLineKind::Label) {
      to = TCompLine{kLabelCommand, {from.word}, 1, position};
      continue;
    }
    if (from.kind != SourceLineKind::Statement) continue;  // stays inert
    const int32_t number = registry.NumberOfKeyword(from.word);
    if (number == 0) {
      // A quoted first word may be empty ("" message): name that plainly.
      if (from.word.empty()) {
        compiler.Error(position, "Unknown command - \"\" (the command word is empty)");
      } else {
        compiler.Error(position,
                       "Unknown command - " + from.word +
                           (from.word.back() == ':' ? " (a label stands alone on its line)" : ""));
      }
      continue;
    }
    numbers[i] = number;
    if (registry.ByNumber(number)->CompileOnly) continue;  // stays inert
    to = TCompLine{number, from.params, static_cast<int32_t>(from.params.size()), position};
  }
  WarnAboutDuplicateLabels(compiler);

  // Second pass: each command's compile step, in line order.
  for (std::size_t i = 0; i < source.lines.size(); ++i) {
    const int32_t number = numbers[i];
    if (number == 0) continue;
    const SourceLine& from = source.lines[i];
    const int position = static_cast<int>(i);
    const int needed = RequiredParams(number);
    const int found = static_cast<int>(from.params.size());
    if (found < needed) {
      compiler.Warning(position, AsciiLower(from.word) + " needs " + Plural(needed, "parameter") +
                                     ", found " + std::to_string(found) +
                                     "; line compiled unchanged");
    }
    if (number == kCmdFile && found >= 3 && found != 7) {
      compiler.Warning(position,
                       "file takes 1, 2 or 7 parameters (source, subfolder, registry "
                       "condition), found " +
                           std::to_string(found) + "; the setup will skip this group");
    }
    CompileCommand(compiler, number, position, from.params);
  }
  // The uninstaller is written as "<prefix>_Uninstall.exe" in the install
  // folder; without a "prefix" line its name would be the folder itself and
  // every installation would end in an error after all its files were in.
  if (compiler.setup_info.CreateUninstaller != 0 && compiler.setup_info.UninstallExeName.empty()) {
    int at = 0;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      if (numbers[i] == kCmdUninstallPages) at = static_cast<int>(i);
    }
    compiler.Error(at,
                   "uninstallpages needs a prefix line: the uninstaller is named after the "
                   "prefix (prefix Game gives Game_Uninstall.exe)");
  }
  // The page set's icon travels as the uninstaller's icon, never as a file
  // to install, even when a "file" line names the layout folder.
  if (!compiler.setup_info.Pages.empty()) {
    ExcludeGroupFile(JoinProgramPath(settings.tool_folder,
                                     "layout\\" + compiler.setup_info.Pages + "\\icon.ico"),
                     compiler.files);
  }
  std::stable_sort(compiler.diagnostics.begin(), compiler.diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  return compiler;
}

}  // namespace wizpak::compiler
