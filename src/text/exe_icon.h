// ReplaceExeIcon: puts the first image of an icon file into an executable's
// icon resource. The icon file is parsed here; writing the resource is the
// platform's (platform/shell.h): only Windows (PE) images carry resources,
// and only the Windows platform layer can update them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wizpak {

// The first image of an icon file: the bytes its first directory entry
// names (size at bytes 8..11 of the entry, offset at 12..15).
struct IconImage {
  uint8_t width = 0;   // 0 means 256
  uint8_t height = 0;  // 0 means 256
  uint16_t image_count = 0;
  std::string directory_entry;  // the first 12 bytes of the image's entry
  std::string bytes;
};

// Parses an icon file held in memory: a 6-byte header (reserved 0, type 1,
// at least one image) and 16-byte directory entries. nullopt when the
// header is not an icon's or the first image lies outside the bytes there.
std::optional<IconImage> ParseIconFile(std::string_view file);

// True when `header` begins like a Windows PE image ("MZ", and "PE\0\0" at
// the offset stored at 0x3C).
bool IsPeImage(std::string_view header);

// False when the icon file cannot be read or parsed, the executable cannot
// be opened or is no PE image, or the platform cannot write the resource
// (every POSIX build: the image keeps its own icon).
bool ReplaceExeIcon(std::string_view icon_file, std::string_view exe_file);

// Icon files larger than this are not read.
inline constexpr uint64_t kMaxIconFileBytes = 16u << 20;

}  // namespace wizpak
