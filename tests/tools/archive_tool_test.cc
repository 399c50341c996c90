#include <gtest/gtest.h>

#include "gamearchive/archive_file.h"
#include "support/test_support.h"
#include "tools/subcommands.h"

namespace wizpak::tools {
namespace {

void PutLE(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
}

// A 16-bit mono wave file of `bytes` sample bytes.
std::string Wave(size_t bytes) {
  std::string w = "RIFF";
  PutLE(w, static_cast<uint32_t>(36 + bytes), 4);
  w += "WAVEfmt ";
  PutLE(w, 16, 4);
  PutLE(w, 1, 2);
  PutLE(w, 1, 2);
  PutLE(w, 8000, 4);
  PutLE(w, 16000, 4);
  PutLE(w, 2, 2);
  PutLE(w, 16, 2);
  w += "data";
  PutLE(w, static_cast<uint32_t>(bytes), 4);
  for (size_t i = 0; i < bytes / 2; ++i) PutLE(w, static_cast<uint32_t>((i * 300) % 4000), 2);
  return w;
}

TEST(ArchiveTool, CreateListVerifyExtractAndPatch) {
  test::TempDir dir;
  test::WriteHostFile(dir.file("in/Data/readme.txt"), "hello archive");
  test::WriteHostFile(dir.file("in/Sound/tone.wav"), Wave(4096));
  const std::string archive = dir.file("game.kyp");
  ASSERT_EQ(RunArchive({"create", dir.file("in"), "-o", archive, "--password", "pw1"}), 0);
  EXPECT_EQ(RunArchive({"list", archive}), 0);
  EXPECT_EQ(RunArchive({"verify", archive}), 0);

  ASSERT_EQ(RunArchive({"extract", archive, dir.file("out")}), 0);
  EXPECT_EQ(test::ReadHostFile(dir.file("out/Data/readme.txt")), "hello archive");
  // The sound comes back as a wave file of the same length (decoded ADPCM).
  EXPECT_EQ(test::ReadHostFile(dir.file("out/Sound/tone.wav")).size(), Wave(4096).size());

  // Patching needs the archive's password.
  test::WriteHostFile(dir.file("patch/Data/readme.txt"), "patched");
  EXPECT_EQ(RunArchive({"patch", archive, dir.file("patch"), "--password", "wrong"}), 1);
  ASSERT_EQ(RunArchive({"patch", archive, dir.file("patch"), "--password", "pw1"}), 0);
  std::string error;
  const auto reader = gamearchive::OpenArchiveForReading(archive, error);
  ASSERT_TRUE(reader) << error;
  ASSERT_EQ(reader->index.entries.size(), 2u);
  EXPECT_EQ(reader->index.entries.back().name(), "Data\\readme.txt");
  EXPECT_EQ(gamearchive::ReadEntryContent(*reader, reader->index.entries.back(), error), "patched");
}

TEST(ArchiveTool, RefusesBadInput) {
  test::TempDir dir;
  test::WriteHostFile(dir.file("in/a.txt"), "a");
  EXPECT_EQ(RunArchive({}), 2);
  EXPECT_EQ(RunArchive({"list"}), 2);
  EXPECT_EQ(RunArchive({"list", dir.file("missing.kyp")}), 1);
  // Short trailers hold at most nine letters and digits; long ones 41 bytes.
  EXPECT_EQ(RunArchive({"create", dir.file("in"), "-o", dir.file("a.kyp"), "--short-trailer",
                        "--password", "not-alnum"}),
            1);
  EXPECT_EQ(RunArchive({"create", dir.file("in"), "-o", dir.file("a.kyp"), "--password",
                        std::string(42, 'p')}),
            1);
  EXPECT_FALSE(test::ReadHostFile(dir.file("a.kyp")).size());
  // A damaged archive fails verification and listing.
  test::WriteHostFile(dir.file("bad.kyp"), std::string(100, 'x'));
  EXPECT_EQ(RunArchive({"verify", dir.file("bad.kyp")}), 1);
}

}  // namespace
}  // namespace wizpak::tools
