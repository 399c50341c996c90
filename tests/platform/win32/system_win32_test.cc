// Drives, folders, the registry, programs and system facts on the Windows
// API (run under Wine in a fresh prefix).
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"
#include <shellapi.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/win32/command_line.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

TEST(Win32Paths, RealPathsDrivesAndSpecialFolders) {
  EXPECT_EQ(ToHostPath("C:\\Windows\\..\\Program Files\\x").value_or(""), "C:/Program Files/x");
  EXPECT_EQ(FromHostPath("C:/Program Files/x"), "C:\\Program Files\\x");
  const std::string drives = LogicalDriveStrings();
  EXPECT_NE(drives.find(std::string("C:\\\0", 4)), std::string::npos);
  EXPECT_EQ(drives.back(), '\0');
  EXPECT_EQ(GetDriveType("C:\\"), DriveType::Fixed);
  EXPECT_EQ(GetDriveType("c:"), DriveType::Fixed);
  EXPECT_EQ(GetDriveType(""), DriveType::NoRootDir);
  EXPECT_GT(DiskFree(3), 0);
  EXPECT_EQ(DiskFree(0), -1);
  EXPECT_EQ(DiskFree(27), -1);
  const std::string temp = TempFolder();
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(DirectoryExists(temp));
  const std::string program_files = SpecialFolder(kCsidlProgramFiles);
  EXPECT_NE(program_files.find("Program Files"), std::string::npos) << program_files;
  EXPECT_NE(program_files.back(), '\\');
  EXPECT_NE(SpecialFolder(kCsidlPrograms).find("Programs"), std::string::npos);
  bool saw_c = false;
  for (const Drive& drive : DriveMap()) saw_c |= drive.letter == 'C' && drive.host_root == "C:/";
  EXPECT_TRUE(saw_c);
}

// The quoting must survive the splitting every C runtime does.
TEST(Win32Process, CommandLineQuotingRoundTripsThroughTheSplitter) {
  const std::vector<std::wstring> args = {
      L"plain",           L"two words", L"\"C:\\a b\\u.exe\"",  L"trail\\",
      L"back\\\\\"quote", L"",          L"C:\\dir with space\\"};
  const std::wstring line = win32::BuildCommandLine(L"C:\\p q\\prog.exe", args);
  int count = 0;
  wchar_t** split = CommandLineToArgvW(line.c_str(), &count);
  ASSERT_NE(split, nullptr);
  ASSERT_EQ(count, static_cast<int>(args.size()) + 1) << win32::WideToUtf8String(line);
  EXPECT_EQ(std::wstring(split[0]), L"C:\\p q\\prog.exe");
  for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(std::wstring(split[i + 1]), args[i]) << i;
  LocalFree(split);
}

TEST(Win32Process, OwnImageRunAndExitStatus) {
  const std::string self = ExecutablePath();
  EXPECT_TRUE(FileExists(self)) << self;
  EXPECT_NE(self.find(".exe"), std::string::npos);
  EXPECT_EQ(RunProgram("C:\\windows\\system32\\cmd.exe", {"/c", "exit 3"}), 3);
  EXPECT_EQ(RunProgram("C:\\no\\such.exe", {}), -1);
  EXPECT_FALSE(StartProgram("C:\\no\\such.exe", {}));
  EXPECT_FALSE(IsExecutedByAnotherProcess(self));  // only this process runs it
  EXPECT_TRUE(MakeExecutable(self));
  EXPECT_EQ(ProcessId(), static_cast<int>(GetCurrentProcessId()));
}

// Run as a child by SeesAnotherProcessRunningItsImage: runs until the file
// "release" appears in the folder it is given (or that folder is gone), and
// returns at once in a normal run.
TEST(Win32ProcessChild, StaysAliveWhenAsked) {
  const char* folder = std::getenv("WIZPAK_TEST_CHILD_FOLDER");
  if (folder == nullptr) GTEST_SKIP() << "run as a child only";
  const std::string release = std::string(folder) + "\\release";
  while (!FileExists(release) && DirectoryExists(folder)) SleepMilliseconds(10);
}

// The finaliser's wait: a copy of this program run by a child is seen as
// running, and no longer once the child has ended.
TEST(Win32Process, SeesAnotherProcessRunningItsImage) {
  test::TempDir dir;
  const std::string folder = FromHostPath(dir.path());
  const std::string copy = folder + "\\child.exe";
  ASSERT_TRUE(CopyFile(ExecutablePath(), copy, false));
  EXPECT_FALSE(IsExecutedByAnotherProcess(copy));
  {
    test::ScopedEnv child("WIZPAK_TEST_CHILD_FOLDER", folder);
    ASSERT_TRUE(StartProgram(copy, {"--gtest_filter=Win32ProcessChild.*"}));
  }
  EXPECT_TRUE(test::WaitUntil([&] { return IsExecutedByAnotherProcess(copy); }));
  // A running image cannot be deleted; once the child is gone it can.
  EXPECT_FALSE(DeleteFile(copy));
  ASSERT_TRUE(WriteFileAtomic(folder + "\\release", ""));
  EXPECT_TRUE(test::WaitUntil([&] { return !IsExecutedByAnotherProcess(copy); }));
  EXPECT_TRUE(test::WaitUntil([&] { return DeleteFile(copy); })) << LastErrorText();
}

constexpr const char* kKey = "Software\\WizpakPlatformTest";

class Win32Registry : public ::testing::Test {
 protected:
  void SetUp() override { Registry().DeleteKey(RootKey::CurrentUser, kKey); }
  void TearDown() override { Registry().DeleteKey(RootKey::CurrentUser, kKey); }
  Registry registry;
};

TEST_F(Win32Registry, WritesReadsAndDeletesStringValues) {
  const std::string sub = std::string(kKey) + "\\Deep\\Er";
  EXPECT_FALSE(registry.KeyExists(RootKey::CurrentUser, sub));
  EXPECT_FALSE(registry.OpenKey(RootKey::CurrentUser, sub, false));
  EXPECT_TRUE(registry.OpenKey(RootKey::CurrentUser, sub, true));
  EXPECT_TRUE(registry.KeyExists(RootKey::CurrentUser, sub));
  ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, sub, "Path", "C:\\Games\\M\xFCller"));
  ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, sub, "", "default"));
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, sub, "path").value_or(""),
            "C:\\Games\\M\xFCller");
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, sub, "").value_or(""), "default");
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, sub, "Missing"), std::nullopt);
  // A leading or doubled separator names the same key.
  EXPECT_EQ(
      registry.ReadString(RootKey::CurrentUser, "\\" + std::string(kKey) + "\\\\Deep\\Er", "Path"),
      "C:\\Games\\M\xFCller");
  EXPECT_EQ(registry.ValueNames(RootKey::CurrentUser, sub).size(), 2u);
  EXPECT_TRUE(registry.DeleteValue(RootKey::CurrentUser, sub, "Path"));
  EXPECT_FALSE(registry.DeleteValue(RootKey::CurrentUser, sub, "Path"));
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, sub, "Path"), std::nullopt);
}

TEST_F(Win32Registry, NonStringValuesAreNotReadAsText) {
  ASSERT_TRUE(registry.OpenKey(RootKey::CurrentUser, kKey, true));
  HKEY key;
  ASSERT_EQ(
      RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\WizpakPlatformTest", 0, KEY_SET_VALUE, &key),
      ERROR_SUCCESS);
  const DWORD number = 7;
  RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof(number));
  // A string stored without its terminator still reads whole.
  RegSetValueExW(key, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 6);
  RegCloseKey(key);
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, kKey, "Count"), std::nullopt);
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, kKey, "Bare").value_or(""), "abc");
}

TEST_F(Win32Registry, DeleteKeyTakesTheSubtreeButNeverARoot) {
  const std::string a = std::string(kKey) + "\\A";
  ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, a + "\\B\\C", "v", "1"));
  ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, a + "\\D", "v", "2"));
  ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, kKey, "stays", "3"));
  EXPECT_TRUE(registry.DeleteKey(RootKey::CurrentUser, a));
  EXPECT_FALSE(registry.KeyExists(RootKey::CurrentUser, a));
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, kKey, "stays").value_or(""), "3");
  EXPECT_FALSE(registry.DeleteKey(RootKey::CurrentUser, a));
  EXPECT_FALSE(registry.DeleteKey(RootKey::CurrentUser, ""));
  EXPECT_FALSE(registry.DeleteKey(RootKey::CurrentUser, "\\"));
  EXPECT_TRUE(registry.KeyExists(RootKey::CurrentUser, "Software"));
}

TEST_F(Win32Registry, FaultSeamFailsWritesAndLeavesTheValue) {
  ASSERT_TRUE(registry.WriteString(RootKey::LocalMachine, kKey, "v", "old"));
  {
    ScopedFaultHook hook(
        [](FileOp op, std::string_view) { return op == FileOp::Registry ? EACCES : 0; });
    EXPECT_FALSE(registry.WriteString(RootKey::LocalMachine, kKey, "v", "new"));
    EXPECT_FALSE(registry.DeleteValue(RootKey::LocalMachine, kKey, "v"));
    EXPECT_FALSE(registry.DeleteKey(RootKey::LocalMachine, kKey));
  }
  EXPECT_EQ(registry.ReadString(RootKey::LocalMachine, kKey, "v").value_or(""), "old");
  EXPECT_TRUE(registry.DeleteKey(RootKey::LocalMachine, kKey));
}

TEST(Win32System, VersionLanguageMemoryAndClocks) {
  const VersionRecord version = GetVersion();
  EXPECT_EQ(version.platform_id, 2u);  // Windows NT
  EXPECT_GE(version.major, 5u);
  EXPECT_GT(version.build, 0u);
  EXPECT_NE(SystemDefaultLangID(), 0);
  {
    test::ScopedEnv german("WIZPAK_LANGID", "0407");
    EXPECT_EQ(SystemDefaultLangID(), 0x0407);
  }
  {
    test::ScopedEnv junk("WIZPAK_LANGID", "zz");
    EXPECT_EQ(SystemDefaultLangID(), static_cast<uint16_t>(GetUserDefaultUILanguage()));
  }
  const MemoryStatus memory = GetMemoryStatus();
  EXPECT_GT(memory.total_physical, 0u);
  EXPECT_LE(memory.available_physical, memory.total_physical);
  EXPECT_LE(memory.memory_load, 100u);
  const uint64_t start = MonotonicMilliseconds();
  SleepMilliseconds(20);
  EXPECT_GE(MonotonicMilliseconds() - start, 15u);
  EXPECT_EQ(ProcessPriorityName(), "Normal");
  EXPECT_EQ(ThreadPriorityName(), "Normal");
  EXPECT_TRUE(DisplayConfigured());
}

}  // namespace
}  // namespace wizpak::platform
