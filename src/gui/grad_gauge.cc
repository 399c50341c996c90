#include "gui/grad_gauge.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "gui/canvas.h"
#include "platform/codepage.h"

namespace wizpak::gui {

namespace {

// One flag for all gauges: the next progress assignment acts even when the
// value is unchanged.
bool force_progress_update = false;

// Classic Windows default system colours by index (COLOR_SCROLLBAR ...).
constexpr std::array<ColorRef, 31> kSystemColours = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};

int ChannelR(ColorRef c) {
  return static_cast<int>(c & 0xFF);
}
int ChannelG(ColorRef c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
int ChannelB(ColorRef c) {
  return static_cast<int>((c >> 16) & 0xFF);
}
ColorRef MakeRgb(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

}  // namespace

int32_t MulDiv(int32_t x, int32_t y, int32_t z) {
  if (z == 0) return -1;
  int64_t product = static_cast<int64_t>(x) * y;
  int64_t quotient = product / z;
  int64_t remainder = product % z;
  // Round half away from zero: compare twice the remainder with the divisor.
  if (std::llabs(remainder) * 2 >= std::llabs(static_cast<int64_t>(z))) {
    quotient += ((product < 0) != (z < 0)) ? -1 : 1;
  }
  return static_cast<int32_t>(quotient);
}

ColorRef ColorToRgb(ColorRef colour) {
  if ((colour & 0x80000000u) == 0) return colour;
  uint32_t index = colour & 0xFF;
  return index < kSystemColours.size() ? kSystemColours[index] : 0x000000;
}

TGradGauge::TGradGauge() {
  RebuildGradient();
}

void TGradGauge::SetBackcolor(ColorRef value) {
  if (value == backcolor_) return;
  backcolor_ = value;
  Invalidate();
}

void TGradGauge::SetBorderColor(ColorRef value) {
  if (value == border_color_) return;
  border_color_ = value;
  Invalidate();
}

void TGradGauge::SetBorderStyle(TggBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  Invalidate();
}

void TGradGauge::SetColor1(ColorRef value) {
  if (value == color1_) return;
  color1_ = value;
  RebuildGradient();
  Invalidate();
}

void TGradGauge::SetColor2(ColorRef value) {
  if (value == color2_) return;
  color2_ = value;
  RebuildGradient();
  Invalidate();
}

void TGradGauge::SetMin(int32_t value) {
  if (value == min_ || value >= max_) return;
  min_ = value;
  if (progress_ < value) progress_ = value;
  if (autocaption_) {
    force_progress_update = true;
    SetProgress(progress_);
  }
  Invalidate();
}

void TGradGauge::SetMax(int32_t value) {
  if (value == max_ || value <= min_) return;
  max_ = value;
  if (progress_ > value) progress_ = value;
  if (autocaption_) {
    force_progress_update = true;
    SetProgress(progress_);
  }
  Invalidate();
}

void TGradGauge::SetProgress(int32_t value) {
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  const bool forced = force_progress_update;
  if (value == progress_ && !forced) return;
  // A paint shows the progress only as the bar's percentage and the caption:
  // a step that changes neither (most steps of a long bar) paints nothing.
  const int64_t shown_percent = BarPercent();
  const std::string shown_caption = caption_;
  progress_ = value;
  RecomputeAutoCaption();
  force_progress_update = false;
  if (!forced && BarPercent() == shown_percent && caption_ == shown_caption) return;
  PaintNow();
}

void TGradGauge::SetCaption(const std::string& text) {
  if (text == caption_) return;
  caption_ = text;
  PaintNow();
}

void TGradGauge::SetAutocaption(bool value) {
  if (value == autocaption_) return;
  autocaption_ = value;
  if (value) {
    force_progress_update = true;
    SetProgress(progress_);
  }
  Invalidate();
}

void TGradGauge::RecomputeAutoCaption() {
  if (!autocaption_) return;
  if (max_ > 0) {
    // The truncated percentage, worked out in integers: in floating point a
    // full bar of 7 (or 14, 28, ...) steps came out at 99.999... and read 99%.
    // Progress never lies below Min, so the quotient is not negative.
    const int64_t done = static_cast<int64_t>(progress_) - min_;
    const int64_t span = static_cast<int64_t>(max_) - min_;
    caption_ = std::to_string(done * 100 / span) + "%";
  } else {
    caption_ = "0%";
  }
}

ColorRef TGradGauge::BandColour(ColorRef from, ColorRef to, int band) {
  from = ColorToRgb(from);
  to = ColorToRgb(to);
  int r1 = ChannelR(from), g1 = ChannelG(from), b1 = ChannelB(from);
  return MakeRgb(r1 + MulDiv(band, ChannelR(to) - r1, 255),
                 g1 + MulDiv(band, ChannelG(to) - g1, 255),
                 b1 + MulDiv(band, ChannelB(to) - b1, 255));
}

void TGradGauge::RebuildGradient() {
  // The bitmap keeps the size it got at creation: the control's width and its
  // height minus 5.
  if (gradient_.pixels.empty()) {
    gradient_.width = kCreateWidth;
    gradient_.height = kCreateHeight - 5;
    gradient_.pixels.assign(static_cast<size_t>(gradient_.width) * gradient_.height, 0);
  }
  ColorRef from = ColorToRgb(color1_);
  ColorRef to = ColorToRgb(color2_);
  int r1 = ChannelR(from), g1 = ChannelG(from), b1 = ChannelB(from);
  int dr = ChannelR(to) - r1, dg = ChannelG(to) - g1, db = ChannelB(to) - b1;
  int h = gradient_.height;
  for (int band = 0; band < 256; ++band) {
    ColorRef colour =
        MakeRgb(r1 + MulDiv(band, dr, 255), g1 + MulDiv(band, dg, 255), b1 + MulDiv(band, db, 255));
    int y0 = MulDiv(band, h, 256);
    int y1 = MulDiv(band + 1, h, 256);
    for (int y = y0; y < y1 && y < h; ++y) {
      for (int x = 0; x < gradient_.width; ++x) {
        gradient_.pixels[static_cast<size_t>(y) * gradient_.width + x] = colour;
      }
    }
  }
}

int64_t TGradGauge::BarPercent() const {
  const int64_t span = static_cast<int64_t>(max_) - min_;
  const double exact =
      span != 0 ? (static_cast<double>(progress_) - min_) / static_cast<double>(span) * 100.0 : 0.0;
  return static_cast<int64_t>(std::nearbyint(exact));  // halves to even
}

int TGradGauge::FilledPercent() const {
  const int64_t percent = BarPercent();
  return static_cast<int>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}

void TGradGauge::PaintNow() {
  ++immediate_paints_;
  if (repaint_) repaint_(true);
}

void TGradGauge::Invalidate() {
  if (repaint_) repaint_(false);
}

void TGradGauge::Paint(Canvas& canvas, const FontSpec& font) const {
  const int w = canvas.Width();
  const int h = canvas.Height();
  const ColorRef white = 0xFFFFFF;
  const ColorRef border = ColorToRgb(border_color_);

  // Lines as GDI draws them with a one-pixel pen; callers pass the pixels
  // actually drawn (GDI leaves out the end point of every line).
  auto hline = [&](int x0, int x1, int y, ColorRef c) {  // x0..x1 inclusive
    if (x1 < x0) std::swap(x0, x1);
    canvas.FillRect(x0, y, x1 - x0 + 1, 1, c);
  };
  auto vline = [&](int x, int y0, int y1, ColorRef c) {  // y0..y1 inclusive
    if (y1 < y0) std::swap(y0, y1);
    canvas.FillRect(x, y0, 1, y1 - y0 + 1, c);
  };

  switch (border_style_) {
    case TggBorderStyle::ggSolid:
      // Outline of the rectangle (1, 1)-(W, H): columns 1 and W-1, rows 1 and H-1.
      hline(1, w - 1, 1, border);
      hline(1, w - 1, h - 1, border);
      vline(1, 1, h - 1, border);
      vline(w - 1, 1, h - 1, border);
      break;
    case TggBorderStyle::ggRaised:
    case TggBorderStyle::ggLowered: {
      ColorRef first = border_style_ == TggBorderStyle::ggRaised ? white : border;
      ColorRef second = border_style_ == TggBorderStyle::ggRaised ? border : white;
      vline(1, h, 2, first);           // (1,H) -> (1,1)
      hline(1, w - 2, 1, first);       // (1,1) -> (W-1,1)
      vline(w - 1, 1, h - 2, second);  // (W-1,1) -> (W-1,H-1)
      hline(w - 1, 1, h - 1, second);  // (W-1,H-1) -> (0,H-1)
      break;
    }
  }

  const int64_t percent = BarPercent();
  const int64_t filled = static_cast<int64_t>(w - 3) * percent / 100;

  if (filled > 0 && gradient_.height > 0 && h > 3) {
    // The gradient is stretched into (2, 2)-(f+2, H-1). Every bitmap row has
    // one colour, so each destination row takes the colour of the source row
    // it maps onto.
    const int dst_h = h - 3;
    for (int dy = 0; dy < dst_h; ++dy) {
      int sy = static_cast<int>(static_cast<int64_t>(dy) * gradient_.height / dst_h);
      canvas.FillRect(2, 2 + dy, static_cast<int>(filled), 1, gradient_.At(0, sy));
    }
  }
  if (percent < 100) {
    // A rectangle without outline fills up to one pixel short of its right
    // and bottom edges, so the border stays intact.
    int x = static_cast<int>(filled) + 2;
    canvas.FillRect(x, 2, w - 1 - x, h - 3, ColorToRgb(backcolor_));
  }

  // Centred on one line. The canvas does not measure text, so the extent is
  // estimated from the font size (an average glyph is about half the pixel
  // height wide); backends that draw real glyphs centre it themselves.
  std::u16string text = AnsiToWide(caption_);
  int pixel_height = font.size_points * 96 / 72;
  int text_width = static_cast<int>(text.size()) * pixel_height / 2;
  canvas.DrawText((w - text_width) / 2, (h - pixel_height) / 2, text, font);
}

}  // namespace wizpak::gui
