#include "compiler/compile_commands.h"

#include <charconv>

#include "compiler/file_groups.h"
#include "compiler/path_join.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/path_bounds.h"
#include "script/command_class.h"
#include "text/digit_cipher.h"
#include "text/folder_rules.h"
#include "text/language.h"

namespace wizpak::compiler {
namespace {

// Language files are a few kilobytes; a larger file is not one.
constexpr uint64_t kMaxLanguageFileBytes = 16u << 20;

bool IsDecimalInteger(const std::string& text) {
  if (text.empty()) return false;
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

TCompLine& LineAt(TCompiler& compiler, int line) {
  return compiler.lines.Lines[static_cast<std::size_t>(line)];
}

// Writes "-1" for a jump parameter that is "0" in the source.
void MarkNoJump(TCompiler& compiler, int line, std::size_t index) {
  TCompLine& compiled = LineAt(compiler, line);
  if (index < compiled.Params.size() && compiled.Params[index] == "0") {
    compiled.Params[index] = "-1";
  }
}

// A jump parameter of "iffileexists" / "messagebox": "0" is no jump, else
// the last label of that name.
void ResolveConditionalTarget(TCompiler& compiler, int line, std::size_t index) {
  TCompLine& compiled = LineAt(compiler, line);
  if (index >= compiled.Params.size()) return;
  const std::string target = compiled.Params[index];
  if (target == "0") {
    compiled.Params[index] = "-1";
    return;
  }
  const std::string resolved = ResolveLabel(compiler.lines, target, /*first_wins=*/false);
  if (!IsDecimalInteger(resolved)) {
    compiler.Error(line, "Label not found - " + target);
    return;
  }
  compiled.Params[index] = resolved;
}

// A goto back to a label with only labels, comments and compile-time lines
// between it and the goto runs no command on its way round: the setup would
// spin there for ever.
void WarnAboutSelfLoop(TCompiler& compiler, int line, int target, const std::string& label) {
  if (target >= line) return;
  for (int between = target + 1; between < line; ++between) {
    if (LineAt(compiler, between).Command > 0) return;
  }
  compiler.Warning(line, "goto " + label +
                             " leads back to itself with no command between; the setup would "
                             "loop here for ever");
}

void CompileGoto(TCompiler& compiler, int line) {
  TCompLine& compiled = LineAt(compiler, line);
  if (compiled.Command != kCmdGoto || compiled.Params.empty()) return;
  const std::string target = compiled.Params[0];
  const std::string resolved = ResolveLabel(compiler.lines, target, /*first_wins=*/true);
  if (!IsDecimalInteger(resolved)) {
    compiler.Error(compiled.LineNumber, "Label not found - " + target);
    return;
  }
  compiled.Params[0] = resolved;
  WarnAboutSelfLoop(compiler, line, std::stoi(resolved), target);
}

void CompileFileGroup(TCompiler& compiler, int line, const std::vector<std::string>& params,
                      std::size_t required) {
  if (compiler.files.group_counter >= 0xFFFF) {
    compiler.Error(line, "More than 65,535 file-carrying lines");
    return;
  }
  const uint16_t group = static_cast<uint16_t>(++compiler.files.group_counter);
  if (params.size() < required) return;
  const std::string source = JoinProgramPath(compiler.settings.source_folder, params[0]);
  const std::size_t before = compiler.files.files.size();
  std::string problem = AddSourceToGroup(source, group, compiler.files);
  for (std::string& note : compiler.files.notes) compiler.Warning(line, std::move(note));
  compiler.files.notes.clear();
  if (!problem.empty()) {
    compiler.Error(line, std::move(problem));
  } else if (compiler.files.files.size() == before) {
    compiler.Warning(line, "Folder holds no files - " + source);
  }
}

void EncipherSecondParam(TCompiler& compiler, int line) {
  TCompLine& compiled = LineAt(compiler, line);
  if (compiled.Params.size() < 2) return;
  compiled.Params[1] = EncryptWithDigitKey(kGameArchiveKey, compiled.Params[1]);
}

void CompileLanguage(TCompiler& compiler, int line, const std::string& language,
                     const std::string& entry_prefix) {
  if (IsUnsafeEntryName(language)) {
    compiler.Error(line, "Language name must be a path below languages - " + language);
    return;
  }
  const std::string path =
      JoinProgramPath(compiler.settings.tool_folder, "languages\\" + language + ".wri");
  if (!platform::FileExists(path)) {
    compiler.Warning(line, "Language file not found - " + path + "; nothing added");
    return;
  }
  // Read with the setup's own loader, so a file the setup would refuse at
  // start-up stops the build instead, naming the file and its line.
  auto refuse = [&](std::string message, int file_line) {
    compiler.diagnostics.push_back({line, true, std::move(message), path, file_line});
  };
  const std::optional<std::string> bytes = platform::ReadFileBytes(path, kMaxLanguageFileBytes);
  if (!bytes) {
    refuse("cannot read the language file (" + platform::LastErrorText() + ")", 1);
    return;
  }
  // A byte-order mark alone holds no line either.
  if (bytes->empty() || *bytes == "\xFF\xFE") {
    refuse("language file is empty; it needs a name line and an identifier line", 1);
    return;
  }
  TLanguage check;
  const LanguageLoadResult loaded = check.LoadFromBuffer(bytes->data(), bytes->size());
  if (!loaded) {
    std::string message = loaded.message;
    // The line is shown before the message already.
    const std::string own_prefix = "line " + std::to_string(loaded.line) + ": ";
    if (message.starts_with(own_prefix)) message.erase(0, own_prefix.size());
    refuse(std::move(message), loaded.line > 0 ? loaded.line : 1);
    return;
  }
  compiler.files.files.push_back({path, entry_prefix + language, 0});
}

void CheckPageSetName(TCompiler& compiler, int line, const std::string& name) {
  if (IsUnsafeEntryName(name)) {
    compiler.Error(line, "Page set name must be a folder below layout - " + name);
  }
}

// "prefix" and "outfile" name one file in the install folder: a separator,
// "..", a drive or a character Windows forbids would put the install log,
// the uninstaller or the setup somewhere else.
bool CheckPlainFileName(TCompiler& compiler, int line, const char* keyword,
                        const std::string& name) {
  if (platform::IsPlainFileName(name) || (name.empty() && std::string_view(keyword) == "prefix"))
    return true;
  compiler.Error(line, std::string(keyword) +
                           " must be a plain file name (no \\, /, :, *, ?, \", <, >, |, control "
                           "character, \"..\" or trailing dot or blank) - " +
                           platform::VisibleText(name));
  return false;
}

}  // namespace

std::string ResolveLabel(const TCompLines& lines, const std::string& target, bool first_wins) {
  const std::string wanted = AnsiLower(target);
  std::string result = target;
  for (std::size_t j = 0; j < lines.Lines.size(); ++j) {
    const TCompLine& candidate = lines.Lines[j];
    if (candidate.Command != kLabelCommand || candidate.Params.empty()) continue;
    if (AnsiLower(candidate.Params[0]) != wanted) continue;
    result = std::to_string(j);
    if (first_wins) break;
  }
  return result;
}

void CompileCommand(TCompiler& compiler, int32_t command, int line,
                    const std::vector<std::string>& params) {
  TSetupInfoFile& info = compiler.setup_info;
  const bool complete = static_cast<int>(params.size()) >= RequiredParams(command);
  switch (command) {
    case kCmdGoto:
      CompileGoto(compiler, line);
      return;
    case kCmdFile:
      CompileFileGroup(compiler, line, params, 1);
      return;
    case kCmdKypUpdate:
      CompileFileGroup(compiler, line, params, 1);
      EncipherSecondParam(compiler, line);
      return;
    case kCmdKypOfficial:
      EncipherSecondParam(compiler, line);
      return;
    case kCmdIfFileExists:
      if (!complete) {
        // A short line keeps its texts, but a source "0" still means no
        // jump: left as "0" it would jump to the first line at run time and
        // run the script again from there for as long as the file stays.
        MarkNoJump(compiler, line, 1);
        MarkNoJump(compiler, line, 2);
        return;
      }
      break;
    default:
      break;
  }
  if (!complete) return;
  switch (command) {
    case kCmdName:
      info.SetupName = params[0];
      info.ShortName = params[0];
      break;
    case kCmdOutFile:
      CheckPlainFileName(compiler, line, "outfile", params[0]);
      info.SetupExeName = params[0];
      break;
    case kCmdInstallDir: {
      // The folder page would refuse it, and a run without one would write
      // wherever the text happens to lead.
      const FolderVerdict verdict = CheckFolderSetting(params[0]);
      if (!verdict.ok()) {
        compiler.Error(line, "installdir " + params[0] + ": " + FolderProblemEnglish(verdict));
      }
      info.InstallDir = verdict.folder;
      break;
    }
    case kCmdInstallDirRegKey:
      info.InstallDirRegKey.HKEY = RootKeyIndex(params[0]);
      info.InstallDirRegKey.Path = params[1];
      info.InstallDirRegKey.Key = params[2];
      break;
    case kCmdIfFileExists:
      ResolveConditionalTarget(compiler, line, 1);
      ResolveConditionalTarget(compiler, line, 2);
      break;
    case kCmdChangelog:
      // The record keeps the path; the file itself goes into the package
      // under that name, so it must be there now.
      info.Changelog = JoinProgramPath(compiler.settings.source_folder, params[0]);
      if (!platform::IsRegularFile(info.Changelog)) {
        compiler.Error(line, "Change log not found - " + info.Changelog);
      }
      break;
    case kCmdMessageBox:
      ResolveConditionalTarget(compiler, line, 2);
      ResolveConditionalTarget(compiler, line, 3);
      break;
    case kCmdLanguage:
      CompileLanguage(compiler, line, params[0], "LANGUAGE-");
      break;
    case kCmdPages:
      CheckPageSetName(compiler, line, params[0]);
      info.Pages = params[0];
      break;
    case kCmdShortName:
      info.ShortName = params[0];
      break;
    case kCmdUninstallPages:
      CheckPageSetName(compiler, line, params[0]);
      info.UninstallPages = params[0];
      info.CreateUninstaller = 1;
      break;
    case kCmdUninstallLanguage:
      CompileLanguage(compiler, line, params[0], "UNINSTALL_LANGUAGE-");
      break;
    case kCmdPrefix:
      CheckPlainFileName(compiler, line, "prefix", params[0]);
      info.UninstallPrefix = params[0] + "_";
      info.UninstallExeName = params[0] + "_Uninstall.exe";
      break;
    default:
      break;  // run-time commands: nothing to do at compile time
  }
}

}  // namespace wizpak::compiler
