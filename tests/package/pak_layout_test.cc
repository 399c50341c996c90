// The byte layout the writer produces and the reader takes back: a 25-entry
// package appended to an executable image, laid out so that its records and
// trailer can be compared byte for byte with known-good packages.
#include <gtest/gtest.h>

#include <cstring>

#include "pak_test_helpers.h"
#include "package/zlib_stream.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

using test::NoiseBytes;
using test::PakInput;

constexpr size_t kImageSize = 937984;
constexpr uint32_t kMainLayoutOffset = 1547729;
constexpr uint32_t kCompiledLinesOffset = 1696566;
constexpr uint32_t kDirectoryOffset = 1696808;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string Le32(uint32_t v) {
  return Bytes({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)});
}

// 77 bytes of layout-like text without repeats: its zlib stream is longer.
std::string MainLayoutText() {
  std::string text = "[page]\r\nkind=label\r\n";
  const std::string noise = NoiseBytes(77 - text.size(), 5);
  for (char c : noise) text += static_cast<char>('!' + static_cast<uint8_t>(c) % 90);
  return text;
}

// 570 bytes whose level-9 zlib stream is exactly 242 bytes long.
std::string CompiledLinesContent() {
  for (uint32_t seed = 1; seed < 200; ++seed) {
    for (size_t k = 100; k < 400; ++k) {
      std::string content = NoiseBytes(k, seed);
      content += test::TextBytes(570 - k);
      if (DeflateBest(content).size() == 242) return content;
    }
  }
  return {};
}

// Raw fillers of `total` bytes in `count` entries.
void AddFillers(std::vector<PakInput>& entries, size_t total, int count, uint16_t group) {
  const size_t each = total / count;
  for (int i = 0; i < count; ++i) {
    const size_t size = i + 1 == count ? total - each * (count - 1) : each;
    entries.push_back({"data\\part" + std::to_string(entries.size()) + ".bin",
                       NoiseBytes(size, static_cast<uint32_t>(entries.size())), group});
  }
}

class PakLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddFillers(inputs_, kMainLayoutOffset - kImageSize, 12, 1);
    inputs_.push_back({"MainLayout.txt", MainLayoutText(), 0});
    AddFillers(inputs_, kCompiledLinesOffset - kMainLayoutOffset - 77, 11, 2);
    const std::string lines = CompiledLinesContent();
    ASSERT_EQ(lines.size(), 570u);
    inputs_.push_back({"CompiledLines", lines, 0});
    ASSERT_EQ(inputs_.size(), 25u);
    path_ = dir_.file("setup.exe");
    written_ = test::WritePackage(path_, std::string(kImageSize, 'M'), inputs_);
    file_ = test::ReadHostFile(path_);
  }

  // The directory record of `name`, found in the directory region.
  std::string RecordOf(const std::string& name, size_t length) const {
    const std::string key = Bytes({int(name.size()), 0}) + name;
    const size_t at = file_.find(key, kDirectoryOffset);
    return at == std::string::npos ? std::string() : file_.substr(at, length);
  }

  test::TempDir dir_;
  std::vector<PakInput> inputs_;
  std::vector<TPakEntry> written_;
  std::string path_;
  std::string file_;
};

TEST_F(PakLayoutTest, TrailerOfTwentyFiveEntriesAfterTheImage) {
  ASSERT_GE(file_.size(), 16u);
  EXPECT_EQ(file_.substr(file_.size() - 16),
            Bytes({0x4B, 0x59, 0x50, 0x46, 0x01, 0x00, 0x19, 0x00, 0x00, 0x50, 0x0E, 0x00, 0x28,
                   0xE4, 0x19, 0x00}));
  // The image is left alone and the first entry starts right after it.
  EXPECT_EQ(file_.substr(0, kImageSize), std::string(kImageSize, 'M'));
  EXPECT_EQ(written_.front().Offset, kImageSize);
}

TEST_F(PakLayoutTest, RawRecordIsByteExact) {
  const std::string content = MainLayoutText();
  const std::string expected = Bytes({0x0E, 0x00}) + "MainLayout.txt" + Le32(Crc32(content)) +
                               Bytes({0xD1, 0x9D, 0x17, 0x00}) + Bytes({0, 0, 0, 0}) +
                               Bytes({0x4D, 0, 0, 0}) + Bytes({0, 0});
  EXPECT_EQ(RecordOf("MainLayout.txt", expected.size()), expected);
  // Raw content sits at its offset as it is.
  EXPECT_EQ(file_.substr(kMainLayoutOffset, 77), content);
}

TEST_F(PakLayoutTest, CompressedRecordEndsAtTheDirectory) {
  const std::string record = RecordOf("CompiledLines", 2 + 13 + 18);
  ASSERT_EQ(record.size(), 33u);
  const std::string stored = file_.substr(kCompiledLinesOffset, 242);
  EXPECT_EQ(record.substr(15, 4), Le32(Crc32(stored)));  // checksum of the stream
  EXPECT_EQ(record.substr(19), Bytes({0x36, 0xE3, 0x19, 0x00, 0xF2, 0x00, 0x00, 0x00, 0x3A, 0x02,
                                      0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(stored.substr(0, 2), Bytes({0x78, 0xDA}));
  EXPECT_EQ(kCompiledLinesOffset + 242, kDirectoryOffset);
}

TEST_F(PakLayoutTest, ReaderTakesBackWhatWasWritten) {
  TPak pak(path_, false, false);
  ASSERT_TRUE(pak.HasPackage());
  EXPECT_EQ(pak.Version, 1);
  EXPECT_EQ(pak.FileCount, 25);
  EXPECT_EQ(pak.PackageStart, kImageSize);
  EXPECT_EQ(pak.DirectoryOffset, kDirectoryOffset);
  EXPECT_EQ(pak.Base, static_cast<int64_t>(file_.size()) - kDirectoryOffset);
  ASSERT_EQ(pak.Entries.size(), 25u);
  for (uint32_t i = 0; i < 25; ++i) {
    const TPakEntry& e = pak.Entries[i];
    SCOPED_TRACE(e.Name);
    EXPECT_EQ(e.Name, inputs_[i].name);
    EXPECT_EQ(e.Group, inputs_[i].group);
    EXPECT_EQ(e.Offset, written_[i].Offset);
    EXPECT_EQ(e.CRC, written_[i].CRC);
    EXPECT_FALSE(e.Damaged);
    EXPECT_TRUE(pak.VerifyEntry(i));
    EXPECT_EQ(pak.ExtractEntry(i), inputs_[i].content);
  }
  // Entries lie back to back: each one starts where the one before ends.
  for (uint32_t i = 1; i < 25; ++i)
    EXPECT_EQ(pak.Entries[i].Offset, pak.Entries[i - 1].Offset + pak.Entries[i - 1].StoredLength());
  EXPECT_EQ(pak.CountGrouped(), 23u);
  EXPECT_EQ(pak.CountInGroup(0), 2u);
  EXPECT_EQ(pak.CountInGroup(1), 12u);
  EXPECT_EQ(pak.CountInGroup(2), 11u);
  EXPECT_EQ(pak.CountInGroup(3), 0u);
}

TEST(PakDirectory, RecordsAcrossReadPiecesComeBackWhole) {
  // About 1.9 MB of records with long names of varying lengths: records
  // straddle the boundaries of the pieces the directory is read in.
  test::TempDir dir;
  std::vector<PakInput> inputs;
  for (int i = 0; i < 600; ++i) {
    std::string name = "entry" + std::to_string(i) + "-";
    name += std::string(1000 + (i * 37) % 4000, static_cast<char>('a' + i % 26));
    inputs.push_back({name, i % 50 == 0 ? "x" + std::to_string(i) : "", 0});
  }
  inputs.push_back({std::string(65535, 'N'), "", 0});  // the longest name there is
  inputs.push_back({"last", std::string(65535, 'L'), 0});
  const std::string path = dir.file("many.pak");
  test::WritePackage(path, "", inputs);
  TPak pak(path, false, false);
  ASSERT_EQ(pak.Entries.size(), inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) ASSERT_EQ(pak.Entries[i].Name, inputs[i].name) << i;
  EXPECT_EQ(pak.ExtractEntry(550), "x550");
  EXPECT_EQ(pak.ExtractEntry(601), inputs.back().content);
}

TEST(PakNoPackage, FilesWithoutTheIdentifierGiveAnEmptyDirectory) {
  test::TempDir dir;
  const std::vector<std::string> files = {"", "KYPF", std::string(15, 'x'), NoiseBytes(4096, 3),
                                          std::string(16, '\0')};
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string path = dir.file("f" + std::to_string(i));
    test::WriteHostFile(path, files[i]);
    TPak pak(path, false, false);
    EXPECT_TRUE(pak.IsOpen());
    EXPECT_FALSE(pak.HasPackage());
    EXPECT_TRUE(pak.Entries.empty());
    EXPECT_EQ(pak.FileCount, 0);
    uint32_t size = 7;
    EXPECT_FALSE(pak.FindEntry("SetupInfo", 0, size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(pak.ExtractEntry(0));
    EXPECT_FALSE(pak.VerifyEntry(0));
  }
  TPak missing(dir.file("missing.exe"), false, false);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(missing.HasPackage());
  EXPECT_TRUE(missing.Entries.empty());
}

TEST(PakNoPackage, EmptyPackageOfItsOwn) {
  test::TempDir dir;
  const std::string path = dir.file("empty.pak");
  test::WritePackage(path, "", {});
  EXPECT_EQ(test::ReadHostFile(path),
            Bytes({'K', 'Y', 'P', 'F', 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  TPak pak(path, false, false);
  EXPECT_TRUE(pak.HasPackage());
  EXPECT_TRUE(pak.Entries.empty());
}

}  // namespace
}  // namespace wizpak
