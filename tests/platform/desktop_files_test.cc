// The desktop's folders and files: the XDG defaults, the desktop folder of
// user-dirs.dirs, the texts of entries, submenus and menu files, and the
// file operations that add and remove them.
#include "platform/desktop_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/desktop_entry.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

namespace fs = std::filesystem;

TEST(DesktopFolders, BaseDirectoryDefaultsHoldWhenTheVariablesAreUnsetOrRelative) {
  test::TempDir dir;
  test::ScopedEnv home("HOME", dir.path() + "/");
  test::ScopedEnv data("XDG_DATA_HOME", std::nullopt);
  test::ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
  auto folders = UserDesktopFolders();
  ASSERT_TRUE(folders);
  EXPECT_EQ(folders->applications, dir.path() + "/.local/share/applications");
  EXPECT_EQ(folders->directories, dir.path() + "/.local/share/desktop-directories");
  EXPECT_EQ(folders->icons, dir.path() + "/.local/share/icons/hicolor");
  EXPECT_EQ(folders->merged_menus, dir.path() + "/.config/menus/applications-merged");
  EXPECT_EQ(folders->desktop, dir.path() + "/Desktop");

  test::ScopedEnv data2("XDG_DATA_HOME", dir.file("data"));
  test::ScopedEnv config2("XDG_CONFIG_HOME", dir.file("conf"));
  test::WriteHostFile(
      dir.file("conf/user-dirs.dirs"),
      "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  folders = UserDesktopFolders();
  ASSERT_TRUE(folders);
  EXPECT_EQ(folders->applications, dir.file("data") + "/applications");
  EXPECT_EQ(folders->merged_menus, dir.file("conf") + "/menus/applications-merged");
  EXPECT_EQ(folders->desktop, dir.path() + "/Schreibtisch");

  test::ScopedEnv no_home("HOME", std::nullopt);
  EXPECT_FALSE(UserDesktopFolders());
}

TEST(DesktopFolders, DesktopDirectoryOfUserDirs) {
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/u"),
            "/home/u/Desktop");
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"/data/My \\\"Desk\\\"/\"", "/h"),
            "/data/My \"Desk\"");
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"$HOME\"\r\n", "/h"), "/h");
  // Not set, relative, unquoted, or "$HOMEWORK": not a desktop folder.
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_MUSIC_DIR=\"$HOME/Music\"\n", "/h"), "");
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"Desktop\"\n", "/h"), "");
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=$HOME/Desktop\n", "/h"), "");
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"$HOMEWORK\"\n", "/h"), "");
  // The last setting wins.
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"/a\"\nXDG_DESKTOP_DIR=\"/b\"\n", "/h"), "/b");
}

TEST(DesktopEntryText, ProgramsStartThemselvesDocumentsOpenThroughXdgOpen) {
  EXPECT_EQ(ExecLine("/opt/my game/run", "-w \"two words\" 100%", LaunchKind::Program),
            "\"/opt/my game/run\" -w \"two words\" 100%%");
  EXPECT_EQ(ExecLine("/opt/game/readme.txt", "", LaunchKind::Document),
            "xdg-open /opt/game/readme.txt");
  EXPECT_EQ(ExecLine("/opt/game/run.sh", "a", LaunchKind::ShellScript),
            "/bin/sh /opt/game/run.sh a");
  DesktopEntry entry;
  entry.name = "Read Me";
  entry.exec = ExecLine("/opt/my game/readme.txt", "", LaunchKind::Document);
  entry.path = "/opt/my game";
  entry.icon = "wizpak-Demo";
  entry.categories = "X-Wizpak;";
  entry.terminal_key = true;
  EXPECT_EQ(DesktopEntryText(entry),
            "[Desktop Entry]\nType=Application\nName=Read Me\n"
            "Exec=xdg-open \"/opt/my game/readme.txt\"\nPath=/opt/my game\n"
            "Icon=wizpak-Demo\nCategories=X-Wizpak;\nTerminal=false\n");
  EXPECT_EQ(DirectoryEntryText("Games\n", ""), "[Desktop Entry]\nType=Directory\nName=Games \n");
}

TEST(DesktopEntryText, MenuFileNestsItsLevelsAndEscapesNames) {
  EXPECT_EQ(MenuFileText({{"w-A", "w-A.directory"}, {"w-A-B&C", "w-A-B&C.directory"}},
                         "w-A-B&C-x.desktop"),
            "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
            "<Menu>\n"
            "  <Name>Applications</Name>\n"
            "  <Menu>\n"
            "    <Name>w-A</Name>\n"
            "    <Directory>w-A.directory</Directory>\n"
            "    <Menu>\n"
            "      <Name>w-A-B&amp;C</Name>\n"
            "      <Directory>w-A-B&amp;C.directory</Directory>\n"
            "      <Include><Filename>w-A-B&amp;C-x.desktop</Filename></Include>\n"
            "    </Menu>\n"
            "  </Menu>\n"
            "</Menu>\n");
  EXPECT_NE(MenuFileText({}, "top.desktop").find("  <Include><Filename>top.desktop</Filename>"),
            std::string::npos);
  EXPECT_EQ(DesktopFileNamePart("Über a/b<c>\"$`\\\t"), "Über a_b_c______");
}

// Installed files carry no execute permission: the name decides for them.
TEST(DesktopFiles, LaunchKindOfATarget) {
  test::TestMachine machine;
  for (const char* name : {"game.EXE", "run.sh", "read me.txt", "data", "tool"}) {
    test::WriteHostFile(machine.drive_c() + "/" + name, "x");
  }
  fs::permissions(machine.drive_c() + "/tool", fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(LaunchKindOf("C:\\game.EXE"), LaunchKind::Program);
  EXPECT_EQ(LaunchKindOf("C:\\run.sh"), LaunchKind::ShellScript);
  EXPECT_EQ(LaunchKindOf("C:\\read me.txt"), LaunchKind::Document);
  EXPECT_EQ(LaunchKindOf("C:\\data"), LaunchKind::Document);
  EXPECT_EQ(LaunchKindOf("C:\\tool"), LaunchKind::Program);
  EXPECT_EQ(LaunchKindOf("C:\\not there.txt"), LaunchKind::Program);
}

TEST(DesktopFiles, WrittenWithTheirFoldersAndRemovedWithoutFollowingLinks) {
  test::TempDir dir;
  std::vector<std::string> made;
  const std::string entry = dir.file("a/b/wizpak-x.desktop");
  ASSERT_TRUE(WriteDesktopFile(entry, "text", true,
                               [&](std::string_view folder) { made.emplace_back(folder); }));
  EXPECT_EQ(made, (std::vector<std::string>{dir.file("a"), dir.file("a/b")}));
  EXPECT_EQ(test::ReadHostFile(entry), "text");
  EXPECT_NE(fs::status(entry).permissions() & fs::perms::owner_exec, fs::perms::none);
  EXPECT_FALSE(WriteDesktopFile("relative.desktop", "t", false, {}));

  // A link goes, never what it points to; a folder is no file to remove.
  test::WriteHostFile(dir.file("mine.txt"), "mine");
  fs::create_symlink(dir.file("mine.txt"), dir.file("a/b/link"));
  EXPECT_TRUE(RemoveDesktopFile(dir.file("a/b/link")));
  EXPECT_EQ(test::ReadHostFile(dir.file("mine.txt")), "mine");
  EXPECT_FALSE(RemoveDesktopFile(dir.file("a/b")));
  EXPECT_FALSE(RemoveDesktopFolder(dir.file("a/b")));  // not empty yet
  EXPECT_TRUE(RemoveDesktopFile(entry));
  EXPECT_TRUE(RemoveDesktopFolder(dir.file("a/b")));
  EXPECT_FALSE(fs::exists(dir.file("a/b")));
}

}  // namespace
}  // namespace wizpak::platform
