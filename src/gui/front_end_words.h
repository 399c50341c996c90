// The words a front-end writes on its own rather than taking them from a
// page layout: key hints, prompt titles, the names of its fields. The wizard
// gives them in its language (from the language files) whenever the
// language changes; a field left empty keeps the English default. Texts are
// UTF-8; "<%NAME%>" marks a value the front-end puts in.
#pragma once

#include <string>
#include <string_view>

namespace wizpak::gui {

struct FrontEndWords {
  std::string language = "Language";
  std::string browse_folders = "Browse folders";
  std::string read_whole_text = "Read the whole text";
  std::string read_lines = "Read all <%LINES%> lines";
  std::string change = "Change";
  std::string choice = "Choice";
  std::string folder = "Folder";
  std::string drives = "Drives:";
  std::string folders_in = "Folders in <%FOLDER%>:";
  std::string no_folders = "(none)";
  std::string no_such_folder = "There is no folder <%FOLDER%>.";
  std::string enter_key = "Enter";
  std::string escape_key = "Esc";
  std::string close_hint = "Ctrl+C: close";
  std::string open_field = "1: open the field";
  std::string open_fields = "1-<%COUNT%>: open a field";
  std::string more_below = "↓ more (↑↓ PgUp PgDn)";
  std::string scroll = "↑↓: scroll";
  std::string line_prompt_hint = "Enter: take it   Esc: leave it as it was   Ctrl+U: clear";
  std::string folder_prompt_hint =
      "Enter: take it   Tab: list folders   Esc: leave   Ctrl+U: clear";
  std::string menu_hint = "1-<%COUNT%> or ↑↓ Enter: choose   Esc: leave";
  std::string pager_hint =
      "lines <%FIRST%>-<%LAST%> of <%COUNT%>   ↑↓ PgUp PgDn Space: scroll   Enter/Esc/q: back";
  std::string end_of_text = "(end of text)";
};

// `text` with every "<%NAME%>" replaced by `value`.
inline std::string FillWord(std::string text, std::string_view name, std::string_view value) {
  const std::string mark = "<%" + std::string(name) + "%>";
  for (size_t at = text.find(mark); at != std::string::npos;
       at = text.find(mark, at + value.size())) {
    text.replace(at, mark.size(), value);
  }
  return text;
}

}  // namespace wizpak::gui
