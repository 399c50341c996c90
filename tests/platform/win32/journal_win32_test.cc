// The undo journal on the Windows API (run under Wine): every kind of change
// the Win32 file, folder and registry calls make is noted and undone, and a
// run that was never closed is undone by the next start. Registry values are
// compared as the registry holds them (type and bytes), read and written
// here through the registry API itself.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <cerrno>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/journal.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/safe_files.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

constexpr const char* kKey = "Software\\WizpakJournalTest";

// Every value of an HKEY_CURRENT_USER key as "TYPE bytes", by name.
std::map<std::wstring, std::string> RawValues(const char* key_path) {
  std::map<std::wstring, std::string> values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = static_cast<DWORD>(std::size(name));
    DWORD type = 0;
    std::vector<BYTE> data(4096);
    DWORD bytes = static_cast<DWORD>(data.size());
    if (RegEnumValueW(key, index, name, &length, nullptr, &type, data.data(), &bytes) !=
        ERROR_SUCCESS)
      break;
    values[std::wstring(name, length)] =
        std::to_string(type) + " " + std::string(data.begin(), data.begin() + bytes);
  }
  RegCloseKey(key);
  return values;
}

void SetRaw(const wchar_t* name, DWORD type, const void* data, size_t bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(
      RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes)),
      ERROR_SUCCESS);
  RegCloseKey(key);
}

// Every file and folder below `folder` with its bytes, and the test key's
// values: what must be the same after an undo.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> seen;
  const auto walk = [&](const auto& self, const std::string& at) -> void {
    const auto entries = ListFolder(at);
    if (!entries) return;
    for (const FolderEntry& entry : *entries) {
      const std::string path = at + "\\" + entry.name;
      if (entry.is_folder) {
        seen[path] = "<folder>";
        self(self, path);
      } else {
        seen[path] = ReadFileBytes(path, 1 << 20).value_or("<unreadable>");
      }
    }
  };
  walk(walk, folder);
  Registry registry;
  for (const char* key : {kKey, "Software\\WizpakJournalTest\\New\\Deeper"}) {
    seen[std::string("key ") + key] = registry.KeyExists(RootKey::CurrentUser, key) ? "1" : "0";
    for (const auto& [name, value] : RawValues(key))
      seen[std::string(key) + "=" + win32::WideToUtf8String(name)] = value;
  }
  return seen;
}

class Win32Journal : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.DeleteKey(RootKey::CurrentUser, kKey);
    ASSERT_TRUE(registry_.WriteString(RootKey::CurrentUser, kKey, "Kept", "old data"));
    ASSERT_TRUE(registry_.WriteString(RootKey::CurrentUser, kKey, "Dropped", "dropped data"));
    // Values of every other shape a run may overwrite or delete: numbers,
    // binary data (empty too), lists, and strings the active code page
    // cannot spell or that lack their terminator.
    const uint32_t number = 0x12345678;
    const uint64_t wide_number = 0x0102030405060708ull;
    const unsigned char binary[] = {0, 0xff, 0x0a, 0x0d, 0x09, 0x5c, 0};
    const wchar_t list[] = L"one\0two\0";  // and the array's own terminator
    const wchar_t expand[] = L"%TEMP%\\x";
    const wchar_t foreign[] = {L'C', L':', 0x4e2d, 0x6587};  // no terminator
    SetRaw(L"Number", REG_DWORD, &number, sizeof number);
    SetRaw(L"Wide number", REG_QWORD, &wide_number, sizeof wide_number);
    SetRaw(L"Binary", REG_BINARY, binary, sizeof binary);
    SetRaw(L"Empty", REG_BINARY, nullptr, 0);
    SetRaw(L"List", REG_MULTI_SZ, list, sizeof list);
    SetRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof expand);
    SetRaw(L"Foreign", REG_SZ, foreign, sizeof foreign);
    SetRaw(L"Deleted number", REG_DWORD, &number, sizeof number);
    ASSERT_TRUE(CreateDirectory(app_));
    ASSERT_TRUE(CreateDirectory(app_ + "\\empty"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\replaced.txt", "version 1"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\deleted.txt", "deleted"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\moved.txt", "moved"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\copied over.txt", "copied over"));
  }
  void TearDown() override { registry_.DeleteKey(RootKey::CurrentUser, kKey); }

  // One run's worth of every change the platform calls can make, in order;
  // a step is false when a call of it failed.
  bool Step(int index) {
    const auto key = [&](const char* name, const char* data) {
      return registry_.WriteString(RootKey::CurrentUser, kKey, name, data);
    };
    const auto written = [](File file, std::string_view bytes) {
      return file && file.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    };
    switch (index) {
      case 0:
        return written(File::Open(app_ + "\\created.txt", OpenMode::Create), "new");
      case 1:
        return written(File::Open(app_ + "\\replaced.txt", OpenMode::Create), "v2");
      case 2:
        return DeleteFile(app_ + "\\deleted.txt");
      case 3:
        return RenameFile(app_ + "\\moved.txt", app_ + "\\moved here.txt");
      case 4:
        return CopyFile(app_ + "\\created.txt", app_ + "\\copied over.txt", false);
      case 5:
        return CreateDirectory(app_ + "\\made") && RemoveDirectory(app_ + "\\empty");
      case 6:
        return WriteFileAtomic(app_ + "\\made\\atomic.txt", "atomic");
      case 7: {
        Folder deep = Folder::Open(app_ + "\\deep\\er", true);
        ReplacingFile replacing = ReplacingFile::Begin(deep, "written.txt");
        return replacing && replacing.Write("replacing", 9) && replacing.Commit(false);
      }
      case 8:
        return Folder::Open(app_, false).DeleteEntry("created.txt");
      case 9:
        return key("Kept", "new data") && key("Added", "added") &&
               registry_.DeleteValue(RootKey::CurrentUser, kKey, "Dropped");
      case 10:
        for (const char* name :
             {"Number", "Wide number", "Binary", "Empty", "List", "Expand", "Foreign"})
          if (!key(name, "a string now")) return false;
        return key("Number", "written twice") &&
               registry_.DeleteValue(RootKey::CurrentUser, kKey, "Deleted number");
      case 11:
        return registry_.WriteString(RootKey::CurrentUser, std::string(kKey) + "\\New\\Deeper",
                                     "Value", "in a new key");
    }
    return false;
  }
  static constexpr int kSteps = 12;
  void Change() {
    for (int i = 0; i < kSteps; ++i)
      ASSERT_TRUE(Step(i)) << "step " << i << ": " << LastErrorText();
  }

  test::TempDir dir_;
  const std::string app_ = FromHostPath(dir_.path()) + "\\App";
  Registry registry_;
};

TEST_F(Win32Journal, RollbackPutsEveryFileFolderAndValueBack) {
  const auto before = Snapshot(app_);
  auto journal = Journal::Begin(app_);
  ASSERT_TRUE(journal) << LastErrorText();
  {
    const JournalScope noting(*journal);
    Change();
  }
  EXPECT_NE(Snapshot(app_), before);
  EXPECT_TRUE(journal->Rollback());
  EXPECT_EQ(Snapshot(app_), before);
  EXPECT_FALSE(FileExists(journal->path()));
}

TEST_F(Win32Journal, CommitKeepsTheChangesAndLeavesNothingAside) {
  auto journal = Journal::Begin(app_);
  ASSERT_TRUE(journal) << LastErrorText();
  {
    const JournalScope noting(*journal);
    Change();
  }
  // What was set aside goes; nothing else changes.
  auto after = Snapshot(app_);
  const size_t aside = std::erase_if(
      after, [](const auto& entry) { return entry.first.find(".wzaside") != std::string::npos; });
  EXPECT_EQ(aside, 5u);  // replaced, copied over, two deleted files, the removed folder
  EXPECT_TRUE(journal->Commit());
  EXPECT_EQ(Snapshot(app_), after);
  EXPECT_FALSE(FileExists(journal->path()));
}

// Every platform call of the run failed in turn, as a full disk or a
// denied write fails it; the run stops at its first failed step and is
// undone: each time the files and values are as before.
TEST_F(Win32Journal, AFailureAtAnyCallIsUndoneToTheStateBefore) {
  const auto before = Snapshot(app_);
  for (int fail_at = 1;; ++fail_at) {
    auto journal = Journal::Begin(app_);
    ASSERT_TRUE(journal) << LastErrorText();
    int calls = 0;
    {
      const JournalScope noting(*journal);
      const ScopedFaultHook failing(
          [&](FileOp, std::string_view) { return ++calls == fail_at ? EIO : 0; });
      for (int i = 0; i < kSteps && Step(i); ++i) {
      }
    }
    EXPECT_TRUE(journal->Rollback()) << "call " << fail_at << " failed";
    ASSERT_EQ(Snapshot(app_), before) << "call " << fail_at << " failed";
    if (calls < fail_at) break;  // the run made fewer calls: all were failed once
    ASSERT_LT(fail_at, 1000) << "the run never ends";
  }
}

TEST_F(Win32Journal, ARunThatNeverEndedIsUndoneByTheNextStart) {
  const auto before = Snapshot(app_);
  {
    auto journal = Journal::Begin(app_);
    ASSERT_TRUE(journal) << LastErrorText();
    const JournalScope noting(*journal);
    Change();
  }  // closed without a commit or an undo, as a killed process leaves it
  EXPECT_EQ(RecoverInterruptedRun(app_), RecoveryResult::RolledBack);
  EXPECT_EQ(Snapshot(app_), before);
  EXPECT_EQ(RecoverInterruptedRun(app_), RecoveryResult::NothingPending);
}

}  // namespace
}  // namespace wizpak::platform
