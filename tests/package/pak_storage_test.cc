// The storage rule at its edges (compressed, raw, large) and the way large
// entries are written out: unchecked, in 25 MiB chunks with a status each.
#include <gtest/gtest.h>

#include "pak_test_helpers.h"
#include "package/zlib_stream.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

// Some content whose zlib stream is `extra` bytes longer than itself.
std::string ContentCompressingTo(int extra) {
  for (uint32_t seed = 1; seed < 500; ++seed) {
    for (size_t noise = 8; noise < 120; ++noise) {
      std::string content = test::NoiseBytes(noise, seed) + std::string(seed % 13, 'a');
      if (static_cast<int>(DeflateBest(content).size()) - static_cast<int>(content.size()) == extra)
        return content;
    }
  }
  return {};
}

TEST(StorageRule, StreamOfTheSameLengthStaysCompressed) {
  const std::string content = ContentCompressingTo(0);
  ASSERT_FALSE(content.empty());
  TPakEntry e;
  const std::string stored = PrepareStoredBytes(e, content, false);
  EXPECT_EQ(e.StoredSize, content.size());
  EXPECT_EQ(e.OrigSize, content.size());
  EXPECT_EQ(stored, DeflateBest(content));
  EXPECT_EQ(e.CRC, Crc32(stored));
}

TEST(StorageRule, LongerStreamIsStoredRaw) {
  const std::string content = ContentCompressingTo(1);
  ASSERT_FALSE(content.empty());
  TPakEntry e;
  EXPECT_EQ(PrepareStoredBytes(e, content, false), content);
  EXPECT_EQ(e.StoredSize, 0u);
  EXPECT_EQ(e.OrigSize, content.size());
  EXPECT_EQ(e.CRC, Crc32(content));
}

TEST(StorageRule, LargeContentFromMemoryIsRawWithChecksum) {
  const std::string zeros(kLargeEntrySize, '\0');
  TPakEntry e;
  const std::string stored = PrepareStoredBytes(e, zeros, false);
  EXPECT_EQ(e.StoredSize, 0u);
  EXPECT_EQ(e.OrigSize, kLargeEntrySize);
  EXPECT_EQ(stored.size(), zeros.size());
  EXPECT_EQ(e.CRC, Crc32(zeros));
  // One byte less is compressed as usual.
  TPakEntry below;
  const std::string small = PrepareStoredBytes(below, std::string_view(zeros).substr(1), false);
  EXPECT_NE(below.StoredSize, 0u);
  EXPECT_EQ(small.size(), below.StoredSize);
  EXPECT_LT(small.size(), 1u << 20);
}

TEST(StorageRule, PrepareEntryKeepsTheChecksumOfAnEmptyContent) {
  test::TempDir dir;
  TPak pak(dir.file("p.pak"), false, true);
  const uint32_t index = pak.AddEntry("x", "", 1);
  pak.Entries[index].CRC = 1234;
  const PakBlock block = pak.PrepareEntry(index, "", 0);
  ASSERT_TRUE(block);
  EXPECT_TRUE(block->empty());
  EXPECT_EQ(pak.Entries[index].CRC, 1234u);
  EXPECT_FALSE(pak.PrepareEntry(index, nullptr, 5));
  EXPECT_FALSE(pak.PrepareEntry(9, "abc", 3));
}

// Creates a sparse host file of `size` bytes with `marks` written at some
// positions.
void WriteSparse(const std::string& host_path, uint64_t size,
                 const std::vector<std::pair<uint64_t, char>>& marks) {
  platform::File f = platform::File::Open(host_path, platform::OpenMode::Create);
  ASSERT_TRUE(f.Truncate(static_cast<int64_t>(size)));
  for (const auto& [at, c] : marks) {
    ASSERT_EQ(f.Seek(static_cast<int64_t>(at)), static_cast<int64_t>(at));
    ASSERT_TRUE(f.Write(&c, 1));
  }
}

// Size and chosen bytes of a large file, without reading all of it.
struct LargeFile {
  explicit LargeFile(const std::string& path)
      : file(platform::File::Open(path, platform::OpenMode::ReadShared)) {}
  int64_t Size() { return file ? file.Size() : -1; }
  char At(int64_t position) {
    char c = '?';
    if (file.Seek(position) != position || file.Read(&c, 1) != 1) return '?';
    return c;
  }
  platform::File file;
};

TEST(LargeEntry, FromFileCarriesNoChecksumAndOnlyGroupExtractionWritesIt) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  const std::string source = machine.root().file("big.bin");
  WriteSparse(source, kLargeEntrySize, {{0, 'A'}, {kLargeEntrySize - 1, 'Z'}});
  const std::string package = machine.root().file("large.pak");
  {
    TPak writer(package, false, true);
    const uint32_t small = writer.AddEntry("small.txt", "", 1);
    ASSERT_TRUE(writer.StoreFromMemory(small, "hello", 5));
    const uint32_t big = writer.AddEntry("big.bin", source, 1);
    ASSERT_TRUE(writer.StoreFromFile(big));
    EXPECT_EQ(writer.Entries[big].CRC, 0u);
    EXPECT_EQ(writer.Entries[big].StoredSize, 0u);
    EXPECT_EQ(writer.Entries[big].OrigSize, kLargeEntrySize);
    ASSERT_TRUE(writer.WriteDirectory());
  }
  TPak pak(package, false, false);
  ASSERT_EQ(pak.Entries.size(), 2u);
  EXPECT_FALSE(pak.Entries[1].Damaged);
  EXPECT_FALSE(pak.ReadStored(1));
  EXPECT_FALSE(pak.ExtractEntry(1));
  EXPECT_TRUE(pak.VerifyEntry(1));

  pak.ExtractGroup(1, "C:\\Games\\Big", recorder.hooks);
  const std::string out = machine.drive_c() + "/Games/Big/big.bin";
  LargeFile written(out);
  ASSERT_EQ(written.Size(), kLargeEntrySize);
  EXPECT_EQ(written.At(0), 'A');
  EXPECT_EQ(written.At(kLargeEntrySize - 1), 'Z');
  EXPECT_EQ(test::ReadHostFile(machine.drive_c() + "/Games/Big/small.txt"), "hello");
  EXPECT_EQ(recorder.files,
            (std::vector<std::string>{"C:\\Games\\Big\\small.txt", "C:\\Games\\Big\\big.bin"}));
  EXPECT_EQ(recorder.directories, (std::vector<std::string>{"C:\\Games\\", "C:\\Games\\Big\\"}));
  EXPECT_EQ(recorder.steps, 2);
  EXPECT_TRUE(recorder.boxes.empty());
}

TEST(LargeEntry, CopiedInChunksOfTwentyFiveMebibytes) {
  test::TestMachine machine;
  constexpr uint32_t kSize = 80000000;
  const std::string package = machine.root().file("sparse.pak");
  // A package whose one entry is a sparse 80,000,000-byte region with marks
  // on both sides of every chunk boundary.
  const std::vector<std::pair<uint64_t, char>> marks = {
      {0, '0'},        {26214399, '1'}, {26214400, '2'}, {52428799, '3'},
      {52428800, '4'}, {78643199, '5'}, {78643200, '6'}, {kSize - 1, '7'}};
  WriteSparse(package, kSize, marks);
  {
    TPak writer(package, true, false);
    writer.PackageStart = 0;
    const uint32_t i = writer.AddEntry("data\\level.dat", "", 3);
    writer.Entries[i].OrigSize = kSize;
    ASSERT_TRUE(writer.WriteDirectory());
  }
  TPak pak(package, false, false);
  ASSERT_EQ(pak.Entries.size(), 1u);
  ASSERT_FALSE(pak.Entries[0].Damaged);

  test::PakRecorder recorder;
  const auto package_host = platform::ToHostPath(package).value_or(package);
  int package_reads = 0;
  int pumps = 0;
  recorder.hooks.keep_responsive = [&] { ++pumps; };
  {
    platform::ScopedFaultHook count([&](platform::FileOp op, std::string_view host) {
      if (op == platform::FileOp::Read && host == package_host) ++package_reads;
      return 0;
    });
    pak.ExtractGroup(3, "C:\\Install", recorder.hooks);
  }
  // Read in 1 MiB pieces, with the window's events handled before each one
  // (and once more after the entry): a 400 MB file never holds them up long.
  EXPECT_EQ(package_reads, static_cast<int>((kSize + kLargePieceSize - 1) / kLargePieceSize));
  EXPECT_EQ(pumps, package_reads + 1);
  EXPECT_EQ(recorder.statuses,
            (std::vector<std::string>{"data\\level.dat", "data\\level.dat - 0 MiB / 76 MiB",
                                      "data\\level.dat - 25 MiB / 76 MiB",
                                      "data\\level.dat - 50 MiB / 76 MiB",
                                      "data\\level.dat - 75 MiB / 76 MiB", ""}));
  LargeFile written(machine.drive_c() + "/Install/data/level.dat");
  ASSERT_EQ(written.Size(), kSize);
  for (const auto& [at, c] : marks) EXPECT_EQ(written.At(at), c) << at;
  EXPECT_EQ(written.At(1000), '\0');
  EXPECT_EQ(recorder.steps, 1);
}

}  // namespace
}  // namespace wizpak
