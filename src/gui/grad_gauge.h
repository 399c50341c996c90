// TGradGauge: the wizard's progress bar as a toolkit-neutral model. It owns
// the gauge's properties and their setter rules, the automatic percentage
// caption, the 256-band vertical gradient bitmap and the painting of the
// whole control into a Canvas. Geometry, font and visibility belong to the
// toolkit control that shows it (gui::Gauge): the wizard binds the gauge's
// paint callback to Paint and the RepaintHandler to the control's Repaint.
// Tests paint into a MemoryCanvas and check pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/font.h"

namespace wizpak::gui {

class Canvas;

using ColorRef = ColourRef;

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

  // The colour of gradient band `band` (0..255) between `from` and `to`.
  static ColorRef BandColour(ColorRef from, ColorRef to, int band);

  // The filled part of the bar as Paint draws it, in percent (0 to 100).
  int FilledPercent() const;

  // The gradient bitmap as last rebuilt (width x height-5 at creation).
  const GaugeBitmap& Gradient() const { return gradient_; }

  // Draws the whole control into `canvas`, which has the control's size
  // (its width and height are the control's W and H). The caption uses `font`.
  // The control's owner does not call this while the control is invisible.
  void Paint(Canvas& canvas, const FontSpec& font) const;

  void SetRepaintHandler(RepaintHandler handler) { repaint_ = std::move(handler); }
  // Number of immediate paints requested so far: caption changes and the
  // progress changes that move the bar or its caption.
  int ImmediatePaints() const { return immediate_paints_; }

 private:
  // The filled part of the bar in percent, as Paint draws it.
  int64_t BarPercent() const;
  void RebuildGradient();
  void RecomputeAutoCaption();
  void PaintNow();
  void Invalidate();

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
