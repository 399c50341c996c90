// The folder tree as a prompt: the person types a drive-letter folder
// ("C:\Games\New" or with "/"), Tab (or a "?" at the end) lists the drives of
// the drive map and the folders inside the deepest existing folder of what
// is typed, and Enter selects an existing folder in the tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gui/text/cells.h"
#include "gui/text/text_session.h"
#include "gui/widgets.h"

namespace wizpak::gui::text {

// "c:/games/x" -> "C:\games\x": "/" read as "\", the drive letter upper
// case. Other text is returned with only the "/" changed.
std::string NormaliseFolder(std::string_view typed);

// The deepest folder of `path` that exists, with a trailing "\" ("" when not
// even the drive does).
std::string DeepestExistingFolder(std::string_view path);

// The drives and the subfolders of the deepest existing folder of `typed`,
// wrapped to `width`.
std::vector<CellLine> FolderListing(std::string_view typed, int width,
                                    const FrontEndWords& words = {});

// Asks for a folder until an existing one is chosen (selected in `tree`) or
// the person leaves.
void BrowseFolders(TextSession& session, FolderTree& tree, const std::u16string& title);

}  // namespace wizpak::gui::text
