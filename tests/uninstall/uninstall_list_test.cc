// The install log in memory and on disk: variables put back, duplicates,
// file naming, atomic saving and damaged files.
#include "uninstall/uninstall_list.h"

#include "platform/files.h"
#include "support/test_support.h"
#include "text/path_helpers.h"
#include "text/run_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace wizpak {
namespace {

using test::ReadHostFile;
using test::TestMachine;
using test::WriteHostFile;

TEST(UninstallList, AddFilePutsTheInstallFolderBackAndRefusesDuplicatesInAnyCase) {
  // The run's install folder, as the folder page leaves it, is read at each
  // AddFile.
  RunTexts texts;
  TUninstallList log(texts);
  texts.record.InstallDir = "c:\\games\\x";
  log.AddFile("C:\\Games\\X\\a.txt");
  EXPECT_EQ(log.Files(), std::vector<std::string>{"$INSTDIR\\a.txt"});

  log.AddFile("C:\\Other\\B.TXT");
  log.AddFile("c:\\other\\b.txt");
  log.AddFile("C:\\Other\\B.TXT");
  EXPECT_EQ(log.Files().size(), 2u);
  EXPECT_TRUE(log.HasFile("c:\\OTHER\\b.TxT"));
  EXPECT_FALSE(log.HasFile("c:\\other\\b.txt2"));

  log.AddRegistryEntry("\"HKCU\" \"Software\\Test\" \"Path\" \"C:\\X\"");
  log.AddRegistryEntry("\"hkcu\" \"software\\test\" \"path\" \"c:\\x\"");
  EXPECT_EQ(log.RegistryEntries().size(), 1u);
  EXPECT_TRUE(log.HasRegistryEntry("\"HKCU\" \"SOFTWARE\\TEST\" \"PATH\" \"C:\\X\""));

  log.AddDirectory("C:\\Games\\X");
  log.AddDirectory("C:\\Games\\X");
  EXPECT_EQ(log.Directories().size(), 2u);

  log.Clear();
  EXPECT_TRUE(log.Files().empty());
  EXPECT_FALSE(log.HasFile("C:\\Other\\B.TXT"));
}

TEST(UninstallList, PathNamingWithAndWithoutPrefix) {
  EXPECT_EQ(InstallLogPath("C:\\Games\\X", "Game_"), "C:\\Games\\X\\Game_install.log");
  EXPECT_EQ(InstallLogPath("C:\\Games\\X", ""), "C:\\Games\\X\\install.log");
  EXPECT_EQ(InstallLogPath("C:\\Games\\X\\", "Game_"), "C:\\Games\\X\\\\Game_install.log");
}

TEST(UninstallList, SaveAndLoadRoundTripThroughTheFile) {
  TestMachine machine;
  ASSERT_TRUE(platform::CreateDirectory("C:\\Games"));
  ASSERT_TRUE(platform::CreateDirectory("C:\\Games\\X"));
  TUninstallList log;
  log.AddFile("$INSTDIR\\a.txt");
  log.AddRegistryEntry("\"HKCU\" \"Software\\Test\" \"Path\" \"$INSTDIR\"");
  log.AddDirectory("C:\\Games\\X");
  // A folder given with a trailing "\" doubles the separator; the file
  // system takes it.
  ASSERT_TRUE(log.SaveToFile("C:\\Games\\X\\", "Game_").ok());
  const std::string bytes = ReadHostFile(machine.drive_c() + "/Games/X/Game_install.log");
  EXPECT_EQ(bytes.substr(0, 6), std::string("\x01\x00\x01\x00\x01\x00", 6));

  TUninstallList loaded;
  loaded.AddFile("stale entry that the load replaces");
  ASSERT_TRUE(loaded.LoadFromFile("C:\\Games\\X", "Game_").ok());
  EXPECT_EQ(loaded.Lists(), log.Lists());
  // The duplicate check knows the loaded entries.
  loaded.AddFile("$instdir\\A.TXT");
  EXPECT_EQ(loaded.Files().size(), 1u);

  TUninstallList empty;
  ASSERT_TRUE(empty.SaveToFile("C:\\Games\\X", "").ok());
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/Games/X/install.log"), std::string(6, '\0'));
}

TEST(UninstallList, MissingAndDamagedLogsLeaveTheListsAlone) {
  TestMachine machine;
  TUninstallList log;
  log.AddFile("C:\\kept.txt");

  InstallLogResult result = log.LoadFromFile("C:\\Nowhere", "");
  EXPECT_EQ(result.status, InstallLogStatus::Missing);
  EXPECT_EQ(result.message, "Error: install log is missing");
  EXPECT_EQ(log.Files().size(), 1u);

  TUninstallList other;
  other.AddFile("C:\\a");
  other.AddFile("C:\\b");
  ASSERT_TRUE(other.SaveToFile("C:\\", "").ok());
  std::string bytes = ReadHostFile(machine.drive_c() + "/install.log");
  WriteHostFile(machine.drive_c() + "/install.log", bytes.substr(0, bytes.size() - 1));
  result = log.LoadFromFile("C:\\", "");
  EXPECT_EQ(result.status, InstallLogStatus::Damaged);
  EXPECT_NE(result.message.find("damaged"), std::string::npos) << result.message;
  EXPECT_EQ(log.Files(), std::vector<std::string>{"C:\\kept.txt"});
}

TEST(UninstallList, RefusedOrFailedSavesKeepTheEarlierFileWhole) {
  TestMachine machine;
  TUninstallList good;
  good.AddFile("C:\\good.txt");
  ASSERT_TRUE(good.SaveToFile("C:\\", "").ok());
  const std::string before = ReadHostFile(machine.drive_c() + "/install.log");

  TUninstallList too_long;
  too_long.AddFile(std::string(70000, 'a'));
  InstallLogResult result = too_long.SaveToFile("C:\\", "");
  EXPECT_EQ(result.status, InstallLogStatus::TooLarge);
  EXPECT_NE(result.message.find("70000 bytes"), std::string::npos) << result.message;
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/install.log"), before);

  TUninstallList too_many;
  for (int i = 0; i < 65536; ++i) too_many.AddDirectory("C:\\d");
  EXPECT_EQ(too_many.SaveToFile("C:\\", "").status, InstallLogStatus::TooLarge);
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/install.log"), before);

  {
    platform::ScopedFaultHook full_disk([](platform::FileOp op, std::string_view) {
      return op == platform::FileOp::Write ? 28 : 0;
    });
    result = good.SaveToFile("C:\\", "");
  }
  EXPECT_EQ(result.status, InstallLogStatus::WriteFailed);
  EXPECT_FALSE(result.message.empty());
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/install.log"), before);
}

}  // namespace
}  // namespace wizpak
