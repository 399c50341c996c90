// Whole-path writes and deletes for everything a run changes outside
// extraction: the install log, the uninstaller, copyfile, delete, rmdir,
// shortcuts, the finaliser. Every call reaches the folder of its path with
// Folder::Open, one level at a time from the drive root without following a
// link, and acts on the last level there; a link anywhere on the way fails
// the call and LastErrorText() names it ("C:\Game\scratch is a link").
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace wizpak::platform {

// "C:\a\b.txt" -> {"C:\a", "b.txt"}; "C:\b.txt" -> {"C:\", "b.txt"};
// "/x/y" -> {"/x", "y"}. A path without a separator gives {"", path}.
std::pair<std::string, std::string> SplitLastLevel(std::string_view path);

// Writes `bytes` as the file `path` in an existing folder: under a temporary
// name first, flushed, then renamed over the name, so readers see the old
// file or the whole new one. A link or a folder at the name is refused.
bool WriteFileWalked(std::string_view path, std::string_view bytes);

// Copies the file `from` (read as it is) to `to` as WriteFileWalked writes.
bool CopyFileWalked(std::string_view from, std::string_view to);

enum class DeleteResult { Deleted, Missing, Failed };
// Deletes the regular file or the link itself (never what it points to) at
// `path`. A folder, device or read-only file is refused (Failed).
DeleteResult DeleteFileWalked(std::string_view path);

// Removes the empty folder `path` (a link there is refused).
DeleteResult RemoveFolderWalked(std::string_view path);

// True when the last failing call failed at a link (on the way or at the
// name itself): LastErrorText() then names it.
bool LastErrorIsLink();

}  // namespace wizpak::platform
