// Whole-archive operations for the author's tool: reading an archive file's
// index, its entries' contents, checking it, and writing a new archive from
// a set of named files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gamearchive/archive_format.h"

namespace wizpak::gamearchive {

// An archive opened for reading (recovering a pending journal first).
struct ArchiveReader {
  std::string path;
  uint64_t size = 0;
  ArchiveIndex index;
};
// nullopt with `error` set when the file cannot be read or its tail is damaged.
std::optional<ArchiveReader> OpenArchiveForReading(const std::string& path, std::string& error);

// The stored bytes of an entry, checked to lie inside the data region.
std::optional<std::string> ReadStoredBytes(const ArchiveReader& archive, const TableEntry& entry);
// The file as installed: kind 2 un-stamped and inflated; kind 1 decoded to a
// 16-bit PCM wave. nullopt (with `error`) when damaged.
std::optional<std::string> ReadEntryContent(const ArchiveReader& archive, const TableEntry& entry,
                                            std::string& error);

struct NewArchiveFile {
  std::string name;  // relative, "\" between folders
  std::string content;
};
// Writes a complete archive (atomically). A password longer than the chosen
// trailer can hold is refused. False with `error` on failure.
bool WriteNewArchive(const std::string& path, const std::vector<NewArchiveFile>& files,
                     const std::string& password, bool short_trailer, std::string& error);

// True when `name` is a safe relative entry name (no "..", drive or root).
bool IsSafeEntryName(const std::string& name);

}  // namespace wizpak::gamearchive
