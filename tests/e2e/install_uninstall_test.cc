// The whole flow with the real programs: build the demo setup, install it
// unattended into a private drive map, check what it installed, then run the
// uninstaller it left and check that it removed exactly that, its
// registration and its log, and that the finaliser removed the uninstaller.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry.h"
#include "support/setup_rig.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;
using platform::Registry;
using platform::RootKey;

constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\WizpakDemo";

class InstallUninstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::SetupRig::Built()) GTEST_SKIP() << "the programs are not built";
  }
  std::string InstallFolder() const { return rig_.drive_c() + "/Program Files/Wizpak Demo"; }
  std::string MenuFolder() const {
    return rig_.drive_c() + "/ProgramData/Start Menu/Programs/Wizpak Demo";
  }

  test::SetupRig rig_;
};

TEST_F(InstallUninstallTest, DemoInstallsAndUninstallsUnattended) {
  // A value of another program that neither run may touch.
  ASSERT_TRUE(Registry().WriteString(RootKey::CurrentUser, "Software\\Other", "Keep", "1"));

  const std::string setup = rig_.BuildDemo();
  ASSERT_TRUE(fs::exists(setup));

  // ---- Install ----
  ASSERT_EQ(rig_.RunUnattended(setup).status, 0) << rig_.Transcript();
  const std::string folder = InstallFolder();
  EXPECT_TRUE(fs::is_regular_file(folder + "/readme.txt"));
  EXPECT_TRUE(fs::is_regular_file(folder + "/demo.sh"));
  EXPECT_TRUE(fs::is_regular_file(folder + "/docs/licence.txt"));
  EXPECT_TRUE(fs::is_regular_file(folder + "/docs/manual.txt"));
  EXPECT_TRUE(fs::is_regular_file(folder + "/extras/wallpaper.txt"));
  EXPECT_FALSE(fs::exists(folder + "/scratch"));
  EXPECT_EQ(test::ReadHostFile(folder + "/readme.txt"),
            test::ReadHostFile(test::SourceDir() + "/examples/demo/payload/readme.txt"));

  Registry hive;
  EXPECT_EQ(hive.ReadString(RootKey::CurrentUser, "Software\\Wizpak Demo", "Edition"), "full");
  std::optional<std::string> remembered =
      hive.ReadString(RootKey::CurrentUser, "Software\\Wizpak Demo", "InstallDir");
  ASSERT_TRUE(remembered.has_value());
  EXPECT_NE(remembered->find("C:\\Program Files\\Wizpak Demo"), std::string::npos) << *remembered;
  EXPECT_TRUE(hive.ReadString(RootKey::LocalMachine, kUninstallKey, "DisplayName").has_value());
  std::optional<std::string> uninstall_string =
      hive.ReadString(RootKey::LocalMachine, kUninstallKey, "UninstallString");
  ASSERT_TRUE(uninstall_string.has_value());

  const std::string link = test::ReadHostFile(MenuFolder() + "/Wizpak Demo.lnk");
  EXPECT_NE(link.find("[Desktop Entry]"), std::string::npos);
  EXPECT_NE(link.find("demo.sh"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(MenuFolder() + "/Read Me.lnk"));

  const std::string log = folder + "/WizpakDemo_install.log";
  EXPECT_TRUE(fs::is_regular_file(log));
  const std::string uninstaller = folder + "/WizpakDemo_Uninstall.exe";
  ASSERT_TRUE(fs::is_regular_file(uninstaller));

  const std::string install_transcript = rig_.Transcript();
  EXPECT_NE(install_transcript.find("PAGE index=5 type=finish"), std::string::npos)
      << install_transcript;

  // Something the user made in the folder after installing stays.
  test::WriteHostFile(folder + "/saved-game.dat", "mine");

  // A copy of the uninstaller, to run once more after the uninstall.
  const std::string second = rig_.root().file("WizpakDemo_Uninstall.exe");
  fs::copy_file(uninstaller, second);

  // ---- Uninstall ----
  ASSERT_EQ(rig_.RunUnattended(uninstaller).status, 0) << rig_.Transcript();
  EXPECT_FALSE(fs::exists(folder + "/readme.txt"));
  EXPECT_FALSE(fs::exists(folder + "/docs"));
  EXPECT_FALSE(fs::exists(folder + "/extras"));
  EXPECT_FALSE(fs::exists(log));
  EXPECT_FALSE(fs::exists(MenuFolder() + "/Wizpak Demo.lnk"));
  EXPECT_EQ(test::ReadHostFile(folder + "/saved-game.dat"), "mine");
  EXPECT_FALSE(
      hive.ReadString(RootKey::LocalMachine, kUninstallKey, "UninstallString").has_value());
  EXPECT_FALSE(
      hive.ReadString(RootKey::CurrentUser, "Software\\Wizpak Demo", "Edition").has_value());
  EXPECT_EQ(hive.ReadString(RootKey::CurrentUser, "Software\\Other", "Keep"), "1");

  // The finaliser waits for the uninstaller to end, then deletes it.
  EXPECT_TRUE(test::WaitUntil([&] { return !fs::exists(uninstaller); }));

  // Run again, the uninstaller finds no install log and says so.
  EXPECT_EQ(rig_.RunUnattended(second).status, 1);
  EXPECT_NE(rig_.Transcript().find(
                "MESSAGEBOX caption=\"Setup Error\" text=\"Error: install log is missing\""),
            std::string::npos)
      << rig_.Transcript();
}

TEST_F(InstallUninstallTest, CdRomFolderStopsTheUnattendedSetup) {
  fs::create_directories(rig_.drive_d());
  EXPECT_EQ(rig_.RunUnattended(rig_.BuildDemo(), {"--dir=D:\\Wizpak Demo"}).status, 8);
  EXPECT_FALSE(fs::exists(rig_.drive_d() + "/Wizpak Demo"));
  EXPECT_FALSE(fs::exists(InstallFolder()));
}

}  // namespace
}  // namespace wizpak
