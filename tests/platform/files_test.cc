#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "support/test_support.h"

namespace wizpak::platform {
namespace {

using test::ReadHostFile;
using test::TestMachine;
using test::WriteHostFile;

TEST(FileIo, CreateWriteSeekReadTruncate) {
  TestMachine machine;
  File file = File::Open("C:\\data.bin", OpenMode::Create);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file.Write("hello, world"));
  EXPECT_EQ(file.Size(), 12);
  EXPECT_EQ(file.Seek(7), 7);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, 16), 5);  // short read at the end
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(file.Seek(-5, SeekFrom::End), 7);
  EXPECT_EQ(file.Seek(2, SeekFrom::Current), 9);
  EXPECT_EQ(file.Position(), 9);
  ASSERT_TRUE(file.Truncate(5));
  ASSERT_TRUE(file.Sync());
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/data.bin"), "hello");

  File moved = File::Open("C:\\data.bin", OpenMode::ReadWrite);
  File target = std::move(moved);
  EXPECT_FALSE(moved.IsOpen());
  EXPECT_TRUE(target.IsOpen());
  EXPECT_EQ(target.Read(buffer, 0), 0);
}

TEST(FileIo, OpenFailsForMissingFilesFoldersAndUnmappedDrives) {
  TestMachine machine;
  EXPECT_FALSE(File::Open("C:\\missing.txt", OpenMode::ReadShared));
  EXPECT_FALSE(File::Open("C:\\missing.txt", OpenMode::ReadWrite));
  EXPECT_FALSE(LastErrorText().empty());
  EXPECT_FALSE(File::Open("C:\\", OpenMode::ReadShared));  // a folder
  EXPECT_FALSE(File::Open("Q:\\x", OpenMode::Create));
  EXPECT_FALSE(File::Open("\\\\server\\share\\x", OpenMode::Create));
  EXPECT_FALSE(FileExists("Q:\\x"));
  File closed;
  char byte;
  EXPECT_EQ(closed.Read(&byte, 1), -1);
  EXPECT_FALSE(closed.Write("x"));
}

TEST(FileIo, ReadOnlyAttributeProtectsTheFileEvenForRoot) {
  TestMachine machine;
  WriteHostFile(machine.drive_c() + "/ro.txt", "keep");
  EXPECT_EQ(GetFileAttributes("C:\\ro.txt"), kAttributeNormal);
  ASSERT_TRUE(SetFileAttributes("C:\\ro.txt", kAttributeReadOnly));
  EXPECT_EQ(GetFileAttributes("C:\\ro.txt"), kAttributeReadOnly);
  EXPECT_FALSE(File::Open("C:\\ro.txt", OpenMode::ReadWrite));
  EXPECT_FALSE(File::Open("C:\\ro.txt", OpenMode::Create));
  EXPECT_TRUE(File::Open("C:\\ro.txt", OpenMode::ReadShared));
  EXPECT_FALSE(DeleteFile("C:\\ro.txt"));
  EXPECT_FALSE(WriteFileAtomic("C:\\ro.txt", "new"));
  WriteHostFile(machine.drive_c() + "/other.txt", "other");
  EXPECT_FALSE(RenameFile("C:\\other.txt", "C:\\ro.txt"));
  EXPECT_FALSE(CopyFile("C:\\other.txt", "C:\\ro.txt", false));
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/ro.txt"), "keep");

  ASSERT_TRUE(SetFileAttributes("C:\\ro.txt", 0));
  EXPECT_EQ(GetFileAttributes("C:\\ro.txt"), kAttributeNormal);
  EXPECT_TRUE(DeleteFile("C:\\ro.txt"));
  EXPECT_EQ(GetFileAttributes("C:\\ro.txt"), kInvalidAttributes);
  EXPECT_EQ(GetFileAttributes("C:\\"), kAttributeDirectory);
  EXPECT_TRUE(SetFileAttributes("C:\\", kAttributeReadOnly));  // folders ignore it
  EXPECT_TRUE(CreateDirectory("C:\\still-writable"));
}

TEST(FileOps, ExistsDeleteCopyRename) {
  TestMachine machine;
  WriteHostFile(machine.drive_c() + "/a.txt", "alpha");
  EXPECT_TRUE(FileExists("C:\\a.txt"));
  EXPECT_FALSE(DirectoryExists("C:\\a.txt"));
  EXPECT_TRUE(DirectoryExists("C:\\"));
  EXPECT_FALSE(FileExists("C:\\"));

  ASSERT_TRUE(CopyFile("C:\\a.txt", "C:\\b.txt", true));
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/b.txt"), "alpha");
  WriteHostFile(machine.drive_c() + "/c.txt", "gamma");
  EXPECT_FALSE(CopyFile("C:\\c.txt", "C:\\b.txt", true));
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/b.txt"), "alpha");
  ASSERT_TRUE(CopyFile("C:\\c.txt", "C:\\b.txt", false));
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/b.txt"), "gamma");
  EXPECT_FALSE(CopyFile("C:\\missing", "C:\\d.txt", false));
  EXPECT_FALSE(CopyFile("C:\\", "C:\\d.txt", false));
  EXPECT_FALSE(FileExists("C:\\d.txt"));

  ASSERT_TRUE(RenameFile("C:\\b.txt", "C:\\a.txt"));  // replaces
  EXPECT_FALSE(FileExists("C:\\b.txt"));
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/a.txt"), "gamma");
  EXPECT_TRUE(DeleteFile("C:\\a.txt"));
  EXPECT_FALSE(DeleteFile("C:\\a.txt"));
  EXPECT_FALSE(DeleteFile("C:\\"));

  // Nothing but the copies themselves is left in the folder.
  auto names = ListFolder("C:\\");
  ASSERT_TRUE(names);
  ASSERT_EQ(names->size(), 1u);
  EXPECT_EQ((*names)[0].name, "c.txt");
}

TEST(FileOps, CopyKeepsTheExecutableBit) {
  TestMachine machine;
  WriteHostFile(machine.drive_c() + "/tool", "#!/bin/sh\n");
  ASSERT_EQ(chmod((machine.drive_c() + "/tool").c_str(), 0755), 0);
  ASSERT_TRUE(CopyFile("C:\\tool", "C:\\tool2", true));
  struct stat info {};
  ASSERT_EQ(stat((machine.drive_c() + "/tool2").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST(FileOps, FoldersOneLevelAtATime) {
  TestMachine machine;
  EXPECT_TRUE(CreateDirectory("C:\\Games"));
  EXPECT_FALSE(CreateDirectory("C:\\Games"));           // exists
  EXPECT_FALSE(CreateDirectory("C:\\Missing\\Child"));  // parent missing
  EXPECT_TRUE(CreateDirectory("C:\\Games\\X"));
  WriteHostFile(machine.drive_c() + "/Games/X/f", "");
  EXPECT_FALSE(RemoveDirectory("C:\\Games\\X"));  // not empty
  EXPECT_TRUE(DeleteFile("C:\\Games\\X\\f"));
  EXPECT_TRUE(RemoveDirectory("C:\\Games\\X"));
  EXPECT_FALSE(RemoveDirectory("C:\\Games\\X"));
}

TEST(FileOps, ListFolderSortsCaseInsensitivelyAndReportsSizes) {
  TestMachine machine;
  WriteHostFile(machine.drive_c() + "/dir/beta.txt", "12345");
  WriteHostFile(machine.drive_c() + "/dir/Alpha.txt", "1");
  WriteHostFile(machine.drive_c() + "/dir/alpha.txt", "22");
  WriteHostFile(machine.drive_c() + "/dir/Gamma/inner", "x");
  WriteHostFile(machine.drive_c() + "/dir/\xC3\xA9t\xC3\xA9", "");
  auto entries = ListFolder("C:\\dir");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 5u);
  EXPECT_EQ((*entries)[0].name, "Alpha.txt");
  EXPECT_EQ((*entries)[0].size, 1u);
  EXPECT_EQ((*entries)[1].name, "alpha.txt");
  EXPECT_EQ((*entries)[2].name, "beta.txt");
  EXPECT_EQ((*entries)[2].size, 5u);
  EXPECT_EQ((*entries)[3].name, "Gamma");
  EXPECT_TRUE((*entries)[3].is_folder);
  EXPECT_FALSE((*entries)[2].is_folder);
  EXPECT_EQ((*entries)[4].name, "\xE9t\xE9");  // UTF-8 on disk, ANSI in the program
  EXPECT_FALSE(ListFolder("C:\\nowhere"));
  EXPECT_FALSE(ListFolder("C:\\dir\\beta.txt"));
}

TEST(WholeFiles, ReadFileBytesHonoursTheLimit) {
  TestMachine machine;
  WriteHostFile(machine.drive_c() + "/f", std::string(1000, 'x'));
  EXPECT_EQ(ReadFileBytes("C:\\f")->size(), 1000u);
  EXPECT_TRUE(ReadFileBytes("C:\\f", 1000));
  EXPECT_FALSE(ReadFileBytes("C:\\f", 999));
  EXPECT_FALSE(ReadFileBytes("C:\\missing"));
  EXPECT_FALSE(ReadFileBytes("C:\\"));
  // Files whose size the host does not know are still read to the end.
  auto status = ReadFileBytes("/proc/self/status");
  ASSERT_TRUE(status);
  EXPECT_NE(status->find("Pid:"), std::string::npos);
  EXPECT_FALSE(ReadFileBytes("/proc/self/status", 10));
}

TEST(WholeFiles, WriteFileAtomicReplacesAndKeepsPermissions) {
  TestMachine machine;
  ASSERT_TRUE(WriteFileAtomic("C:\\log", "first"));
  ASSERT_EQ(chmod((machine.drive_c() + "/log").c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomic("C:\\log", "second"));
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/log"), "second");
  struct stat info {};
  ASSERT_EQ(stat((machine.drive_c() + "/log").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_FALSE(WriteFileAtomic("C:\\no\\such\\folder\\log", "x"));
}

// Each failing step of the atomic write leaves the old file and no litter.
class AtomicWriteFault : public ::testing::TestWithParam<FileOp> {};

TEST_P(AtomicWriteFault, LeavesTheOldFileIntact) {
  TestMachine machine;
  const std::string host = machine.drive_c() + "/install.log";
  WriteHostFile(host, "old contents");
  const FileOp failing = GetParam();
  {
    ScopedFaultHook hook([&](FileOp op, std::string_view) { return op == failing ? ENOSPC : 0; });
    EXPECT_FALSE(WriteFileAtomic("C:\\install.log", std::string(100000, 'n')));
    EXPECT_EQ(LastErrorText(), std::strerror(ENOSPC));
  }
  EXPECT_EQ(ReadHostFile(host), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(machine.drive_c()), {}), 1);
  EXPECT_TRUE(WriteFileAtomic("C:\\install.log", "new"));  // hook gone
  EXPECT_EQ(ReadHostFile(host), "new");
}

INSTANTIATE_TEST_SUITE_P(EveryStep, AtomicWriteFault,
                         ::testing::Values(FileOp::Open, FileOp::Write, FileOp::Sync,
                                           FileOp::Rename));

TEST(FaultSeam, EveryCallConsultsTheHookWithTheHostPath) {
  TestMachine machine;
  WriteHostFile(machine.drive_c() + "/f", "data");
  ASSERT_TRUE(CreateDirectory("C:\\d"));
  std::vector<std::pair<FileOp, std::string>> seen;
  ScopedFaultHook hook([&](FileOp op, std::string_view path) {
    seen.emplace_back(op, std::string(path));
    return EIO;
  });
  EXPECT_FALSE(File::Open("C:\\f", OpenMode::ReadShared));
  EXPECT_FALSE(FileExists("C:\\f"));
  EXPECT_FALSE(DirectoryExists("C:\\d"));
  EXPECT_FALSE(DeleteFile("C:\\f"));
  EXPECT_FALSE(CopyFile("C:\\f", "C:\\g", false));
  EXPECT_FALSE(RenameFile("C:\\f", "C:\\g"));
  EXPECT_FALSE(CreateDirectory("C:\\e"));
  EXPECT_FALSE(RemoveDirectory("C:\\d"));
  EXPECT_FALSE(ListFolder("C:\\d"));
  EXPECT_EQ(GetFileAttributes("C:\\f"), kInvalidAttributes);
  EXPECT_FALSE(ReadFileBytes("C:\\f"));
  const std::vector<FileOp> expected = {FileOp::Open,       FileOp::Attributes, FileOp::Attributes,
                                        FileOp::Delete,     FileOp::Copy,       FileOp::Rename,
                                        FileOp::CreateDir,  FileOp::RemoveDir,  FileOp::List,
                                        FileOp::Attributes, FileOp::Open};
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].first, expected[i]) << i;
  EXPECT_EQ(seen[0].second, machine.drive_c() + "/f");
  EXPECT_EQ(seen[4].second, machine.drive_c() + "/g");
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/f"), "data");
  EXPECT_TRUE(std::filesystem::is_directory(machine.drive_c() + "/d"));
}

TEST(FaultSeam, FailsReadsWritesAndTruncationOfAnOpenFile) {
  TestMachine machine;
  File file = File::Open("C:\\f", OpenMode::Create);
  ASSERT_TRUE(file.Write("abc"));
  ScopedFaultHook hook([](FileOp op, std::string_view) {
    return op == FileOp::Open || op == FileOp::Attributes ? 0 : EIO;
  });
  char buffer[4];
  EXPECT_FALSE(file.Write("def"));
  EXPECT_EQ(file.Read(buffer, 3), -1);
  EXPECT_EQ(file.Seek(0), -1);
  EXPECT_FALSE(file.Truncate(0));
  EXPECT_FALSE(file.Sync());
  EXPECT_EQ(LastErrorText(), std::strerror(EIO));
  file.Close();
  EXPECT_EQ(ReadHostFile(machine.drive_c() + "/f"), "abc");
}

}  // namespace
}  // namespace wizpak::platform
