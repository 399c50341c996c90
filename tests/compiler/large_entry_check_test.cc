// Large entries (70 MiB and more) carry CRC 0 in their records; the setup
// writer keeps their checksums in a record of its own, so verification and
// extraction still notice a damaged large file. Packages without one (older
// setups) still install their large entries unchecked.
#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/package_builder.h"
#include "package/install_writer.h"
#include "package/large_entry_checks.h"
#include "package/package_hooks.h"
#include "package/pak.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace wizpak::compiler {
namespace {

constexpr uint64_t kBig = kLargeEntrySize + 12345;

// A sparse source file with a few marked bytes.
void WriteBigSource(const std::string& path) {
  platform::File f = platform::File::Open(path, platform::OpenMode::Create);
  ASSERT_TRUE(f.Truncate(static_cast<int64_t>(kBig)));
  for (uint64_t at : {uint64_t{0}, uint64_t{kBig / 2}, kBig - 1}) {
    ASSERT_EQ(f.Seek(static_cast<int64_t>(at)), static_cast<int64_t>(at));
    ASSERT_TRUE(f.Write("M", 1));
  }
}

void FlipByte(const std::string& path, uint64_t at) {
  platform::File f = platform::File::Open(path, platform::OpenMode::ReadWrite);
  char c = 0;
  ASSERT_EQ(f.Seek(static_cast<int64_t>(at)), static_cast<int64_t>(at));
  ASSERT_EQ(f.Read(&c, 1), 1);
  c ^= 0x40;
  ASSERT_EQ(f.Seek(static_cast<int64_t>(at)), static_cast<int64_t>(at));
  ASSERT_TRUE(f.Write(&c, 1));
}

TEST(LargeEntryCheck, WrittenByTheBuilderAndCheckedByVerifyAndExtraction) {
  test::TestMachine machine;
  test::WriteHostFile(machine.root().file("stub"), "STUB");
  WriteBigSource(machine.root().file("big.bin"));
  const std::string setup = machine.root().file("setup.exe");
  BuildSummary summary;
  std::string error;
  ASSERT_TRUE(WriteSetup(machine.root().file("stub"),
                         {{"SetupInfo", 0, {}, "record"},
                          {"big.bin", 1, machine.root().file("big.bin"), {}},
                          {"small.txt", 1, {}, "small"}},
                         setup, WriteOptions{}, summary, error))
      << error;
  uint32_t big_offset = 0;
  {
    TPak pak(setup, false, false);
    ASSERT_EQ(pak.Entries.size(), 4u);
    EXPECT_EQ(pak.Entries[1].CRC, 0u);  // the record itself keeps the old form
    EXPECT_EQ(pak.Entries[3].Name, kLargeEntryChecksName);
    EXPECT_EQ(pak.Entries[3].Group, 0);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_TRUE(pak.VerifyEntry(i)) << i;
    big_offset = pak.Entries[1].Offset;
    pak.ExtractGroup(1, "C:\\Game", PackageHooks{});
  }
  EXPECT_EQ(std::filesystem::file_size(machine.drive_c() + "/Game/big.bin"), kBig);

  // One byte of the large entry damaged: verification fails, and a second
  // installation over the first keeps the good file.
  FlipByte(setup, big_offset + kBig / 3);
  TPak pak(setup, false, false);
  EXPECT_FALSE(pak.VerifyEntry(1));
  try {
    pak.ExtractGroup(1, "C:\\Game", PackageHooks{});
    ADD_FAILURE() << "a damaged large entry was installed";
  } catch (const ExtractionError& failure) {
    EXPECT_EQ(std::string(failure.what()),
              "Cannot install C:\\Game\\big.bin: big.bin is damaged in the setup package");
  }
  platform::File kept = platform::File::Open("C:\\Game\\big.bin", platform::OpenMode::ReadShared);
  char c = 0;
  ASSERT_EQ(kept.ReadAt(static_cast<int64_t>(kBig / 3), &c, 1), 1);
  EXPECT_EQ(c, '\0');
}

TEST(LargeEntryCheck, RecordBytesRoundTripAndBadRecordsAreRefused) {
  const LargeEntryChecks checks = {{1, 0xDEADBEEF}, {7, 42}};
  EXPECT_EQ(ParseLargeEntryChecks(LargeEntryChecksBytes(checks)), checks);
  EXPECT_EQ(ParseLargeEntryChecks(""), LargeEntryChecks{});
  EXPECT_FALSE(ParseLargeEntryChecks("1234567"));
  EXPECT_FALSE(
      ParseLargeEntryChecks(LargeEntryChecksBytes({{1, 2}}) + LargeEntryChecksBytes({{1, 3}})));
}

}  // namespace
}  // namespace wizpak::compiler
