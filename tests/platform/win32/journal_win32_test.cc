// The undo journal on the Windows API (run under Wine): every kind of change
// the Win32 file, folder and registry calls make is noted and undone, and a
// run that was never closed is undone by the next start.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/files.h"
#include "platform/journal.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/safe_files.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

constexpr const char* kKey = "Software\\WizpakJournalTest";

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
    for (const std::string& name : registry.ValueNames(RootKey::CurrentUser, key))
      seen[std::string(key) + "=" + name] =
          registry.ReadString(RootKey::CurrentUser, key, name).value_or("?");
  }
  return seen;
}

class Win32Journal : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.DeleteKey(RootKey::CurrentUser, kKey);
    ASSERT_TRUE(registry_.WriteString(RootKey::CurrentUser, kKey, "Kept", "old data"));
    ASSERT_TRUE(registry_.WriteString(RootKey::CurrentUser, kKey, "Dropped", "dropped data"));
    ASSERT_TRUE(CreateDirectory(app_));
    ASSERT_TRUE(CreateDirectory(app_ + "\\empty"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\replaced.txt", "version 1"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\deleted.txt", "deleted"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\moved.txt", "moved"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\copied over.txt", "copied over"));
  }
  void TearDown() override { registry_.DeleteKey(RootKey::CurrentUser, kKey); }

  // One run's worth of every change the platform calls can make.
  void Change() {
    File created = File::Open(app_ + "\\created.txt", OpenMode::Create);
    ASSERT_TRUE(created && created.Write("new", 3));
    created.Close();
    File truncated = File::Open(app_ + "\\replaced.txt", OpenMode::Create);
    ASSERT_TRUE(truncated && truncated.Write("v2", 2));
    truncated.Close();
    ASSERT_TRUE(DeleteFile(app_ + "\\deleted.txt"));
    ASSERT_TRUE(RenameFile(app_ + "\\moved.txt", app_ + "\\moved here.txt"));
    ASSERT_TRUE(CopyFile(app_ + "\\created.txt", app_ + "\\copied over.txt", false));
    ASSERT_TRUE(CreateDirectory(app_ + "\\made"));
    ASSERT_TRUE(RemoveDirectory(app_ + "\\empty"));
    ASSERT_TRUE(WriteFileAtomic(app_ + "\\made\\atomic.txt", "atomic"));
    Folder deep = Folder::Open(app_ + "\\deep\\er", true);
    ASSERT_TRUE(deep) << LastErrorText();
    ReplacingFile replacing = ReplacingFile::Begin(deep, "written.txt");
    ASSERT_TRUE(replacing && replacing.Write("replacing", 9) && replacing.Commit(false));
    Folder top = Folder::Open(app_, false);
    ASSERT_TRUE(top.DeleteEntry("created.txt"));
    ASSERT_TRUE(registry_.WriteString(RootKey::CurrentUser, kKey, "Kept", "new data"));
    ASSERT_TRUE(registry_.WriteString(RootKey::CurrentUser, kKey, "Added", "added"));
    ASSERT_TRUE(registry_.DeleteValue(RootKey::CurrentUser, kKey, "Dropped"));
    ASSERT_TRUE(registry_.WriteString(RootKey::CurrentUser, std::string(kKey) + "\\New\\Deeper",
                                      "Value", "in a new key"));
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
