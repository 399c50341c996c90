// The verification pass driven through the headless verification window:
// the status texts it shows, where it stops, and how long it stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "gui/headless/headless_toolkit.h"
#include "setup/verification.h"

namespace wizpak::setup {
namespace {

// A clock that moves 1 ms each time it is read and by the time slept.
struct FakeClock {
  uint64_t now = 1000;
  VerifyClock Clock() {
    return VerifyClock{[this] { return now++; }, [this](uint32_t ms) { now += ms; }};
  }
};

struct FakePackage {
  explicit FakePackage(uint32_t n) : sizes(n, 100) {}
  std::vector<uint32_t> sizes;
  std::vector<uint32_t> damaged;
  std::vector<uint32_t> read;
  int throw_at = -1;

  VerifySource Source() {
    VerifySource source;
    source.count = static_cast<uint32_t>(sizes.size());
    source.orig_size = [this](uint32_t i) { return sizes[i]; };
    source.name = [](uint32_t i) { return "data\\file" + std::to_string(i) + ".bin"; };
    source.verify_entry = [this](uint32_t i) {
      read.push_back(i);
      if (static_cast<int>(i) == throw_at) throw std::runtime_error("Invalid compressed data");
      return std::find(damaged.begin(), damaged.end(), i) == damaged.end();
    };
    return source;
  }
};

std::vector<std::string> Pass(uint32_t n, gui::headless::HeadlessVerifyWindow& window) {
  FakePackage package(n);
  window.SetStatus("Loading Header");
  FakeClock clock;
  EXPECT_EQ(RunVerification(package.Source(), window, clock.Clock()).kind,
            VerifyOutcome::Kind::Passed);
  return window.StatusHistory();
}

TEST(VerificationStatusTest, OneEntryKeepsTheFirstText) {
  gui::headless::HeadlessVerifyWindow window;
  EXPECT_EQ(Pass(1, window),
            (std::vector<std::string>{"Loading Header", "Status: 0 out of 1 files verifyed"}));
  EXPECT_EQ(window.ProgressMax(), 1);
  EXPECT_EQ(window.ProgressPosition(), 0);
}

TEST(VerificationStatusTest, TwentyFiveEntriesChangeFromTheSecondOn) {
  gui::headless::HeadlessVerifyWindow window;
  const std::vector<std::string> texts = Pass(25, window);
  ASSERT_EQ(texts.size(), 2u + 24u);
  EXPECT_EQ(texts[1], "Status: 0 out of 25 files verifyed");
  EXPECT_EQ(texts[2], "Status: 2 out of 25 files verifyed");
  EXPECT_EQ(texts.back(), "Status: 25 out of 25 files verifyed");
  EXPECT_EQ(window.ProgressPosition(), 25);
}

TEST(VerificationStatusTest, ThousandEntriesChangeOncePerPercent) {
  gui::headless::HeadlessVerifyWindow window;
  const std::vector<std::string> texts = Pass(1000, window);
  std::vector<std::string> expected = {"Loading Header", "Status: 0 out of 1000 files verifyed"};
  for (int i = 10; i <= 990; i += 10) {
    expected.push_back("Status: " + std::to_string(i + 1) + " out of 1000 files verifyed");
  }
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(window.ProgressPosition(), 991);
  EXPECT_EQ(window.ProgressMax(), 1000);
  // One repaint for the start and one per change: about a hundred in all.
  EXPECT_EQ(window.RepaintCount(), 1 + 99);
  EXPECT_FALSE(window.IsShown());
}

TEST(VerificationTest, DamagedEntryStopsThePassAndLaterEntriesAreNotRead) {
  FakePackage package(25);
  package.damaged = {7, 9};
  gui::headless::HeadlessVerifyWindow window;
  window.Show();
  FakeClock clock;
  const VerifyOutcome outcome = RunVerification(package.Source(), window, clock.Clock());
  EXPECT_EQ(outcome.kind, VerifyOutcome::Kind::Failed);
  EXPECT_EQ(outcome.failed_index, 7u);
  EXPECT_EQ(outcome.failed_name, "data\\file7.bin");
  EXPECT_EQ(package.read.back(), 7u);
  EXPECT_EQ(package.read.size(), 8u);
  EXPECT_EQ(VerificationFailedMessage(7, "data\\file7.bin"),
            "Error: Verification Failed. Setup is corrupt.\rID: 7 Filename: data\\file7.bin");
}

TEST(VerificationTest, EmptyEntriesAreNeverRead) {
  FakePackage package(3);
  package.sizes[1] = 0;
  package.damaged = {1};
  gui::headless::HeadlessVerifyWindow window;
  FakeClock clock;
  EXPECT_EQ(RunVerification(package.Source(), window, clock.Clock()).kind,
            VerifyOutcome::Kind::Passed);
  EXPECT_EQ(package.read, (std::vector<uint32_t>{0, 2}));
}

TEST(VerificationTest, ExceptionEndsThePassWithItsMessage) {
  FakePackage package(5);
  package.throw_at = 2;
  gui::headless::HeadlessVerifyWindow window;
  FakeClock clock;
  const VerifyOutcome outcome = RunVerification(package.Source(), window, clock.Clock());
  EXPECT_EQ(outcome.kind, VerifyOutcome::Kind::Exception);
  EXPECT_EQ(outcome.exception_message, "Invalid compressed data");
  EXPECT_EQ(package.read.size(), 3u);
}

TEST(VerificationTest, WindowStaysAtLeastTheMinimumAfterTheLastEntry) {
  for (uint32_t n : {0u, 1u, 40u}) {
    FakePackage package(n);
    gui::headless::HeadlessVerifyWindow window;
    window.Show();
    uint64_t now = 0;
    uint64_t closed_at = 0;
    uint64_t last_entry_at = 0;
    VerifySource source = package.Source();
    auto verify = source.verify_entry;
    source.verify_entry = [&](uint32_t i) {
      last_entry_at = now;
      return verify(i);
    };
    // Each clock read advances 7 ms, so the wait cannot land exactly.
    VerifyClock clock{[&] {
                        now += 7;
                        if (window.IsShown()) closed_at = now;
                        return now;
                      },
                      [&](uint32_t ms) { now += ms; }};
    EXPECT_EQ(RunVerification(source, window, clock).kind, VerifyOutcome::Kind::Passed);
    EXPECT_FALSE(window.IsShown());
    EXPECT_GE(closed_at - last_entry_at, kVerifyMinimumMs) << n;
  }
}

TEST(VerificationTest, WaitSurvivesTheTickCounterWrapping) {
  FakePackage package(2);
  gui::headless::HeadlessVerifyWindow window;
  FakeClock clock;
  clock.now = 0xFFFFFF00u;  // 256 ms before the 32-bit counter wraps
  EXPECT_EQ(RunVerification(package.Source(), window, clock.Clock()).kind,
            VerifyOutcome::Kind::Passed);
  EXPECT_GE(clock.now - 0xFFFFFF00u, kVerifyMinimumMs);
  EXPECT_LT(clock.now - 0xFFFFFF00u, kVerifyMinimumMs + 50);
}

}  // namespace
}  // namespace wizpak::setup
