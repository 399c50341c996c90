// The forward-only memory reader: short reads at the end of the block and
// the little-endian readers that fail instead of reading past it.
#include <gtest/gtest.h>

#include "package/buffer_manager.h"

namespace wizpak {
namespace {

TEST(BufferManager, ShortReadsAtTheEnd) {
  const char bytes[3] = {'a', 'b', 'c'};
  TBufferManager buffer(bytes, 3);
  int32_t got = -1;
  EXPECT_EQ(buffer.ReadAlloc(2, got), "ab");
  EXPECT_EQ(got, 2);
  EXPECT_EQ(buffer.ReadAlloc(2, got), "c");
  EXPECT_EQ(got, 1);
  EXPECT_EQ(buffer.Position, 3);
  EXPECT_FALSE(buffer.ReadAlloc(2, got));
  EXPECT_EQ(got, 0);
  EXPECT_EQ(buffer.Position, 3);
}

TEST(BufferManager, EmptyBlockAndRepositioning) {
  int32_t got = 5;
  TBufferManager empty(nullptr, 0);
  EXPECT_FALSE(empty.ReadAlloc(1, got));
  EXPECT_EQ(got, 0);
  char sink = 'x';
  EXPECT_EQ(empty.ReadInto(1, &sink), 0);
  EXPECT_EQ(sink, 'x');

  const char bytes[4] = {1, 2, 3, 4};
  TBufferManager buffer(bytes, 4);
  buffer.SetPosition(3);
  char two[2] = {0, 0};
  EXPECT_EQ(buffer.ReadInto(2, two), 1);
  EXPECT_EQ(two[0], 4);
  EXPECT_EQ(two[1], 0);
  // A position moved past the end (or before the start) reads nothing.
  buffer.SetPosition(10);
  EXPECT_FALSE(buffer.ReadAlloc(1, got));
  buffer.SetPosition(-5);
  EXPECT_FALSE(buffer.ReadAlloc(1, got));
  EXPECT_EQ(buffer.ReadInto(1, two), 0);
  buffer.SetPosition(0);
  EXPECT_EQ(buffer.ReadAlloc(4, got), std::string("\x01\x02\x03\x04", 4));
}

TEST(BufferManager, LittleEndianReaders) {
  const std::string bytes("\x78\x56\x34\x12\xCD\xAB\x03\x00xyz\xFF", 12);
  TBufferManager buffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(ReadBufInt32(buffer), 0x12345678u);
  EXPECT_EQ(ReadBufInt16(buffer), 0xABCDu);
  EXPECT_EQ(ReadBufString(buffer), "xyz");
  EXPECT_EQ(ReadBufInt8(buffer), 0xFFu);
  EXPECT_THROW(ReadBufInt8(buffer), BufferUnderrun);
}

TEST(BufferManager, ReadersFailWhenBytesAreMissing) {
  const std::string string_cut(
      "\x05\x00"
      "abcd",
      6);  // says 5, has 4
  TBufferManager s(string_cut.data(), 6);
  EXPECT_THROW(ReadBufString(s), BufferUnderrun);

  const std::string three("\x01\x02\x03", 3);
  TBufferManager a(three.data(), 3);
  EXPECT_THROW(ReadBufInt32(a), BufferUnderrun);
  TBufferManager b(three.data(), 1);
  EXPECT_THROW(ReadBufInt16(b), BufferUnderrun);
  TBufferManager c(three.data(), 2);
  EXPECT_THROW(ReadBufString(c), BufferUnderrun);  // count 0x0201, no text
  // An empty string is fine at the very end.
  const std::string empty("\x00\x00", 2);
  TBufferManager d(empty.data(), 2);
  EXPECT_EQ(ReadBufString(d), "");
}

}  // namespace
}  // namespace wizpak
