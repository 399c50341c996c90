#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "package/package_hooks.h"
#include "platform/desktop_entry.h"
#include "platform/files.h"
#include "support/test_support.h"
#include "text/exe_icon.h"
#include "text/path_helpers.h"
#include "text/remove_tree.h"
#include "text/shared_state.h"
#include "text/shell_link.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

class FileHelpersTest : public ::testing::Test {
 protected:
  test::TestMachine machine;
  std::string C(const std::string& rel) const { return machine.drive_c() + "/" + rel; }
};

TEST_F(FileHelpersTest, RemoveDirectoryTreeRemovesNestedFolders) {
  test::WriteHostFile(C("Games/X/a.txt"), "a");
  test::WriteHostFile(C("Games/X/sub/deeper/b.txt"), "b");
  fs::create_directories(C("Games/X/empty"));
  test::WriteHostFile(C("Games/keep.txt"), "k");
  EXPECT_EQ(RemoveDirectoryTree("C:\\Games\\X\\"), RemoveTreeResult::Removed);
  EXPECT_FALSE(fs::exists(C("Games/X")));
  EXPECT_TRUE(fs::exists(C("Games/keep.txt")));
  EXPECT_EQ(RemoveDirectoryTree("C:\\Games\\X"), RemoveTreeResult::NotFound);
}

TEST_F(FileHelpersTest, RemoveDirectoryTreeRefusesRoots) {
  test::WriteHostFile(C("file.txt"), "x");
  for (const char* path : {"", "   ", "C:", "C:\\", "c:\\\\", "Z:\\", "/", "C:\\Games\\..",
                           "C:\\.\\", "\\\\server\\share"}) {
    EXPECT_EQ(RemoveDirectoryTree(path), RemoveTreeResult::Refused) << path;
  }
  EXPECT_TRUE(fs::exists(C("file.txt")));
}

TEST_F(FileHelpersTest, RemoveDirectoryTreeGivesUpOnAFileThatStays) {
  test::WriteHostFile(C("T/locked.dat"), "x");
  test::WriteHostFile(C("T/other/free.dat"), "y");
  int delete_attempts = 0;
  platform::ScopedFaultHook fail_locked([&](platform::FileOp op, std::string_view host) {
    if (op != platform::FileOp::Delete) return 0;
    if (host.find("locked.dat") == std::string_view::npos) return 0;
    ++delete_attempts;
    return EACCES;
  });
  EXPECT_EQ(RemoveDirectoryTree("C:\\T"), RemoveTreeResult::Incomplete);
  EXPECT_EQ(delete_attempts, kRemoveTreePasses);
  EXPECT_TRUE(fs::exists(C("T/locked.dat")));
  EXPECT_FALSE(fs::exists(C("T/other")));
}

TEST_F(FileHelpersTest, RemoveDirectoryTreeNeverEntersLinkedFolders) {
  test::WriteHostFile(C("outside/precious.txt"), "p");
  fs::create_directories(C("T"));
  fs::create_directory_symlink(C("outside"), C("T/link"));
  EXPECT_EQ(RemoveDirectoryTree("C:\\T"), RemoveTreeResult::Removed);
  EXPECT_FALSE(fs::exists(C("T")));
  EXPECT_TRUE(fs::exists(C("outside/precious.txt")));
  fs::create_directory_symlink(C("outside"), C("rootlink"));
  EXPECT_EQ(RemoveDirectoryTree("C:\\rootlink"), RemoveTreeResult::Removed);
  EXPECT_FALSE(fs::is_symlink(C("rootlink")));
  EXPECT_TRUE(fs::exists(C("outside/precious.txt")));
}

TEST_F(FileHelpersTest, ShellLinkIsADesktopEntryAtTheLinkPath) {
  ASSERT_TRUE(CreateShellLink("C:\\Menu\\My Game\\Play.lnk", "C:\\Games\\X\\game.exe",
                              "-w \"two words\" 100%", PackageHooks{}));
  const std::string text = test::ReadHostFile(C("Menu/My Game/Play.lnk"));
  const std::string exe = C("Games/X/game.exe");
  EXPECT_EQ(text, "[Desktop Entry]\nType=Application\nName=Play\nExec=" + exe +
                      " -w \"two words\" 100%%\nPath=" + C("Games/X") + "\n");
}

// A link to a document opens it with the desktop's handler: no launcher can
// run a text file.
TEST_F(FileHelpersTest, ShellLinkToADocumentOpensItThroughXdgOpen) {
  test::WriteHostFile(C("Games/X/read me.txt"), "r");
  ASSERT_TRUE(
      CreateShellLink("C:\\Menu\\Read.lnk", "C:\\Games\\X\\read me.txt", "", PackageHooks{}));
  EXPECT_EQ(test::ReadHostFile(C("Menu/Read.lnk")),
            "[Desktop Entry]\nType=Application\nName=Read\nExec=xdg-open \"" +
                C("Games/X/read me.txt") + "\"\nPath=" + C("Games/X") + "\n");
}

TEST_F(FileHelpersTest, ShellLinkFoldersAreLogged) {
  std::vector<std::string> logged;
  PackageHooks hooks;
  hooks.add_directory = [&](std::string_view path) { logged.emplace_back(path); };
  fs::create_directories(C("Menu"));
  EXPECT_TRUE(CreateShellLink("C:\\Menu\\A\\B\\x.lnk", "C:\\x.exe", "", hooks));
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_NE(logged[0].find("A"), std::string::npos);
  EXPECT_NE(logged[1].find("B"), std::string::npos);
  EXPECT_TRUE(fs::exists(C("Menu/A/B/x.lnk")));
}

TEST(DesktopEntry, QuotingAndEscaping) {
  // A target with a blank is quoted; "$" and a backslash inside quotes are
  // escaped, and the value's own backslash escaping doubles the backslashes.
  EXPECT_EQ(platform::DesktopEntryText("a\nb", "/opt/my game/run", "$HOME a\\b", "/opt/my game",
                                       platform::LaunchKind::Program),
            "[Desktop Entry]\nType=Application\nName=a b\n"
            "Exec=\"/opt/my game/run\" \"\\\\$HOME\" \"a\\\\\\\\b\"\nPath=/opt/my game\n");
  EXPECT_EQ(platform::DesktopEntryText("n", "/x", "", "", platform::LaunchKind::Program),
            "[Desktop Entry]\nType=Application\nName=n\nExec=/x\n");
}

TEST_F(FileHelpersTest, FindFirstCDDrive) {
  EXPECT_EQ(FindFirstCDDrive(), "D:\\");
  test::ScopedEnv no_cd("WIZPAK_DRIVES",
                        "C=" + machine.drive_c() + ":fixed;E=" + machine.drive_d() + ":removable");
  EXPECT_EQ(FindFirstCDDrive(), "");
  test::ScopedEnv two_cds("WIZPAK_DRIVES",
                          "F=" + machine.drive_c() + ":cdrom;E=" + machine.drive_d() + ":cdrom");
  EXPECT_EQ(FindFirstCDDrive(), "E:\\");
}

TEST_F(FileHelpersTest, StartupFolderTexts) {
  RunFigures figures;
  ASSERT_TRUE(figures.InitialiseFolderTexts());
  EXPECT_EQ(figures.ProgramFilesFolder, "C:\\Program Files\\");
  EXPECT_EQ(figures.ProgramsFolder, "C:\\ProgramData\\Start Menu\\Programs\\");
  EXPECT_EQ(figures.CDDriveRoot, "D:\\");
  EXPECT_EQ(ExpandPathVariables(figures, "$PROGRAMFILES\\Game\\$CDDRIVE", "C:\\"),
            "C:\\Program Files\\Game\\D:\\");
}

std::string Le32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}

// An icon file with `count` entries whose first image is `image`.
std::string IconFile(const std::string& image, uint16_t count = 1, uint32_t offset = 0) {
  std::string file("\0\0\1\0", 4);
  file.push_back(static_cast<char>(count));
  file.push_back('\0');
  std::string entry = std::string("\x20\x20\0\0\1\0\x20\0", 8);
  const uint32_t at = offset ? offset : 6 + 16u * count;
  entry += Le32(static_cast<uint32_t>(image.size())) + Le32(at);
  file += entry;
  for (uint16_t i = 1; i < count; ++i) file += std::string(16, '\0');
  file.resize(at, '\0');
  return file + image;
}

TEST(IconFile, ParsesTheFirstImage) {
  const auto icon = ParseIconFile(IconFile("IMAGEBYTES", 2));
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->bytes, "IMAGEBYTES");
  EXPECT_EQ(icon->width, 32);
  EXPECT_EQ(icon->image_count, 2);
}

TEST(IconFile, RejectsBadFiles) {
  const std::string good = IconFile("IMAGEBYTES");
  for (size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_FALSE(ParseIconFile(good.substr(0, cut)).has_value()) << cut;
  }
  std::string cursor = good;
  cursor[2] = 2;  // type 2 is a cursor file
  EXPECT_FALSE(ParseIconFile(cursor).has_value());
  EXPECT_FALSE(ParseIconFile(IconFile("X", 0)).has_value());
  // An offset far past the end must not be followed.
  std::string far = good;
  far.replace(6 + 12, 4, Le32(0xFFFFFFF0u));
  EXPECT_FALSE(ParseIconFile(far).has_value());
}

TEST(IconFile, PeDetection) {
  std::string pe(0x80, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  pe.replace(0x3C, 4, Le32(0x40));
  pe.replace(0x40, 4, std::string("PE\0\0", 4));
  EXPECT_TRUE(IsPeImage(pe));
  std::string bad_offset = pe;
  bad_offset.replace(0x3C, 4, Le32(0x7E));
  EXPECT_FALSE(IsPeImage(bad_offset));
  EXPECT_FALSE(
      IsPeImage("\x7F"
                "ELF"));
}

TEST_F(FileHelpersTest, ReplaceExeIconReportsFailure) {
  test::WriteHostFile(C("icon.ico"), IconFile("IMAGEBYTES"));
  test::WriteHostFile(C("broken.ico"), "nope");
  const std::string elf = std::string(
                              "\x7F"
                              "ELF",
                              4) +
                          std::string(200, '\0');
  test::WriteHostFile(C("stub"), elf);
  EXPECT_FALSE(ReplaceExeIcon("C:\\missing.ico", "C:\\stub"));
  EXPECT_FALSE(ReplaceExeIcon("C:\\broken.ico", "C:\\stub"));
  EXPECT_FALSE(ReplaceExeIcon("C:\\icon.ico", "C:\\missing"));
  EXPECT_FALSE(ReplaceExeIcon("C:\\icon.ico", "C:\\stub"));
  // The image is left as it was.
  EXPECT_EQ(test::ReadHostFile(C("stub")), elf);
}

}  // namespace
}  // namespace wizpak
