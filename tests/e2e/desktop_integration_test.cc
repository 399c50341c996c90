// The demo as a person finds it on a Linux desktop: with a private home and
// XDG folders, its installation leaves valid menu entries (the program, its
// read-me, its uninstaller) in a submenu with the setup's icon, and its
// uninstaller takes every one of them away again, also the entry whose
// link the user had already deleted, and nothing the user made.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/process.h"
#include "support/setup_rig.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

// Every file and folder below `root`, as paths relative to it.
std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> found;
  for (const auto& [path, facts] : test::Snapshot(root)) found.insert(path);
  return found;
}

class DesktopIntegrationTest : public ::testing::Test {
 protected:
  std::string Home(const std::string& rel) const { return rig_.home() + "/" + rel; }
  std::string Applications(const std::string& name) const {
    return Home(".local/share/applications/" + name);
  }

  test::SetupRig rig_;
};

TEST_F(DesktopIntegrationTest, DemoMenuEntriesAreValidAndGoWithTheUninstall) {
  if (!test::SetupRig::Built()) GTEST_SKIP() << "the programs are not built";
  const std::string validate = "/usr/bin/desktop-file-validate";
  ASSERT_TRUE(fs::exists(validate)) << "desktop-file-utils is not installed (scripts/setup.sh)";

  // The user's own entries, submenu and icon, there before the installation.
  test::WriteHostFile(Applications("my-editor.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\n");
  test::WriteHostFile(Home(".config/menus/applications-merged/my.menu"), "<Menu/>\n");
  test::WriteHostFile(Home(".local/share/icons/hicolor/32x32/apps/editor.png"), "png");
  // The desktop's cache of the entries, refreshed (not made) by both runs.
  test::WriteHostFile(Applications("mimeinfo.cache"), "[MIME Cache]\n");
  const std::set<std::string> before_data = Tree(Home(".local/share"));
  const std::set<std::string> before_config = Tree(Home(".config"));

  ASSERT_EQ(rig_.RunUnattended(rig_.BuildDemo()).status, 0) << rig_.Transcript();

  // Every entry and submenu file the installation made passes the validator.
  int checked = 0;
  for (const std::string& root : {Home(".local/share"), Home(".config")}) {
    for (const auto& item : fs::recursive_directory_iterator(root)) {
      const std::string path = item.path().string();
      if (item.path().extension() != ".desktop" && item.path().extension() != ".directory")
        continue;
      if (!item.path().filename().string().starts_with("wizpak-")) continue;
      EXPECT_EQ(platform::RunProgram(validate, {path}), 0) << path;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 4);  // program, read-me, uninstaller, submenu

  const std::string folder = rig_.drive_c() + "/Program Files/Wizpak Demo";
  const std::string program =
      test::ReadHostFile(Applications("wizpak-WizpakDemo-Wizpak Demo-Wizpak Demo.desktop"));
  EXPECT_NE(program.find("\nExec=/bin/sh \"" + folder + "/demo.sh\"\n"), std::string::npos)
      << program;
  EXPECT_NE(program.find("\nIcon=wizpak-WizpakDemo\n"), std::string::npos) << program;
  const std::string readme =
      test::ReadHostFile(Applications("wizpak-WizpakDemo-Wizpak Demo-Read Me.desktop"));
  EXPECT_NE(readme.find("\nExec=xdg-open \"" + folder + "/readme.txt\"\n"), std::string::npos)
      << readme;
  const std::string uninstall = test::ReadHostFile(
      Applications("wizpak-WizpakDemo-Wizpak Demo-Uninstall Wizpak Demo.desktop"));
  EXPECT_NE(uninstall.find("\nName=Uninstall Wizpak Demo\nExec=\"" + folder +
                           "/WizpakDemo_Uninstall.exe\"\n"),
            std::string::npos)
      << uninstall;
  EXPECT_TRUE(fs::exists(Home(".local/share/icons/hicolor/32x32/apps/wizpak-WizpakDemo.png")));
  EXPECT_TRUE(
      fs::exists(Home(".config/menus/applications-merged/"
                      "wizpak-WizpakDemo-Wizpak Demo-Uninstall Wizpak Demo.menu")));
  EXPECT_TRUE(fs::exists(folder + "/WizpakDemo_desktop.log"));

  // The user deletes a link; its menu entry still goes with the uninstall.
  fs::remove(rig_.drive_c() + "/ProgramData/Start Menu/Programs/Wizpak Demo/Read Me.lnk");
  ASSERT_EQ(rig_.RunUnattended(folder + "/WizpakDemo_Uninstall.exe").status, 0)
      << rig_.Transcript();
  EXPECT_EQ(Tree(Home(".local/share")), before_data);
  EXPECT_EQ(Tree(Home(".config")), before_config);
  EXPECT_FALSE(fs::exists(folder + "/WizpakDemo_desktop.log"));
  EXPECT_FALSE(fs::exists(Home("Desktop")));
}

}  // namespace
}  // namespace wizpak
