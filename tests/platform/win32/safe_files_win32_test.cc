// Link-refusing folders, replacing files, the sweep of killed runs'
// temporaries and positional reads on the Windows API (run under Wine).
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/safe_files.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

size_t EntriesIn(const std::string& folder) {
  const auto entries = ListFolder(folder);
  return entries ? entries->size() : 0;
}

// A directory symbolic link at `link` to `target`; false where the host
// cannot make one (no rights, or a Wine without reparse points).
bool MakeFolderLink(const std::string& link, const std::string& target) {
  // Some Wine versions report success and make nothing, so the link must be
  // seen on disk (INVALID_FILE_ATTRIBUTES has every bit set).
  if (CreateSymbolicLinkW(
          win32::AcpToWide(link).c_str(), win32::AcpToWide(target).c_str(),
          SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) == 0) {
    return false;
  }
  const DWORD attributes = GetFileAttributesW(win32::AcpToWide(link).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

TEST(Win32SafeFiles, OpenCreatesEachLevelOnceAndRefusesParentSteps) {
  test::TempDir dir;
  const std::string base = FromHostPath(dir.path());
  std::vector<std::string> made;
  Folder folder = Folder::Open(base + "\\a\\b", true,
                               [&](std::string_view level) { made.emplace_back(level); });
  ASSERT_TRUE(folder) << LastErrorText();
  ASSERT_EQ(made.size(), 2u);
  EXPECT_EQ(made[1], base + "\\a\\b\\");
  EXPECT_TRUE(DirectoryExists(base + "\\a\\b"));
  made.clear();
  EXPECT_TRUE(
      Folder::Open(base + "\\a\\b", true, [&](std::string_view l) { made.emplace_back(l); }));
  EXPECT_TRUE(made.empty());
  EXPECT_FALSE(Folder::Open(base + "\\a\\..\\a", true));
  EXPECT_NE(LastErrorText().find("leaves its folder"), std::string::npos);
  EXPECT_FALSE(Folder::Open(base + "\\missing", false));
  ASSERT_TRUE(WriteFileAtomic(base + "\\plain", "x"));
  EXPECT_FALSE(Folder::Open(base + "\\plain\\below", true));
  EXPECT_NE(LastErrorText().find("is not a folder"), std::string::npos);
}

TEST(Win32SafeFiles, ReplacingFileKeepsTheOldFileUntilCommit) {
  test::TempDir dir;
  const std::string base = FromHostPath(dir.path());
  ASSERT_TRUE(WriteFileAtomic(base + "\\data.txt", "old"));
  const Folder folder = Folder::Open(base, false);
  ASSERT_TRUE(folder) << LastErrorText();
  {
    ReplacingFile file = ReplacingFile::Begin(folder, "data.txt");
    ASSERT_TRUE(file) << LastErrorText();
    ASSERT_TRUE(file.Write("new bytes", 9));
    EXPECT_EQ(ReadFileBytes(base + "\\data.txt").value_or(""), "old");
    // Destroyed uncommitted: the temporary file goes, the old one stays.
  }
  EXPECT_EQ(ReadFileBytes(base + "\\data.txt").value_or(""), "old");
  EXPECT_EQ(EntriesIn(base), 1u);

  ReplacingFile file = ReplacingFile::Begin(folder, "data.txt");
  ASSERT_TRUE(file);
  ASSERT_TRUE(file.Write("new bytes", 9));
  ASSERT_TRUE(file.Commit(false)) << LastErrorText();
  EXPECT_EQ(ReadFileBytes(base + "\\data.txt").value_or(""), "new bytes");
  EXPECT_EQ(EntriesIn(base), 1u);
  EXPECT_EQ(folder.KindOf("data.txt"), Folder::Kind::File);
  EXPECT_EQ(folder.KindOf("none"), Folder::Kind::Missing);

  // A read-only file, a folder and a bad name are refused before writing.
  ASSERT_TRUE(SetFileAttributes(base + "\\data.txt", kAttributeReadOnly));
  EXPECT_FALSE(ReplacingFile::Begin(folder, "data.txt"));
  EXPECT_FALSE(folder.DeleteEntry("data.txt"));
  ASSERT_TRUE(SetFileAttributes(base + "\\data.txt", 0));
  ASSERT_TRUE(CreateDirectory(base + "\\sub"));
  EXPECT_FALSE(ReplacingFile::Begin(folder, "sub"));
  EXPECT_FALSE(ReplacingFile::Begin(folder, "a\\b"));
  EXPECT_FALSE(folder.DeleteEntry("sub"));
  EXPECT_TRUE(folder.RemoveFolder("sub"));
  EXPECT_TRUE(folder.DeleteEntry("data.txt"));
  EXPECT_EQ(EntriesIn(base), 0u);
  EXPECT_TRUE(folder.SyncFileSystem());
}

TEST(Win32SafeFiles, FailedWriteOrRenameKeepsTheOldFileAndLeavesNoTemporary) {
  test::TempDir dir;
  const std::string base = FromHostPath(dir.path());
  ASSERT_TRUE(WriteFileAtomic(base + "\\data.txt", "old"));
  const Folder folder = Folder::Open(base, false);
  ASSERT_TRUE(folder);
  for (FileOp op : {FileOp::Write, FileOp::Rename}) {
    ScopedFaultHook hook([op](FileOp seen, std::string_view) { return seen == op ? ENOSPC : 0; });
    ReplacingFile file = ReplacingFile::Begin(folder, "data.txt");
    ASSERT_TRUE(file);
    const bool wrote = file.Write("new", 3);
    EXPECT_EQ(wrote, op != FileOp::Write);
    if (wrote) {
      EXPECT_FALSE(file.Commit(true));
    }
  }
  EXPECT_EQ(ReadFileBytes(base + "\\data.txt").value_or(""), "old");
  EXPECT_EQ(EntriesIn(base), 1u);
}

TEST(Win32SafeFiles, LinksAreRefusedAndOnlyTheLinkIsDeleted) {
  test::TempDir dir;
  const std::string base = FromHostPath(dir.path());
  ASSERT_TRUE(CreateDirectory(base + "\\outside"));
  ASSERT_TRUE(WriteFileAtomic(base + "\\outside\\keep.txt", "keep"));
  ASSERT_TRUE(CreateDirectory(base + "\\game"));
  if (!MakeFolderLink(base + "\\game\\docs", base + "\\outside"))
    GTEST_SKIP() << "this host makes no symbolic links";
  EXPECT_FALSE(Folder::Open(base + "\\game\\docs", true));
  EXPECT_NE(LastErrorText().find("is a link"), std::string::npos);
  const Folder game = Folder::Open(base + "\\game", false);
  ASSERT_TRUE(game);
  EXPECT_EQ(game.KindOf("docs"), Folder::Kind::Link);
  EXPECT_FALSE(ReplacingFile::Begin(game, "docs"));
  EXPECT_FALSE(game.RemoveFolder("docs"));
  EXPECT_TRUE(game.DeleteEntry("docs")) << LastErrorText();
  EXPECT_EQ(game.KindOf("docs"), Folder::Kind::Missing);
  EXPECT_EQ(ReadFileBytes(base + "\\outside\\keep.txt").value_or(""), "keep");
}

// This test program started suspended, so it never runs; ended (and its id
// then held by `handle`, so no new process takes it) when `end` is set.
struct ChildProcess {
  explicit ChildProcess(bool end) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info))
      return;
    CloseHandle(info.hThread);
    handle = info.hProcess;
    pid = info.dwProcessId;
    if (end) {
      TerminateProcess(handle, 1);
      WaitForSingleObject(handle, INFINITE);
    }
  }
  ~ChildProcess() {
    if (handle == nullptr) return;
    TerminateProcess(handle, 1);
    WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  HANDLE handle = nullptr;
  DWORD pid = 0;
};

TEST(Win32SafeFiles, TheSweepRemovesOnlyTemporariesOfEndedProcesses) {
  test::TempDir dir;
  const std::string base = FromHostPath(dir.path());
  const Folder folder = Folder::Open(base, false);
  ASSERT_TRUE(folder) << LastErrorText();
  // The name a replacing file is written under, as this process gives it.
  ReplacingFile writing = ReplacingFile::Begin(folder, "data.pak");
  ASSERT_TRUE(writing) << LastErrorText();
  const auto listed = ListFolder(base);
  ASSERT_TRUE(listed && listed->size() == 1u);
  const std::string own = (*listed)[0].name;
  const std::string own_pid = std::to_string(GetCurrentProcessId());
  const size_t at = own.rfind("." + own_pid + "-");
  ASSERT_NE(at, std::string::npos) << own;
  const auto named_for = [&](DWORD pid) {
    return std::string(own).replace(at + 1, own_pid.size(), std::to_string(pid));
  };

  const ChildProcess ended(true);
  const ChildProcess running(false);
  ASSERT_NE(ended.handle, nullptr);
  ASSERT_NE(running.handle, nullptr);
  const std::string stale = named_for(ended.pid);
  const std::string kept = named_for(running.pid);
  ASSERT_TRUE(WriteFileAtomic(base + "\\" + stale, "part written"));
  ASSERT_TRUE(WriteFileAtomic(base + "\\" + kept, "being written"));
  // Names only like the temporaries', and a folder named as a stale one.
  const std::string hex = stale.substr(stale.rfind('-') + 1, 10);
  const std::vector<std::string> others = {
      "data.pak." + std::to_string(ended.pid) + "-" + hex + ".tmp",
      "." + std::to_string(ended.pid) + "-" + hex + ".tmp",
      ".data.pak." + std::to_string(ended.pid) + "-" + hex.substr(1) + ".tmp", stale + ".bak"};
  for (const std::string& name : others) ASSERT_TRUE(WriteFileAtomic(base + "\\" + name, "x"));
  const std::string folder_named = std::string(stale).replace(stale.size() - 14, 10, "abcdefabcd");
  ASSERT_TRUE(CreateDirectory(base + "\\" + folder_named));
  ASSERT_TRUE(WriteFileAtomic(base + "\\" + folder_named + "\\inside", "x"));

  EXPECT_EQ(RemoveStaleTemporaries(folder), 1);
  EXPECT_FALSE(FileExists(base + "\\" + stale));
  EXPECT_TRUE(FileExists(base + "\\" + kept));
  EXPECT_TRUE(FileExists(base + "\\" + folder_named + "\\inside"));
  EXPECT_EQ(EntriesIn(base), 3u + others.size());
  for (const std::string& name : others) EXPECT_TRUE(FileExists(base + "\\" + name)) << name;
  // The file being written by this process is untouched and still commits.
  ASSERT_TRUE(writing.Write("whole", 5));
  EXPECT_TRUE(writing.Commit(false)) << LastErrorText();
  EXPECT_EQ(ReadFileBytes(base + "\\data.pak").value_or(""), "whole");
  EXPECT_EQ(RemoveStaleTemporaries(folder), 0);
}

TEST(Win32SafeFiles, ReadAtLeavesTheFilePositionAlone) {
  test::TempDir dir;
  const std::string path = FromHostPath(dir.file("data.bin"));
  File file = File::Open(path, OpenMode::Create);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file.Write("0123456789"));
  ASSERT_EQ(file.Seek(3), 3);
  char buffer[8] = {};
  EXPECT_EQ(file.ReadAt(6, buffer, 8), 4);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(file.ReadAt(20, buffer, 2), 0);
  EXPECT_EQ(file.Position(), 3);
  EXPECT_EQ(file.Read(buffer, 2), 2);
  EXPECT_EQ(std::string(buffer, 2), "34");
}

}  // namespace
}  // namespace wizpak::platform

namespace wizpak::platform {
namespace {

TEST(Win32SafeFiles, ASecondLockOnTheSameFileIsBusyUntilTheFirstEnds) {
  test::TempDir dir;
  const std::string path = FromHostPath(dir.file("install.lock"));
  FileLock::Result result = FileLock::Result::Failed;
  std::optional<FileLock> first = FileLock::TryLock(path, result);
  ASSERT_EQ(result, FileLock::Result::Locked) << LastErrorText();
  EXPECT_TRUE(first->IsHeld());
  EXPECT_FALSE(FileLock::TryLock(path, result).IsHeld());
  EXPECT_EQ(result, FileLock::Result::Busy);
  first.reset();
  EXPECT_TRUE(FileLock::TryLock(path, result).IsHeld());
  EXPECT_EQ(result, FileLock::Result::Locked);
  EXPECT_FALSE(FileLock::TryLock(FromHostPath(dir.path()), result).IsHeld());
  EXPECT_EQ(result, FileLock::Result::Failed);
}

TEST(Win32SafeFiles, DevicesAreNotRegularFilesAndListingsMarkLinks) {
  test::TempDir dir;
  const std::string base = FromHostPath(dir.path());
  ASSERT_TRUE(WriteFileAtomic(base + "\\plain.txt", "abc"));
  EXPECT_TRUE(IsRegularFile(base + "\\plain.txt"));
  EXPECT_FALSE(IsRegularFile(base));
  EXPECT_FALSE(IsRegularFile(base + "\\missing"));
  EXPECT_FALSE(IsRegularFile("NUL"));
  EXPECT_NE(UniqueSuffix(), UniqueSuffix());
  ASSERT_TRUE(CreateDirectory(base + "\\target"));
  if (!MakeFolderLink(base + "\\link", base + "\\target")) GTEST_SKIP() << "no symbolic links";
  const auto entries = ListFolder(base);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_TRUE((*entries)[0].is_link);  // "link"
  EXPECT_TRUE((*entries)[0].is_folder);
  EXPECT_FALSE((*entries)[1].is_link);  // "plain.txt"
  EXPECT_EQ((*entries)[1].size, 3u);
}

}  // namespace
}  // namespace wizpak::platform
