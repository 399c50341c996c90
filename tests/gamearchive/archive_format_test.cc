#include <gtest/gtest.h>

#include "gamearchive/archive_format.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "text/marl_encryption.h"

namespace wizpak::gamearchive {
namespace {

std::vector<TableEntry> TwoEntries() {
  return {TableEntry::Make(StorageKind::Stamped, 0x5A210000, 10, 20, 0, "Data\\a.txt"),
          TableEntry::Make(StorageKind::Sound, 0x5A210000, 5, 50, 10, "Sound\\b.wav")};
}

std::string Archive(const std::string& tail) {
  return std::string(15, 'x') + tail;
}

TEST(ArchiveFormat, LongTrailerRoundTripsEntriesPasswordAndMark) {
  ExtraInfo extra;
  extra.password = "Secret42";
  extra.has_password = true;
  extra.official = true;
  const std::string archive = Archive(BuildArchiveTail(TwoEntries(), extra, 17, 93));
  const auto index = ReadArchiveIndex(archive);
  ASSERT_TRUE(index);
  EXPECT_EQ(index->trailer, TrailerForm::Long);
  EXPECT_EQ(index->table_start, 15u);
  ASSERT_EQ(index->entries.size(), 2u);
  EXPECT_EQ(index->entries[0].name(), "Data\\a.txt");
  EXPECT_EQ(index->entries[1].kind(), 1);
  EXPECT_EQ(index->entries[1].offset(), 10u);
  EXPECT_EQ(index->entries[0].marker(), 0x0A0D);
  EXPECT_EQ(index->extra.password, "Secret42");
  EXPECT_TRUE(index->extra.has_password);
  EXPECT_TRUE(index->extra.official);
  // The password is stored enciphered, not in the clear.
  EXPECT_EQ(archive.find("Secret42"), std::string::npos);
}

TEST(ArchiveFormat, ShortTrailerPasswordIsTheLetterAndDigitRun) {
  std::string tail = BuildArchiveTailShort(TwoEntries(), "");
  tail.replace(tail.size() - 9, 9, std::string("ab12-cd\0\0", 9));
  const auto index = ReadArchiveIndex(Archive(tail));
  ASSERT_TRUE(index);
  EXPECT_EQ(index->trailer, TrailerForm::Short);
  EXPECT_EQ(index->extra.password, "ab12");
  EXPECT_FALSE(index->extra.official);

  const auto none = ReadArchiveIndex(Archive(BuildArchiveTailShort(TwoEntries(), "")));
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->extra.has_password);
}

TEST(ArchiveFormat, ArchiveWithoutTrailerHasNoPassword) {
  std::string tail = BuildArchiveTailShort(TwoEntries(), "pw");
  tail.resize(tail.size() - 13);
  const auto index = ReadArchiveIndex(Archive(tail));
  ASSERT_TRUE(index);
  EXPECT_EQ(index->trailer, TrailerForm::None);
  EXPECT_FALSE(index->extra.has_password);
  EXPECT_EQ(index->entries.size(), 2u);
}

TEST(ArchiveFormat, ClearsTheReservedWordOfEveryEntry) {
  std::string record = TableEntry::Make(StorageKind::Stamped, 0, 1, 1, 0, "n").bytes();
  StoreLe32(record, 20, 0xDEADBEEF);
  EXPECT_EQ(ByteReader(TableEntry::FromBytes(record).bytes()).U32At(20), 0u);
}

TEST(ArchiveFormat, NamesAreCutTo127Characters) {
  const TableEntry e = TableEntry::Make(StorageKind::Stamped, 0, 1, 1, 0, std::string(300, 'n'));
  EXPECT_EQ(e.name().size(), 127u);
  EXPECT_EQ(e.bytes().size(), kTableEntrySize);
}

TEST(ArchiveFormat, RejectsDamagedHeaderBlocksAndTables) {
  const std::string good = Archive(BuildArchiveTail(TwoEntries(), {}, 3, 4));
  ASSERT_TRUE(ReadArchiveIndex(good));
  const size_t trailer = 4 + 2 + 4 + 2 + 2 + 0 + 1;
  const size_t header = good.size() - trailer - kHeaderBlockSize;

  std::string version4 = good;
  StoreLe32(version4, header + 8, 4);
  EXPECT_FALSE(ReadArchiveIndex(version4));

  std::string reserved = good;
  StoreLe32(reserved, header + 16, 1);
  EXPECT_FALSE(ReadArchiveIndex(reserved));

  std::string huge_table = good;
  StoreLe32(huge_table, header + 0, 0x7FFFFFFF);
  EXPECT_FALSE(ReadArchiveIndex(huge_table));

  std::string wrong_size = good;
  StoreLe32(wrong_size, header + 4, 3 * 152);
  StoreLe32(wrong_size, header + 12, 3);
  EXPECT_FALSE(ReadArchiveIndex(wrong_size));

  std::string bad_stream = good;
  bad_stream[16] ^= 0x55;
  EXPECT_FALSE(ReadArchiveIndex(bad_stream));

  // Every truncation is refused or read safely, never read past the end.
  for (size_t n = 0; n < good.size(); ++n) ReadArchiveIndex(std::string_view(good).substr(0, n));
}

TEST(ArchiveFormat, LongTrailerIsFoundOnlyInTheLastFiftySixBytes) {
  ExtraInfo extra;
  extra.password = std::string(41, 'p');
  const std::string archive = Archive(BuildArchiveTail(TwoEntries(), extra, 5, 6));
  const auto index = ReadArchiveIndex(archive);
  ASSERT_TRUE(index);
  EXPECT_EQ(index->extra.password, extra.password);

  extra.password = std::string(42, 'p');
  const auto too_long = ReadArchiveIndex(Archive(BuildArchiveTail(TwoEntries(), extra, 5, 6)));
  EXPECT_FALSE(too_long && too_long->extra.password == extra.password);
}

TEST(ArchiveFormat, StampedStreamsRoundTrip) {
  const std::string content(5000, 'q');
  const std::string stored = StampedStream(content);
  ASSERT_GT(stored.size(), 4u);
  EXPECT_NE(static_cast<uint8_t>(stored[0]), 0x78);  // the first word is stamped
  EXPECT_EQ(UnstampStream(stored, 5000), content);
  EXPECT_FALSE(UnstampStream(stored, 4999));
  EXPECT_FALSE(UnstampStream(stored.substr(0, stored.size() - 1), 5000));
}

TEST(ArchiveFormat, TodayIsADosDateWithMidnightTime) {
  const uint32_t date = TodayDosDate();
  EXPECT_EQ(date & 0xFFFF, 0u);
  EXPECT_GE(date >> 25, 46u);  // years since 1980: 2026 and later
}

}  // namespace
}  // namespace wizpak::gamearchive
