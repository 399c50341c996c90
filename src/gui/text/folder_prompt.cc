#include "gui/text/folder_prompt.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace wizpak::gui::text {
namespace {

constexpr size_t kMaxListed = 60;

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// `words` joined by three blanks, wrapped at `width` after `head`.
void AppendWrapped(std::vector<CellLine>& out, const std::string& head,
                   const std::vector<std::u16string>& words, int width) {
  CellLine text = Utf8ToCells(head, kBold);
  for (size_t i = 0; i < words.size(); ++i) {
    AppendUtf8(text, i == 0 ? " " : "   ");
    Append(text, words[i]);
  }
  for (CellLine& line : Wrap(text, width)) out.push_back(std::move(line));
}

}  // namespace

std::string NormaliseFolder(std::string_view typed) {
  std::string out(typed);
  std::replace(out.begin(), out.end(), '/', '\\');
  if (HasDriveLetter(out)) out[0] = AnsiUpperChar(out[0]);
  // "C:" alone is the drive's root.
  if (out.size() == 2 && HasDriveLetter(out)) out += '\\';
  return out;
}

std::string DeepestExistingFolder(std::string_view path_text) {
  std::string path = NormaliseFolder(path_text);
  if (!HasDriveLetter(path)) return "";
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  while (!platform::DirectoryExists(path)) {
    const size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos || path.size() <= 3) return "";
    path = path.substr(0, cut < 3 ? 3 : cut);
  }
  if (path.back() != '\\') path += '\\';
  return path;
}

std::vector<CellLine> FolderListing(std::string_view typed, int width, const FrontEndWords& words) {
  std::vector<CellLine> out;
  std::vector<std::u16string> drives;
  for (const platform::Drive& drive : platform::DriveMap())
    drives.push_back(AnsiToWide(std::string(1, drive.letter) + ":\\"));
  AppendWrapped(out, words.drives, drives, width);
  const std::string folder = DeepestExistingFolder(typed);
  if (folder.empty()) return out;
  std::vector<std::u16string> names;
  size_t total = 0;
  if (const auto entries = platform::ListFolder(folder)) {
    for (const platform::FolderEntry& entry : *entries) {
      // Host dot-folders are hidden ones, as in the graphical tree.
      if (!entry.is_folder || entry.name.empty() || entry.name[0] == '.') continue;
      if (++total <= kMaxListed) names.push_back(AnsiToWide(entry.name));
    }
  }
  if (total > kMaxListed) names.push_back(u"… (" + AnsiToWide(std::to_string(total)) + u")");
  if (names.empty()) names.push_back(Utf8ToWide(words.no_folders));
  AppendWrapped(out, FillWord(words.folders_in, "FOLDER", AnsiToUtf8(folder)), names, width);
  return out;
}

void BrowseFolders(TextSession& session, FolderTree& tree, const std::u16string& title) {
  const int width = std::max(session.Size().columns - 4, 20);
  std::u16string text = AnsiToWide(tree.SelectedFolder());
  const FrontEndWords& words = session.Words();
  std::vector<CellLine> info = FolderListing(WideToAnsi(text), width, words);
  const auto lister = [width, &words](const std::u16string& typed) {
    return FolderListing(WideToAnsi(typed), width, words);
  };
  while (true) {
    const std::optional<std::u16string> answer =
        session.PromptLine(title.empty() ? Utf8ToWide(words.folder) : title, text, info, lister);
    if (!answer) return;
    std::u16string typed = *answer;
    if (!typed.empty() && typed.back() == u'?') {
      typed.pop_back();
      text = typed;
      info = FolderListing(WideToAnsi(typed), width, words);
      continue;
    }
    const std::string folder = NormaliseFolder(WideToAnsi(typed));
    if (HasDriveLetter(folder) && platform::DirectoryExists(folder) &&
        tree.SelectFolder(folder, true))
      return;
    text = typed;
    info = {Utf8ToCells(FillWord(words.no_such_folder, "FOLDER", AnsiToUtf8(folder)), kBold)};
    const std::vector<CellLine> listing = FolderListing(folder, width, words);
    info.insert(info.end(), listing.begin(), listing.end());
  }
}

}  // namespace wizpak::gui::text
