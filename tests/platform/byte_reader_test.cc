// The bounded little-endian reader and its writer counterpart: reads that
// would pass the end fail without moving, and a failure stays visible.
#include <gtest/gtest.h>

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace wizpak {
namespace {

TEST(ByteReader, ReadsLittleEndianFieldsInOrder) {
  const std::string bytes("\x78\x56\x34\x12\xCD\xAB\x03\x00xyz\xFF\xFE\xFF\xFF\xFF", 16);
  ByteReader in(bytes);
  EXPECT_EQ(in.U32(), 0x12345678u);
  EXPECT_EQ(in.U16(), 0xABCDu);
  EXPECT_EQ(in.Counted16(), "xyz");
  EXPECT_EQ(in.U8(), 0xFFu);
  EXPECT_EQ(in.I32(), -2);
  EXPECT_TRUE(in.AtEnd());
  EXPECT_TRUE(in.Ok());
  EXPECT_EQ(in.U8(), std::nullopt);
  EXPECT_FALSE(in.Ok());
  // Positioned reads leave the cursor alone and see the whole.
  EXPECT_EQ(in.U16At(4), 0xABCDu);
  EXPECT_EQ(in.U64At(8), 0xFFFFFFFEFF7A7978u);
  EXPECT_EQ(in.U32At(13), std::nullopt);
  EXPECT_EQ(in.Position(), 16u);
}

TEST(ByteReader, ShortReadsFailWithoutMoving) {
  const std::string three("\x01\x02\x03", 3);
  ByteReader in(three);
  EXPECT_EQ(in.U32(), std::nullopt);
  EXPECT_EQ(in.Position(), 0u);
  EXPECT_FALSE(in.Ok());  // sticky, though the next read succeeds
  EXPECT_EQ(in.U16(), 0x0201u);
  EXPECT_FALSE(in.Ok());

  // A count with too few bytes behind it reads neither.
  ByteReader cut(
      std::string_view("\x05\x00"
                       "abcd",
                       6));
  EXPECT_EQ(cut.Counted16(), std::nullopt);
  EXPECT_EQ(cut.Position(), 0u);
  ByteReader count_only(std::string_view(three).substr(0, 2));  // says 0x0201
  EXPECT_EQ(count_only.Counted16(), std::nullopt);
  EXPECT_EQ(ByteReader(std::string_view("\0\0", 2)).Counted16(), "");

  ByteReader moves(three);
  EXPECT_FALSE(moves.Skip(4));
  EXPECT_FALSE(moves.Seek(4));
  EXPECT_EQ(moves.Take(uint64_t{1} << 40), std::nullopt);
  EXPECT_EQ(moves.TakeAt(2, ~uint64_t{0}), std::nullopt);
  EXPECT_EQ(moves.Position(), 0u);
  EXPECT_TRUE(moves.Seek(3));
  EXPECT_EQ(moves.Rest(), "");
}

TEST(ByteReader, NullDataAndPartsHoldOnlyWhatIsThere) {
  ByteReader none(nullptr, 100);
  EXPECT_EQ(none.Size(), 0u);
  EXPECT_EQ(none.U8(), std::nullopt);

  const std::string bytes("abcdef");
  ByteReader in(bytes);
  auto part = in.Part(2, 3);
  ASSERT_TRUE(part);
  EXPECT_EQ(part->Rest(), "cde");
  EXPECT_FALSE(in.Part(4, 3));
  EXPECT_FALSE(in.Part(7, 0));
}

TEST(ByteWriter, WritesWhatTheReaderReads) {
  std::string out;
  AppendLe16(out, 0xBEEF);
  AppendLe32(out, 0x01020304);
  EXPECT_TRUE(StoreLe16(out, 4, 0x0A0B));
  EXPECT_FALSE(StoreLe32(out, 3, 0));  // would pass the end: nothing written
  EXPECT_FALSE(StoreLe16(out, 7, 0));
  ByteReader in(out);
  EXPECT_EQ(in.U16(), 0xBEEFu);
  EXPECT_EQ(in.U32(), 0x0A0B0304u);
  EXPECT_TRUE(in.AtEnd());
}

}  // namespace
}  // namespace wizpak
