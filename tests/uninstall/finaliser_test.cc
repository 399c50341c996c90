// wizpak-finalise: waits while the uninstaller runs, deletes it, removes the
// folders it is given when they are left empty, deletes itself. Runs a copy
// of the built program so the build's own stays.
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace wizpak {
namespace {

class FinaliserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string built = test::BuildDir() + "/wizpak-finalise";
    if (!platform::FileExists(built)) GTEST_SKIP() << "wizpak-finalise is not built";
    finaliser_ = dir_.file("FINALISE.exe");
    ASSERT_TRUE(platform::CopyFile(built, finaliser_, false));
    ASSERT_TRUE(platform::MakeExecutable(finaliser_));
    uninstaller_ = dir_.file("Demo_Uninstall.exe");
  }

  test::TempDir dir_;
  std::string finaliser_;
  std::string uninstaller_;
};

TEST_F(FinaliserTest, DeletesTheUninstallerAndItselfGivenAQuotedPath) {
  test::WriteHostFile(uninstaller_, "image");
  EXPECT_EQ(platform::RunProgram(finaliser_, {"\"" + uninstaller_ + "\""}), 0);
  EXPECT_FALSE(platform::FileExists(uninstaller_));
  EXPECT_FALSE(platform::FileExists(finaliser_));
}

TEST_F(FinaliserTest, RemovesTheInstallationFolderOnlyWhenItIsLeftEmpty) {
  const std::string empty_after = dir_.file("Game/Demo_Uninstall.exe");
  test::WriteHostFile(empty_after, "image");
  EXPECT_EQ(platform::RunProgram(finaliser_, {"\"" + empty_after + "\""}), 0);
  EXPECT_FALSE(platform::DirectoryExists(dir_.file("Game")));

  const std::string kept = dir_.file("Kept/Demo_Uninstall.exe");
  test::WriteHostFile(kept, "image");
  test::WriteHostFile(dir_.file("Kept/saved-game.dat"), "mine");
  ASSERT_TRUE(platform::CopyFile(test::BuildDir() + "/wizpak-finalise", finaliser_, false));
  ASSERT_TRUE(platform::MakeExecutable(finaliser_));
  EXPECT_EQ(platform::RunProgram(finaliser_, {kept}), 0);
  EXPECT_FALSE(platform::FileExists(kept));
  EXPECT_TRUE(platform::FileExists(dir_.file("Kept/saved-game.dat")));
}

// The folders above the installation folder that the install made: each
// goes once empty, innermost first whatever order they are named in; one
// holding the user's files stays, and so does every folder above it.
TEST_F(FinaliserTest, RemovesTheFoldersAboveItThatAreLeftEmpty) {
  const std::string nested = dir_.file("Games//Sub/Demo/Demo_Uninstall.exe");
  test::WriteHostFile(nested, "image");
  EXPECT_EQ(
      platform::RunProgram(finaliser_, {"\"" + nested + "\"", "\"" + dir_.file("Games") + "\"",
                                        "\"" + dir_.file("Games/Sub/") + "\""}),
      0);
  EXPECT_FALSE(platform::DirectoryExists(dir_.file("Games")));
  EXPECT_TRUE(platform::DirectoryExists(dir_.path()));

  const std::string kept = dir_.file("Mine/Sub/Demo/Demo_Uninstall.exe");
  test::WriteHostFile(kept, "image");
  test::WriteHostFile(dir_.file("Mine/notes.txt"), "mine");
  ASSERT_TRUE(platform::CopyFile(test::BuildDir() + "/wizpak-finalise", finaliser_, false));
  ASSERT_TRUE(platform::MakeExecutable(finaliser_));
  EXPECT_EQ(platform::RunProgram(finaliser_, {kept, dir_.file("Mine"), dir_.file("Mine/Sub")}), 0);
  EXPECT_FALSE(platform::DirectoryExists(dir_.file("Mine/Sub")));
  EXPECT_EQ(test::ReadHostFile(dir_.file("Mine/notes.txt")), "mine");
}

TEST_F(FinaliserTest, WaitsUntilTheUninstallerHasEnded) {
  // The "uninstaller" is a copy of sleep, running for about a second.
  ASSERT_TRUE(platform::CopyFile("/bin/sleep", uninstaller_, false));
  ASSERT_TRUE(platform::MakeExecutable(uninstaller_));
  ASSERT_TRUE(platform::StartProgram(uninstaller_, {"1"}));
  for (int i = 0; i < 100 && !platform::IsExecutedByAnotherProcess(uninstaller_); ++i) {
    platform::SleepMilliseconds(10);
  }
  ASSERT_TRUE(platform::IsExecutedByAnotherProcess(uninstaller_));
  const uint64_t start = platform::MonotonicMilliseconds();
  EXPECT_EQ(platform::RunProgram(finaliser_, {uninstaller_}), 0);
  EXPECT_GE(platform::MonotonicMilliseconds() - start, 300u);
  EXPECT_FALSE(platform::FileExists(uninstaller_));
  EXPECT_FALSE(platform::FileExists(finaliser_));
}

TEST_F(FinaliserTest, WrongArgumentsChangeNothing) {
  test::WriteHostFile(uninstaller_, "image");
  EXPECT_EQ(platform::RunProgram(finaliser_, {}), 1);
  EXPECT_EQ(platform::RunProgram(finaliser_, {"\"\""}), 1);
  EXPECT_EQ(platform::RunProgram(finaliser_, {uninstaller_, "extra"}), 1);
  // Only folders above the uninstaller's own may be named: not one beside
  // it, not its own, not a root, none through a ".." level.
  ASSERT_TRUE(platform::CreateDirectory(dir_.file("Beside")));
  EXPECT_EQ(platform::RunProgram(finaliser_, {uninstaller_, dir_.file("Beside")}), 1);
  EXPECT_EQ(platform::RunProgram(finaliser_, {uninstaller_, dir_.path()}), 1);
  EXPECT_EQ(platform::RunProgram(finaliser_, {uninstaller_, "/"}), 1);
  EXPECT_EQ(platform::RunProgram(finaliser_,
                                 {dir_.file("Beside/../Demo_Uninstall.exe"), dir_.file("Beside")}),
            1);
  EXPECT_TRUE(platform::DirectoryExists(dir_.file("Beside")));
  EXPECT_TRUE(platform::FileExists(uninstaller_));
  EXPECT_TRUE(platform::FileExists(finaliser_));
  // A missing uninstaller is nothing to wait for: the finaliser still goes.
  EXPECT_EQ(platform::RunProgram(finaliser_, {dir_.file("gone.exe")}), 0);
  EXPECT_FALSE(platform::FileExists(finaliser_));
}

}  // namespace
}  // namespace wizpak
