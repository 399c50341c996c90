// A built setup and its uninstaller against a hostile machine: links planted
// where the run writes its log, its uninstaller, copies, deletes and
// shortcuts; uninstalls that cannot remove everything; a reinstall; a
// folder with German letters; a hive lock held by another process; and
// what a finished install and uninstall leave behind (nothing).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/registry.h"
#include "support/setup_rig.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;
using test::Ran;

constexpr const char* kHeader =
    "name Hard\nshortname Hard\noutfile hard.exe\ninstalldir \"C:\\Games\\Hard\"\n"
    "prefix Hard\npages default\nuninstallpages uninstall\n"
    "language install\\english\nuninstalllanguage uninstall\\english\n";

class Harden : public ::testing::Test {
 protected:
  Harden() {
    test::WriteHostFile(rig_.File("src/readme.txt"), "read me");
    test::WriteHostFile(rig_.File("src/docs/manual.txt"), "manual");
  }
  void SetUp() override {
    if (!test::SetupRig::Built()) GTEST_SKIP() << "the programs are not built";
  }

  Ran Build(const std::string& body, const std::string& out = "hard.exe") {
    test::WriteHostFile(rig_.File("setup.kys"), std::string(kHeader) + body);
    return rig_.Build(rig_.File("setup.kys"), rig_.File(out));
  }
  Ran Install(std::vector<std::string> extra = {}) {
    return rig_.RunUnattended(rig_.File("hard.exe"), std::move(extra));
  }
  Ran Uninstall() {
    // A copy runs, so the finaliser has nothing to wait for in the folder.
    fs::copy_file(Game() + "/Hard_Uninstall.exe", rig_.File("uninstall.exe"),
                  fs::copy_options::overwrite_existing);
    return rig_.RunUnattended(rig_.File("uninstall.exe"));
  }
  std::string Game() const { return rig_.drive_c() + "/Games/Hard"; }
  // Waits until the finaliser an uninstaller run in place started is done:
  // it deletes the uninstaller first, and itself and its scratch folder last.
  bool FinaliserDone() const {
    return test::WaitUntil([&] {
      return !fs::exists(Game() + "/Hard_Uninstall.exe") &&
             !fs::exists(rig_.home() + "/.cache/wizpak");
    });
  }

  // Constructed before the rig points TMPDIR into its own folder.
  test::TempDir outside_;
  test::SetupRig rig_{{.transcript = false}};
};

// The install folder, or its parent, is a link to a folder outside: nothing
// of the run (files, install log, uninstaller) lands there.
TEST_F(Harden, LogAndUninstallerAreNeverWrittenThroughAPlantedLink) {
  ASSERT_EQ(Build("file src\n").status, 0);
  test::WriteHostFile(outside_.file("Hard_install.log"), "keep");
  fs::create_directories(rig_.drive_c() + "/Games");
  fs::create_directory_symlink(outside_.path(), Game());
  Ran run = Install();
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(test::ReadHostFile(outside_.file("Hard_install.log")), "keep");
  EXPECT_FALSE(fs::exists(outside_.file("Hard_Uninstall.exe")));
  EXPECT_FALSE(fs::exists(outside_.file("readme.txt")));

  fs::remove(Game());
  fs::remove(rig_.drive_c() + "/Games");
  fs::create_directory_symlink(outside_.path(), rig_.drive_c() + "/Games");
  run = Install();
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(test::ReadHostFile(outside_.file("Hard_install.log")), "keep");
  EXPECT_EQ(std::distance(fs::directory_iterator(outside_.path()), fs::directory_iterator()), 1);
}

// copyfile and delete through a folder planted as a link: the user's file
// outside stays, and the run ends as an error naming the link.
TEST_F(Harden, CopyAndDeleteRefuseAPlantedLink) {
  ASSERT_EQ(Build("file src\ncreatedirectory \"$INSTDIR\\scratch\"\n"
                  "copyfile \"$INSTDIR\\readme.txt\" \"$INSTDIR\\scratch\\mine.txt\"\n"
                  "delete \"$INSTDIR\\scratch\\mine.txt\"\n")
                .status,
            0);
  test::WriteHostFile(outside_.file("mine.txt"), "the user's");
  fs::create_directories(Game());
  fs::create_directory_symlink(outside_.path(), Game() + "/scratch");
  const Ran run = Install();
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_NE(rig_.Reports().find("scratch is a link"), std::string::npos) << rig_.Reports();
  EXPECT_EQ(test::ReadHostFile(outside_.file("mine.txt")), "the user's");
}

TEST_F(Harden, ShortcutIsNeverWrittenThroughAPlantedLink) {
  ASSERT_EQ(Build("file src\ncreateshortcut \"$SMPROGRAMS\\Hard\\Hard.lnk\" "
                  "\"$INSTDIR\\readme.txt\" \"\"\n")
                .status,
            0);
  test::WriteHostFile(outside_.file("Hard.lnk"), "the user's");
  const std::string programs = rig_.drive_c() + "/ProgramData/Start Menu/Programs";
  fs::create_directories(programs);
  fs::create_directory_symlink(outside_.path(), programs + "/Hard");
  const Ran run = Install();
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_EQ(test::ReadHostFile(outside_.file("Hard.lnk")), "the user's");
}

// A file the uninstaller cannot delete (read-only, which even root keeps):
// status 5, the registration and the log stay, and a second run after the
// user fixed it removes the rest.
TEST_F(Harden, UninstallFailuresAreFailuresAndKeepTheRegistration) {
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  ASSERT_EQ(Install().status, 0);
  ASSERT_EQ(::chmod((Game() + "/docs/manual.txt").c_str(), 0444), 0);
  Ran run = Uninstall();
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_TRUE(fs::exists(Game() + "/docs/manual.txt"));
  EXPECT_TRUE(fs::exists(Game() + "/Hard_install.log"));
  platform::Registry hive;
  const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Hard";
  EXPECT_TRUE(hive.ReadString(platform::RootKey::LocalMachine, key, "UninstallString"));

  ASSERT_EQ(::chmod((Game() + "/docs/manual.txt").c_str(), 0644), 0);
  run = Uninstall();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(Game() + "/docs"));
  EXPECT_FALSE(hive.ReadString(platform::RootKey::LocalMachine, key, "UninstallString"));
  EXPECT_FALSE(hive.ReadString(platform::RootKey::CurrentUser, "Software\\Hard", "Edition"));
}

// The first run installs extras the second does not: the uninstaller
// removes both runs' files and folders.
TEST_F(Harden, ReinstallKeepsTheEarlierRunsItemsInTheLog) {
  test::WriteHostFile(rig_.File("extras/extra.txt"), "extra");
  ASSERT_EQ(Build("file src\nfile extras extras\n"
                  "writeregstr HKCU \"Software\\Hard\" First 1\n")
                .status,
            0);
  ASSERT_EQ(Install().status, 0);
  ASSERT_TRUE(fs::exists(Game() + "/extras/extra.txt"));
  ASSERT_EQ(Build("file src\n").status, 0);
  ASSERT_EQ(Install().status, 0);
  const Ran run = Uninstall();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(Game() + "/extras"));
  EXPECT_FALSE(fs::exists(Game() + "/readme.txt"));
  EXPECT_FALSE(
      platform::Registry().ReadString(platform::RootKey::CurrentUser, "Software\\Hard", "First"));
}

// A folder with German letters, given on the command line in UTF-8: every
// command, the log, iffileexists and the uninstaller work with it.
TEST_F(Harden, GermanInstallFolderWorksEndToEnd) {
  // The script in Windows-1252, as scripts are read without a byte-order mark.
  ASSERT_EQ(Build("file src\ncreatedirectory \"$INSTDIR\\\xdc"
                  "bung\"\n"
                  "copyfile \"$INSTDIR\\readme.txt\" \"$INSTDIR\\\xdc"
                  "bung\\Gr\xf6\xdf"
                  "e.txt\"\n"
                  "iffileexists \"$INSTDIR\\README.TXT\" done missing\n"
                  "missing:\nfailure\ndone:\n")
                .status,
            0);
  const std::string folder = rig_.drive_c() + "/Spiele/Größe";
  const Ran run = Install({"--dir=C:\\Spiele\\Größe"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(folder + "/readme.txt"));
  EXPECT_EQ(test::ReadHostFile(folder + "/Übung/Größe.txt"), "read me");
  EXPECT_TRUE(fs::is_regular_file(folder + "/Hard_install.log"));
  const Ran removed = rig_.RunUnattended(folder + "/Hard_Uninstall.exe");
  EXPECT_EQ(removed.status, 0) << removed.err;
  // The finaliser removes the uninstaller and then the empty folder.
  EXPECT_TRUE(test::WaitUntil([&] { return !fs::exists(folder); }));
}

TEST_F(Harden, PrefixAndOutfileMustBePlainFileNames) {
  for (const char* bad : {"..\\..\\evil", "a/b", "C:evil", "x?y", ".."}) {
    SCOPED_TRACE(bad);
    test::WriteHostFile(rig_.File("setup.kys"), std::string(kHeader) + "prefix \"" + bad +
                                                    "\"\noutfile ok.exe\nfile src\n");
    Ran run = rig_.Build(rig_.File("setup.kys"), rig_.File("o.exe"));
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("prefix must be a plain file name"), std::string::npos) << run.err;
    test::WriteHostFile(rig_.File("setup.kys"),
                        std::string(kHeader) + "outfile \"" + bad + "\"\nfile src\n");
    run = rig_.Build(rig_.File("setup.kys"), rig_.File("o.exe"));
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("outfile must be a plain file name"), std::string::npos) << run.err;
  }
}

// A partial output of a build that was killed (its process is gone) is
// swept by the next build; one of a running process is left alone.
TEST_F(Harden, BuildSweepsPartialOutputsOfDeadBuilds) {
  // A process that has ended: its id is free (or taken by another program,
  // which is then treated as running, the safe side).
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string dead = rig_.File("hard.exe.partial-" + std::to_string(child));
  const std::string alive = rig_.File("hard.exe.partial-" + std::to_string(::getpid()));
  test::WriteHostFile(dead, "partial");
  test::WriteHostFile(alive, "partial");
  ASSERT_EQ(Build("file src\n").status, 0);
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));
}

// SIGTERM or SIGINT at moments spread over a build: the partial output
// never stays (either the build finished, or it stopped and removed it).
TEST_F(Harden, StoppedBuildRemovesItsPartialOutput) {
  for (int file = 0; file < 400; ++file) {
    std::string bytes(32 * 1024, static_cast<char>(file));
    for (size_t i = 0; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(i * 31 + file);
    test::WriteHostFile(rig_.File("src/many/f" + std::to_string(file) + ".bin"), bytes);
  }
  test::WriteHostFile(rig_.File("setup.kys"), std::string(kHeader) + "file src\n");
  const std::string wizpak = test::SetupRig::Program("wizpak");
  const std::vector<std::string> build = {"build", rig_.File("setup.kys"), "-o",
                                          rig_.File("stopped.exe")};
  int status = 0;
  const uint64_t total = test::BytesOfWholeRun(wizpak, build, status);
  ASSERT_EQ(status, 0);
  int stopped = 0;
  for (const int signal : {SIGTERM, SIGINT, SIGTERM, SIGINT}) {
    fs::remove(rig_.File("stopped.exe"));
    status = test::SignalAtByte(wizpak, build, total * (stopped + 1) / 5, signal);
    if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0)) ++stopped;
    for (const auto& entry : fs::directory_iterator(rig_.root().path()))
      EXPECT_EQ(entry.path().filename().string().find(".partial-"), std::string::npos)
          << entry.path();
  }
  std::printf("%d of 4 builds stopped part-way\n", stopped);
}

// Source names the package cannot hold stop the build with the file named.
TEST_F(Harden, SourceNamesWindows1252CannotHoldAreBuildErrors) {
  test::WriteHostFile(rig_.File("src/日本.txt"), "x");
  Ran run = Build("file src\n");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("Windows-1252 has no character"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("日本.txt"), std::string::npos) << run.err;
  fs::remove(rig_.File("src/日本.txt"));
  test::WriteHostFile(rig_.File("src/tab\there.txt"), "x");
  run = Build("file src\n");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("control character"), std::string::npos) << run.err;
}

// Another process holds the hive's lock: the setup gives up after the wait
// (shortened here) with a line naming the lock, instead of hanging.
TEST_F(Harden, HeldHiveLockIsGivenUpWithAMessage) {
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  const std::string lock_path = rig_.hive() + ".lock";
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  const test::ScopedEnv wait("WIZPAK_LOCK_WAIT_MS", "300");
  const Ran run = Install();
  ::close(fd);
  EXPECT_NE(run.status, -1);
  EXPECT_NE(run.err.find("The registry lock " + lock_path + " is held by another process"),
            std::string::npos)
      << run.err;
}

// SIGTERM while the setup waits for a held hive lock ends the run instead
// of being swallowed by the wait.
TEST_F(Harden, SigtermEndsTheWaitForAHeldHiveLock) {
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  const std::string lock_path = rig_.hive() + ".lock";
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  const test::ScopedEnv wait("WIZPAK_LOCK_WAIT_MS", "3600000");
  const pid_t child = test::Spawn(rig_.File("hard.exe"), {"--ui=headless", "--unattended"});
  // Until the setup has reached the registry (it waits for the lock then),
  // or has ended by itself.
  ASSERT_TRUE(
      test::WaitUntil([&] { return test::HasEnded(child) || fs::exists(Game() + "/readme.txt"); }));
  ::kill(child, SIGTERM);
  const bool ended = test::WaitUntil([&] { return test::HasEnded(child); });
  if (!ended) ::kill(child, SIGKILL);
  test::WaitExit(child);
  ::close(fd);
  EXPECT_TRUE(ended) << "the setup ignored SIGTERM while waiting for the lock";
}

// Nothing stays behind a finished install and uninstall: no lock files in
// the temporary folder or beside the hive, no empty cache folder. With the
// temporary folder unwritable, the lock goes beside the folder's parent
// (and goes again).
TEST_F(Harden, InstallAndUninstallLeaveNoLocksOrEmptyCacheFolders) {
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  ASSERT_EQ(Install().status, 0);
  ASSERT_EQ(Uninstall().status, 0);
  EXPECT_TRUE(fs::is_empty(rig_.TempFolder()));
  EXPECT_FALSE(fs::exists(rig_.hive() + ".lock"));
  // The finaliser removes itself and then its folder, after the uninstaller
  // has ended.
  const std::string cache = rig_.home() + "/.cache/wizpak";
  EXPECT_TRUE(test::WaitUntil([&] { return !fs::exists(cache); }));

  const test::ScopedEnv unwritable("TMPDIR", rig_.File("no-such-folder"));
  fs::create_directories(rig_.drive_c() + "/Games");
  const Ran run = Install();
  EXPECT_EQ(run.status, 0) << run.err;
  for (const auto& entry : fs::directory_iterator(rig_.drive_c() + "/Games"))
    EXPECT_EQ(entry.path().filename(), "Hard");
}

// The uninstaller run from the installation folder cannot let the walk
// remove the folder above it that the install made; the finaliser removes
// it once it is empty. A parent that holds the user's files, or that was
// there before the install (the log does not list it), stays.
TEST_F(Harden, UninstallRemovesTheEmptyParentFolderTheInstallMade) {
  ASSERT_EQ(Build("file src\n").status, 0);
  const std::string games = rig_.drive_c() + "/Games";
  const auto UninstallInPlace = [&] {
    const Ran run = rig_.RunUnattended(Game() + "/Hard_Uninstall.exe");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(FinaliserDone());
  };

  ASSERT_EQ(Install().status, 0);
  UninstallInPlace();
  EXPECT_FALSE(fs::exists(games));

  ASSERT_EQ(Install().status, 0);
  test::WriteHostFile(games + "/notes.txt", "mine");
  UninstallInPlace();
  EXPECT_FALSE(fs::exists(Game()));
  EXPECT_EQ(test::ReadHostFile(games + "/notes.txt"), "mine");

  fs::remove(games + "/notes.txt");
  ASSERT_EQ(Install().status, 0);
  UninstallInPlace();
  EXPECT_FALSE(fs::exists(Game()));
  EXPECT_TRUE(fs::is_directory(games));
}

// The temporaries a killed run left part-written on the drive.
int PartWritten(const std::string& root) {
  int found = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".") && name.ends_with(".tmp")) ++found;
  }
  return found;
}

// Installs killed with SIGKILL at moments drawn from the bytes a whole run
// writes, each followed by a whole install and its uninstall: the drive is
// as it was before the first run every time (no part-written file, no
// hidden temporary, no empty folder), the hive as a whole run and its
// uninstall leave it (the folder above the install folder that each run
// makes included).
TEST_F(Harden, SigkilledInstallsThenARerunAndUninstallLeaveTheDriveAsBefore) {
  constexpr int kKills = 30;
  // Many small files and a few large ones, of bytes deflate cannot shrink.
  std::mt19937 noise(11);
  const auto bytes = [&noise](size_t size) {
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(noise());
    return out;
  };
  for (int folder = 0; folder < 6; ++folder)
    for (int file = 0; file < 40; ++file)
      test::WriteHostFile(
          rig_.File("src/d" + std::to_string(folder) + "/f" + std::to_string(file) + ".bin"),
          bytes(1024 + 997 * static_cast<size_t>(file)));
  for (int large = 1; large <= 3; ++large)
    test::WriteHostFile(rig_.File("src/large" + std::to_string(large) + ".bin"),
                        bytes(static_cast<size_t>(large) << 20));
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  const std::string setup = rig_.File("hard.exe");
  const std::vector<std::string> unattended = {"--ui=headless", "--unattended"};
  const auto drive = test::Snapshot(rig_.drive_c());
  const auto Uninstall = [&] {
    ASSERT_EQ(rig_.RunUnattended(Game() + "/Hard_Uninstall.exe").status, 0);
    ASSERT_TRUE(FinaliserDone());
    EXPECT_EQ(test::Snapshot(rig_.drive_c()), drive);
  };

  // A whole run and its uninstall first: what it writes spans the kill
  // moments.
  int status = 0;
  const uint64_t total = test::BytesOfWholeRun(setup, unattended, status);
  ASSERT_EQ(status, 0);
  Uninstall();
  const std::string hive = test::ReadHostFile(rig_.hive());
  ASSERT_FALSE(HasFatalFailure());

  std::mt19937 random(20261209);
  std::uniform_int_distribution<uint64_t> moment(1, total - 1);
  int killed = 0, inside_a_file = 0;
  for (int run = 0; run < kKills; ++run) {
    const uint64_t at = moment(random);
    SCOPED_TRACE("killed at byte " + std::to_string(at) + " of " + std::to_string(total));
    if (WIFSIGNALED(test::SignalAtByte(setup, unattended, at, SIGKILL))) ++killed;
    if (PartWritten(rig_.drive_c()) > 0) ++inside_a_file;
    ASSERT_EQ(rig_.RunUnattended(setup).status, 0);
    Uninstall();
    EXPECT_EQ(test::ReadHostFile(rig_.hive()), hive);
    if (HasFatalFailure()) return;
  }
  std::printf("%d of %d runs killed part-way (%d inside a file) over %llu bytes\n", killed, kKills,
              inside_a_file, static_cast<unsigned long long>(total));
  EXPECT_GT(killed, kKills / 2);
}

}  // namespace
}  // namespace wizpak
