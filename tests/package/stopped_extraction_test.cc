// A stop asked for during extraction (Cancel answered Yes): the group ends
// between files, what was written is whole and logged, and a large file cut
// off part-way leaves the old file and no temporary file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "pak_test_helpers.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

TEST(StoppedExtraction, EndsBetweenFilesWithOnlyWholeLoggedFiles) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  const std::string package = machine.root().file("setup.exe");
  test::WritePackage(package, "IMAGE",
                     {{"a.bin", test::NoiseBytes(70000, 1), 1},
                      {"b.bin", test::NoiseBytes(80000, 2), 1},
                      {"c.bin", test::NoiseBytes(90000, 3), 1},
                      {"d.bin", test::NoiseBytes(100, 4), 1}});
  // The stop comes once the second file is written.
  recorder.hooks.stop_requested = [&] { return recorder.steps >= 2; };
  TPak pak(package, false, false);
  pak.ExtractGroup(1, "C:\\Game", recorder.hooks);

  const std::string folder = machine.drive_c() + "/Game";
  EXPECT_EQ(test::Names(folder), (std::vector<std::string>{"a.bin", "b.bin"}));
  EXPECT_EQ(test::ReadHostFile(folder + "/a.bin"), test::NoiseBytes(70000, 1));
  EXPECT_EQ(test::ReadHostFile(folder + "/b.bin"), test::NoiseBytes(80000, 2));
  EXPECT_EQ(recorder.files, (std::vector<std::string>{"C:\\Game\\a.bin", "C:\\Game\\b.bin"}));

  // Asked again once stopped (the next group of the same command), nothing
  // more is written.
  pak.ExtractGroup(1, "C:\\Other", recorder.hooks);
  EXPECT_FALSE(fs::exists(machine.drive_c() + "/Other"));
  EXPECT_EQ(recorder.files.size(), 2u);
}

TEST(StoppedExtraction, ALargeFileCutOffPartWayKeepsTheOldFile) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  const std::string package = machine.root().file("setup.exe");
  {
    TPak writer(package, false, true);
    const uint32_t small = writer.AddEntry("small.txt", "", 1);
    ASSERT_TRUE(writer.StoreFromMemory(small, "hello", 5));
    const std::string big(kLargeEntrySize, 'x');
    const uint32_t large = writer.AddEntry("big.bin", "", 1);
    ASSERT_TRUE(writer.StoreFromMemory(large, big.data(), big.size()));
    ASSERT_TRUE(writer.WriteDirectory());
  }
  const std::string folder = machine.drive_c() + "/Game";
  test::WriteHostFile(folder + "/big.bin", "old big");
  // The stop comes once the first piece of the large file is written.
  recorder.hooks.stop_requested = [&] {
    return std::any_of(recorder.statuses.begin(), recorder.statuses.end(),
                       [](const std::string& s) { return s.find(" / ") != std::string::npos; });
  };
  TPak pak(package, false, false);
  pak.ExtractGroup(1, "C:\\Game", recorder.hooks);

  EXPECT_EQ(test::ReadHostFile(folder + "/big.bin"), "old big");
  EXPECT_EQ(test::ReadHostFile(folder + "/small.txt"), "hello");
  EXPECT_EQ(test::Names(folder), (std::vector<std::string>{"big.bin", "small.txt"}));
  EXPECT_EQ(recorder.files, std::vector<std::string>{"C:\\Game\\small.txt"});
}

}  // namespace
}  // namespace wizpak
