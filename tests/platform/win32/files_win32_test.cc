// The Win32 file layer against the real Windows API (run under Wine):
// handles, read-only protection, atomic replacement and the fault seam.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

std::string Program(const test::TempDir& dir, const std::string& name) {
  return FromHostPath(dir.file(name));
}

TEST(Win32Files, CreateWriteSeekReadTruncateKeepsThePosition) {
  test::TempDir dir;
  const std::string path = Program(dir, "data.bin");
  File file = File::Open(path, OpenMode::Create);
  ASSERT_TRUE(file) << LastErrorText();
  ASSERT_TRUE(file.Write("0123456789"));
  EXPECT_EQ(file.Size(), 10);
  EXPECT_EQ(file.Seek(-4, SeekFrom::End), 6);
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, 8), 4);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(file.Seek(2), 2);
  ASSERT_TRUE(file.Truncate(5));
  EXPECT_EQ(file.Position(), 2);
  EXPECT_EQ(file.Size(), 5);
  EXPECT_TRUE(file.Sync());
  file.Close();
  EXPECT_EQ(ReadFileBytes(path).value_or("?"), "01234");
  EXPECT_EQ(ReadFileBytes(path, 4), std::nullopt);
  // Moving a File hands the handle over.
  File a = File::Open(path, OpenMode::ReadShared);
  File b = std::move(a);
  EXPECT_FALSE(a.IsOpen());
  EXPECT_EQ(b.Size(), 5);
}

TEST(Win32Files, MissingFilesFoldersAndReadOnlyFilesRefuseWrites) {
  test::TempDir dir;
  EXPECT_FALSE(File::Open(Program(dir, "missing"), OpenMode::ReadShared));
  EXPECT_FALSE(File::Open("", OpenMode::ReadWrite));
  EXPECT_FALSE(File::Open(FromHostPath(dir.path()), OpenMode::ReadShared));
  const std::string path = Program(dir, "locked.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "keep"));
  ASSERT_TRUE(SetFileAttributes(path, kAttributeReadOnly));
  EXPECT_NE(GetFileAttributes(path) & kAttributeReadOnly, 0u);
  EXPECT_FALSE(File::Open(path, OpenMode::ReadWrite));
  EXPECT_FALSE(File::Open(path, OpenMode::Create));
  EXPECT_FALSE(WriteFileAtomic(path, "lost"));
  EXPECT_FALSE(DeleteFile(path));
  EXPECT_EQ(ReadFileBytes(path).value_or(""), "keep");
  ASSERT_TRUE(SetFileAttributes(path, kAttributeNormal));
  EXPECT_TRUE(DeleteFile(path));
  EXPECT_EQ(GetFileAttributes(path), kInvalidAttributes);
}

TEST(Win32Files, CopyRenameFoldersAndSortedListing) {
  test::TempDir dir;
  const std::string a = Program(dir, "a.txt");
  const std::string b = Program(dir, "B.txt");
  ASSERT_TRUE(WriteFileAtomic(a, "alpha"));
  EXPECT_TRUE(CopyFile(a, b, true));
  EXPECT_FALSE(CopyFile(a, b, true));  // exists already
  ASSERT_TRUE(WriteFileAtomic(b, "bravo!"));
  EXPECT_TRUE(RenameFile(b, a));  // replaces
  EXPECT_FALSE(FileExists(b));
  EXPECT_EQ(ReadFileBytes(a).value_or(""), "bravo!");

  const std::string sub = Program(dir, "sub");
  EXPECT_TRUE(CreateDirectory(sub));
  EXPECT_FALSE(CreateDirectory(sub));
  EXPECT_FALSE(CreateDirectory(Program(dir, "no\\such")));
  EXPECT_TRUE(DirectoryExists(sub));
  EXPECT_FALSE(FileExists(sub));
  EXPECT_FALSE(DeleteFile(sub));  // a real folder is never deleted as a file
  ASSERT_TRUE(WriteFileAtomic(Program(dir, "c.txt"), ""));
  const auto listed = ListFolder(FromHostPath(dir.path()));
  ASSERT_TRUE(listed);
  ASSERT_EQ(listed->size(), 3u);
  EXPECT_EQ((*listed)[0].name, "a.txt");
  EXPECT_EQ((*listed)[0].size, 6u);
  EXPECT_EQ((*listed)[1].name, "c.txt");
  EXPECT_EQ((*listed)[2].name, "sub");
  EXPECT_TRUE((*listed)[2].is_folder);
  EXPECT_FALSE(RemoveDirectory(FromHostPath(dir.path())));  // not empty
  EXPECT_TRUE(RemoveDirectory(sub));
  EXPECT_FALSE(ListFolder(sub));
}

TEST(Win32Files, AnsiNamesSurviveTheWideApi) {
  test::TempDir dir;
  // "Müller.txt" in the ANSI code page Wine and western Windows use.
  const std::string name = "M\xFCller.txt";
  const std::string path = FromHostPath(dir.path()) + "\\" + name;
  ASSERT_TRUE(WriteFileAtomic(path, "x"));
  const auto listed = ListFolder(FromHostPath(dir.path()));
  ASSERT_TRUE(listed && listed->size() == 1);
  EXPECT_EQ((*listed)[0].name, name);
  EXPECT_EQ(win32::WideToAcp(win32::AcpToWide(name)), name);
}

// A folder that is only a link goes as the link; what it points to stays.
TEST(Win32Files, DeletingAFolderLinkKeepsItsTarget) {
  test::TempDir dir;
  const std::string target = Program(dir, "target");
  const std::string link = Program(dir, "link");
  ASSERT_TRUE(CreateDirectory(target));
  ASSERT_TRUE(WriteFileAtomic(target + "\\precious.txt", "keep"));
  if (!CreateSymbolicLinkW(win32::AcpToWide(link).c_str(), win32::AcpToWide(target).c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    GTEST_SKIP() << "no folder links here: " << win32::Win32ErrorText(GetLastError());
  }
  // Wine makes the link but it may not resolve to the folder.
  if (!DirectoryExists(link)) GTEST_SKIP() << "the folder link does not resolve here";
  EXPECT_TRUE(DeleteFile(link)) << LastErrorText();
  EXPECT_FALSE(DirectoryExists(link));
  EXPECT_EQ(ReadFileBytes(target + "\\precious.txt").value_or(""), "keep");
}

// Each step of the atomic replace failing leaves the old bytes and no
// temporary file behind.
TEST(Win32Files, FailedAtomicWriteLeavesTheOldFile) {
  for (FileOp failing : {FileOp::Open, FileOp::Write, FileOp::Sync, FileOp::Rename}) {
    test::TempDir dir;
    const std::string path = Program(dir, "log.dat");
    ASSERT_TRUE(WriteFileAtomic(path, "old"));
    {
      ScopedFaultHook hook([&](FileOp op, std::string_view) { return op == failing ? ENOSPC : 0; });
      EXPECT_FALSE(WriteFileAtomic(path, std::string(100000, 'n')));
    }
    EXPECT_EQ(LastErrorText(), std::strerror(ENOSPC));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "old") << static_cast<int>(failing);
    EXPECT_EQ(ListFolder(FromHostPath(dir.path()))->size(), 1u) << static_cast<int>(failing);
  }
}

TEST(Win32Files, FaultSeamFailsCallsOnAnOpenFile) {
  test::TempDir dir;
  const std::string path = Program(dir, "f.bin");
  File file = File::Open(path, OpenMode::Create);
  ASSERT_TRUE(file.Write("abc"));
  ScopedFaultHook hook([](FileOp op, std::string_view) {
    return op == FileOp::Read || op == FileOp::Write || op == FileOp::Truncate ? EIO : 0;
  });
  char c;
  EXPECT_EQ(file.Seek(0), 0);
  EXPECT_EQ(file.Read(&c, 1), -1);
  EXPECT_FALSE(file.Write("d"));
  EXPECT_FALSE(file.Truncate(0));
  EXPECT_EQ(file.Size(), 3);
}

}  // namespace
}  // namespace wizpak::platform
