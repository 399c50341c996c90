// Menu entries, submenus, icons and desktop launchers made for links, and
// their removal: names, texts, what is recorded, and that nothing else is
// touched.
#include "uninstall/desktop_menus.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/process.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

class DesktopMenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folders_ = *platform::UserDesktopFolders();
    product_.short_name = "Demo";
    product_.title = "Wizpak Demo";
    product_.programs_folder = "C:\\ProgramData\\Start Menu\\Programs\\";
    product_.desktop_folder = "C:\\Users\\Public\\Desktop\\";
    product_.icon_file = [] {
      return std::optional<std::string>(
          test::ReadHostFile(test::SourceDir() + "/data/layout/default/icon.ico"));
    };
    test::WriteHostFile(C("Game/run.sh"), "#!/bin/sh\n");
    fs::permissions(C("Game/run.sh"), fs::perms::owner_exec, fs::perm_options::add);
    test::WriteHostFile(C("Game/read me.txt"), "r");
  }
  std::string C(const std::string& rel) const { return machine_.drive_c() + "/" + rel; }
  std::string Data(const std::string& rel) const {
    return machine_.home() + "/.local/share/" + rel;
  }

  // desktop-file-validate's verdict, when it is installed.
  static void ExpectValid(const std::string& file) {
    if (!fs::exists("/usr/bin/desktop-file-validate")) return;
    EXPECT_EQ(platform::RunProgram("/usr/bin/desktop-file-validate", {file}), 0) << file;
  }

  test::TestMachine machine_;
  platform::DesktopFolders folders_;
  DesktopProduct product_;
  DesktopRecord record_;
};

TEST_F(DesktopMenusTest, LinkBelowTheProgramsFolderBecomesAMenuEntryInItsSubmenu) {
  ASSERT_TRUE(AddLinkToDesktop(record_, product_, folders_,
                               "C:\\ProgramData\\Start Menu\\Programs\\Wizpak Demo\\Play.lnk",
                               "C:\\Game\\run.sh", "-x"));
  ASSERT_TRUE(AddLinkToDesktop(record_, product_, folders_,
                               "C:\\ProgramData\\Start Menu\\Programs\\Wizpak Demo\\Read Me.lnk",
                               "C:\\Game\\read me.txt", ""));
  const std::string play = Data("applications/wizpak-Demo-Wizpak Demo-Play.desktop");
  const std::string readme = Data("applications/wizpak-Demo-Wizpak Demo-Read Me.desktop");
  EXPECT_EQ(test::ReadHostFile(play),
            "[Desktop Entry]\nType=Application\nName=Play\nExec=" + C("Game/run.sh") +
                " -x\nPath=" + C("Game") +
                "\nIcon=wizpak-Demo\nCategories=X-Wizpak;\nTerminal=false\n");
  EXPECT_NE(test::ReadHostFile(readme).find("Exec=xdg-open \"" + C("Game/read me.txt") + "\"\n"),
            std::string::npos);
  ExpectValid(play);
  ExpectValid(readme);
  const std::string directory = Data("desktop-directories/wizpak-Demo-Wizpak Demo.directory");
  EXPECT_EQ(test::ReadHostFile(directory),
            "[Desktop Entry]\nType=Directory\nName=Wizpak Demo\nIcon=wizpak-Demo\n");
  ExpectValid(directory);
  const std::string menu = test::ReadHostFile(
      machine_.home() + "/.config/menus/applications-merged/wizpak-Demo-Wizpak Demo-Play.menu");
  EXPECT_NE(menu.find("<Directory>wizpak-Demo-Wizpak Demo.directory</Directory>"),
            std::string::npos);
  EXPECT_NE(menu.find("<Filename>wizpak-Demo-Wizpak Demo-Play.desktop</Filename>"),
            std::string::npos);
  // The shipped icon holds one 32-pixel image: one PNG, written once.
  const std::string icon = Data("icons/hicolor/32x32/apps/wizpak-Demo.png");
  EXPECT_EQ(test::ReadHostFile(icon).substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(record_.submenu, "Wizpak Demo");
  EXPECT_TRUE(record_.HasFile(play) && record_.HasFile(readme) && record_.HasFile(icon) &&
              record_.HasFile(directory));
  EXPECT_EQ(record_.files.size(), 6u);  // two entries, two menus, one directory, one icon
  // Every folder made is recorded, outermost first.
  ASSERT_FALSE(record_.folders.empty());
  EXPECT_EQ(record_.folders.front(), machine_.home() + "/.local");
}

TEST_F(DesktopMenusTest, DesktopLinksBecomeExecutableLaunchersOtherLinksNothing) {
  test::WriteHostFile(machine_.home() + "/.config/user-dirs.dirs",
                      "XDG_DESKTOP_DIR=\"$HOME/Arbeitsfläche\"\n");
  folders_ = *platform::UserDesktopFolders();
  ASSERT_TRUE(AddLinkToDesktop(record_, product_, folders_, "c:\\users\\public\\desktop\\Play.lnk",
                               "C:\\Game\\run.sh", ""));
  const std::string launcher = machine_.home() + "/Arbeitsfläche/wizpak-Demo-Play.desktop";
  ASSERT_TRUE(fs::exists(launcher));
  EXPECT_NE(fs::status(launcher).permissions() & fs::perms::owner_exec, fs::perms::none);
  ExpectValid(launcher);
  EXPECT_TRUE(record_.submenu.empty());  // no submenu from a desktop link

  const size_t before = record_.files.size();
  EXPECT_TRUE(
      AddLinkToDesktop(record_, product_, folders_, "C:\\Game\\Play.lnk", "C:\\Game\\run.sh", ""));
  EXPECT_EQ(record_.files.size(), before);
  EXPECT_FALSE(fs::exists(Data("applications")));
}

TEST_F(DesktopMenusTest, UninstallEntryGoesIntoTheProgramsSubmenu) {
  ASSERT_TRUE(AddLinkToDesktop(record_, product_, folders_,
                               "C:\\ProgramData\\Start Menu\\Programs\\Games\\Demo\\Play.lnk",
                               "C:\\Game\\run.sh", ""));
  test::WriteHostFile(C("Game/Demo_Uninstall.exe"), "u");
  ASSERT_TRUE(
      AddUninstallEntry(record_, product_, folders_, "C:\\Game\\Demo_Uninstall.exe", "C:\\Game"));
  const std::string entry =
      Data("applications/wizpak-Demo-Games-Demo-Uninstall Wizpak Demo.desktop");
  const std::string text = test::ReadHostFile(entry);
  EXPECT_NE(text.find("Name=Uninstall Wizpak Demo\nExec=" + C("Game/Demo_Uninstall.exe") +
                      "\nPath=" + C("Game") + "\n"),
            std::string::npos)
      << text;
  ExpectValid(entry);
  EXPECT_TRUE(fs::exists(Data("desktop-directories/wizpak-Demo-Games-Demo.directory")));

  // Without a menu entry of its own, the product gets a submenu named after it.
  DesktopRecord alone;
  product_.short_name = "Solo";
  ASSERT_TRUE(
      AddUninstallEntry(alone, product_, folders_, "C:\\Game\\Demo_Uninstall.exe", "C:\\Game"));
  EXPECT_TRUE(
      fs::exists(Data("applications/wizpak-Solo-Wizpak Demo-Uninstall Wizpak Demo.desktop")));
}

TEST_F(DesktopMenusTest, RemovalTakesExactlyWhatWasMadeAndNothingElse) {
  // The user's own entry and folder content, there before the installation.
  test::WriteHostFile(Data("applications/my-editor.desktop"), "mine");
  ASSERT_TRUE(AddLinkToDesktop(record_, product_, folders_,
                               "C:\\ProgramData\\Start Menu\\Programs\\Wizpak Demo\\Play.lnk",
                               "C:\\Game\\run.sh", ""));
  ASSERT_TRUE(AddUninstallEntry(record_, product_, folders_, "C:\\Game\\run.sh", "C:\\Game"));
  // A tampered record naming files that are not the installation's.
  test::WriteHostFile(machine_.home() + "/notes.txt", "keep");
  DesktopRecord tampered = record_;
  tampered.AddFile(machine_.home() + "/notes.txt");
  tampered.AddFile(Data("applications/my-editor.desktop"));
  tampered.AddFile("/etc/wizpak-passwd");
  // The user already deleted one entry: the rest still goes.
  fs::remove(Data("applications/wizpak-Demo-Wizpak Demo-Play.desktop"));

  const DesktopRemoval removal = RemoveDesktopItems(tampered, folders_);
  EXPECT_EQ(removal.files_removed, static_cast<int>(record_.files.size()) - 1);
  EXPECT_EQ(test::ReadHostFile(Data("applications/my-editor.desktop")), "mine");
  EXPECT_EQ(test::ReadHostFile(machine_.home() + "/notes.txt"), "keep");
  for (const std::string& file : record_.files) EXPECT_FALSE(fs::exists(file)) << file;
  // Folders that still hold the user's entry stay; the others made went.
  EXPECT_TRUE(fs::exists(Data("applications")));
  EXPECT_FALSE(fs::exists(Data("icons")));
  EXPECT_FALSE(fs::exists(Data("desktop-directories")));
  EXPECT_FALSE(fs::exists(machine_.home() + "/.config"));
}

}  // namespace
}  // namespace wizpak
