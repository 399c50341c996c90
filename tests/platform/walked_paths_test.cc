// Whole-path writes and deletes through the no-follow walk: links planted
// before the call or swapped in during it, control characters, letter case
// and Windows-1252 names.
#include "platform/walked_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/path_bounds.h"
#include "platform/paths.h"
#include "platform/safe_files.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadHostFile;
using test::WriteHostFile;

class WalkedPaths : public ::testing::Test {
 protected:
  std::string C(const std::string& relative) const { return machine_.drive_c() + "/" + relative; }
  test::TestMachine machine_;
  test::TempDir outside_;
};

TEST_F(WalkedPaths, WritesAndDeletesAtTheNamedPath) {
  fs::create_directories(C("Game"));
  EXPECT_TRUE(WriteFileWalked("C:\\Game\\a.txt", "one"));
  EXPECT_TRUE(WriteFileWalked("C:\\Game\\a.txt", "two"));
  EXPECT_EQ(ReadHostFile(C("Game/a.txt")), "two");
  EXPECT_TRUE(CopyFileWalked("C:\\Game\\a.txt", "C:\\Game\\b.txt"));
  EXPECT_EQ(ReadHostFile(C("Game/b.txt")), "two");
  EXPECT_EQ(DeleteFileWalked("C:\\Game\\b.txt"), DeleteResult::Deleted);
  EXPECT_EQ(DeleteFileWalked("C:\\Game\\b.txt"), DeleteResult::Missing);
  EXPECT_EQ(DeleteFileWalked("C:\\Nowhere\\b.txt"), DeleteResult::Missing);
  fs::create_directories(C("Game/empty"));
  EXPECT_EQ(RemoveFolderWalked("C:\\Game\\empty\\"), DeleteResult::Deleted);
  EXPECT_FALSE(fs::exists(C("Game/empty")));
}

// A link at any level of the way, or at the name: refused and named; the
// files outside stay as they were.
TEST_F(WalkedPaths, PlantedLinksAnywhereOnTheWayAreRefused) {
  WriteHostFile(outside_.file("a.txt"), "outside");
  fs::create_directories(C("Game"));
  fs::create_directory_symlink(outside_.path(), C("Game/scratch"));
  fs::create_directory_symlink(outside_.path(), C("Linked"));
  fs::create_symlink(outside_.file("a.txt"), C("Game/a.txt"));
  for (const char* path :
       {"C:\\Game\\scratch\\a.txt", "C:\\Linked\\a.txt", "C:\\Linked\\x\\a.txt"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(WriteFileWalked(path, "evil"));
    EXPECT_TRUE(LastErrorIsLink()) << LastErrorText();
    EXPECT_FALSE(CopyFileWalked(C("Game/a.txt"), path));
    EXPECT_EQ(DeleteFileWalked(path), DeleteResult::Failed);
    EXPECT_TRUE(LastErrorIsLink()) << LastErrorText();
  }
  EXPECT_FALSE(WriteFileWalked("C:\\Game\\a.txt", "evil"));
  EXPECT_NE(LastErrorText().find("C:\\Game\\a.txt is a link"), std::string::npos)
      << LastErrorText();
  // Deleting the link itself is fine: its target stays.
  EXPECT_EQ(DeleteFileWalked("C:\\Game\\a.txt"), DeleteResult::Deleted);
  EXPECT_EQ(ReadHostFile(outside_.file("a.txt")), "outside");
  EXPECT_EQ(std::distance(fs::directory_iterator(outside_.path()), fs::directory_iterator()), 1);
}

// The folder is swapped for a link while the walk is under way (at the
// moment its level is opened): the write is refused, nothing lands outside.
TEST_F(WalkedPaths, LinkSwappedInDuringTheWalkIsRefused) {
  fs::create_directories(C("Game/Sub"));
  const std::string level = C("Game");
  bool swapped = false;
  const ScopedFaultHook swap([&](FileOp op, std::string_view host) {
    if (!swapped && op == FileOp::Open && host == level) {
      swapped = true;
      fs::rename(level, C("Game.real"));
      fs::create_directory_symlink(outside_.path(), level);
    }
    return 0;
  });
  EXPECT_FALSE(WriteFileWalked("C:\\Game\\Sub\\Hard_install.log", "log"));
  EXPECT_TRUE(swapped);
  EXPECT_NE(LastErrorText().find("C:\\Game is a link"), std::string::npos) << LastErrorText();
  EXPECT_TRUE(fs::is_empty(outside_.path()));
}

TEST_F(WalkedPaths, ControlCharactersNeverReachTheHost) {
  using namespace std::string_literals;
  fs::create_directories(C("Game"));
  WriteHostFile(machine_.root().file("hostfile"), "keep");
  const std::string nul = "C:\\Game\\..\0\\..\0\\hostfile"s;
  EXPECT_FALSE(ToHostPath(nul).has_value());
  EXPECT_FALSE(WriteFileWalked(nul, "evil"));
  EXPECT_EQ(DeleteFileWalked(nul), DeleteResult::Failed);
  EXPECT_FALSE(Folder::Open("C:\\Game\\a\nb", /*create=*/true));
  EXPECT_FALSE(fs::exists(C("Game/a\nb")));
  EXPECT_EQ(ReadHostFile(machine_.root().file("hostfile")), "keep");
  EXPECT_EQ(PathTextFault(nul), "holds the control character 0x00 at position 11");
}

// Names that differ only in letter case (ASCII and Windows-1252 letters)
// are one file, as on Windows; new names are made as spelled.
TEST_F(WalkedPaths, LetterCaseIsFoundAsWindowsFindsIt) {
  WriteHostFile(C("Game/Docs/readme.txt"), "old");
  WriteHostFile(C("Game/Docs/Über.txt"), "u");
  EXPECT_TRUE(FileExists("C:\\GAME\\docs\\README.TXT"));
  EXPECT_TRUE(DirectoryExists("c:\\game\\DOCS"));
  EXPECT_TRUE(
      FileExists("C:\\Game\\Docs\\\xfc"
                 "BER.TXT"));  // "üBER.TXT" in Windows-1252
  EXPECT_TRUE(WriteFileWalked("C:\\GAME\\DOCS\\ReadMe.Txt", "new"));
  EXPECT_EQ(ReadHostFile(C("Game/Docs/readme.txt")), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(C("Game/Docs")), fs::directory_iterator()), 2);
  EXPECT_TRUE(WriteFileWalked("C:\\Game\\Docs\\New.TXT", "made"));
  EXPECT_EQ(ReadHostFile(C("Game/Docs/New.TXT")), "made");
  EXPECT_EQ(DeleteFileWalked("C:\\game\\docs\\\xdc"
                             "ber.txt"),
            DeleteResult::Deleted);
  EXPECT_FALSE(fs::exists(C("Game/Docs/Über.txt")));
  const Folder made = Folder::Open("C:\\game\\docs\\Sub", /*create=*/true);
  ASSERT_TRUE(made);
  EXPECT_TRUE(fs::is_directory(C("Game/Docs/Sub")));
}

// Program paths are Windows-1252; the host names are UTF-8, both ways.
TEST_F(WalkedPaths, WindowsLettersBecomeUtf8HostNames) {
  const Folder folder = Folder::Open(
      "C:\\Spiele\\Gr\xf6\xdf"
      "e",
      /*create=*/true);
  ASSERT_TRUE(folder) << LastErrorText();
  EXPECT_TRUE(fs::is_directory(C("Spiele/Größe")));
  EXPECT_TRUE(
      WriteFileWalked("C:\\Spiele\\Gr\xf6\xdf"
                      "e\\\xc4"
                      "nderung.txt",
                      "x"));
  EXPECT_EQ(ReadHostFile(C("Spiele/Größe/Änderung.txt")), "x");
  EXPECT_TRUE(
      FileExists("C:\\Spiele\\Gr\xf6\xdf"
                 "e\\\xc4"
                 "nderung.txt"));
  const auto listed = ListFolder(
      "C:\\Spiele\\Gr\xf6\xdf"
      "e");
  ASSERT_TRUE(listed);
  ASSERT_EQ(listed->size(), 1u);
  EXPECT_EQ((*listed)[0].name,
            "\xc4"
            "nderung.txt");
  EXPECT_TRUE((*listed)[0].name_exact);
}

TEST(PathBounds, NamesAndFoldersWithinWindowsBounds) {
  EXPECT_EQ(PathTextFault(std::string(259, 'a')), "");
  EXPECT_EQ(PathTextFault(std::string(260, 'a')),
            "is 260 characters long; at most 259 are allowed");
  std::string deep;
  for (int i = 0; i < 64; ++i) deep += "d\\";
  EXPECT_EQ(PathTextFault(deep), "");
  EXPECT_EQ(PathTextFault(deep + "x"), "has 65 levels; at most 64 are allowed");
  for (const char* bad : {"", "..", ".", "a\\b", "a/b", "C:x", "a?", "a*", "a\"", "a<", "a>", "a|",
                          "a.", "a ", "a\tb"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  EXPECT_TRUE(IsPlainFileName("Hard_Uninstall.exe"));
  EXPECT_TRUE(IsPlainFileName("..hidden"));
  // A folder whose host path leaves no room for the longest names.
  test::TestMachine machine;
  EXPECT_EQ(InstallFolderFault("C:\\Games\\Hard"), "");
  std::string long_folder = "C:";
  for (int i = 0; i < 20; ++i) long_folder += "\\" + std::string(200, 'f');
  EXPECT_NE(InstallFolderFault(long_folder).find("characters long"), std::string::npos);
  // A short program path on a drive whose host folder is deep.
  std::string deep_root;
  for (int i = 0; i < 18; ++i) deep_root += "/" + std::string(200, 'h');
  const test::ScopedEnv drives("WIZPAK_DRIVES", "C=" + deep_root);
  EXPECT_NE(InstallFolderFault("C:\\Games\\Hard").find("too long"), std::string::npos)
      << InstallFolderFault("C:\\Games\\Hard");
}

}  // namespace
}  // namespace wizpak::platform
