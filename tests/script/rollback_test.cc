// An upgrade run as a transaction: version 2 of a game is installed over
// version 1 (files replaced, added and deleted, folders made and removed,
// registry values changed and added, shortcuts replaced and added, a game
// archive patched and marked, the install log, uninstaller and registration
// rewritten). Every file or
// registry call of each kind is made to fail in turn, and the run is killed
// at random calls: afterwards the drive folders and the hive are exactly as
// before (paths, kinds, modes, sizes and bytes).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "gamearchive/archive_file.h"
#include "platform/files.h"
#include "platform/journal.h"
#include "script_fixture.h"
#include "text/digit_cipher.h"
#include "uninstall/uninstall_list.h"

namespace wizpak::test {
namespace {

namespace fs = std::filesystem;
using platform::FileOp;

const char* OpName(FileOp op) {
  static const char* const names[] = {"Open",      "Read",   "Write",      "Seek",    "Truncate",
                                      "Sync",      "Delete", "Copy",       "Rename",  "CreateDir",
                                      "RemoveDir", "List",   "Attributes", "Registry"};
  return names[static_cast<int>(op)];
}

class Upgrade : public ScriptTest {
 protected:
  Upgrade() {
    // The archive's retry box (an archive that cannot be opened) is answered
    // Retry: the fault is gone then. Its Cancel ends the program for now.
    outer_ = gui::SetMessageBoxHandler([](const gui::MessageBoxRequest& request) {
      return request.buttons == gui::Buttons::RetryCancel ? gui::Answer::Retry
                                                          : gui::HeadlessAnswer(request);
    });
    SetRecord(kInstallDir, /*create_uninstaller=*/true, "Game_");
    UsePackage({
        {"UNINSTALL_Pages.txt", 0, "welcome\r\n"},
        {"UNINSTALL_FINALISE.EXE", 0, "finaliser"},
        {"readme.txt", 1, "version 1 read me"},
        {"game.dat", 1, std::string(5000, '1')},
        {"old.txt", 1, "only in version 1"},
        {"data\\level1.dat", 2, "level one, first cut"},
        {"data\\level2.dat", 2, "level two"},
        {"readme.txt", 3, "version 2 read me, longer than before"},
        {"game.dat", 3, std::string(7000, '2')},
        {"new.txt", 3, "new in version 2"},
        {"bin\\tool.exe", 3, "a tool"},
        {"data\\level1.dat", 4, "level one, second cut"},
        {"data\\level3.dat", 4, "level three"},
        {"Maps\\map1.txt", 5, "map one, patched"},
        {"Maps\\map9.txt", 5, "map nine, new"},
    });
  }

  ~Upgrade() override { gui::SetMessageBoxHandler(outer_); }

  ScriptBuilder Version1() const {
    ScriptBuilder s;
    s.Command(kCmdFile, {"payload"});
    s.Command(kCmdFile, {"data", "data"});
    s.Command(kCmdWriteRegStr, {"HKCU", "Software\\Game", "Version", "1"});
    s.Command(kCmdCreateShortcut, {"$SMPROGRAMS\\Game\\Play.lnk", "$INSTDIR\\game.dat", "-v1"});
    s.Command(kCmdCreateDirectory, {"$INSTDIR\\saves"});
    s.Command(kCmdCopyFile, {"$INSTDIR\\readme.txt", "$INSTDIR\\cache\\r.txt"});
    return s;
  }

  ScriptBuilder Version2() const {
    ScriptBuilder s;
    s.Command(kCmdMessage, {"Upgrading"});
    s.Command(kCmdFile, {"payload"});
    s.Command(kCmdFile, {"data", "data"});
    s.Command(kCmdWriteRegStr, {"HKCU", "Software\\Game", "Version", "2"});
    s.Command(kCmdWriteRegStr, {"HKCU", "Software\\Game\\Options", "Mode", "full"});
    s.Command(kCmdCreateShortcut, {"$SMPROGRAMS\\Game\\Play.lnk", "$INSTDIR\\game.dat", "-v2"});
    s.Command(kCmdCreateShortcut,
              {"$SMPROGRAMS\\Game\\Tools\\Tool.lnk", "$INSTDIR\\bin\\tool.exe", ""});
    s.Command(kCmdCreateDirectory, {"$INSTDIR\\logs"});
    s.Command(kCmdCopyFile, {"$INSTDIR\\new.txt", "$INSTDIR\\logs\\copy.txt"});
    s.Command(kCmdDelete, {"$INSTDIR\\old.txt"});
    s.Command(kCmdRmDir, {"$INSTDIR\\cache", "1"});
    s.Command(kCmdKypUpdate, {"maps", EncryptWithDigitKey(kGameArchiveKey, "pw"), "game.kyp"});
    s.Command(kCmdKypOfficial,
              {"game.kyp", EncryptWithDigitKey(kGameArchiveKey, kOfficialCode), "1"});
    return s;
  }

  // Wipes the machine and installs version 1 afresh; the next run's "file"
  // lines then take groups 3 and 4.
  void InstallVersion1() {
    for (const std::string& folder : {machine_.drive_c(), machine_.drive_d()}) {
      fs::remove_all(folder);
      fs::create_directories(folder);
    }
    fs::remove(machine_.hive());
    fs::remove_all(machine_.home());
    fs::create_directories(machine_.home());
    run_.script.Reset();
    run_.install_log.Clear();
    const ScriptRunResult first = Run(Version1());
    ASSERT_EQ(first.outcome, ScriptOutcome::Completed) << first.error;
    run_.install_log.Clear();
    // The game's data archive, which version 2 patches.
    std::string error;
    ASSERT_TRUE(gamearchive::WriteNewArchive(
        Host("C:\\Games\\Test\\game.kyp"),
        {{"Maps\\map1.txt", "map one"}, {"Maps\\map2.txt", "map two"}}, "pw", false, error))
        << error;
  }

  // Every path below the drive folders, the hive and the private home's XDG
  // folders (menu entries, icons, menus): kind, mode, size, bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> shot;
    for (const std::string& root : {machine_.drive_c(), machine_.drive_d(), machine_.home()}) {
      for (auto it = fs::recursive_directory_iterator(root);
           it != fs::recursive_directory_iterator(); ++it) {
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0) continue;
        std::string facts = std::to_string(info.st_mode) + " " + std::to_string(info.st_size);
        if (S_ISREG(info.st_mode)) facts += " " + ReadHostFile(it->path());
        shot[it->path().string()] = facts;
      }
    }
    shot["hive"] = fs::exists(machine_.hive()) ? ReadHostFile(machine_.hive()) : "(none)";
    return shot;
  }

  // Only calls on the machine's drives, hive and XDG folders fail (never the
  // package).
  bool OnTheMachine(std::string_view host) const {
    return host.starts_with(machine_.drive_c()) || host.starts_with(machine_.drive_d()) ||
           host.starts_with(machine_.hive()) || host.starts_with(machine_.home());
  }

  ScriptRunResult RunVersion2(const platform::FaultHook& hook) {
    run_.install_log.Clear();
    const platform::ScopedFaultHook scoped(hook);
    return Run(Version2());
  }

  gui::MessageBoxHandler outer_;
};

// Leftovers a run must never leave: its journal and what it moved aside.
std::vector<std::string> Leftovers(const std::string& root) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".wzaside") || name.starts_with(".wizpak-journal") ||
        name.find(".tmp") != std::string::npos)
      found.push_back(entry.path().string());
  }
  return found;
}

TEST_F(Upgrade, EndsWellAndLeavesNothingAside) {
  InstallVersion1();
  const ScriptRunResult result = RunVersion2({});
  ASSERT_EQ(result.outcome, ScriptOutcome::Completed) << result.error;
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test\\readme.txt")),
            "version 2 read me, longer than before");
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\old.txt"));
  EXPECT_FALSE(HostFolderExists("C:\\Games\\Test\\cache"));
  EXPECT_EQ(Leftovers(machine_.drive_c()), std::vector<std::string>{});
  EXPECT_EQ(Leftovers(machine_.home()), std::vector<std::string>{});
  // The desktop integration wrote menu entries: the sweeps below check them.
  int entries = 0;
  for (const auto& entry : fs::recursive_directory_iterator(machine_.home()))
    entries += entry.path().extension() == ".desktop";
  EXPECT_GE(entries, 2);
}

TEST_F(Upgrade, TheRunUndoesAKilledEarlierRunBeforeItStarts) {
  InstallVersion1();
  {
    auto killed = platform::Journal::Begin(kInstallDir);
    ASSERT_TRUE(killed);
    const platform::JournalScope scope(*killed);
    ASSERT_TRUE(platform::WriteFileAtomic("C:\\Games\\Test\\stray.txt", "stray"));
    ASSERT_TRUE(platform::DeleteFile("C:\\Games\\Test\\old.txt"));
  }
  const ScriptRunResult result = RunVersion2({});
  ASSERT_EQ(result.outcome, ScriptOutcome::Completed) << result.error;
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\stray.txt"));
  EXPECT_EQ(Leftovers(machine_.drive_c()), std::vector<std::string>{});
}

TEST_F(Upgrade, AFailedCallOfAnyKindLeavesTheMachineAsItWas) {
  // How many calls of each kind a whole upgrade makes on the machine.
  std::map<FileOp, int> counts;
  InstallVersion1();
  {
    const ScriptRunResult counted = RunVersion2([&](FileOp op, std::string_view host) {
      if (OnTheMachine(host)) ++counts[op];
      return 0;
    });
    ASSERT_EQ(counted.outcome, ScriptOutcome::Completed) << counted.error;
  }
  int runs = 0;
  int undone = 0;
  for (const auto& [kind, count] : counts) {
    const FileOp op = kind;  // a plain variable: lambdas cannot capture a binding
    if (op == FileOp::Read || op == FileOp::Seek || op == FileOp::List || op == FileOp::Attributes)
      continue;  // looking is not changing
    for (int n = 1; n <= count; ++n) {
      InstallVersion1();
      const auto before = Snapshot();
      // In a child process: an archive that cannot be written ends the
      // program through the fatal exit (status 3), which undoes the run too.
      std::fflush(nullptr);
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        int seen = 0;
        const ScriptRunResult result = RunVersion2([&](FileOp call, std::string_view host) {
          return call == op && OnTheMachine(host) && ++seen == n ? 28 /* ENOSPC */ : 0;
        });
        if (result.outcome == ScriptOutcome::Completed) ::_exit(0);
        ::_exit(result.rolled_back ? 10 + static_cast<int>(result.outcome) : 20);
      }
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status));
      const int code = WEXITSTATUS(status);
      ++runs;
      const std::string where = std::string(OpName(op)) + " call " + std::to_string(n);
      if (code == 0) {
        // A quiet failure (a copy or delete that fails goes on): the run
        // ended well and keeps its changes, with nothing left aside.
        EXPECT_EQ(Leftovers(machine_.drive_c()), std::vector<std::string>{}) << where;
        continue;
      }
      ++undone;
      EXPECT_TRUE(code == 3 || code == 10 + static_cast<int>(ScriptOutcome::Error) ||
                  code == 10 + static_cast<int>(ScriptOutcome::Cancelled))
          << where << ": exit " << code;
      EXPECT_EQ(Snapshot(), before) << where;
    }
  }
  std::printf("fault sweep: %d runs, %d ended in an error and were rolled back\n", runs, undone);
  EXPECT_GT(undone, 50);
}

TEST_F(Upgrade, KilledAtRandomCallsTheNextStartRollsItBack) {
  int total = 0;
  InstallVersion1();
  RunVersion2([&](FileOp, std::string_view host) {
    if (OnTheMachine(host)) ++total;
    return 0;
  });
  ASSERT_GT(total, 30);
  // A run killed while it tidies up after ending well is finished instead.
  const auto upgraded = Snapshot();
  int rolled_back = 0;
  std::mt19937 random(20261208);
  for (int round = 0; round < 30; ++round) {
    const int kill_at = std::uniform_int_distribution<int>(1, total)(random);
    InstallVersion1();
    const auto before = Snapshot();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int seen = 0;
      RunVersion2([&](FileOp, std::string_view host) {
        if (OnTheMachine(host) && ++seen == kill_at) ::raise(SIGKILL);
        return 0;
      });
      ::_exit(0);  // the run ended before that call
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    // The next start for the folder undoes what the killed run left.
    RecoverEarlierRun(run_.status, kInstallDir);
    ASSERT_TRUE(WIFSIGNALED(status)) << "call " << kill_at << " of " << total;
    const auto after = Snapshot();
    if (after == before) {
      ++rolled_back;
    } else {
      EXPECT_EQ(after, upgraded) << "killed at call " << kill_at;
    }
  }
  std::printf("kill sweep: 30 kills, %d rolled back, %d finished while tidying up\n", rolled_back,
              30 - rolled_back);
  EXPECT_GT(rolled_back, 15);
}

}  // namespace
}  // namespace wizpak::test
