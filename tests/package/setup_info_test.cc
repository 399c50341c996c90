// The setup information record: byte-exact load and save, damaged records,
// and the registry root conversions.
#include <gtest/gtest.h>

#include "package/setup_info.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

TSetupInfoFile ExampleRecord() {
  TSetupInfoFile r;
  r.SetupName = std::string(38, 'N');
  r.ShortName = std::string(16, 'S');
  r.SetupExeName = std::string(17, 'E');
  r.UninstallExeName = std::string(24, 'U');
  r.UninstallPrefix = std::string(11, 'P');
  r.InstallDir = std::string(32, 'I');
  r.Changelog = "";
  r.InstallDirRegKey.HKEY = 0;
  r.InstallDirRegKey.Path = std::string(27, 'R');
  r.InstallDirRegKey.Key = std::string(4, 'K');
  r.Pages = std::string(15, 'G');
  r.UninstallPages = std::string(17, 'X');
  r.IsUninstaller = 0;
  r.CreateUninstaller = 1;
  return r;
}

TEST(SetupInfo, ExampleRecordIsTwoHundredTwentySixBytes) {
  const std::string bytes = ExampleRecord().SaveToBuffer();
  ASSERT_EQ(bytes.size(), 226u);
  EXPECT_EQ(bytes.substr(224), std::string("\x00\x01", 2));
  EXPECT_EQ(bytes.substr(0, 3), std::string("\x26\x00N", 3));
  // The root key byte follows the seventh (empty) string.
  EXPECT_EQ(bytes.substr(149, 5), std::string("I\x00\x00\x00\x1B", 5));
}

TEST(SetupInfo, LoadThenSaveGivesTheSameBytes) {
  TSetupInfoFile source = ExampleRecord();
  source.SetupName = "Demo \xE4 Setup";  // ANSI bytes above 127 kept as they are
  source.InstallDirRegKey.HKEY = 4;
  source.IsUninstaller = 1;
  source.CreateUninstaller = 0;
  const std::string bytes = source.SaveToBuffer();
  TSetupInfoFile loaded;
  ASSERT_TRUE(loaded.LoadFromBuffer(bytes.data(), bytes.size()));
  EXPECT_EQ(loaded.SetupName, source.SetupName);
  EXPECT_EQ(loaded.InstallDirRegKey.HKEY, 4);
  EXPECT_EQ(loaded.InstallDirRegKey.Key, std::string(4, 'K'));
  EXPECT_EQ(loaded.IsUninstaller, 1);
  EXPECT_EQ(loaded.SaveToBuffer(), bytes);

  test::TempDir dir;
  ASSERT_TRUE(loaded.SaveToFile(dir.file("SetupInfo")));
  EXPECT_EQ(test::ReadHostFile(dir.file("SetupInfo")), bytes);
  // Bytes after the last field are not part of the record.
  const std::string longer = bytes + "trailing";
  TSetupInfoFile again;
  ASSERT_TRUE(again.LoadFromBuffer(longer.data(), longer.size()));
  EXPECT_EQ(again.SaveToBuffer(), bytes);
}

TEST(SetupInfo, TruncatedRecordFailsAndLeavesTheRecordAlone) {
  const std::string bytes = ExampleRecord().SaveToBuffer();
  TSetupInfoFile before;
  before.SetupName = "kept";
  before.CreateUninstaller = 7;
  for (size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE(length);
    TSetupInfoFile record = before;
    const std::string cut = bytes.substr(0, length);
    EXPECT_FALSE(record.LoadFromBuffer(cut.data(), cut.size()));
    EXPECT_EQ(record.SetupName, "kept");
    EXPECT_EQ(record.CreateUninstaller, 7);
  }
}

TEST(SetupInfo, SaveToAnImpossiblePathFails) {
  test::TempDir dir;
  EXPECT_FALSE(ExampleRecord().SaveToFile(dir.file("missing/folder/SetupInfo")));
}

TEST(RootKeys, AbbreviationsToIndex) {
  EXPECT_EQ(RootKeyIndex("HKLM"), 0);
  EXPECT_EQ(RootKeyIndex("hkcu"), 1);
  EXPECT_EQ(RootKeyIndex("HkCr"), 2);
  EXPECT_EQ(RootKeyIndex("HKU"), 3);
  EXPECT_EQ(RootKeyIndex("hkcc"), 4);
  // Anything else is HKLM, even a full name or a near miss.
  EXPECT_EQ(RootKeyIndex("HKEY_CURRENT_USER"), 0);
  EXPECT_EQ(RootKeyIndex("HKCU "), 0);
  EXPECT_EQ(RootKeyIndex(""), 0);
}

TEST(RootKeys, IndexToNameAndHandle) {
  EXPECT_EQ(RootKeyFullName(0), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootKeyFullName(3), "HKEY_USERS");
  EXPECT_EQ(RootKeyFullName(4), "HKEY_CURRENT_CONFIG");
  EXPECT_EQ(RootKeyFullName(5), "!ERROR!");
  EXPECT_EQ(RootKeyFullName(7), "!ERROR!");
  EXPECT_EQ(RootKeyFullName(255), "!ERROR!");
  EXPECT_EQ(RootKeyHandle(0), 0x80000002u);
  EXPECT_EQ(RootKeyHandle(1), 0x80000001u);
  EXPECT_EQ(RootKeyHandle(2), 0x80000000u);
  EXPECT_EQ(RootKeyHandle(3), 0x80000003u);
  EXPECT_EQ(RootKeyHandle(4), 0x80000005u);
  EXPECT_EQ(RootKeyHandle(7), 0u);
}

}  // namespace
}  // namespace wizpak
