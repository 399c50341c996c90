// Extracting TPak entries to files: a group below a folder (small entries
// inflated ahead on a second thread) and large entries copied in pieces,
// through the run's package hooks for status, progress and stopping.
#include "package/pak.h"

#include <algorithm>

#include "package/install_writer.h"
#include "package/package_files.h"
#include "package/package_hooks.h"
#include "package/unpack_ahead.h"
#include "package/zlib_stream.h"

namespace wizpak {

namespace {

std::string FormatBytes(const PackageHooks& hooks, uint64_t bytes) {
  if (hooks.format_byte_size) return hooks.format_byte_size(bytes);
  return std::to_string(bytes);
}

void ShowExtractStatus(const PackageHooks& hooks, std::string_view text) {
  if (hooks.show_extract_status) hooks.show_extract_status(text);
}

}  // namespace

void TPak::ExtractGroup(uint16_t group, std::string_view folder, const PackageHooks& hooks) {
  InstallWriter writer{std::string(folder), hooks};
  // The small entries that will be written, unpacked ahead on another thread.
  std::vector<uint32_t> small;
  std::vector<uint64_t> sizes;
  for (uint32_t i = 0; i < Entries.size(); ++i) {
    const TPakEntry& e = Entries[i];
    if (e.Group != group || e.OrigSize >= kLargeEntrySize || !IsSafeRelativeName(e.Name)) continue;
    small.push_back(i);
    sizes.push_back(uint64_t{e.StoredLength()} + e.OrigSize);
  }
  UnpackAhead ahead(small, sizes, [this](uint32_t i) { return Unpack(i); });

  uint32_t size = 0;
  std::string name;
  FindFirst(group, size, false, name);
  for (;;) {
    // A cancelled run stops between files: the folder holds only whole,
    // logged files, and the run saves the log of what is there.
    if (!name.empty() && hooks.StopRequested()) break;
    ShowExtractStatus(hooks, name);
    if (name.empty()) break;
    const uint32_t index = Cursor - 1;
    // A name that could leave the folder is never written.
    if (IsSafeRelativeName(name)) {
      const std::string path = std::string(folder) + "\\" + name;
      if (size >= kLargeEntrySize) {
        const uint32_t resume = Cursor;
        CopyLarge(writer, hooks, path, name, size, index);
        Cursor = resume;
      } else {
        const PakBlock content = Deliver(index, ahead.Next());
        writer.WriteFile(path, content ? *content : std::string_view());
      }
    }
    if (hooks.step_progress) hooks.step_progress();
    if (hooks.keep_responsive) hooks.keep_responsive();
    FindNext(group, size, false, name);
  }
  writer.Finish();
}

void TPak::ExtractLarge(std::string_view path, std::string_view name, uint32_t size, uint32_t index,
                        const PackageHooks& hooks) {
  InstallWriter writer{std::string(path), hooks};
  CopyLarge(writer, hooks, path, name, size, index);
  writer.Finish();
}

void TPak::CopyLarge(InstallWriter& writer, const PackageHooks& hooks, std::string_view path,
                     std::string_view name, uint32_t size, uint32_t index) {
  if (index >= Entries.size() || Entries[index].Damaged) return;
  platform::ReplacingFile out = writer.Begin(path);
  const uint32_t offset = Entries[index].Offset;
  std::string buffer;
  uint32_t crc = 0;
  uint32_t remaining = size;
  while (remaining > 0) {
    // The status names every 25 MiB chunk; the chunk is copied in pieces
    // with the window's events handled between them, so Cancel and repaints
    // are not held up by a whole chunk.
    if ((size - remaining) % kLargeChunkSize == 0) {
      ShowExtractStatus(hooks, std::string(name) + " - " + FormatBytes(hooks, size - remaining) +
                                   " / " + FormatBytes(hooks, size));
    }
    if (hooks.keep_responsive) hooks.keep_responsive();
    // Cut off part-way, the new file is discarded and the old one stays.
    if (hooks.StopRequested()) return;
    const uint32_t piece = std::min(kLargePieceSize, remaining);
    buffer.resize(piece);
    const int64_t got = file_.ReadAt(int64_t{offset} + (size - remaining), buffer.data(), piece);
    // The directory check keeps large entries inside the package, so a short
    // read means the package itself is damaged or unreadable.
    if (got != piece) {
      throw ExtractionError("Cannot read " + std::string(name) + " from the package: " +
                            (got < 0 ? platform::LastErrorText() : "it ends early"));
    }
    crc = Crc32Continue(crc, buffer.data(), piece);
    InstallWriter::Write(out, path, buffer.data(), got);
    remaining -= piece;
  }
  // Checked while copied: a damaged large entry never replaces the old file.
  const auto check = large_checks_.find(index);
  if (check != large_checks_.end() && check->second != crc)
    throw ExtractionError("Cannot install " + std::string(path) + ": " + std::string(name) +
                          " is damaged in the setup package");
  writer.Commit(out, path);
}

}  // namespace wizpak
