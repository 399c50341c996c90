// Install log file bytes: exact layout, limits and damaged files.
#include "uninstall/install_log_format.h"

#include "text/digit_cipher.h"

#include <gtest/gtest.h>

#include <string>

namespace wizpak {
namespace {

using namespace std::string_literals;

TEST(InstallLogFormat, EmptyListsAreSixZeroBytes) {
  const InstallLogEncoding encoded = EncodeInstallLog({});
  ASSERT_TRUE(encoded.ok);
  EXPECT_EQ(encoded.bytes, std::string(6, '\0'));
  const InstallLogDecoding decoded = DecodeInstallLog(encoded.bytes);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.lists, InstallLogLists{});
}

TEST(InstallLogFormat, BytesAreCountsThenEnciphereredEntriesInListOrder) {
  InstallLogLists lists;
  lists.files = {"$INSTDIR\\a.txt", "b"};
  lists.registry_entries = {"\"HKCU\" \"Software\\Test\" \"Path\" \"C:\\X\""};
  lists.directories = {"C:\\Games\\X\\", ""};
  const InstallLogEncoding encoded = EncodeInstallLog(lists);
  ASSERT_TRUE(encoded.ok);

  std::string expected = "\x02\x00\x01\x00\x02\x00"s;
  auto entry = [&](const std::string& text) {
    expected += static_cast<char>(text.size() & 0xFF);
    expected += static_cast<char>(text.size() >> 8);
    // Each entry starts again at the key's first digit.
    for (size_t i = 0; i < text.size(); ++i) {
      expected += static_cast<char>(text[i] + (kInstallLogKey[i % 244] - '0'));
    }
  };
  for (const auto& f : lists.files) entry(f);
  for (const auto& r : lists.registry_entries) entry(r);
  for (const auto& d : lists.directories) entry(d);
  EXPECT_EQ(encoded.bytes, expected);

  const InstallLogDecoding decoded = DecodeInstallLog(encoded.bytes);
  ASSERT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.lists, lists);
}

TEST(InstallLogFormat, EveryByteValueAndLongEntriesRoundTrip) {
  InstallLogLists lists;
  std::string all;
  // Registry entries may hold any byte but NUL (paths refuse every
  // control character); the cipher covers every other byte value here.
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  lists.registry_entries = {all, std::string(65535, '\xff')};
  lists.files = {"C:\\Game\\" + std::string(240, '\xe9')};
  lists.directories.assign(300, "C:\\d");
  const InstallLogEncoding encoded = EncodeInstallLog(lists);
  ASSERT_TRUE(encoded.ok);
  const InstallLogDecoding decoded = DecodeInstallLog(encoded.bytes);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.lists, lists);
}

TEST(InstallLogFormat, ListsThatDoNotFitAreRefusedNamingTheProblem) {
  InstallLogLists long_entry;
  long_entry.registry_entries = {"x", std::string(65536, 'a')};
  InstallLogEncoding encoded = EncodeInstallLog(long_entry);
  EXPECT_FALSE(encoded.ok);
  EXPECT_TRUE(encoded.bytes.empty());
  EXPECT_NE(encoded.error.find("registry entry entry 2"), std::string::npos) << encoded.error;
  EXPECT_NE(encoded.error.find("65536"), std::string::npos);

  InstallLogLists many;
  many.directories.assign(65536, "d");
  encoded = EncodeInstallLog(many);
  EXPECT_FALSE(encoded.ok);
  EXPECT_NE(encoded.error.find("65536 folder entries"), std::string::npos) << encoded.error;

  many.directories.resize(65535);
  encoded = EncodeInstallLog(many);
  ASSERT_TRUE(encoded.ok);
  EXPECT_EQ(encoded.bytes.substr(4, 2), "\xff\xff");
}

TEST(InstallLogFormat, EveryTruncationIsDamagedAndYieldsNoLists) {
  InstallLogLists lists;
  lists.files = {"$INSTDIR\\a.txt", "$INSTDIR\\sub\\b.dat"};
  lists.registry_entries = {"\"HKLM\" \"k\" \"v\" \"d\""};
  lists.directories = {"C:\\X", "C:\\X\\sub"};
  const std::string bytes = EncodeInstallLog(lists).bytes;
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const InstallLogDecoding decoded = DecodeInstallLog(std::string_view(bytes).substr(0, cut));
    EXPECT_FALSE(decoded.ok) << cut;
    EXPECT_FALSE(decoded.error.empty());
    EXPECT_EQ(decoded.lists, InstallLogLists{}) << cut;
  }
  EXPECT_FALSE(DecodeInstallLog(bytes + "x").ok);
}

// A NUL hides ".." from every level check ("C:\..\0\x" reaches the host as
// "C:\.."): files and folders with control characters, or longer or deeper
// than Windows allows, are damage. Registry entries only refuse a NUL.
TEST(InstallLogFormat, ControlCharactersAndOverlongPathsAreDamage) {
  std::string deep = "C:\\";
  for (int i = 0; i < 65; ++i) deep += "d\\";
  const std::vector<std::pair<InstallLogLists, std::string>> cases = {
      {{{"C:\\..\0\\outside\\hostfile"s}, {}, {}}, "file entry 1 holds the control character 0x00"},
      {{{"C:\\ok.txt", "C:\\line\nbreak"}, {}, {}},
       "file entry 2 holds the control character 0x0A"},
      {{{}, {}, {"C:\\" + std::string(300, 'x') + "\\"}}, "folder entry 1 is 304 characters long"},
      {{{deep + "x"}, {}, {}}, "file entry 1 has 67 levels"},
      {{{}, {"HKLM\\Key\0\\Value"s}, {}}, "registry entry entry 1 holds a NUL"},
  };
  for (const auto& [lists, expected] : cases) {
    const InstallLogDecoding decoded = DecodeInstallLog(EncodeInstallLog(lists).bytes);
    EXPECT_FALSE(decoded.ok);
    EXPECT_NE(decoded.error.find(expected), std::string::npos) << decoded.error;
    EXPECT_TRUE(decoded.lists.files.empty());
  }
  const InstallLogLists fine = {{"C:\\" + std::string(250, 'x')}, {"HKLM\\Key\\Tab\there"}, {}};
  EXPECT_TRUE(DecodeInstallLog(EncodeInstallLog(fine).bytes).ok);
}

TEST(InstallLogFormat, HugeCountsInATinyFileAreRefusedBeforeAllocating) {
  const InstallLogDecoding decoded = DecodeInstallLog("\xff\xff\xff\xff\xff\xff\x00\x00"s);
  EXPECT_FALSE(decoded.ok);
  EXPECT_NE(decoded.error.find("196605 entries"), std::string::npos) << decoded.error;
  // A length that runs past the end.
  EXPECT_FALSE(DecodeInstallLog("\x01\x00\x00\x00\x00\x00\x05\x00"
                                "abc"s)
                   .ok);
}

}  // namespace
}  // namespace wizpak
