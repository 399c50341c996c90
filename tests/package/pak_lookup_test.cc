// Finding entries: by name and group (letter case ignored), enumerating a
// group with and without extraction, and the empty entry.
#include <gtest/gtest.h>

#include "pak_test_helpers.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

class PakLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.file("lookup.pak");
    test::WritePackage(path_, "IMAGE",
                       {{"SetupInfo", "record of group 0", 0},
                        {"readme.txt", test::TextBytes(3000), 1},
                        {"SetupInfo", "a payload file of group 1", 1},
                        {"Empty.dat", "", 1},
                        {"bin\\tool.exe", test::NoiseBytes(500, 9), 1},
                        {"LANGUAGE-English", "strings", 0},
                        {"other.txt", "group two", 2}});
  }
  test::TempDir dir_;
  std::string path_;
};

TEST_F(PakLookupTest, SameNameInTwoGroupsAreTwoEntries) {
  TPak pak(path_, false, false);
  uint32_t size = 0;
  EXPECT_EQ(pak.FindEntry("setupinfo", 0, size), "record of group 0");
  EXPECT_EQ(size, 17u);
  EXPECT_EQ(pak.FindEntry("SETUPINFO", 1, size), "a payload file of group 1");
  EXPECT_EQ(size, 25u);
  EXPECT_FALSE(pak.FindEntry("SetupInfo", 2, size));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(pak.FindEntry("BIN\\Tool.EXE", 1, size), test::NoiseBytes(500, 9));
  // Only the whole name matches.
  EXPECT_FALSE(pak.FindEntry("tool.exe", 1, size));
  EXPECT_FALSE(pak.FindEntry("SetupInf", 0, size));
}

TEST_F(PakLookupTest, EnumeratesOneGroupInDirectoryOrder) {
  TPak pak(path_, false, false);
  std::vector<std::string> names;
  std::vector<uint32_t> sizes;
  uint32_t size = 0;
  std::string name;
  for (pak.FindFirst(1, size, false, name); !name.empty(); pak.FindNext(1, size, false, name)) {
    names.push_back(name);
    sizes.push_back(size);
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"readme.txt", "SetupInfo", "Empty.dat", "bin\\tool.exe"}));
  EXPECT_EQ(sizes, (std::vector<uint32_t>{3000, 25, 0, 500}));
  // Past the end: nothing, empty name, size 0, and the cursor stays put.
  const uint32_t cursor = pak.Cursor;
  size = 99;
  EXPECT_FALSE(pak.FindNext(1, size, true, name));
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(pak.Cursor, cursor);

  std::vector<uint32_t> indexes;
  uint32_t index = 0;
  for (bool found = pak.FindFirstIndex(0, index); found; found = pak.FindNextIndex(0, index))
    indexes.push_back(index);
  EXPECT_EQ(indexes, (std::vector<uint32_t>{0, 5}));
  EXPECT_FALSE(pak.FindFirstIndex(9, index));
  EXPECT_EQ(index, 0u);
}

TEST_F(PakLookupTest, ExtractingEnumerationStopsAtTheEmptyEntry) {
  TPak pak(path_, false, false);
  uint32_t size = 0;
  std::string name;
  std::vector<std::string> contents;
  for (PakBlock block = pak.FindFirst(1, size, true, name); block;
       block = pak.FindNext(1, size, true, name))
    contents.push_back(*block);
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents[1], "a payload file of group 1");
  EXPECT_EQ(name, "Empty.dat");  // the entry that ended it
}

TEST_F(PakLookupTest, EmptyEntryHasNoStoredBytes) {
  test::PakRecorder recorder;
  TPak pak(path_, false, false);
  const TPakEntry& e = pak.Entries[3];
  EXPECT_EQ(e.Offset, 0u);
  EXPECT_EQ(e.CRC, 0u);
  EXPECT_EQ(e.StoredLength(), 0u);
  EXPECT_FALSE(pak.ReadStored(3));
  EXPECT_FALSE(pak.ExtractEntry(3));
  EXPECT_TRUE(recorder.boxes.empty());
  // The entry after it still starts where the entry before it ended.
  EXPECT_EQ(pak.Entries[4].Offset, pak.Entries[2].Offset + pak.Entries[2].StoredLength());
}

TEST_F(PakLookupTest, ForEachInGroupSurvivesReadsInsideTheRoutine) {
  TPak pak(path_, false, false);
  std::vector<std::string> seen;
  pak.ForEachInGroup(1, [&](uint32_t index) {
    uint32_t size = 0;
    pak.FindEntry("LANGUAGE-English", 0, size);  // unrelated lookups in between
    std::string name;
    pak.FindFirst(2, size, false, name);
    seen.push_back(pak.Entries[index].Name);
  });
  EXPECT_EQ(seen,
            (std::vector<std::string>{"readme.txt", "SetupInfo", "Empty.dat", "bin\\tool.exe"}));
  pak.ForEachInGroup(1, nullptr);  // no routine: nothing happens
}

TEST(PakWriter, RefusesANameTooLongForItsRecord) {
  test::TempDir dir;
  TPak pak(dir.file("long.pak"), false, true);
  pak.AddEntry(std::string(65536, 'n'), "", 1);
  EXPECT_FALSE(pak.WriteDirectory());
  pak.Close();
  TPak reader(dir.file("long.pak"), false, false);
  EXPECT_FALSE(reader.HasPackage());
}

TEST_F(PakLookupTest, IndexesPastTheEndGiveNothing) {
  TPak pak(path_, false, false);
  EXPECT_FALSE(pak.ReadStored(7));
  EXPECT_FALSE(pak.ExtractEntry(70000));
  EXPECT_FALSE(pak.VerifyEntry(7));
}

}  // namespace
}  // namespace wizpak
