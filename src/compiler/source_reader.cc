#include "compiler/source_reader.h"

#include <algorithm>
#include <cstdio>

#include "platform/codepage.h"

namespace wizpak::compiler {
namespace {

// 65536 -> "65,536", as the messages write numbers.
std::string WithThousands(std::size_t n) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// Past this many characters that cannot be stored, one message counts the rest.
constexpr std::size_t kMaxUnstorableReported = 20;

// '"ő" cannot be stored in a setup script (Windows-1252)'. Characters that
// show as nothing (zero-width and direction marks, a stray byte-order mark,
// combining marks) are named by their code point as well.
std::string UnstorableMessage(std::string_view utf8, const UnstorableCharacter& c,
                              const char* encoding) {
  const char32_t cp = c.code_point;
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  const bool invisible = (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x200B && cp <= 0x200F) ||
                         (cp >= 0x2028 && cp <= 0x202F) || (cp >= 0x2060 && cp <= 0x206F) ||
                         cp == 0xFEFF;
  std::string out = "\"";
  out.append(utf8.substr(c.offset, c.size));
  out.append("\"");
  if (cp == 0xFFFD) {
    // Bytes that did not decode, or the replacement character itself.
    out.append(" (").append(code).append(": bytes that are not valid ").append(encoding);
    out.append(")");
  } else if (invisible) {
    out.append(" (").append(code).append(")");
  }
  out.append(" cannot be stored in a setup script (Windows-1252)");
  return out;
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

DecodedScript DecodeScriptSource(std::string_view bytes) {
  DecodedScript result;
  const TextEncoding encoding = DetectTextEncoding(bytes);
  result.encoding = TextEncodingName(encoding);
  if (encoding == TextEncoding::Ansi) {
    result.text = std::string(bytes);
    return result;
  }
  const std::string utf8 = TextToUtf8(bytes, encoding);
  std::vector<UnstorableCharacter> unstorable;
  result.text = Utf8ToAnsiListing(utf8, unstorable);
  // Line and column of each, counted as an editor counts them: lines from
  // the newlines before it, columns in characters from the line's start.
  int line = 0;
  int column = 1;
  std::size_t pos = 0;
  std::size_t reported = 0;
  for (const UnstorableCharacter& c : unstorable) {
    for (; pos < c.offset; ++pos) {
      const auto byte = static_cast<unsigned char>(utf8[pos]);
      if (byte == '\n') {
        ++line;
        column = 1;
      } else if ((byte & 0xC0) != 0x80) {
        ++column;
      }
    }
    if (reported == kMaxUnstorableReported) {
      result.diagnostics.push_back(
          {line,
           true,
           "and " + WithThousands(unstorable.size() - reported) +
               " more characters that cannot be stored in a setup script (Windows-1252)",
           {},
           0,
           column});
      break;
    }
    result.diagnostics.push_back(
        {line, true, UnstorableMessage(utf8, c, result.encoding), {}, 0, column});
    ++reported;
  }
  return result;
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
