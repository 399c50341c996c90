// TGradGauge: the wizard's progress bar as a toolkit-neutral model. It owns
// the gauge's properties and their setter rules, the automatic percentage
// caption, the 256-band vertical gradient bitmap and the painting of the
// whole control into a Canvas. A front-end shows it by forwarding its paint
// requests (RepaintHandler) to a real surface; tests paint into a
// MemoryCanvas and check pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wizpak::gui {

class Canvas;

// A Windows colour reference, 0x00BBGGRR. Values with the top bit set name
// system colours.
using ColorRef = uint32_t;

// Windows MulDiv: x * y / z in 64 bits, rounded to the nearest integer with
// halves away from zero. z == 0 gives -1, as on Windows.
int32_t MulDiv(int32_t x, int32_t y, int32_t z);

// A system colour (top bit set) to its plain RGB colour reference; plain
// colours pass unchanged.
ColorRef ColorToRgb(ColorRef colour);

enum class TggBorderStyle { ggSolid = 0, ggRaised = 1, ggLowered = 2 };

// A plain RGB bitmap, rows top to bottom, one 0x00BBGGRR value per pixel.
struct GaugeBitmap {
  int width = 0;
  int height = 0;
  std::vector<ColorRef> pixels;
  ColorRef At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct GaugeFont {
  std::string face = "MS Shell Dlg 2";
  int size = 8;  // points
  ColorRef colour = 0x000000;
  bool bold = false;
};

class TGradGauge {
 public:
  static constexpr ColorRef kDefaultBackcolor = 0xFFFFFF;
  static constexpr ColorRef kDefaultBorderColor = 8875610;
  static constexpr ColorRef kDefaultGradientColor = 13740692;
  static constexpr int kCreateWidth = 200;
  static constexpr int kCreateHeight = 40;

  // `immediate` true: paint now (progress and caption changes); false: the
  // control only needs repainting at the next opportunity (invalidate).
  using RepaintHandler = std::function<void(bool immediate)>;

  TGradGauge();

  // Geometry (relative to the parent) and visibility.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  GaugeFont& Font() { return font_; }
  const GaugeFont& Font() const { return font_; }

  ColorRef Backcolor() const { return backcolor_; }
  ColorRef BorderColor() const { return border_color_; }
  TggBorderStyle BorderStyle() const { return border_style_; }
  ColorRef Color1() const { return color1_; }
  ColorRef Color2() const { return color2_; }
  int32_t Min() const { return min_; }
  int32_t Max() const { return max_; }
  int32_t Progress() const { return progress_; }
  const std::string& Caption() const { return caption_; }
  bool Autocaption() const { return autocaption_; }

  void SetBackcolor(ColorRef value);
  void SetBorderColor(ColorRef value);
  void SetBorderStyle(TggBorderStyle value);
  void SetColor1(ColorRef value);
  void SetColor2(ColorRef value);
  void SetMin(int32_t value);
  void SetMax(int32_t value);
  void SetProgress(int32_t value);
  void SetCaption(const std::string& text);
  void SetAutocaption(bool value);

  // The gradient bitmap as last rebuilt (width x height-5 at creation).
  const GaugeBitmap& Gradient() const { return gradient_; }

  // Draws the whole control with its top-left corner at (0, 0) of `canvas`
  // (translate before calling to place it). Draws nothing while invisible.
  void Paint(Canvas& canvas) const;

  void SetRepaintHandler(RepaintHandler handler) { repaint_ = std::move(handler); }
  // Number of immediate paints requested so far (progress/caption changes).
  int ImmediatePaints() const { return immediate_paints_; }

 private:
  void RebuildGradient();
  void RecomputeAutoCaption();
  void PaintNow();
  void Invalidate();

  int left_ = 0;
  int top_ = 0;
  int width_ = kCreateWidth;
  int height_ = kCreateHeight;
  bool visible_ = true;
  bool enabled_ = true;
  GaugeFont font_;

  ColorRef backcolor_ = kDefaultBackcolor;
  ColorRef border_color_ = kDefaultBorderColor;
  TggBorderStyle border_style_ = TggBorderStyle::ggSolid;
  ColorRef color1_ = kDefaultGradientColor;
  ColorRef color2_ = kDefaultGradientColor;
  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t progress_ = 0;
  std::string caption_ = "0%";
  bool autocaption_ = true;

  GaugeBitmap gradient_;
  RepaintHandler repaint_;
  int immediate_paints_ = 0;
};

}  // namespace wizpak::gui
