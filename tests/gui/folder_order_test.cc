#include "gui/folder_order.h"

#include <gtest/gtest.h>

namespace wizpak::gui {
namespace {

TEST(FolderOrder, NumbersByValueLettersWithoutCase) {
  std::vector<std::string> names = {"Title 10",  "title 2",  "Title 1", "Saves", "alpha",
                                    "Title 02b", "Title 2a", "Z",       "9",     "10"};
  SortNaturally(names);
  EXPECT_EQ(names, (std::vector<std::string>{"9", "10", "alpha", "Saves", "Title 1", "title 2",
                                             "Title 2a", "Title 02b", "Title 10", "Z"}));
  // A strict order: names equal but for case or leading zeros still differ.
  EXPECT_NE(NaturalLess("a", "A"), NaturalLess("A", "a"));
  EXPECT_NE(NaturalLess("x01", "x1"), NaturalLess("x1", "x01"));
  EXPECT_FALSE(NaturalLess("same", "same"));
  // Digit runs longer than any integer type.
  EXPECT_TRUE(NaturalLess("v99999999999999999999", "v100000000000000000000"));
}

}  // namespace
}  // namespace wizpak::gui
