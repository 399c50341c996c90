#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <random>

#include "compiler/package_builder.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace wizpak::compiler {
namespace {

uint32_t LE(const std::string& b, std::size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b.at(at + i));
  return v;
}

struct ReadEntry {
  std::string name;
  uint32_t crc, offset, stored_size, orig_size;
  uint16_t group;
  std::string content;
};

// Reads a setup back by the container layout: trailer, directory, entries.
std::vector<ReadEntry> ReadBack(const std::string& file, uint32_t expected_start) {
  std::vector<ReadEntry> out;
  EXPECT_GE(file.size(), 16u);
  const std::size_t t = file.size() - 16;
  EXPECT_EQ(file.substr(t, 4), "KYPF");
  EXPECT_EQ(LE(file, t + 4, 2), 1u);
  EXPECT_EQ(LE(file, t + 8, 4), expected_start);
  const uint32_t count = LE(file, t + 6, 2);
  std::size_t at = LE(file, t + 12, 4);
  uint32_t next_data = expected_start;
  for (uint32_t i = 0; i < count; ++i) {
    ReadEntry e;
    const uint32_t len = LE(file, at, 2);
    e.name = file.substr(at + 2, len);
    at += 2 + len;
    e.crc = LE(file, at, 4);
    e.offset = LE(file, at + 4, 4);
    e.stored_size = LE(file, at + 8, 4);
    e.orig_size = LE(file, at + 12, 4);
    e.group = static_cast<uint16_t>(LE(file, at + 16, 2));
    at += 18;
    const uint32_t stored = e.stored_size != 0 || e.orig_size == 0 ? e.stored_size : e.orig_size;
    if (stored != 0) {
      EXPECT_EQ(e.offset, next_data) << e.name;  // no gaps, in order
      next_data += stored;
      const std::string bytes = file.substr(e.offset, stored);
      EXPECT_EQ(e.crc, crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), stored)) << e.name;
      if (e.stored_size != 0) {
        EXPECT_EQ(bytes.substr(0, 2), "\x78\xDA") << e.name;
        e.content.resize(e.orig_size);
        uLongf got = e.orig_size;
        EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(e.content.data()), &got,
                             reinterpret_cast<const Bytef*>(bytes.data()), stored),
                  Z_OK);
        EXPECT_EQ(got, e.orig_size);
      } else {
        e.content = bytes;
      }
    } else {
      EXPECT_EQ(e.offset, 0u);
      EXPECT_EQ(e.crc, 0u);
    }
    out.push_back(e);
  }
  EXPECT_EQ(next_data, LE(file, t + 12, 4));  // the directory follows the last entry
  EXPECT_EQ(at, t);
  return out;
}

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

class SetupWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteHostFile(stub_,
                        "STUB-IMAGE\x7F"
                        "ELF");
  }

  bool Write(const std::vector<PackageItem>& items, int threads, std::string& error) {
    WriteOptions options;
    options.threads = threads;
    return WriteSetup(stub_, items, out_, options, summary_, error);
  }

  test::TempDir dir_;
  std::string stub_ = dir_.file("wizpak-stub");
  std::string out_ = dir_.file("out/setup.exe");
  BuildSummary summary_;
};

TEST_F(SetupWriterTest, WritesStubThenEntriesInOrderAndReadsBack) {
  std::filesystem::create_directories(dir_.file("out"));
  const std::string text(5000, 'a');
  test::WriteHostFile(dir_.file("payload.bin"), RandomBytes(300, 1));
  const std::vector<PackageItem> items = {
      {"SetupInfo", 0, {}, text},
      {"tiny", 0, {}, "xyz"},  // its stream would be longer: stored raw
      {"empty", 0, {}, ""},
      {"data\\payload.bin", 1, dir_.file("payload.bin"), {}},
  };
  std::string error;
  ASSERT_TRUE(Write(items, 2, error)) << error;
  const std::string file = test::ReadHostFile(out_);
  ASSERT_EQ(file.substr(0, 14),
            "STUB-IMAGE\x7F"
            "ELF");
  const std::vector<ReadEntry> back = ReadBack(file, 14);
  ASSERT_EQ(back.size(), 4u);
  EXPECT_EQ(back[0].name, "SetupInfo");
  EXPECT_NE(back[0].stored_size, 0u);
  EXPECT_EQ(back[0].content, text);
  EXPECT_EQ(back[1].stored_size, 0u);
  EXPECT_EQ(back[1].content, "xyz");
  EXPECT_EQ(back[2].orig_size, 0u);
  EXPECT_EQ(back[3].name, "data\\payload.bin");
  EXPECT_EQ(back[3].group, 1);
  EXPECT_EQ(back[3].content, RandomBytes(300, 1));
  EXPECT_EQ(summary_.entries, 4u);
  EXPECT_EQ(summary_.content_bytes, 5000u + 3 + 300);
  EXPECT_EQ(summary_.file_size, file.size());
  const auto perms = std::filesystem::status(out_).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
}

TEST_F(SetupWriterTest, OutputIsTheSameWhateverTheThreadCount) {
  std::filesystem::create_directories(dir_.file("out"));
  std::vector<PackageItem> items;
  for (int i = 0; i < 40; ++i) {
    const std::string content = i % 3 == 0
                                    ? RandomBytes(1000 + 97 * i, i)
                                    : std::string(20000 + 13 * i, static_cast<char>('a' + i % 26));
    if (i % 2 == 0) {
      const std::string path = dir_.file("src/f" + std::to_string(i));
      test::WriteHostFile(path, content);
      items.push_back({"f" + std::to_string(i), static_cast<uint16_t>(i / 10), path, {}});
    } else {
      items.push_back({"m" + std::to_string(i), static_cast<uint16_t>(i / 10), {}, content});
    }
  }
  std::string reference;
  for (int threads : {1, 2, 3, 7}) {
    std::string error;
    ASSERT_TRUE(Write(items, threads, error)) << error;
    const std::string file = test::ReadHostFile(out_);
    if (reference.empty()) {
      reference = file;
      EXPECT_EQ(ReadBack(file, 14).size(), items.size());
    } else {
      EXPECT_TRUE(file == reference) << "differs with " << threads << " threads";
    }
  }
}

TEST_F(SetupWriterTest, FailedWriteLeavesNoOutputAndKeepsAnOlderFile) {
  std::filesystem::create_directories(dir_.file("out"));
  test::WriteHostFile(out_, "older setup");
  std::vector<PackageItem> items;
  for (int i = 0; i < 10; ++i)
    items.push_back({"e" + std::to_string(i), 0, {}, RandomBytes(4000, i)});
  int writes = 0;
  platform::ScopedFaultHook hook([&](platform::FileOp op, std::string_view) {
    return op == platform::FileOp::Write && ++writes > 4 ? ENOSPC : 0;
  });
  std::string error;
  EXPECT_FALSE(Write(items, 2, error));
  EXPECT_NE(error.find("Cannot write"), std::string::npos) << error;
  EXPECT_EQ(test::ReadHostFile(out_), "older setup");
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir_.file("out"))) {
    left.push_back(e.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"setup.exe"});
}

TEST_F(SetupWriterTest, SourceVanishingBeforeTheWriteIsAnError) {
  std::filesystem::create_directories(dir_.file("out"));
  std::string error;
  EXPECT_FALSE(Write({{"gone", 1, dir_.file("gone.bin"), {}}}, 2, error));
  EXPECT_NE(error.find("gone.bin"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(out_));
}

TEST_F(SetupWriterTest, MissingStubIsAnError) {
  std::filesystem::create_directories(dir_.file("out"));
  std::string error;
  EXPECT_FALSE(WriteSetup(dir_.file("no-stub"), {}, out_, {}, summary_, error));
  EXPECT_NE(error.find("setup runtime"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(out_));
}

}  // namespace
}  // namespace wizpak::compiler
