// The GUI tests' hold of the extraction: what the variable asks for, and
// that the hold ends only once the release file exists, serving the window
// meanwhile.
#include "setup/extraction_hold.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace wizpak::setup {
namespace {

TEST(ExtractionHoldTest, ParsesEntryAndReleasePath) {
  const auto hold = ParseExtractionHold("data\\blob300:/tmp/x/release");
  ASSERT_TRUE(hold);
  EXPECT_EQ(hold->entry_name, "data\\blob300");
  EXPECT_EQ(hold->release_path, "/tmp/x/release");
  EXPECT_FALSE(ParseExtractionHold(""));
  EXPECT_FALSE(ParseExtractionHold("data\\blob300"));
  EXPECT_FALSE(ParseExtractionHold(":/tmp/release"));  // no entry
}

TEST(ExtractionHoldTest, HoldsUntilReleasedAndServesTheWindowMeanwhile) {
  test::TempDir dir;
  const ExtractionHold hold{"x", dir.file("release")};
  int pumped = 0;
  HoldExtraction(hold, [&] {
    // The test's side: it sees the marker, then releases after a few rounds.
    EXPECT_TRUE(std::filesystem::exists(dir.file("release.held")));
    if (++pumped == 3) test::WriteHostFile(dir.file("release"), "");
  });
  EXPECT_EQ(pumped, 3);
}

}  // namespace
}  // namespace wizpak::setup
