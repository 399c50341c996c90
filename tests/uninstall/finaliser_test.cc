// wizpak-finalise: waits while the uninstaller runs, deletes it, removes the
// folders it is given when they are left empty, deletes itself. Runs a copy
// of the built program so the build's own stays.
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "support/setup_rig.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
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

// Whether the test's own child `pid` sleeps (state S): the finaliser between
// two looks at the running uninstaller. The child's /proc entry stays until
// the test waits for it, so it cannot vanish while being read.
bool Sleeps(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const size_t name_end = line.rfind(')');
  return name_end != std::string::npos && line.size() > name_end + 2 && line[name_end + 2] == 'S';
}

TEST_F(FinaliserTest, WaitsUntilTheUninstallerHasEnded) {
  // The "uninstaller" is a copy of the shell that runs until the test lets
  // it end (or its folder goes), and then notes whether its file was still
  // there. Its output goes nowhere: a stray one must not hold the test's.
  const std::string release = dir_.file("release");
  const std::string mark = dir_.file("mark");
  std::filesystem::copy_file("/bin/sh", uninstaller_);
  ASSERT_TRUE(platform::MakeExecutable(uninstaller_));
  ASSERT_TRUE(platform::StartProgram(
      uninstaller_, {"-c", "exec >/dev/null 2>&1; while [ ! -e '" + release + "' ] && [ -d '" +
                               dir_.path() + "' ]; do sleep 0.01; done; if [ -e '" + uninstaller_ +
                               "' ]; then echo kept; else echo deleted; fi >'" + mark + "'"}));
  ASSERT_TRUE(test::WaitUntil([&] { return platform::IsExecutedByAnotherProcess(uninstaller_); }));

  const pid_t finaliser = test::Spawn(finaliser_, {uninstaller_});
  // A finaliser that does not wait deletes the running uninstaller and
  // ends; one that waits goes to sleep between its looks.
  test::WaitUntil([&] { return test::HasEnded(finaliser) || Sleeps(finaliser); },
                  std::chrono::milliseconds(1));
  EXPECT_FALSE(test::HasEnded(finaliser)) << "the finaliser did not wait";
  test::WriteHostFile(release, "");
  const int status = test::WaitExit(finaliser);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  // The mark is written either way (the finaliser that waits has seen the
  // uninstaller end, so it is there by now).
  ASSERT_TRUE(test::WaitUntil([&] { return test::ReadHostFile(mark).ends_with('\n'); }));
  EXPECT_EQ(test::ReadHostFile(mark), "kept\n") << "the uninstaller was deleted while it ran";
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
