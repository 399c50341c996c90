// A Canvas over a 32-bit top-down DIB section: the gauge model paints into it
// and the result is copied to the window with StretchDIBits. Text is drawn
// with real glyphs, centred where the model centred its estimate.
#pragma once

#include <cstdint>

#include "gui/canvas.h"
#include "gui/win32/native.h"

namespace wizpak::gui::win32 {

class DibCanvas : public Canvas {
 public:
  // Negative sizes count as 0. Filled with `background` at first.
  DibCanvas(int width, int height, ColourRef background);
  ~DibCanvas() override;
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void FillRect(int x, int y, int width, int height, ColourRef colour) override;
  void SetPixel(int x, int y, ColourRef colour) override;
  // The gauge model places text by an estimate of its extent (half the pixel
  // height per character); the text is centred on the middle of that
  // estimated box with its measured extent instead.
  void DrawText(int x, int y, std::u16string_view text, const FontSpec& font) override;

  // The colour at (x, y); kBlack outside the canvas or without a bitmap.
  ColourRef Pixel(int x, int y) const;
  // Copies the whole canvas to `dc` with its top-left corner at (x, y).
  void CopyTo(HDC dc, int x, int y) const;

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace wizpak::gui::win32
