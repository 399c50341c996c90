// Reads script source text into one source line per text line: blank and
// comment lines, labels ("name:") and statements (a keyword and its
// parameters). Quoting uses ", ' or ` without escapes; backslashes are
// literal. Only the text is looked at here: keywords are resolved later.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak::compiler {

// Compiled positions are 16-bit counts, so a script has at most this many
// lines and a line at most this many bytes.
constexpr std::size_t kMaxSourceLines = 65535;
constexpr std::size_t kMaxSourceLineBytes = 65535;

enum class SourceLineKind { Blank, Comment, Label, Statement };

struct SourceLine {
  SourceLineKind kind = SourceLineKind::Blank;
  // Statement: the keyword as written. Label: the label's name.
  std::string word;
  // Statement: the parameters in order, quotes removed.
  std::vector<std::string> params;
};

// A message about one line. `line` is the 0-based position; messages show
// line + 1, the number an editor shows.
struct Diagnostic {
  int line = 0;  // 0-based script line
  bool is_error = false;
  std::string message;
  // A problem inside a file the script line names (a language file): that
  // file and its 1-based line are what the author is shown.
  std::string file = {};
  int file_line = 0;
  // 1-based character column on `line`, when the message is about one
  // character; 0 when it is about the whole line.
  int column = 0;
};

struct SourceText {
  std::vector<SourceLine> lines;
  std::vector<Diagnostic> diagnostics;
  bool HasErrors() const;
};

// Splits `text` at "\n" (a "\r" before it is dropped). A final line without
// a newline counts; a newline at the very end does not start another line.
// Too many lines or an over-long line is an error and stops the reading.
SourceText ReadSource(std::string_view text);

// A script file's bytes as the Windows-1252 text the compiled script
// stores. The file is read as UTF-8 (byte-order mark, or well-formed UTF-8
// with a byte above 127), UTF-16 (byte-order mark) or else Windows-1252.
// Every character Windows-1252 cannot hold is an error at its line and
// column; `text` then holds '?' in its place and must not be stored.
struct DecodedScript {
  std::string text;
  const char* encoding = "";  // the encoding it was read in, for messages
  std::vector<Diagnostic> diagnostics;
};
DecodedScript DecodeScriptSource(std::string_view bytes);

// True when `name` is a valid label name: letters, digits, '_', '.', '-'.
bool IsLabelName(std::string_view name);

}  // namespace wizpak::compiler
