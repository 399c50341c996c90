#include "gui/win32/dib_canvas.h"

#include <algorithm>

namespace wizpak::gui::win32 {
namespace {

BITMAPINFO InfoFor(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// 0x00BBGGRR to the DIB's 0x00RRGGBB.
uint32_t ToPixel(ColourRef colour) {
  const COLORREF c = ToColorRef(colour);
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

}  // namespace

DibCanvas::DibCanvas(int width, int height, ColourRef background)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  if (width_ == 0 || height_ == 0) return;
  BITMAPINFO info = InfoFor(width_, height_);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap_ || !bits) {
    width_ = height_ = 0;
    return;
  }
  bits_ = static_cast<uint32_t*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  if (dc_) previous_ = SelectObject(dc_, bitmap_);
  FillRect(0, 0, width_, height_, background);
}

DibCanvas::~DibCanvas() {
  if (dc_) {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

void DibCanvas::FillRect(int x, int y, int width, int height, ColourRef colour) {
  if (!bits_) return;
  const int x0 = std::max(x, 0);
  const int y0 = std::max(y, 0);
  const int x1 = std::min<int64_t>(static_cast<int64_t>(x) + std::max(width, 0), width_);
  const int y1 = std::min<int64_t>(static_cast<int64_t>(y) + std::max(height, 0), height_);
  if (x0 >= x1 || y0 >= y1) return;
  GdiFlush();
  const uint32_t pixel = ToPixel(colour);
  for (int row = y0; row < y1; ++row) {
    std::fill(bits_ + static_cast<size_t>(row) * width_ + x0,
              bits_ + static_cast<size_t>(row) * width_ + x1, pixel);
  }
}

void DibCanvas::SetPixel(int x, int y, ColourRef colour) {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  GdiFlush();
  bits_[static_cast<size_t>(y) * width_ + x] = ToPixel(colour);
}

void DibCanvas::DrawText(int x, int y, std::u16string_view text, const FontSpec& font) {
  if (!dc_ || text.empty()) return;
  const int pixel_height = font.size_points * 96 / 72;
  const int estimated_width = static_cast<int>(text.size()) * pixel_height / 2;
  const int centre_x = x + estimated_width / 2;
  const int centre_y = y + pixel_height / 2;
  HGDIOBJ old_font = SelectObject(dc_, FontFor(font));
  const std::u16string owned(text);
  SIZE extent{};
  GetTextExtentPoint32W(dc_, Wide(owned), static_cast<int>(owned.size()), &extent);
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, ToColorRef(font.colour));
  TextOutW(dc_, centre_x - extent.cx / 2, centre_y - extent.cy / 2, Wide(owned),
           static_cast<int>(owned.size()));
  GdiFlush();
  SelectObject(dc_, old_font);
}

ColourRef DibCanvas::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
  GdiFlush();
  const uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];
  return Rgb(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p));
}

void DibCanvas::CopyTo(HDC dc, int x, int y) const {
  if (!bits_ || !dc) return;
  GdiFlush();
  BITMAPINFO info = InfoFor(width_, height_);
  StretchDIBits(dc, x, y, width_, height_, 0, 0, width_, height_, bits_, &info, DIB_RGB_COLORS,
                SRCCOPY);
}

}  // namespace wizpak::gui::win32
