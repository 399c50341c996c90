#include "compiler/source_reader.h"

#include <algorithm>

#include "platform/codepage.h"

namespace wizpak::compiler {
namespace {

// 65536 -> "65,536", as the messages write numbers.
std::string WithThousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ",");
  return digits;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsQuote(char c) {
  return c == '"' || c == '\'' || c == '`';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Splits a statement into words. Returns an error text, or "" when fine.
std::string SplitWords(std::string_view s, std::vector<std::string>& words) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (IsBlank(s[i])) {
      ++i;
      continue;
    }
    if (IsQuote(s[i])) {
      const char quote = s[i];
      const std::size_t close = s.find(quote, i + 1);
      if (close == std::string_view::npos) {
        return std::string("Missing closing quote (") + quote + ") in parameter " +
               std::to_string(words.size());
      }
      words.emplace_back(s.substr(i + 1, close - i - 1));
      i = close + 1;
      if (i < s.size() && !IsBlank(s[i])) {
        return std::string("A blank must follow the closing quote (") + quote + ")";
      }
      continue;
    }
    std::size_t end = i;
    while (end < s.size() && !IsBlank(s[end])) ++end;
    words.emplace_back(s.substr(i, end - i));
    i = end;
  }
  return "";
}

SourceLine ParseLine(std::string_view raw, int index, std::vector<Diagnostic>& diagnostics) {
  SourceLine line;
  const std::string_view s = Trim(raw);
  if (s.empty()) return line;
  if (s.front() == ';' || s.front() == '#') {
    line.kind = SourceLineKind::Comment;
    return line;
  }
  if (s.back() == ':' && IsLabelName(s.substr(0, s.size() - 1))) {
    line.kind = SourceLineKind::Label;
    line.word = std::string(s.substr(0, s.size() - 1));
    return line;
  }
  std::vector<std::string> words;
  const std::string problem = SplitWords(s, words);
  if (!problem.empty()) {
    diagnostics.push_back({index, true, problem});
    return line;
  }
  line.kind = SourceLineKind::Statement;
  line.word = std::move(words.front());
  words.erase(words.begin());
  line.params = std::move(words);
  return line;
}

}  // namespace

std::string ScriptTextToAnsi(std::string_view text) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Bom.size()) != kUtf8Bom) return std::string(text);
  return Utf8ToAnsi(text.substr(kUtf8Bom.size()));
}

bool SourceText::HasErrors() const {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.is_error; });
}

bool IsLabelName(std::string_view name) {
  if (name.empty()) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
  });
}

SourceText ReadSource(std::string_view text) {
  SourceText result;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const int index = static_cast<int>(result.lines.size());
    if (result.lines.size() == kMaxSourceLines) {
      result.diagnostics.push_back(
          {index, true, "Script has more than 65,535 lines; split it or remove blank lines"});
      break;
    }
    if (raw.size() > kMaxSourceLineBytes) {
      result.diagnostics.push_back({index, true,
                                    "Line is " + WithThousands(raw.size()) +
                                        " bytes long; at most 65,535 bytes are allowed"});
      break;
    }
    result.lines.push_back(ParseLine(raw, index, result.diagnostics));
    start = last ? text.size() : end + 1;
  }
  return result;
}

}  // namespace wizpak::compiler
