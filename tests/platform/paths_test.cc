#include "platform/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/host_paths.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::TestMachine;

TEST(DriveMapParsing, ReadsLettersFoldersAndTypes) {
  const auto map = ParseDriveMap(
      "z=/:fixed; D=/mnt/cd:cdrom;E=/media/stick/:removable;N=/net:network;R=/dev/shm:ramdisk;"
      "C=/home/u/c",
      false);
  ASSERT_EQ(map.size(), 6u);
  EXPECT_EQ(map[0].letter, 'C');
  EXPECT_EQ(map[0].host_root, "/home/u/c");
  EXPECT_EQ(map[0].type, DriveType::Fixed);
  EXPECT_EQ(map[1].type, DriveType::CdRom);
  EXPECT_EQ(map[2].host_root, "/media/stick");  // trailing '/' dropped
  EXPECT_EQ(map[2].type, DriveType::Removable);
  EXPECT_EQ(map[3].type, DriveType::Remote);
  EXPECT_EQ(map[4].type, DriveType::RamDisk);
  EXPECT_EQ(map[5].letter, 'Z');
  EXPECT_EQ(map[5].host_root, "/");
}

TEST(DriveMapParsing, SkipsMalformedEntriesAndKeepsTheRest) {
  const auto map = ParseDriveMap(
      ";;C=/ok;1=/digit;DD=/two;E=relative;F=;G=/x:floppy;C=/again;H/no-equals;I=/i:CDROM", false);
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map[0].letter, 'C');
  EXPECT_EQ(map[0].host_root, "/ok");  // the first C wins
  EXPECT_EQ(map[1].letter, 'I');
  EXPECT_EQ(map[1].type, DriveType::CdRom);
}

TEST(DriveMapParsing, DefaultMapUsesXdgDataHomeAndCreatesDriveC) {
  TempDir dir;
  ScopedEnv drives("WIZPAK_DRIVES", std::nullopt);
  ScopedEnv xdg("XDG_DATA_HOME", dir.path());
  const auto map = DriveMap();
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map[0].letter, 'C');
  EXPECT_EQ(map[0].host_root, dir.path() + "/wizpak/drive_c");
  EXPECT_TRUE(std::filesystem::is_directory(map[0].host_root));
  EXPECT_EQ(map[1].letter, 'Z');
  EXPECT_EQ(map[1].host_root, "/");
}

TEST(DriveMapParsing, DefaultMapFallsBackToHomeWithoutXdgDataHome) {
  TempDir dir;
  ScopedEnv drives("WIZPAK_DRIVES", std::nullopt);
  ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
  ScopedEnv home("HOME", dir.path());
  EXPECT_EQ(DriveMap()[0].host_root, dir.path() + "/.local/share/wizpak/drive_c");
}

TEST(PathTranslation, ProgramPathsMapOntoDriveFolders) {
  TestMachine machine;
  EXPECT_EQ(ToHostPath("C:\\Games\\X\\a.txt"), machine.drive_c() + "/Games/X/a.txt");
  EXPECT_EQ(ToHostPath("c:\\games"), machine.drive_c() + "/games");  // letter case
  EXPECT_EQ(ToHostPath("C:"), machine.drive_c());
  EXPECT_EQ(ToHostPath("C:\\"), machine.drive_c());
  EXPECT_EQ(ToHostPath("C:/mixed\\seps//twice\\"), machine.drive_c() + "/mixed/seps/twice");
  EXPECT_EQ(ToHostPath("D:\\setup.exe"), machine.drive_d() + "/setup.exe");
  EXPECT_EQ(ToHostPath("Z:\\etc\\hosts"), "/etc/hosts");
  EXPECT_EQ(ToHostPath("Q:\\nowhere"), std::nullopt);
  EXPECT_EQ(ToHostPath(""), std::nullopt);
}

TEST(PathTranslation, DotDotNeverClimbsAboveTheDriveRoot) {
  TestMachine machine;
  EXPECT_EQ(ToHostPath("C:\\a\\.\\b\\..\\c"), machine.drive_c() + "/a/c");
  EXPECT_EQ(ToHostPath("C:\\..\\..\\etc\\passwd"), machine.drive_c() + "/etc/passwd");
}

TEST(PathTranslation, HostUncAndRelativePaths) {
  TestMachine machine;
  EXPECT_EQ(ToHostPath("/usr/share/x"), "/usr/share/x");
  EXPECT_EQ(ToHostPath("/tmp/caf\xC3\xA9"), "/tmp/caf\xC3\xA9");  // UTF-8 host name kept
  EXPECT_EQ(ToHostPath("/tmp/caf\xE9"), "/tmp/caf\xC3\xA9");      // ANSI name converted
  EXPECT_EQ(ToHostPath("\\\\server\\share\\f"), std::nullopt);
  EXPECT_EQ(ToHostPath("\\/server/share"), std::nullopt);
  EXPECT_EQ(ToHostPath("sub\\file.txt"), "sub/file.txt");
  EXPECT_EQ(ToHostPath("caf\xE9.txt"), "caf\xC3\xA9.txt");
}

TEST(PathTranslation, RootedPathUsesTheDriveOfTheWorkingFolder) {
  TestMachine machine;
  const std::string old = WorkingFolder();
  ASSERT_EQ(chdir(machine.drive_c().c_str()), 0);
  EXPECT_EQ(ToHostPath("\\Windows\\x.ini"), machine.drive_c() + "/Windows/x.ini");
  EXPECT_EQ(DiskFree(0) > 0, true);
  ASSERT_EQ(chdir(old.c_str()), 0);
}

TEST(PathTranslation, HostToProgramPicksTheLongestDrive) {
  TestMachine machine;
  EXPECT_EQ(FromHostPath(machine.drive_c() + "/Games/X"), "C:\\Games\\X");
  EXPECT_EQ(FromHostPath(machine.drive_c()), "C:\\");
  EXPECT_EQ(FromHostPath(machine.drive_c() + "/"), "C:\\");
  EXPECT_EQ(FromHostPath(machine.drive_d() + "/a/b"), "D:\\a\\b");
  EXPECT_EQ(FromHostPath("/etc/hosts"), "Z:\\etc\\hosts");
  EXPECT_EQ(FromHostPath(machine.drive_c() + "/caf\xC3\xA9"), "C:\\caf\xE9");
  // A sibling folder whose name merely starts like drive C's is not inside it.
  EXPECT_EQ(
      FromHostPath(machine.drive_c() + "x/f"), "Z:" + [&] {
        std::string s = machine.drive_c().substr(1) + "x/f";
        for (char& c : s) c = c == '/' ? '\\' : c;
        return "\\" + s;
      }());
}

TEST(PathTranslation, RoundTripsBothWays) {
  TestMachine machine;
  for (const char* program :
       {"C:\\Program Files\\Game\\data.kyp", "D:\\SETUP.EXE", "C:\\\xE9t\xE9"}) {
    const auto host = ToHostPath(program);
    ASSERT_TRUE(host) << program;
    EXPECT_EQ(FromHostPath(*host), program);
  }
}

TEST(PathTranslation, HostPathUnderNoDriveIsReturnedUnchanged) {
  TempDir dir;
  ScopedEnv drives("WIZPAK_DRIVES", "C=" + dir.path());
  EXPECT_EQ(FromHostPath("/usr/lib/x"), "/usr/lib/x");
  EXPECT_EQ(ToHostPath("Z:\\usr"), std::nullopt);
}

TEST(DriveQueries, ListTypesAndFreeSpaceComeFromTheMap) {
  TestMachine machine;
  EXPECT_EQ(LogicalDriveStrings(), std::string("C:\\\0D:\\\0Z:\\\0\0", 13));
  EXPECT_EQ(GetDriveType("C:\\"), DriveType::Fixed);
  EXPECT_EQ(GetDriveType("d:"), DriveType::CdRom);
  EXPECT_EQ(GetDriveType("E:\\"), DriveType::NoRootDir);
  EXPECT_EQ(GetDriveType(""), DriveType::NoRootDir);
  EXPECT_GT(DiskFree(3), 0);
  EXPECT_EQ(DiskFree(5), -1);   // E is not mapped
  EXPECT_EQ(DiskFree(27), -1);  // not a drive number
  ScopedEnv drives("WIZPAK_DRIVES", "C=/nonexistent/wizpak/folder");
  EXPECT_EQ(DiskFree(3), -1);
}

TEST(DriveQueries, TempAndSpecialFolders) {
  TestMachine machine;
  {
    ScopedEnv tmp("TMPDIR", machine.drive_c() + "/tmp/");
    EXPECT_EQ(TempFolder(), "C:\\tmp\\");
  }
  {
    ScopedEnv tmp("TMPDIR", std::nullopt);
    EXPECT_EQ(TempFolder(), "Z:\\tmp\\");
  }
  EXPECT_EQ(SpecialFolder(kCsidlProgramFiles), "C:\\Program Files");
  EXPECT_EQ(SpecialFolder(kCsidlPrograms), "C:\\ProgramData\\Start Menu\\Programs");
  EXPECT_EQ(SpecialFolder(5), "");
}

TEST(HostPathHelpers, NormaliseIsLexical) {
  EXPECT_EQ(NormaliseHostPath("/a//b/./c/../d/"), "/a/b/d");
  EXPECT_EQ(NormaliseHostPath("/../x"), "/x");
  EXPECT_EQ(NormaliseHostPath("../x/./y"), "../x/y");
  EXPECT_EQ(NormaliseHostPath("/"), "/");
  EXPECT_EQ(NormaliseHostPath("a/.."), ".");
}

}  // namespace
}  // namespace wizpak::platform
