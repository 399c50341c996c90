// The size limits every picture decoder checks before it allocates, the
// allocation of a blank image within them, and the little-endian field
// readers the Windows formats share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "gui/pictures/picture_decode.h"

namespace wizpak::gui {

// No side longer than this, and no more pixels than this in all (256 MiB of
// RGBA): far beyond any wizard picture, small enough to allocate.
inline constexpr int64_t kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPicturePixels = int64_t{64} << 20;

// An opaque black image of the given size, or nothing when a side is not
// positive or the size passes the limits.
std::optional<RgbaImage> BlankImage(int64_t width, int64_t height);

// Field readers: nothing when the field does not lie wholly inside `bytes`.
std::optional<uint32_t> LoadLe32(std::string_view bytes, size_t at);
std::optional<uint16_t> LoadLe16(std::string_view bytes, size_t at);

}  // namespace wizpak::gui
