#include "compiler/path_join.h"

#include <gtest/gtest.h>

namespace wizpak::compiler {
namespace {

TEST(PathJoin, JoinsWithTheFoldersOwnSeparator) {
  EXPECT_EQ(JoinProgramPath("C:\\Setup", "data\\a.txt"), "C:\\Setup\\data\\a.txt");
  EXPECT_EQ(JoinProgramPath("C:\\Setup\\", "a.txt"), "C:\\Setup\\a.txt");
  EXPECT_EQ(JoinProgramPath("/home/me/setup", "data\\sub\\a.txt"), "/home/me/setup/data/sub/a.txt");
  EXPECT_EQ(JoinProgramPath("/home/me/setup/", "\\a.txt"), "/home/me/setup/a.txt");
  EXPECT_EQ(JoinProgramPath("/", "a"), "/a");
}

TEST(PathJoin, AbsoluteNamesStandAlone) {
  EXPECT_EQ(JoinProgramPath("/home/me", "D:\\payload"), "D:\\payload");
  EXPECT_EQ(JoinProgramPath("C:\\x", "/srv/payload"), "/srv/payload");
}

TEST(PathJoin, FolderOf) {
  EXPECT_EQ(FolderOf("C:\\a\\b.kys"), "C:\\a");
  EXPECT_EQ(FolderOf("/a/b.kys"), "/a");
  EXPECT_EQ(FolderOf("/b.kys"), "/");
  EXPECT_EQ(FolderOf("b.kys"), "");
}

TEST(PathJoin, UnsafeEntryNames) {
  for (const char* bad :
       {"..", "..\\x", "a\\..\\..\\x", "a/../x", "\\x", "/x", "C:\\x", "C:x", ""}) {
    EXPECT_TRUE(IsUnsafeEntryName(bad)) << bad;
  }
  for (const char* good : {"a", "a\\b.txt", "..a", "a..\\b", "install\\english", "x.."}) {
    EXPECT_FALSE(IsUnsafeEntryName(good)) << good;
  }
}

}  // namespace
}  // namespace wizpak::compiler
