// The undo journal through the platform's own calls: replaced, deleted and
// new files, new and removed folders, registry values and keys, undone in
// reverse order (values of every type put back as they were), by the run itself or by the next
// start after a kill; a run that ended well keeps its changes and nothing it moved aside.
#include "platform/journal.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/safe_files.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadHostFile;
using test::WriteHostFile;

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() {
    WriteHostFile(Host("Game/keep.txt"), "old keep");
    WriteHostFile(Host("Game/gone.txt"), "old gone");
    WriteHostFile(Host("Game/cache/a.txt"), "cache a");
    Registry registry;
    registry.WriteString(RootKey::CurrentUser, "Software\\Game", "Version", "1");
    // Values of other types (a number, binary data over two lines), which
    // the run below overwrites with a string and deletes.
    std::string hive = ReadHostFile(machine_.hive());
    const size_t version = hive.find("\"Version\"");
    const size_t end = hive.find('\n', version);
    const std::string eol = end > 0 && hive[end - 1] == '\r' ? "\r\n" : "\n";
    hive.insert(end + 1,
                "\"Count\"=dword:0000002a" + eol + "\"Blob\"=hex:01,02,\\" + eol + "  03,04" + eol);
    WriteHostFile(machine_.hive(), hive);
    // Saved once through the hive's writer, so the bytes compared later are
    // in the form it writes.
    registry.WriteString(RootKey::CurrentUser, "Software\\Game", "Scratch", "x");
    registry.DeleteValue(RootKey::CurrentUser, "Software\\Game", "Scratch");
    hive_before_ = ReadHostFile(machine_.hive());
  }
  std::string Host(const std::string& relative) const {
    return machine_.drive_c() + "/" + relative;
  }
  // The changes of a small upgrade, made through the platform calls.
  void Change() {
    ASSERT_TRUE(WriteFileAtomic("C:\\Game\\keep.txt", "new keep"));
    ASSERT_TRUE(DeleteFile("C:\\Game\\gone.txt"));
    ASSERT_TRUE(CreateDirectory("C:\\Game\\bin"));
    ASSERT_TRUE(WriteFileAtomic("C:\\Game\\bin\\tool.exe", "tool"));
    ASSERT_TRUE(DeleteFile("C:\\Game\\cache\\a.txt"));
    ASSERT_TRUE(RemoveDirectory("C:\\Game\\cache"));
    Registry registry;
    ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, "Software\\Game", "Version", "2"));
    ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, "Software\\Game\\New\\Deep", "X", "y"));
    ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, "Software\\Game", "Added", "z"));
    ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, "Software\\Game", "Count", "42"));
    ASSERT_TRUE(registry.DeleteValue(RootKey::CurrentUser, "Software\\Game", "Blob"));
  }
  void ExpectAsBefore() {
    EXPECT_EQ(ReadHostFile(Host("Game/keep.txt")), "old keep");
    EXPECT_EQ(ReadHostFile(Host("Game/gone.txt")), "old gone");
    EXPECT_EQ(ReadHostFile(Host("Game/cache/a.txt")), "cache a");
    EXPECT_FALSE(fs::exists(Host("Game/bin")));
    EXPECT_EQ(ReadHostFile(machine_.hive()), hive_before_);
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(machine_.drive_c()))
      names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 5u) << ::testing::PrintToString(names);
  }

  test::TestMachine machine_;
  std::string hive_before_;
};

TEST_F(JournalTest, RollbackUndoesEveryChangeInReverseOrder) {
  auto journal = Journal::Begin("C:\\Game");
  ASSERT_TRUE(journal) << LastErrorText();
  {
    const JournalScope scope(*journal);
    Change();
  }
  EXPECT_EQ(ReadHostFile(Host("Game/keep.txt")), "new keep");
  size_t last_done = 0;
  size_t steps = 0;
  EXPECT_TRUE(journal->Rollback([&](size_t done, size_t total) {
    EXPECT_EQ(done, last_done + 1);
    EXPECT_EQ(total, journal->ChangeCount());
    last_done = done;
    ++steps;
  }));
  EXPECT_EQ(steps, journal->ChangeCount());
  ExpectAsBefore();
}

TEST_F(JournalTest, CommitKeepsTheChangesAndRemovesWhatWasSetAside) {
  auto journal = Journal::Begin("C:\\Game");
  ASSERT_TRUE(journal);
  {
    const JournalScope scope(*journal);
    Change();
  }
  const std::string path = journal->path();
  EXPECT_TRUE(fs::exists(path));
  EXPECT_TRUE(journal->Commit());
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(ReadHostFile(Host("Game/keep.txt")), "new keep");
  EXPECT_FALSE(fs::exists(Host("Game/gone.txt")));
  EXPECT_FALSE(fs::exists(Host("Game/cache")));
  for (const auto& entry : fs::recursive_directory_iterator(machine_.drive_c()))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
  EXPECT_EQ(RecoverInterruptedRun("C:\\Game"), RecoveryResult::NothingPending);
}

TEST_F(JournalTest, AKilledRunIsUndoneByTheNextStart) {
  {
    // The run stops without undoing or committing, as a killed one does.
    auto journal = Journal::Begin("C:\\Game");
    ASSERT_TRUE(journal);
    const JournalScope scope(*journal);
    Change();
  }
  EXPECT_EQ(RecoverInterruptedRun("C:\\Game\\"), RecoveryResult::RolledBack);
  ExpectAsBefore();
  EXPECT_EQ(RecoverInterruptedRun("C:\\Game"), RecoveryResult::NothingPending);
}

// A journal another user could have written (planted where a setup looks
// for one, or left writable by others) is never carried out: its notes
// would rename, delete and write with this user's rights. Once it is this
// user's own again, it is undone.
TEST_F(JournalTest, AJournalThisUserDidNotWriteIsLeftAlone) {
  std::string path;
  {
    auto journal = Journal::Begin("C:\\Game");
    ASSERT_TRUE(journal);
    path = journal->path();
    const JournalScope scope(*journal);
    Change();
  }
  const auto untouched = [&] {
    EXPECT_EQ(RecoverInterruptedRun("C:\\Game"), RecoveryResult::Incomplete);
    EXPECT_EQ(ReadHostFile(Host("Game/keep.txt")), "new keep");
    EXPECT_TRUE(fs::exists(path));
  };
  fs::permissions(path, fs::perms::others_write, fs::perm_options::add);
  untouched();
  // A new run writes its own journal elsewhere, never into that file.
  {
    const auto other = Journal::Begin("C:\\Game");
    ASSERT_TRUE(other);
    EXPECT_NE(other->path(), path);
  }
  fs::permissions(path, fs::perms::others_write, fs::perm_options::remove);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 4242, 4242), 0);
    untouched();
    ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
  }
  EXPECT_EQ(RecoverInterruptedRun("C:\\Game"), RecoveryResult::RolledBack);
  ExpectAsBefore();
}

TEST_F(JournalTest, ANewInstallFolderIsJournalledAboveItAndRemovedAgain) {
  // Neither the folder nor its parent exists: the journal goes to the drive.
  auto journal = Journal::Begin("C:\\Programs\\New Game");
  ASSERT_TRUE(journal);
  EXPECT_EQ(fs::path(journal->path()).parent_path(), fs::path(machine_.drive_c()));
  {
    const JournalScope scope(*journal);
    const Folder folder = Folder::Open("C:\\Programs\\New Game\\data", /*create=*/true);
    ASSERT_TRUE(folder);
    ASSERT_EQ(WriteNewFile(folder, "a.dat", "a"), NewFileResult::Written);
    ReplacingFile file = ReplacingFile::Begin(folder, "a.dat");
    ASSERT_TRUE(file.Write("b", 1));
    ASSERT_TRUE(file.Commit(false));
  }
  EXPECT_TRUE(journal->Rollback());
  EXPECT_FALSE(fs::exists(Host("Programs")));
  EXPECT_FALSE(fs::exists(journal->path()));
}

TEST_F(JournalTest, AHiveTheRunMadeGoesAgain) {
  fs::remove(machine_.hive());
  auto journal = Journal::Begin("C:\\Game");
  ASSERT_TRUE(journal);
  {
    const JournalScope scope(*journal);
    ASSERT_TRUE(Registry().WriteString(RootKey::LocalMachine, "Software\\X", "A", "b"));
  }
  EXPECT_TRUE(fs::exists(machine_.hive()));
  EXPECT_TRUE(journal->Rollback());
  EXPECT_FALSE(fs::exists(machine_.hive()));
}

}  // namespace
}  // namespace wizpak::platform
