// The start-up steps that decide on their own: CD-ROM root, space required,
// language entry names and the installation folder from hive or record.
#include <gtest/gtest.h>

#include <algorithm>

#include <stdexcept>

#include "platform/registry.h"
#include "setup/startup_steps.h"
#include "support/test_support.h"

namespace wizpak::setup {
namespace {

using platform::DriveType;

std::string Drives(std::initializer_list<const char*> roots) {
  std::string out;
  for (const char* root : roots) {
    out += root;
    out += '\0';
  }
  out += '\0';
  return out;
}

DriveType TypeOf(std::string_view root) {
  switch (root[0]) {
    case 'D':
      return DriveType::CdRom;
    case 'E':
      return DriveType::CdRom;
    case 'R':
      return DriveType::RamDisk;
    default:
      return DriveType::Fixed;
  }
}

TEST(CdRomRootTest, FirstCdRomDriveOrNothing) {
  EXPECT_EQ(FirstCdRomRoot(Drives({"C:\\", "R:\\", "E:\\", "D:\\"}), TypeOf), "E:\\");
  EXPECT_EQ(FirstCdRomRoot(Drives({"C:\\", "Z:\\"}), TypeOf), "");
  EXPECT_EQ(FirstCdRomRoot(Drives({}), TypeOf), "");
}

TEST(CdRomRootTest, ListLongerThanTheBufferIsAnError) {
  // 32 roots of 4 characters fill the 128 characters before the final
  // terminator; a 33rd does not fit.
  std::string many;
  for (char c = 'A'; c <= 'Z'; ++c) many += std::string{c, ':', '\\', '\0'};
  for (int i = 0; i < 6; ++i) many += std::string("Q:\\") + '\0';
  EXPECT_NO_THROW(FirstCdRomRoot(many + '\0', TypeOf));
  many += std::string("Q:\\") + '\0';
  try {
    FirstCdRomRoot(many + '\0', TypeOf);
    ADD_FAILURE() << "a list longer than the buffer was accepted";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Not enough storage is available to complete this operation");
  }
}

TEST(SpaceRequiredTest, PlainGroupsCountContentArchiveGroupsStoredBytes) {
  const std::vector<uint8_t> kinds = {0, 0, 1};  // group 1 files, group 2 archive patch
  const std::vector<GroupedEntry> entries = {
      {0, 1000, 10},  // group 0: not counted
      {1, 500, 100},  // content
      {2, 800, 300},  // stored length
      {2, 70, 0},     // raw entry: its content is its stored length
      {3, 9999, 9},   // beyond the table
  };
  EXPECT_EQ(SumSpaceRequired(entries, kinds), 500u + 300u + 70u);
  EXPECT_EQ(SumSpaceRequired(entries, {0}), 0u);
}

TEST(SpaceRequiredTest, SumWrapsAt32Bits) {
  const std::vector<GroupedEntry> entries = {{1, 0xFFFFFFF0u, 0}, {1, 0x20, 0}};
  EXPECT_EQ(SumSpaceRequired(entries, {0, 0}), 0x10u);
}

TEST(LanguageEntryTest, NamePrefixIgnoresCase) {
  EXPECT_TRUE(IsLanguageEntryName("LANGUAGE-English.wri"));
  EXPECT_TRUE(IsLanguageEntryName("language-"));
  EXPECT_FALSE(IsLanguageEntryName("LANGUAGE"));
  EXPECT_FALSE(IsLanguageEntryName("UNINSTALL_LANGUAGE-English.wri"));
}

class InstallDirTest : public ::testing::Test {
 protected:
  // Resolves `source` and checks that the free space it gives is drive C's
  // as read during the call. Other programs on the machine write
  // meanwhile, so the figure is compared with readings taken around the
  // call, allowing for what they may write in between.
  InstallDirOutcome ResolveOnDriveC(const InstallDirSource& source) {
    const int64_t before = platform::DiskFree(3);
    InstallDirOutcome outcome = ResolveInstallDir(source);
    const int64_t after = platform::DiskFree(3);
    constexpr int64_t kOthersWrite = int64_t{256} << 20;
    EXPECT_TRUE(outcome.space_available.has_value());
    if (outcome.space_available) {
      EXPECT_GT(*outcome.space_available, 0);
      EXPECT_GE(*outcome.space_available, std::min(before, after) - kOthersWrite);
      EXPECT_LE(*outcome.space_available, std::max(before, after) + kOthersWrite);
    }
    return outcome;
  }

  test::TestMachine machine_;
  platform::Registry registry_;
};

TEST_F(InstallDirTest, RegistryValueWinsAndGetsItsDriveFreeSpace) {
  ASSERT_TRUE(registry_.WriteString(platform::RootKey::LocalMachine, "SOFTWARE\\Demo", "Path",
                                    "c:\\games\\x"));
  const InstallDirOutcome outcome =
      ResolveOnDriveC({"$PROGRAMFILES\\Demo", 0, "SOFTWARE\\Demo", "Path"});
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.install_dir, "c:\\games\\x");
}

TEST_F(InstallDirTest, KeyWithoutTheValueKeepsTheRecordFolder) {
  // What an uninstall leaves: the key, with its value removed or emptied.
  ASSERT_TRUE(
      registry_.WriteString(platform::RootKey::CurrentUser, "SOFTWARE\\Demo", "Other", "x"));
  const InstallDirOutcome absent = ResolveOnDriveC({"C:\\Demo", 1, "SOFTWARE\\Demo", "Path"});
  EXPECT_TRUE(absent.ok);
  EXPECT_EQ(absent.install_dir, "C:\\Demo");

  ASSERT_TRUE(registry_.WriteString(platform::RootKey::CurrentUser, "SOFTWARE\\Demo", "Path", ""));
  EXPECT_EQ(ResolveInstallDir({"C:\\Demo", 1, "SOFTWARE\\Demo", "Path"}).install_dir, "C:\\Demo");
  // With no folder in the record either, the empty value is all there is.
  const InstallDirOutcome nothing = ResolveInstallDir({"", 1, "SOFTWARE\\Demo", "Path"});
  EXPECT_TRUE(nothing.ok);
  EXPECT_EQ(nothing.install_dir, "");
}

TEST_F(InstallDirTest, MissingKeyKeepsTheRecordFolderWithoutFigure) {
  const InstallDirOutcome outcome =
      ResolveInstallDir({"$PROGRAMFILES\\Demo", 0, "SOFTWARE\\Missing", "Path"});
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.install_dir, "$PROGRAMFILES\\Demo");
  EXPECT_FALSE(outcome.space_available.has_value());
}

// A NUL in the folder would cut it where the host reads it: "C:\..\0x"
// reaches the host as "C:\..". Such a folder is damage, never used.
TEST_F(InstallDirTest, ControlCharactersAndOverlongFoldersAreDamage) {
  using namespace std::string_literals;
  ASSERT_TRUE(registry_.WriteString(platform::RootKey::LocalMachine, "SOFTWARE\\Demo", "Path",
                                    "C:\\..\0\\..\0\\outside"s));
  const InstallDirOutcome from_hive = ResolveInstallDir({"C:\\Demo", 0, "SOFTWARE\\Demo", "Path"});
  EXPECT_EQ(from_hive.install_dir, "");
  EXPECT_NE(from_hive.damage.find("registry value SOFTWARE\\Demo\\Path is damaged: it holds the "
                                  "control character 0x00 at position 6"),
            std::string::npos)
      << from_hive.damage;
  const InstallDirOutcome record = ResolveInstallDir({"C:\\" + std::string(300, 'x'), 0, "", ""});
  EXPECT_NE(record.damage.find("setup record is damaged: it is 303 characters long"),
            std::string::npos)
      << record.damage;
  EXPECT_TRUE(ResolveInstallDir({"C:\\" + std::string(250, 'x'), 0, "", ""}).damage.empty());
}

TEST_F(InstallDirTest, MissingKeyAndNoFolderIsAnError) {
  EXPECT_FALSE(ResolveInstallDir({"", 0, "SOFTWARE\\Missing", "Path"}).ok);
  EXPECT_FALSE(ResolveInstallDir({"", 0, "", ""}).ok);
}

TEST_F(InstallDirTest, NoLookupUsesTheRecordFolder) {
  const InstallDirOutcome on_c = ResolveOnDriveC({"C:\\Demo", 0, "SOFTWARE\\Demo", ""});
  EXPECT_EQ(on_c.install_dir, "C:\\Demo");
  // A drive that is not mapped reads as -1.
  EXPECT_EQ(ResolveInstallDir({"q:\\Demo", 0, "", ""}).space_available, -1);
  EXPECT_FALSE(ResolveInstallDir({"$PROGRAMFILES\\Demo", 0, "", ""}).space_available);
}

}  // namespace
}  // namespace wizpak::setup
