// The shared file routines: length-prefixed strings on files, whole-file
// reads, and folder creation that logs exactly the folders it made.
#include <gtest/gtest.h>

#include "package/package_files.h"
#include "pak_test_helpers.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

TEST(ForceFoldersLogged, CreatesAndLogsOnlyTheMissingLevels) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  ASSERT_TRUE(platform::CreateDirectory("C:\\a"));
  ForceFoldersLogged("C:\\a\\b", recorder.hooks);
  EXPECT_TRUE(platform::DirectoryExists("C:\\a\\b"));
  EXPECT_EQ(recorder.directories, (std::vector<std::string>{"C:\\a\\b\\"}));

  recorder.directories.clear();
  ForceFoldersLogged("C:\\a\\b\\", recorder.hooks);  // all there already
  ForceFoldersLogged("C:\\x\\y\\z\\", recorder.hooks);
  EXPECT_EQ(recorder.directories,
            (std::vector<std::string>{"C:\\x\\", "C:\\x\\y\\", "C:\\x\\y\\z\\"}));
}

TEST(ForceFoldersLogged, LeavesPathsWithoutADriveAlone) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  ForceFoldersLogged("rel\\folder", recorder.hooks);
  ForceFoldersLogged("\\\\server\\share\\dir", recorder.hooks);
  ForceFoldersLogged("C:\\", recorder.hooks);
  ForceFoldersLogged("C:", recorder.hooks);
  ForceFoldersLogged("C:rel", recorder.hooks);
  ForceFoldersLogged("", recorder.hooks);
  EXPECT_TRUE(recorder.directories.empty());
  EXPECT_FALSE(platform::DirectoryExists("rel"));
  const auto listing = platform::ListFolder("C:\\");
  ASSERT_TRUE(listing);
  EXPECT_TRUE(listing->empty());
}

TEST(ForceFoldersLogged, AFileInTheWayIsNotReportedAsAFolder) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  test::WriteHostFile(machine.drive_c() + "/blocked", "file");
  ForceFoldersLogged("C:\\blocked\\inner", recorder.hooks);
  EXPECT_TRUE(recorder.directories.empty());
  EXPECT_FALSE(WriteFileForced("C:\\blocked\\inner\\f.txt", "x", recorder.hooks));
}

TEST(WriteFileForced, CreatesFoldersAndReplacesContent) {
  test::TestMachine machine;
  test::PakRecorder recorder;
  ASSERT_TRUE(WriteFileForced("C:\\Game\\data\\f.txt", "first version", recorder.hooks));
  ASSERT_TRUE(WriteFileForced("C:\\Game\\data\\f.txt", "second", recorder.hooks));
  EXPECT_EQ(test::ReadHostFile(machine.drive_c() + "/Game/data/f.txt"), "second");
  ASSERT_TRUE(WriteFileForced("C:\\Game\\empty.txt", "", recorder.hooks));
  EXPECT_TRUE(platform::FileExists("C:\\Game\\empty.txt"));
  EXPECT_EQ(recorder.directories, (std::vector<std::string>{"C:\\Game\\", "C:\\Game\\data\\"}));
}

TEST(ShortStrings, WriteThenReadOnAFile) {
  test::TempDir dir;
  const std::string path = dir.file("strings.bin");
  const std::string big(70000, 'q');  // length counted modulo 65536
  {
    platform::File f = platform::File::Open(path, platform::OpenMode::Create);
    EXPECT_FALSE(WriteShortString(f, "hello"));
    EXPECT_FALSE(WriteShortString(f, ""));
    EXPECT_FALSE(WriteShortString(f, big));
  }
  const std::string bytes = test::ReadHostFile(path);
  EXPECT_EQ(bytes.substr(0, 9), std::string("\x05\x00hello\x00\x00", 9));
  EXPECT_EQ(bytes.size(), 9u + 2 + (70000 - 65536));

  platform::File f = platform::File::Open(path, platform::OpenMode::ReadShared);
  EXPECT_EQ(ReadShortString(f), "hello");
  EXPECT_EQ(ReadShortString(f), "");
  EXPECT_EQ(ReadShortString(f), std::string(70000 - 65536, 'q'));
  EXPECT_FALSE(ReadShortString(f));  // end of file
}

TEST(ShortStrings, ReadStopsAtAShortFile) {
  test::TempDir dir;
  for (const std::string& bytes : {std::string("\x09"), std::string("\x09\x00"
                                                                    "abc",
                                                                    5)}) {
    test::WriteHostFile(dir.file("s"), bytes);
    platform::File f = platform::File::Open(dir.file("s"), platform::OpenMode::ReadShared);
    EXPECT_FALSE(ReadShortString(f));
  }
}

TEST(ShortStrings, WriteFailureIsReported) {
  test::TempDir dir;
  test::WriteHostFile(dir.file("ro"), "");
  platform::File f = platform::File::Open(dir.file("ro"), platform::OpenMode::ReadShared);
  EXPECT_TRUE(WriteShortString(f, "abc"));
}

TEST(ReadWholeFile, ContentOrNothing) {
  test::TempDir dir;
  const std::string content = test::NoiseBytes(100000, 2);
  test::WriteHostFile(dir.file("w.bin"), content);
  EXPECT_EQ(ReadWholeFile(dir.file("w.bin")), content);
  test::WriteHostFile(dir.file("e.bin"), "");
  EXPECT_EQ(ReadWholeFile(dir.file("e.bin")), "");
  EXPECT_FALSE(ReadWholeFile(dir.file("missing.bin")));
}

}  // namespace
}  // namespace wizpak
