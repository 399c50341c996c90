// The directory of a Windows icon file: a 6-byte header (reserved 0, type 1
// for icons or 2 for cursors, image count) and 16-byte entries (size at 8,
// offset at 12), read the same way for every use of icon files.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace wizpak::gui {

struct IconDirectoryImage {
  size_t index = 0;        // the entry's place in the directory
  std::string_view bytes;  // a bitmap without file header, or a PNG file
};

// The images whose bytes lie inside `file`, in directory order; those that
// do not are passed over, and a cut-off directory ends the list. Nothing
// when the header is not an icon's (or, with `cursors`, a cursor's).
std::vector<IconDirectoryImage> IconDirectoryImages(std::string_view file, bool cursors);

}  // namespace wizpak::gui
