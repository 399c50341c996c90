#include "gui/grad_gauge.h"

#include <gtest/gtest.h>

#include "gui/canvas.h"

namespace wizpak::gui {
namespace {

constexpr ColourRef kUntouched = 0xFF00FF;  // canvas background nobody paints

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(1, 1, 2), 1);
  EXPECT_EQ(MulDiv(-1, 1, 2), -1);
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(5, 1, 4), 1);
  EXPECT_EQ(MulDiv(-5, 1, 4), -1);
  EXPECT_EQ(MulDiv(7, 1, 4), 2);
  EXPECT_EQ(MulDiv(1, -3, 2), -2);
  EXPECT_EQ(MulDiv(255, 35, 256), 35);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  // The product does not overflow 32 bits.
  EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);
}

TEST(GradGaugeCaptionTest, ThirdOfThreeTruncatesToThirtyThree) {
  TGradGauge gauge;
  gauge.SetMax(3);
  gauge.SetProgress(1);
  EXPECT_EQ(gauge.Caption(), "33%");
  gauge.SetProgress(2);
  EXPECT_EQ(gauge.Caption(), "66%");
}

// A full bar reads 100% whatever the step count; in floating point some
// totals (7, 14, 28, ...) came out just below 100.
TEST(GradGaugeCaptionTest, FullBarReadsHundredForEveryTotal) {
  for (int32_t total = 1; total <= 2000; ++total) {
    TGradGauge gauge;
    gauge.SetMax(total);
    gauge.SetProgress(total);
    ASSERT_EQ(gauge.Caption(), "100%") << "total " << total;
  }
  TGradGauge gauge;
  gauge.SetMax(1000);
  gauge.SetProgress(290);
  EXPECT_EQ(gauge.Caption(), "29%");
  gauge.SetMin(-7);
  gauge.SetMax(7);
  gauge.SetProgress(7);
  EXPECT_EQ(gauge.Caption(), "100%");
}

TEST(GradGaugeCaptionTest, ProgressIsClampedIntoRange) {
  TGradGauge gauge;
  gauge.SetProgress(250);
  EXPECT_EQ(gauge.Progress(), 100);
  EXPECT_EQ(gauge.Caption(), "100%");
  gauge.SetMin(10);
  EXPECT_EQ(gauge.Progress(), 100);
  gauge.SetProgress(-5);
  EXPECT_EQ(gauge.Progress(), 10);
  EXPECT_EQ(gauge.Caption(), "0%");
}

TEST(GradGaugeCaptionTest, MaxNotAboveMinIsIgnored) {
  TGradGauge gauge;
  gauge.SetMax(0);
  EXPECT_EQ(gauge.Max(), 100);
  gauge.SetMin(100);
  EXPECT_EQ(gauge.Min(), 0);
  gauge.SetMin(-10);
  gauge.SetMax(-20);
  EXPECT_EQ(gauge.Max(), 100);
}

TEST(GradGaugeCaptionTest, NonPositiveMaxGivesZeroPercent) {
  TGradGauge gauge;
  gauge.SetMin(-10);
  gauge.SetMax(0);
  ASSERT_EQ(gauge.Max(), 0);
  gauge.SetProgress(-2);
  EXPECT_EQ(gauge.Caption(), "0%");
}

TEST(GradGaugeCaptionTest, SetMaxRecomputesCaptionWithoutProgressChange) {
  TGradGauge gauge;
  gauge.SetProgress(50);
  ASSERT_EQ(gauge.Caption(), "50%");
  gauge.SetMax(200);
  EXPECT_EQ(gauge.Progress(), 50);
  EXPECT_EQ(gauge.Caption(), "25%");
  gauge.SetMin(25);
  EXPECT_EQ(gauge.Caption(), "14%");  // 25 / 1.75
}

TEST(GradGaugeCaptionTest, ManualCaptionStaysWithoutAutocaption) {
  TGradGauge gauge;
  gauge.SetAutocaption(false);
  gauge.SetCaption("Copying");
  gauge.SetProgress(40);
  gauge.SetMax(80);
  EXPECT_EQ(gauge.Caption(), "Copying");
  gauge.SetAutocaption(true);
  EXPECT_EQ(gauge.Caption(), "50%");
}

TEST(GradGaugeRepaintTest, SameProgressTwicePaintsOnce) {
  TGradGauge gauge;
  int immediate = 0;
  gauge.SetRepaintHandler([&](bool now) { immediate += now ? 1 : 0; });
  gauge.SetProgress(7);
  gauge.SetProgress(7);
  EXPECT_EQ(immediate, 1);
  gauge.SetCaption("x");
  gauge.SetCaption("x");
  EXPECT_EQ(immediate, 2);
}

TEST(GradGaugeGradientTest, FirstAndLastBandAreTheTwoColours) {
  const ColourRef top = Rgb(10, 200, 30);
  const ColourRef bottom = Rgb(250, 0, 128);
  EXPECT_EQ(TGradGauge::BandColour(top, bottom, 0), top);
  EXPECT_EQ(TGradGauge::BandColour(top, bottom, 255), bottom);
  // Half way: 10 + MulDiv(128, 240, 255) = 10 + 120.47 -> 130.
  EXPECT_EQ(RedOf(TGradGauge::BandColour(top, bottom, 128)), 130);
  EXPECT_EQ(GreenOf(TGradGauge::BandColour(top, bottom, 128)), 200 - 100);

  TGradGauge gauge;
  gauge.SetColor1(top);
  gauge.SetColor2(bottom);
  const GaugeBitmap& bitmap = gauge.Gradient();
  ASSERT_EQ(bitmap.width, 200);
  ASSERT_EQ(bitmap.height, 35);
  // In 35 rows several bands share a row and the last one drawn shows:
  // bands 0-2 have no rows at all, band 3 covers row 0.
  EXPECT_EQ(bitmap.At(0, 0), TGradGauge::BandColour(top, bottom, 3));
  EXPECT_EQ(bitmap.At(199, 0), TGradGauge::BandColour(top, bottom, 3));
  // The last row shows the last band that starts on it (252).
  EXPECT_EQ(bitmap.At(0, 34), TGradGauge::BandColour(top, bottom, 252));
}

TEST(GradGaugeGradientTest, SystemColoursAreResolvedBeforeUse) {
  TGradGauge gauge;
  gauge.SetColor1(0x80000005);  // window background
  gauge.SetColor2(0x80000005);
  EXPECT_EQ(gauge.Gradient().At(0, 0), ColorToRgb(0x80000005));
  EXPECT_EQ(ColorToRgb(0x80000005) & 0x80000000u, 0u);
}

class GradGaugePaintTest : public ::testing::Test {
 protected:
  static constexpr int kW = 200;
  static constexpr int kH = 20;
  GradGaugePaintTest() : canvas_(kW, kH, kUntouched) {
    gauge_.SetColor1(Rgb(0, 0, 255));
    gauge_.SetColor2(Rgb(0, 0, 255));
    gauge_.SetBackcolor(Rgb(255, 255, 0));
  }
  void Paint() {
    canvas_.Clear(kUntouched);
    gauge_.Paint(canvas_, FontSpec{});
  }
  TGradGauge gauge_;
  MemoryCanvas canvas_;
};

TEST_F(GradGaugePaintTest, ThirdFillsThirtyThreePercentOfInnerWidth) {
  gauge_.SetMax(3);
  gauge_.SetProgress(1);
  Paint();
  const int filled = (kW - 3) * 33 / 100;  // 65
  EXPECT_EQ(canvas_.Pixel(2, 5), Rgb(0, 0, 255));
  EXPECT_EQ(canvas_.Pixel(2 + filled - 1, 5), Rgb(0, 0, 255));
  EXPECT_EQ(canvas_.Pixel(2 + filled, 5), Rgb(255, 255, 0));
  EXPECT_EQ(canvas_.Pixel(kW - 2, kH - 2), Rgb(255, 255, 0));
  ASSERT_EQ(canvas_.Texts().size(), 1u);
  EXPECT_EQ(canvas_.Texts()[0].text, u"33%");
}

TEST_F(GradGaugePaintTest, NinetyNinePointSixIsAFullBarCaptionedNinetyNine) {
  gauge_.SetMax(1000);
  gauge_.SetProgress(996);
  Paint();
  EXPECT_EQ(canvas_.Texts().at(0).text, u"99%");
  for (int x = 2; x <= kW - 2; ++x) {
    ASSERT_EQ(canvas_.Pixel(x, kH / 2), Rgb(0, 0, 255)) << "x=" << x;
  }
}

// What a paint shows, for comparing two paints.
std::vector<ColourRef> Picture(const MemoryCanvas& canvas, int w, int h) {
  std::vector<ColourRef> pixels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels.push_back(canvas.Pixel(x, y));
  for (const auto& text : canvas.Texts())
    pixels.insert(pixels.end(), text.text.begin(), text.text.end());
  return pixels;
}

TEST_F(GradGaugePaintTest, StepsThatShowNothingNewAreNotPaintedAndTheLastOneIs) {
  // One step per installed file: most steps of a long bar change no pixel.
  constexpr int kSteps = 2999;
  gauge_.SetMax(kSteps);
  int paints = 0;
  gauge_.SetRepaintHandler([&](bool now) {
    if (!now) return;
    ++paints;
    Paint();
  });
  Paint();  // as the page shows it
  MemoryCanvas fresh(kW, kH, kUntouched);
  for (int i = 1; i <= kSteps; ++i) {
    gauge_.SetProgress(i);
    fresh.Clear(kUntouched);
    gauge_.Paint(fresh, FontSpec{});
    ASSERT_EQ(Picture(canvas_, kW, kH), Picture(fresh, kW, kH)) << "after step " << i;
  }
  EXPECT_GE(paints, 100);
  EXPECT_LE(paints, 201);
  EXPECT_EQ(canvas_.Texts().at(0).text, u"100%");
  EXPECT_EQ(canvas_.Pixel(kW - 2, kH / 2), Rgb(0, 0, 255));
}

TEST_F(GradGaugePaintTest, EmptyBarIsBackcolourInsideSolidBorder) {
  Paint();
  const ColourRef border = ColorToRgb(TGradGauge::kDefaultBorderColor);
  EXPECT_EQ(canvas_.Pixel(0, 0), kUntouched);
  EXPECT_EQ(canvas_.Pixel(1, 1), border);
  EXPECT_EQ(canvas_.Pixel(kW - 1, kH - 1), border);
  EXPECT_EQ(canvas_.Pixel(kW - 1, 5), border);
  EXPECT_EQ(canvas_.Pixel(5, kH - 1), border);
  EXPECT_EQ(canvas_.Pixel(2, 2), Rgb(255, 255, 0));
  EXPECT_EQ(canvas_.Pixel(kW - 2, kH - 2), Rgb(255, 255, 0));
}

TEST_F(GradGaugePaintTest, RaisedBorderIsWhiteTopLeftAndDarkBottomRight) {
  gauge_.SetBorderStyle(TggBorderStyle::ggRaised);
  gauge_.SetBorderColor(Rgb(1, 2, 3));
  Paint();
  EXPECT_EQ(canvas_.Pixel(1, 5), kWhite);
  EXPECT_EQ(canvas_.Pixel(5, 1), kWhite);
  EXPECT_EQ(canvas_.Pixel(kW - 1, 5), Rgb(1, 2, 3));
  EXPECT_EQ(canvas_.Pixel(5, kH - 1), Rgb(1, 2, 3));
  gauge_.SetBorderStyle(TggBorderStyle::ggLowered);
  Paint();
  EXPECT_EQ(canvas_.Pixel(1, 5), Rgb(1, 2, 3));
  EXPECT_EQ(canvas_.Pixel(kW - 1, 5), kWhite);
}

TEST_F(GradGaugePaintTest, GradientIsStretchedOverTheInnerHeight) {
  gauge_.SetColor1(Rgb(0, 0, 0));
  gauge_.SetColor2(Rgb(255, 255, 255));
  gauge_.SetProgress(100);
  Paint();
  EXPECT_EQ(canvas_.Pixel(10, 2), TGradGauge::BandColour(kBlack, kWhite, 3));
  ColourRef bottom = canvas_.Pixel(10, kH - 2);
  EXPECT_GT(RedOf(bottom), 200);
  // Rows get lighter from top to bottom.
  for (int y = 3; y <= kH - 2; ++y) {
    EXPECT_GE(RedOf(canvas_.Pixel(10, y)), RedOf(canvas_.Pixel(10, y - 1)));
  }
}

}  // namespace
}  // namespace wizpak::gui
