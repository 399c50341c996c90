// A paint target for controls that draw themselves (the gradient gauge), and
// MemoryCanvas, an in-memory RGB canvas whose pixels tests can read.
#pragma once

#include <string>
#include <vector>

#include "gui/font.h"

namespace wizpak::gui {

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Fills [x, x+width) x [y, y+height), clipped to the canvas.
  virtual void FillRect(int x, int y, int width, int height, ColourRef colour) = 0;
  // Outside the canvas: ignored.
  virtual void SetPixel(int x, int y, ColourRef colour) = 0;
  // Draws `text` with its top-left corner at (x, y).
  virtual void DrawText(int x, int y, std::u16string_view text, const FontSpec& font) = 0;
};

// Pixels in memory, initially white. Text is not rasterised: each DrawText
// call is recorded so tests can see what was drawn where.
class MemoryCanvas : public Canvas {
 public:
  struct DrawnText {
    int x = 0;
    int y = 0;
    std::u16string text;
    FontSpec font;
  };

  // Negative sizes count as 0.
  MemoryCanvas(int width, int height, ColourRef background = kWhite);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void FillRect(int x, int y, int width, int height, ColourRef colour) override;
  void SetPixel(int x, int y, ColourRef colour) override;
  void DrawText(int x, int y, std::u16string_view text, const FontSpec& font) override;

  // The colour at (x, y); kBlack outside the canvas.
  ColourRef Pixel(int x, int y) const;
  const std::vector<DrawnText>& Texts() const { return texts_; }
  // Forgets drawn texts and fills with `background`.
  void Clear(ColourRef background = kWhite);

 private:
  int width_;
  int height_;
  std::vector<ColourRef> pixels_;
  std::vector<DrawnText> texts_;
};

}  // namespace wizpak::gui
