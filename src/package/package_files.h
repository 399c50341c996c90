// File helpers shared by the package reader, the commands and the
// uninstaller builder: length-prefixed strings on files, whole-file reads,
// forced writes that create (and log) missing folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "package/package_hooks.h"
#include "platform/files.h"

namespace wizpak {

// 2-byte count, then that many bytes; nullopt when the file ends first.
std::optional<std::string> ReadShortString(platform::File& file);
// Writes the 2-byte count (length mod 65536) and that many bytes. Returns
// true when any write fell short.
bool WriteShortString(platform::File& file, std::string_view s);

// The whole file (program path); nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(std::string_view path);

// Creates the missing folders of the folder part of `path` (logged to
// `hooks`), then writes `data` under a temporary name and renames it over
// `path`, never through a link. Returns whether all went well
// (LastErrorText says why not); a failed write keeps the old file.
bool WriteFileForced(std::string_view path, std::string_view data, const PackageHooks& hooks);

// For "X:\..." paths only: from the drive root, one folder level at a time
// (each with its trailing "\"), creates every level that is not a folder and
// reports each one actually created to the install log hook of `hooks`. A
// level that is a link or a file stops it there. Other paths (network,
// relative) are left alone.
void ForceFoldersLogged(std::string_view path, const PackageHooks& hooks);

}  // namespace wizpak
