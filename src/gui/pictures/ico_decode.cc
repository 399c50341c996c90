// Windows icon and cursor files: the largest image that decodes.
#include <algorithm>
#include <vector>

#include "gui/pictures/dib_decode.h"
#include "gui/pictures/icon_directory.h"
#include "gui/pictures/picture_decode.h"
#include "gui/pictures/picture_limits.h"

namespace wizpak::gui {
namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
// Candidates tried before giving up, largest first, when images do not decode.
constexpr size_t kMaxAttempts = 8;

struct Candidate {
  std::string_view bytes;
  bool png = false;
  int64_t area = 0;
  int bits = 0;
  size_t index = 0;
};

uint32_t LoadBe32(std::string_view b, size_t at) {
  return (uint32_t{static_cast<uint8_t>(b[at])} << 24) |
         (uint32_t{static_cast<uint8_t>(b[at + 1])} << 16) |
         (uint32_t{static_cast<uint8_t>(b[at + 2])} << 8) | static_cast<uint8_t>(b[at + 3]);
}

// The image's own size, not the directory's byte-sized guess (0 means 256
// there, and writers get it wrong).
std::optional<Candidate> Measure(std::string_view image, size_t index) {
  Candidate c;
  c.bytes = image;
  c.index = index;
  if (image.starts_with(kPngSignature)) {
    // The IHDR chunk comes first: length, "IHDR", width and height.
    if (image.size() < 24 || image.substr(12, 4) != "IHDR") return std::nullopt;
    c.png = true;
    const auto side = [&](size_t at) {
      return std::min<int64_t>(LoadBe32(image, at), kMaxPictureSide + 1);
    };
    c.area = side(16) * side(20);
    c.bits = 32;
    return c;
  }
  DibPlace place;
  place.icon = true;
  const auto shape = ReadDibShape(image, place);
  if (!shape) return std::nullopt;
  c.area = shape->width * shape->height;
  c.bits = shape->bits;
  return c;
}

}  // namespace

std::optional<RgbaImage> DecodeIco(std::string_view bytes) {
  std::vector<Candidate> candidates;
  for (const IconDirectoryImage& image : IconDirectoryImages(bytes, /*cursors=*/true)) {
    if (auto c = Measure(image.bytes, image.index)) candidates.push_back(*c);
  }
  // Largest first; of equal sizes the deeper colours, then the earlier entry.
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    if (a.area != b.area) return a.area > b.area;
    if (a.bits != b.bits) return a.bits > b.bits;
    return a.index < b.index;
  });
  for (size_t i = 0; i < candidates.size() && i < kMaxAttempts; ++i) {
    const Candidate& c = candidates[i];
    DibPlace place;
    place.icon = true;
    auto image = c.png ? DecodePng(c.bytes) : DecodeDib(c.bytes, place);
    if (image) return image;
  }
  return std::nullopt;
}

}  // namespace wizpak::gui
