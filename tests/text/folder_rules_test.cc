#include "text/folder_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>
#include <vector>

#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

TEST(FolderRules, WrittenFormIsADriveLetterPathWithoutDotFolders) {
  // Forward slashes are backslashes; runs of backslashes are one.
  FolderVerdict v = CheckFolderSyntax("c:/Games//New/");
  EXPECT_TRUE(v.ok());
  EXPECT_EQ(v.folder, "C:\\Games\\New\\");
  EXPECT_EQ(v.drive, 'C');
  EXPECT_EQ(CheckFolderSyntax("C:\\").folder, "C:\\");
  for (const char* bad : {"", " C:\\Games", "C:foo", "C:", "Games\\New", "\\Games",
                          "\\\\srv\\share", "C:\\Games\\..\\Windows", "C:\\.\\Games", "C:\\Ga?mes",
                          "C:\\Games \\x", "C:\\Games.\\x", "1:\\Games", "C:\\Games\\a:b"}) {
    EXPECT_EQ(CheckFolderSyntax(bad).problem, FolderProblem::NotFullPath) << bad;
  }
}

TEST(FolderRules, ScriptSettingsMayStartWithAFolderVariable) {
  EXPECT_TRUE(CheckFolderSetting("$PROGRAMFILES\\Wizpak Demo").ok());
  EXPECT_EQ(CheckFolderSetting("$ProgramFiles/Game").folder, "$ProgramFiles\\Game");
  EXPECT_EQ(CheckFolderSetting("$PROGRAMFILES\\..\\Windows").problem, FolderProblem::NotFullPath);
  EXPECT_EQ(CheckFolderSetting("$CDDRIVE\\Game").problem, FolderProblem::CdRomDrive);
  EXPECT_EQ(CheckFolderSetting("Game").problem, FolderProblem::NotFullPath);
  EXPECT_EQ(CheckFolderSetting("C:Game").problem, FolderProblem::NotFullPath);
}

class FolderOnDrives : public ::testing::Test {
 protected:
  FolderOnDrives() { fs::create_directories(machine_.drive_c() + "/Games"); }
  FolderProblem Check(const std::string& text) {
    return CheckInstallFolder(text,
                              [this](const std::string& existing) {
                                probed_.push_back(existing);
                                return writable_;
                              })
        .problem;
  }
  test::TestMachine machine_;
  std::vector<std::string> probed_;
  bool writable_ = true;
};

TEST_F(FolderOnDrives, DriveMustBeMappedAndOfAKindThatTakesAnInstallation) {
  EXPECT_EQ(Check("C:\\Games\\New"), FolderProblem::None);
  EXPECT_EQ(Check("Q:\\Games"), FolderProblem::NoSuchDrive);
  EXPECT_EQ(Check("D:\\Games"), FolderProblem::CdRomDrive);
  test::ScopedEnv ram("WIZPAK_DRIVES",
                      "C=" + machine_.drive_c() + ":fixed;R=" + machine_.drive_c() + ":ramdisk");
  EXPECT_EQ(Check("R:\\Games"), FolderProblem::OtherDrive);
}

TEST_F(FolderOnDrives, TheNearestExistingFolderIsProbed) {
  EXPECT_EQ(Check("C:\\Games\\New\\Deeper"), FolderProblem::None);
  EXPECT_EQ(Check("C:\\Games"), FolderProblem::None);
  EXPECT_EQ(Check("C:\\Fresh"), FolderProblem::None);
  EXPECT_EQ(probed_, (std::vector<std::string>{"C:\\Games", "C:\\Games", "C:\\"}));
  writable_ = false;
  EXPECT_EQ(Check("C:\\Games"), FolderProblem::CannotWrite);
  EXPECT_EQ(Check("C:\\Games\\New"), FolderProblem::CannotCreate);
}

TEST_F(FolderOnDrives, AFileOnTheWayMeansTheFolderCannotBeMade) {
  test::WriteHostFile(machine_.drive_c() + "/Games/readme.txt", "x");
  EXPECT_EQ(Check("C:\\Games\\readme.txt\\Sub"), FolderProblem::CannotCreate);
  EXPECT_EQ(Check("C:\\Games\\readme.txt"), FolderProblem::CannotCreate);
  EXPECT_TRUE(probed_.empty());
}

TEST_F(FolderOnDrives, TheRealProbeLeavesNothingBehind) {
  EXPECT_TRUE(ProbeWritable("C:\\Games"));
  EXPECT_TRUE(fs::is_empty(machine_.drive_c() + "/Games"));
  EXPECT_FALSE(ProbeWritable("C:\\Missing"));
  // Probe folders left by checks that were killed part-way do not add up to
  // "cannot write"; a probe name holding something stays as it is.
  for (int n = 0; n < 8; ++n) {
    fs::create_directories(machine_.drive_c() + "/Games/~wizpak-probe-" + std::to_string(n) +
                           ".tmp");
  }
  test::WriteHostFile(machine_.drive_c() + "/Games/~wizpak-probe-0.tmp/kept", "x");
  EXPECT_TRUE(ProbeWritable("C:\\Games"));
  EXPECT_EQ(test::ReadHostFile(machine_.drive_c() + "/Games/~wizpak-probe-0.tmp/kept"), "x");
  EXPECT_FALSE(fs::exists(machine_.drive_c() + "/Games/~wizpak-probe-1.tmp"));
  // A folder nobody may write into (read-only for its owner too, unless the
  // tests run with rights that ignore modes).
  const std::string locked = machine_.drive_c() + "/Locked";
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  const bool ignores_modes = ::access(locked.c_str(), W_OK) == 0;
  if (!ignores_modes) {
    EXPECT_FALSE(ProbeWritable("C:\\Locked"));
  }
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(CheckInstallFolder("Z:\\proc\\wizpak-test").problem, FolderProblem::CannotCreate);
}

}  // namespace
}  // namespace wizpak
