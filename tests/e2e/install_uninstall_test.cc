// The whole flow with the real programs: build the demo setup, install it
// unattended into a private drive map, check what it installed, then run the
// uninstaller it left and check that it removed exactly that, its
// registration and its log, and that the finaliser removed the uninstaller.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "platform/registry.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;
using platform::Registry;
using platform::RootKey;

constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\WizpakDemo";

class InstallUninstallTest : public ::testing::Test {
 protected:
  InstallUninstallTest()
      : no_open_("WIZPAK_NO_OPEN", "1"),
        transcript_("WIZPAK_TRANSCRIPT", machine_.root().file("transcript.txt")),
        answers_("WIZPAK_ANSWERS", std::nullopt),
        language_("WIZPAK_LANGID", "0409"),
        display_("DISPLAY", std::nullopt) {}

  std::string Program(const std::string& name) const { return test::BuildDir() + "/" + name; }
  std::string InstallFolder() const { return machine_.drive_c() + "/Program Files/Wizpak Demo"; }
  std::string MenuFolder() const {
    return machine_.drive_c() + "/ProgramData/Start Menu/Programs/Wizpak Demo";
  }
  std::string Transcript() const {
    return test::ReadHostFile(machine_.root().file("transcript.txt"));
  }

  // Builds the demo setup into the machine's folder; returns its host path.
  std::string BuildDemo() {
    const std::string out = machine_.root().file("WizpakDemoSetup.exe");
    int status = platform::RunProgram(
        Program("wizpak"), {"build", test::SourceDir() + "/examples/demo/setup.kys", "-o", out});
    EXPECT_EQ(status, 0);
    return out;
  }

  test::TestMachine machine_;
  test::ScopedEnv no_open_;
  test::ScopedEnv transcript_;
  test::ScopedEnv answers_;
  test::ScopedEnv language_;
  test::ScopedEnv display_;
};

TEST_F(InstallUninstallTest, DemoInstallsAndUninstallsUnattended) {
  for (const char* program : {"wizpak", "wizpak-stub", "wizpak-finalise"}) {
    if (!fs::exists(Program(program))) GTEST_SKIP() << program << " is not built";
  }
  // A value of another program that neither run may touch.
  ASSERT_TRUE(Registry().WriteString(RootKey::CurrentUser, "Software\\Other", "Keep", "1"));

  const std::string setup = BuildDemo();
  ASSERT_TRUE(fs::exists(setup));

  // ---- Install ----
  ASSERT_EQ(platform::RunProgram(setup, {"--ui=headless", "--unattended"}), 0) << Transcript();
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

  const std::string install_transcript = Transcript();
  EXPECT_NE(install_transcript.find("PAGE index=5 type=finish"), std::string::npos)
      << install_transcript;

  // Something the user made in the folder after installing stays.
  test::WriteHostFile(folder + "/saved-game.dat", "mine");

  // A copy of the uninstaller, to run once more after the uninstall.
  const std::string second = machine_.root().file("WizpakDemo_Uninstall.exe");
  fs::copy_file(uninstaller, second);

  // ---- Uninstall ----
  ASSERT_EQ(platform::RunProgram(uninstaller, {"--ui=headless", "--unattended"}), 0)
      << Transcript();
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
  for (int i = 0; i < 100 && fs::exists(uninstaller); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_FALSE(fs::exists(uninstaller));

  // Run again, the uninstaller finds no install log and says so.
  EXPECT_EQ(platform::RunProgram(second, {"--ui=headless", "--unattended"}), 1);
  EXPECT_NE(Transcript().find(
                "MESSAGEBOX caption=\"Setup Error\" text=\"Error: install log is missing\""),
            std::string::npos)
      << Transcript();
}

TEST_F(InstallUninstallTest, CdRomFolderStopsTheUnattendedSetup) {
  for (const char* program : {"wizpak", "wizpak-stub"}) {
    if (!fs::exists(Program(program))) GTEST_SKIP() << program << " is not built";
  }
  fs::create_directories(machine_.drive_d());
  const std::string setup = BuildDemo();
  int status =
      platform::RunProgram(setup, {"--ui=headless", "--unattended", "--dir=D:\\Wizpak Demo"});
  EXPECT_EQ(status, 8);
  EXPECT_FALSE(fs::exists(machine_.drive_d() + "/Wizpak Demo"));
  EXPECT_FALSE(fs::exists(InstallFolder()));
}

}  // namespace
}  // namespace wizpak
