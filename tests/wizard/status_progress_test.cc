#include <gtest/gtest.h>

#include <vector>

#include "gui/grad_gauge.h"
#include "gui/headless/headless_widgets.h"
#include "support/test_support.h"
#include "text/status_progress.h"
#include "wizard/status_controls.h"

namespace wizpak {
namespace {

// The run's status view over the wizard's controls, as the wizard connects
// them.
class StatusProgressTest : public ::testing::Test {
 protected:
  StatusProgressTest() { view.Controls = &controls; }

  wizard::StatusControls controls;
  StatusView view;
};

uint32_t fake_now = 0;

TEST_F(StatusProgressTest, StatusGoesToTheActiveLabels) {
  view.ShowStatus(u"nobody listens", true);  // no label yet: nothing happens
  gui::headless::HeadlessLabel status(nullptr);
  gui::headless::HeadlessLabel sub(nullptr);
  controls.StatusLabel = &status;
  controls.SubStatusLabel = &sub;
  view.ShowStatus(u"Extracting a", false);
  EXPECT_EQ(status.Text(), u"Extracting a");
  EXPECT_EQ(status.RepaintCount(), 0);
  view.ShowStatus(u"Extracting b", true);
  EXPECT_EQ(status.RepaintCount(), 1);
  view.ShowSubStatus(u"Setup failed to install.", true);
  EXPECT_EQ(sub.Text(), u"Setup failed to install.");
  EXPECT_EQ(status.Text(), u"Extracting b");
}

TEST_F(StatusProgressTest, StatusRepaintsAtMostEveryFifteenMillisecondsButTakesEveryCaption) {
  gui::headless::HeadlessLabel status(nullptr);
  controls.StatusLabel = &status;
  view.RepaintClock = [] { return fake_now; };
  fake_now = 0xFFFFFFF0u;  // the tick count wraps in between
  view.ShowStatus(u"Extracting 1", true);
  EXPECT_EQ(status.RepaintCount(), 1);
  for (int i = 2; i <= 1000; ++i) {
    if (i % 100 == 0) fake_now += 1;
    view.ShowStatus(u"Extracting " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)), true);
  }
  EXPECT_EQ(status.Text(), u"Extracting 0");
  EXPECT_EQ(status.RepaintCount(), 1);  // 10 ms went by
  fake_now += 5;
  view.ShowStatus(u"Extracting last", true);
  EXPECT_EQ(status.RepaintCount(), 2);
  EXPECT_EQ(status.Text(), u"Extracting last");
}

// The repaint limit and the transcript sit on the two sides of the view: a
// caption whose repaint is skipped is still a change the transcript records,
// and a caption set again is not.
TEST_F(StatusProgressTest, EveryChangedCaptionReachesTheTranscriptOnceRepaintedOrNot) {
  test::TempDir dir;
  test::ScopedEnv transcript("WIZPAK_TRANSCRIPT", dir.file("t"));
  gui::headless::HeadlessLabel status(nullptr);
  controls.StatusLabel = &status;
  view.RepaintClock = [] { return fake_now; };
  fake_now = 100;  // the clock stands still: only the first caption repaints
  view.ShowStatus(u"Copying a", true);
  view.ShowStatus(u"Copying a", true);
  view.ShowStatus(u"Copying b", true);
  view.ShowStatus(u"Copying c", false);
  EXPECT_EQ(status.RepaintCount(), 1);
  EXPECT_EQ(test::ReadHostFile(dir.file("t")),
            "STATUS text=\"Copying a\"\n"
            "STATUS text=\"Copying b\"\n"
            "STATUS text=\"Copying c\"\n");
}

TEST_F(StatusProgressTest, HookRunsEverySixPercent) {
  gui::TGradGauge gauge;
  gauge.SetMax(200);
  controls.Gauge = &gauge;
  view.ProgressTotal = 200;
  std::vector<uint32_t> calls;
  view.ProgressHook = [&] { calls.push_back(view.ProgressPosition); };
  for (int i = 0; i < 200; ++i) view.StepProgress(false);
  // 6%, 12%, ... 96% of 200 steps.
  std::vector<uint32_t> expected;
  for (uint32_t p = 6; p <= 96; p += 6) expected.push_back(p * 2);
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(view.ProgressPosition, 200u);
  EXPECT_EQ(gauge.Progress(), 0);  // no repaint asked, the gauge was not moved
}

TEST_F(StatusProgressTest, HookPercentIsTakenAfterTheHook) {
  gui::TGradGauge gauge;
  controls.Gauge = &gauge;
  view.ProgressTotal = 100;
  // A hook that itself advances the counters (as a nested operation would).
  int calls = 0;
  view.ProgressHook = [&] {
    ++calls;
    view.ProgressPosition += 20;
  };
  for (int i = 0; i < 6; ++i) view.StepProgress(false);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(view.ProgressHookPercent, 26);
  for (int i = 0; i < 5; ++i) view.StepProgress(false);  // up to 31%: not above 26 + 5
  EXPECT_EQ(calls, 1);
  view.StepProgress(false);  // 32%
  EXPECT_EQ(calls, 2);
}

TEST_F(StatusProgressTest, RepaintMovesTheGaugeAndRepaintsItsArea) {
  view.StepProgress(true);  // no gauge: nothing counted
  EXPECT_EQ(view.ProgressPosition, 0u);
  gui::TGradGauge gauge;
  gui::headless::HeadlessLabel area(nullptr);
  controls.Gauge = &gauge;
  controls.GaugeArea = &area;
  view.ProgressTotal = 0;  // unknown total: steps count, the hook never runs
  int calls = 0;
  view.ProgressHook = [&] { ++calls; };
  view.StepProgress(true);
  view.StepProgress(true);
  EXPECT_EQ(gauge.Progress(), 2);
  EXPECT_EQ(area.RepaintCount(), 2);
  EXPECT_EQ(calls, 0);
}

TEST_F(StatusProgressTest, TheAreaIsRepaintedOnlyWhenTheGaugeShowsSomethingNew) {
  gui::TGradGauge gauge;
  gauge.SetMax(20000);
  gui::headless::HeadlessLabel area(nullptr);
  controls.Gauge = &gauge;
  controls.GaugeArea = &area;
  view.ProgressTotal = 20000;
  const int paints_before = gauge.ImmediatePaints();
  for (int i = 0; i < 20000; ++i) view.StepProgress(true);
  EXPECT_EQ(gauge.Progress(), 20000);
  EXPECT_EQ(gauge.Caption(), "100%");
  EXPECT_EQ(area.RepaintCount(), gauge.ImmediatePaints() - paints_before);
  EXPECT_LE(area.RepaintCount(), 201);
}

}  // namespace
}  // namespace wizpak
