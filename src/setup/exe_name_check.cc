#include "setup/exe_name_check.h"

#include "platform/codepage.h"

namespace wizpak::setup {
namespace {

// ANSI lower case, without the last "." and what follows it.
std::string Stem(std::string_view name) {
  std::string lower = AnsiLower(name);
  const size_t dot = lower.rfind('.');
  if (dot != std::string::npos) lower.erase(dot);
  return lower;
}

}  // namespace

bool ExecutableNameAccepted(std::string_view expected, std::string_view actual) {
  const std::string want = Stem(expected);
  const std::string have = Stem(actual);
  if (have == want) return true;
  if (have.size() < want.size() + 2 || !have.starts_with(want)) return false;
  if (have[want.size()] != '(' || have.back() != ')') return false;
  for (size_t i = want.size() + 1; i + 1 < have.size(); ++i) {
    if (have[i] < '1' || have[i] > '9') return false;
  }
  return true;
}

std::string RenamedExecutableMessage(std::string_view expected, std::string_view found) {
  std::string text = "Error: Setup`s filename has been renamed\r\rExpected: \r";
  text += expected;
  text += "\r\rFound: \r";
  text += found;
  return text;
}

std::string FileNamePart(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace wizpak::setup
