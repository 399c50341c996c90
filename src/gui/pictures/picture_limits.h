// The size limits every picture decoder checks before it allocates, and the
// allocation of a blank image within them.
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

}  // namespace wizpak::gui
