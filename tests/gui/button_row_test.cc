// Fitting the wizard's button row to captions of any length.
#include <gtest/gtest.h>

#include "gui/button_row.h"

namespace wizpak::gui {
namespace {

// The wizard's row: Back and Next touch (one pixel shared), Cancel apart.
std::vector<RowButton> Row(int back, int next, int cancel) {
  return {{{344, 384, 73, 25}, back}, {{416, 384, 73, 25}, next}, {{496, 384, 75, 25}, cancel}};
}

TEST(ButtonRowTest, ShortCaptionsKeepTheLayout) {
  const auto row = Row(40, 57, 59);  // each exactly fits with its padding
  const std::vector<Rect> fitted = FitButtonRow(row, 105);
  ASSERT_EQ(fitted.size(), 3u);
  for (size_t i = 0; i < row.size(); ++i) EXPECT_EQ(fitted[i], row[i].designed) << i;
}

TEST(ButtonRowTest, LongCaptionGrowsLeftAndPushesItsLeftNeighbours) {
  // Next needs 90 (17 more), Cancel 80 (5 more); Back fits.
  const std::vector<Rect> fitted = FitButtonRow(Row(40, 74, 64), 105);
  EXPECT_EQ(fitted[2], (Rect{491, 384, 80, 25}));  // the row's right edge stays at 571
  EXPECT_EQ(fitted[1], (Rect{394, 384, 90, 25}));  // the gap to Cancel is kept
  EXPECT_EQ(fitted[0], (Rect{322, 384, 73, 25}));  // still sharing a pixel with Next
  EXPECT_EQ(fitted[1].left + fitted[1].width + 7, fitted[2].left);
}

TEST(ButtonRowTest, GrowthStopsAtTheLimitCuttingTheLeftmostFirst) {
  // 60 px of room left of Back; Back wants 50 more, Next 30 more.
  const std::vector<Rect> fitted = FitButtonRow(Row(107, 87, 10), 284);
  EXPECT_EQ(fitted[0].left, 284);
  EXPECT_EQ(fitted[0].width, 73 + 30);  // cut by 20
  EXPECT_EQ(fitted[1].width, 73 + 30);  // whole
  EXPECT_EQ(fitted[2], (Rect{496, 384, 75, 25}));
  // Without any room nothing grows.
  EXPECT_EQ(FitButtonRow(Row(200, 200, 200), 400)[1], (Rect{416, 384, 73, 25}));
  EXPECT_TRUE(FitButtonRow({}, 0).empty());
}

}  // namespace
}  // namespace wizpak::gui
