#include "gui/canvas.h"

#include <algorithm>

namespace wizpak::gui {

MemoryCanvas::MemoryCanvas(int width, int height, ColourRef background)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), background);
}

void MemoryCanvas::FillRect(int x, int y, int width, int height, ColourRef colour) {
  // Clip in 64 bits so huge sizes cannot overflow.
  const int64_t x0 = std::max<int64_t>(x, 0);
  const int64_t y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(x) + width, width_);
  const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(y) + height, height_);
  for (int64_t row = y0; row < y1; ++row) {
    for (int64_t col = x0; col < x1; ++col) {
      pixels_[static_cast<size_t>(row * width_ + col)] = colour;
    }
  }
}

void MemoryCanvas::SetPixel(int x, int y, ColourRef colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = colour;
}

void MemoryCanvas::DrawText(int x, int y, std::u16string_view text, const FontSpec& font) {
  texts_.push_back(DrawnText{x, y, std::u16string(text), font});
}

ColourRef MemoryCanvas::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void MemoryCanvas::Clear(ColourRef background) {
  texts_.clear();
  std::fill(pixels_.begin(), pixels_.end(), background);
}

}  // namespace wizpak::gui
