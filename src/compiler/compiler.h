// The compiler context TCompiler and the compile pass over a whole script:
// source lines become TCompLines (one compiled line per source line), the
// setup-property commands fill the TSetupInfoFile being built, and the
// file-carrying commands number file groups in TCompilerFileList.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/source_reader.h"
#include "package/setup_info.h"
#include "script/comp_lines.h"

namespace wizpak::compiler {

// One file that goes into the package.
struct TCompilerFile {
  std::string source_path;  // host path of the file to store
  std::string name;         // package entry name (ANSI, "\" between folder levels)
  uint16_t group = 0;       // 0: support entry; n: the n-th file-carrying line
};

struct TCompilerFileList {
  std::vector<TCompilerFile> files;  // in the order the lines added them
  uint32_t group_counter = 0;        // the last group number handed out
  // Warnings about the sources read (entries skipped, links leaving their
  // folder), taken and reported by the line that added them.
  std::vector<std::string> notes;
  bool follow_links = false;  // links leaving a source folder are not warned about
};

// Where the compiler finds its inputs. Folders are host paths without a
// trailing '/'.
struct CompilerSettings {
  std::string source_folder;  // the script's folder
  std::string tool_folder;    // the folder of the wizpak executable (languages/, layout/)
  bool follow_links = false;  // pack what links lead to without warning when they leave the source
};

struct TCompiler {
  TCompLines lines;
  TCompilerFileList files;
  TSetupInfoFile setup_info;
  CompilerSettings settings;
  // Errors and warnings of this compile, in line order per kind of check.
  std::vector<Diagnostic> diagnostics;

  bool HasErrors() const;
  void Error(int line, std::string message);
  void Warning(int line, std::string message);
};

// Compiles a script file's bytes, read as DecodeScriptSource reads them.
// Never throws for bad input: problems land in the result's diagnostics,
// and the caller builds nothing when HasErrors().
TCompiler CompileSource(std::string_view bytes, const CompilerSettings& settings);

// "FILE:LINE: message" (LINE 1-based) or "FILE:LINE: warning: message";
// "FILE:LINE:COLUMN: message" when the message is about one character.
std::string FormatDiagnostic(std::string_view file, const Diagnostic& d);

// Parameters each command needs (by command number 1..27); fewer gives a
// warning and the line is compiled unchanged.
int RequiredParams(int32_t command);

}  // namespace wizpak::compiler
