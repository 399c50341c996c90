// Damaged packages: truncated, with records pointing outside the entry data,
// impossible sizes, corrupted streams and names that would leave their
// folder. Reading them never crashes and never yields wrong content.
#include <gtest/gtest.h>

#include <cstring>

#include "pak_test_helpers.h"
#include "package/zlib_stream.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

using test::PakInput;

const std::vector<PakInput>& SampleEntries() {
  static const std::vector<PakInput> entries = {
      {"SetupInfo", "record", 0},
      {"readme.txt", test::TextBytes(2000), 1},
      {"bin\\noise.bin", test::NoiseBytes(300, 4), 1},
      {"empty", "", 1},
      {"LANGUAGE-German", test::TextBytes(700), 0},
      {"Game\\mixed.dat", test::NoiseBytes(80000, 6) + test::TextBytes(80000), 2}};
  return entries;
}

// Everything a reader can be asked about `path`; returns how many entries
// came back whole. Any content that comes back must be the original.
int ReadEverything(const std::string& path) {
  TPak pak(path, false, false);
  int whole = 0;
  for (uint32_t i = 0; i < pak.Entries.size(); ++i) {
    PakBlock content;
    try {
      pak.VerifyEntry(i);
      content = pak.ExtractEntry(i);
    } catch (const DecompressionError&) {
      continue;
    }
    if (!content) continue;
    bool known = false;
    for (const PakInput& in : SampleEntries())
      known = known || (in.name == pak.Entries[i].Name && in.content == *content);
    EXPECT_TRUE(known) << "entry " << i << " came back with other content";
    ++whole;
  }
  pak.CountGrouped();
  return whole;
}

class PakDamageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.file("good.exe");
    entries_ = test::WritePackage(path_, "MZ-image", SampleEntries());
    good_ = test::ReadHostFile(path_);
    directory_offset_ = entries_.back().Offset + entries_.back().StoredLength();
  }

  // Rewrites the file with one directory record field changed.
  std::string WithField(size_t record, size_t field_offset, uint32_t value, int width = 4) const {
    std::string bytes = good_;
    size_t at = directory_offset_;
    for (size_t r = 0; r < record; ++r) at += 2 + entries_[r].Name.size() + 18;
    at += 2 + entries_[record].Name.size() + field_offset;
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    return bytes;
  }
  TPak OpenBytes(const std::string& bytes) {
    const std::string path = dir_.file("bad" + std::to_string(serial_++) + ".exe");
    test::WriteHostFile(path, bytes);
    return TPak(path, false, false);
  }

  test::TempDir dir_;
  std::string path_;
  std::string good_;
  std::vector<TPakEntry> entries_;
  size_t directory_offset_ = 0;
  int serial_ = 0;
};

TEST_F(PakDamageTest, TruncatedAnywhereInDirectoryOrTrailer) {
  ASSERT_EQ(ReadEverything(path_), 5);  // all but the empty entry
  const std::string cut_path = dir_.file("cut.exe");
  for (size_t length = directory_offset_; length < good_.size(); ++length) {
    SCOPED_TRACE(length);
    test::WriteHostFile(cut_path, good_.substr(0, length));
    TPak pak(cut_path, false, false);
    EXPECT_FALSE(pak.HasPackage());
    EXPECT_TRUE(pak.Entries.empty());
    EXPECT_EQ(ReadEverything(cut_path), 0);
  }
}

TEST_F(PakDamageTest, TruncatedEntryDataWithTheTailKept) {
  // Entry data cut short with directory and trailer kept: the directory
  // offset now points into (or past) the shifted tail. Whatever the reader
  // makes of it, nothing it returns differs from what was stored.
  const std::string cut_path = dir_.file("short.exe");
  for (size_t cut = 1; cut < directory_offset_; cut += cut < 300 ? 1 : cut / 2) {
    SCOPED_TRACE(cut);
    test::WriteHostFile(cut_path,
                        good_.substr(0, directory_offset_ - cut) + good_.substr(directory_offset_));
    EXPECT_LE(ReadEverything(cut_path), 5);
  }
}

TEST_F(PakDamageTest, RecordsPointingOutsideTheEntryDataAreDamaged) {
  // offset before the package, past the directory, or so that the stored
  // bytes would run into the directory.
  const uint32_t into_directory = static_cast<uint32_t>(directory_offset_) - 10;
  for (uint32_t offset : {0u, into_directory, 0xFFFFFFF0u}) {
    SCOPED_TRACE(offset);
    TPak pak = OpenBytes(WithField(1, 4, offset));
    ASSERT_EQ(pak.Entries.size(), 6u);
    EXPECT_TRUE(pak.Entries[1].Damaged);
    EXPECT_FALSE(pak.ReadStored(1));
    EXPECT_FALSE(pak.VerifyEntry(1));
    EXPECT_FALSE(pak.Entries[0].Damaged);
    EXPECT_TRUE(pak.VerifyEntry(0));
  }
  // A raw entry claiming more bytes than the file holds.
  TPak huge = OpenBytes(WithField(2, 12, 0x7FFFFFFF));
  EXPECT_TRUE(huge.Entries[2].Damaged);
  EXPECT_FALSE(huge.ExtractEntry(2));
}

TEST_F(PakDamageTest, ContentSizeNoStreamCanReachIsDamaged) {
  test::PakRecorder recorder;
  const uint32_t stored = entries_[1].StoredSize;
  ASSERT_NE(stored, 0u);
  TPak pak = OpenBytes(WithField(1, 12, stored * 2000));
  EXPECT_TRUE(pak.Entries[1].Damaged);
  EXPECT_FALSE(pak.VerifyEntry(1));
  EXPECT_TRUE(recorder.boxes.empty());  // refused before anything is allocated
}

TEST_F(PakDamageTest, CompressedEntryOfLargeSizeIsDamaged) {
  // Within the inflate ratio of its stream, but no writer compresses a
  // large entry: left alone it would pass verification unread.
  TPak pak = OpenBytes(WithField(5, 12, kLargeEntrySize));
  ASSERT_LE(kLargeEntrySize, 1032ull * entries_[5].StoredSize);
  EXPECT_TRUE(pak.Entries[5].Damaged);
  EXPECT_FALSE(pak.VerifyEntry(5));
  EXPECT_FALSE(pak.Entries[1].Damaged);
}

TEST_F(PakDamageTest, CorruptedStoredByteFailsTheChecksumSilently) {
  test::PakRecorder recorder;
  for (size_t index : {1u, 2u}) {
    std::string bytes = good_;
    bytes[entries_[index].Offset + 5] ^= 0x10;
    TPak pak = OpenBytes(bytes);
    EXPECT_FALSE(pak.ReadStored(index));
    EXPECT_FALSE(pak.ExtractEntry(index));
    EXPECT_FALSE(pak.VerifyEntry(index));
    EXPECT_TRUE(pak.VerifyEntry(0));
  }
  EXPECT_TRUE(recorder.boxes.empty());
}

// The reader reports a wrong size and shows nothing: the run above it shows
// the "DecompSize" box and ends on its error path.
TEST_F(PakDamageTest, StreamInflatingToAnotherSizeIsReportedNotShown) {
  test::PakRecorder recorder;
  TPak shorter = OpenBytes(WithField(1, 12, 2500));  // really 2000
  try {
    shorter.ExtractEntry(1);
    ADD_FAILURE() << "a wrong size was not reported";
  } catch (const WrongSizeError& error) {
    EXPECT_EQ(error.Name(), "readme.txt");
    EXPECT_EQ(error.Inflated(), 2000u);
    EXPECT_EQ(error.Recorded(), 2500u);
    EXPECT_EQ(error.BoxText(), "readme.txt\r\rError: DecompSize - 2000 OrigSize - 2500");
  }

  // Verification checks the stored bytes against their CRC only; the size
  // is found out when the entry is extracted.
  TPak longer = OpenBytes(WithField(1, 12, 1500));
  EXPECT_TRUE(longer.VerifyEntry(1));
  try {
    longer.ExtractEntry(1);
    ADD_FAILURE() << "a wrong size was not reported";
  } catch (const WrongSizeError& error) {
    EXPECT_EQ(error.BoxText(), "readme.txt\r\rError: DecompSize - 2000 OrigSize - 1500");
  }
  // Callers that treat an entry that does not inflate as damaged catch it too.
  EXPECT_THROW(longer.ExtractEntry(1), DecompressionError);
  EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PakDamageTest, MalformedStreamWithValidChecksumThrows) {
  // Break the stream, then fix the record's CRC so that only inflate notices.
  std::string bytes = good_;
  const TPakEntry& e = entries_[1];
  for (uint32_t i = 2; i < e.StoredSize - 4; ++i) bytes[e.Offset + i] = static_cast<char>(0xFF);
  const uint32_t crc = Crc32(std::string_view(bytes).substr(e.Offset, e.StoredSize));
  size_t at = directory_offset_ + 2 + entries_[0].Name.size() + 18 + 2 + e.Name.size();
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(crc >> (8 * i));
  TPak pak = OpenBytes(bytes);
  ASSERT_TRUE(pak.ReadStored(1));
  EXPECT_THROW(pak.ExtractEntry(1), DecompressionError);
  EXPECT_TRUE(pak.VerifyEntry(1));  // the CRC matches; inflating is extraction's check
}

TEST_F(PakDamageTest, CountLargerThanTheRecordsLeavesNoPackage) {
  std::string bytes = good_;
  bytes[bytes.size() - 10] = 7;  // File Count 6 -> 7
  TPak pak = OpenBytes(bytes);
  EXPECT_TRUE(pak.Entries.empty());
  bytes = good_;
  const uint32_t past = static_cast<uint32_t>(good_.size());
  for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>(past >> (8 * i));
  EXPECT_TRUE(OpenBytes(bytes).Entries.empty());
}

// A package with payload names that try to leave their folder.
TEST(PakUnsafeNames, GroupExtractionNeverWritesOutsideItsFolder) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  const std::string path = machine.root().file("evil.pak");
  const std::vector<std::string> bad = {
      "..\\escape.txt", "sub\\..\\..\\escape2.txt", "C:\\escape3.txt", "\\escape4.txt",
      "sub\\\\x.txt", "./dot.txt", "a\\.\\b.txt", "/abs.txt",
      // A NUL hides ".." from every level
      // check; the host cuts the name there.
      std::string("..\0\\..\0\\escape5.txt", 19), std::string("ok\0.txt", 7), "tab\there.txt",
      std::string(260, 'n'),
      [] {
        std::string deep;
        for (int i = 0; i < 65; ++i) deep += "d\\";
        return deep + "x.txt";
      }(),
      ""};
  std::vector<PakInput> inputs = {{"fine\\ok.txt", "ok", 1}};
  for (const std::string& name : bad) inputs.push_back({name, "bad", 1});
  test::WritePackage(path, "", inputs);

  TPak pak(path, false, false);
  ASSERT_EQ(pak.Entries.size(), inputs.size());
  EXPECT_FALSE(pak.Entries[0].Damaged);
  for (size_t i = 1; i < inputs.size(); ++i) {
    SCOPED_TRACE(inputs[i].name);
    EXPECT_TRUE(pak.Entries[i].Damaged);
    EXPECT_FALSE(pak.VerifyEntry(static_cast<uint32_t>(i)));
    EXPECT_FALSE(IsSafeRelativeName(inputs[i].name));
  }
  ASSERT_TRUE(platform::CreateDirectory("C:\\target"));
  pak.ExtractGroup(1, "C:\\target", recorder.hooks);
  EXPECT_EQ(test::ReadHostFile(machine.drive_c() + "/target/fine/ok.txt"), "ok");
  EXPECT_EQ(recorder.files, (std::vector<std::string>{"C:\\target\\fine\\ok.txt"}));
  // Nothing else appeared anywhere on the drive.
  const auto top = platform::ListFolder("C:\\");
  ASSERT_TRUE(top);
  ASSERT_EQ(top->size(), 1u);
  EXPECT_EQ((*top)[0].name, "target");
  const auto inside = platform::ListFolder("C:\\target");
  ASSERT_TRUE(inside);
  ASSERT_EQ(inside->size(), 1u);
  EXPECT_EQ((*inside)[0].name, "fine");
  EXPECT_FALSE(test::ReadHostFile(machine.root().file("escape.txt")).size());
}

TEST(PakUnsafeNames, SupportEntriesKeepPlainNames) {
  EXPECT_TRUE(IsSafeRelativeName(std::string(259, 'n')));
  std::string deep;
  for (int i = 0; i < 63; ++i) deep += "d\\";
  EXPECT_TRUE(IsSafeRelativeName(deep + "x.txt"));
  EXPECT_TRUE(IsSafeRelativeName("UNINSTALL_FINALISE.EXE"));
  EXPECT_TRUE(IsSafeRelativeName("data\\sub\\file.name.txt"));
  EXPECT_TRUE(IsSafeRelativeName("..hidden"));
  EXPECT_FALSE(IsSafeRelativeName("sub\\"));
}

}  // namespace
}  // namespace wizpak
