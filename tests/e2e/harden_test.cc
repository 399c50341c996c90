// A built setup and its uninstaller against a hostile machine: links planted
// where the run writes its log, its uninstaller, copies, deletes and
// shortcuts; uninstalls that cannot remove everything; a reinstall; a
// folder with German letters; a hive lock held by another process; and
// what a finished install and uninstall leave behind (nothing).
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <map>
#include <random>
#include <cstdlib>
#include <thread>
#include <filesystem>

#include "platform/registry.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string err;
};

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

constexpr const char* kHeader =
    "name Hard\nshortname Hard\noutfile hard.exe\ninstalldir \"C:\\Games\\Hard\"\n"
    "prefix Hard\npages default\nuninstallpages uninstall\n"
    "language install\\english\nuninstalllanguage uninstall\\english\n";

class Harden : public ::testing::Test {
 protected:
  Harden()
      : no_open_("WIZPAK_NO_OPEN", "1"),
        language_("WIZPAK_LANGID", "0409"),
        display_("DISPLAY", std::nullopt),
        transcript_("WIZPAK_TRANSCRIPT", std::nullopt),
        answers_("WIZPAK_ANSWERS", std::nullopt),
        tmpdir_("TMPDIR", dir_.file("tmp")),
        cache_("XDG_CACHE_HOME", dir_.file("cache")),
        runtime_("XDG_RUNTIME_DIR", std::nullopt) {
    fs::create_directories(dir_.file("tmp"));
    test::WriteHostFile(dir_.file("src/readme.txt"), "read me");
    test::WriteHostFile(dir_.file("src/docs/manual.txt"), "manual");
  }

  // Runs `program arguments`, stdout dropped; a hang ends after 120 s.
  ToolRun Run(const std::string& program, const std::string& arguments) {
    const std::string err = dir_.file("stderr.txt");
    const std::string command = "timeout 120 " + Quote(program) + " " + arguments +
                                " >/dev/null 2>" + Quote(err) + " </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadHostFile(err)};
  }
  ToolRun Build(const std::string& body, const std::string& out = "hard.exe") {
    test::WriteHostFile(dir_.file("setup.kys"), std::string(kHeader) + body);
    return Run(test::BuildDir() + "/wizpak",
               "build " + Quote(dir_.file("setup.kys")) + " -o " + Quote(dir_.file(out)));
  }
  ToolRun Install(const std::string& extra = "", const std::string& out = "hard.exe") {
    return Run(dir_.file(out), "--ui=headless --unattended" + extra);
  }
  ToolRun Uninstall() {
    // A copy runs, so the finaliser has nothing to wait for in the folder.
    fs::copy_file(Game() + "/Hard_Uninstall.exe", dir_.file("uninstall.exe"),
                  fs::copy_options::overwrite_existing);
    return Run(dir_.file("uninstall.exe"), "--ui=headless --unattended");
  }
  std::string Game() const { return machine_.drive_c() + "/Games/Hard"; }
  // The error reports written into the temporary folder, one after another.
  std::string Reports() const {
    std::string text;
    for (const auto& entry : fs::directory_iterator(dir_.file("tmp")))
      text += test::ReadHostFile(entry.path().string());
    return text;
  }

  test::TestMachine machine_;
  test::TempDir dir_;
  test::TempDir outside_;
  test::ScopedEnv no_open_, language_, display_, transcript_, answers_, tmpdir_, cache_, runtime_;
};

// The install folder, or its parent, is a link to a folder outside: nothing
// of the run (files, install log, uninstaller) lands there.
TEST_F(Harden, LogAndUninstallerAreNeverWrittenThroughAPlantedLink) {
  ASSERT_EQ(Build("file src\n").status, 0);
  test::WriteHostFile(outside_.file("Hard_install.log"), "keep");
  fs::create_directories(machine_.drive_c() + "/Games");
  fs::create_directory_symlink(outside_.path(), Game());
  ToolRun run = Install();
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(test::ReadHostFile(outside_.file("Hard_install.log")), "keep");
  EXPECT_FALSE(fs::exists(outside_.file("Hard_Uninstall.exe")));
  EXPECT_FALSE(fs::exists(outside_.file("readme.txt")));

  fs::remove(Game());
  fs::remove(machine_.drive_c() + "/Games");
  fs::create_directory_symlink(outside_.path(), machine_.drive_c() + "/Games");
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
  const ToolRun run = Install();
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_NE(Reports().find("scratch is a link"), std::string::npos) << Reports();
  EXPECT_EQ(test::ReadHostFile(outside_.file("mine.txt")), "the user's");
}

TEST_F(Harden, ShortcutIsNeverWrittenThroughAPlantedLink) {
  ASSERT_EQ(Build("file src\ncreateshortcut \"$SMPROGRAMS\\Hard\\Hard.lnk\" "
                  "\"$INSTDIR\\readme.txt\" \"\"\n")
                .status,
            0);
  test::WriteHostFile(outside_.file("Hard.lnk"), "the user's");
  const std::string programs = machine_.drive_c() + "/ProgramData/Start Menu/Programs";
  fs::create_directories(programs);
  fs::create_directory_symlink(outside_.path(), programs + "/Hard");
  const ToolRun run = Install();
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
  ToolRun run = Uninstall();
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
  test::WriteHostFile(dir_.file("extras/extra.txt"), "extra");
  ASSERT_EQ(Build("file src\nfile extras extras\n"
                  "writeregstr HKCU \"Software\\Hard\" First 1\n")
                .status,
            0);
  ASSERT_EQ(Install().status, 0);
  ASSERT_TRUE(fs::exists(Game() + "/extras/extra.txt"));
  ASSERT_EQ(Build("file src\n").status, 0);
  ASSERT_EQ(Install().status, 0);
  const ToolRun run = Uninstall();
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
  const std::string folder = machine_.drive_c() + "/Spiele/Größe";
  const ToolRun run = Install(" '--dir=C:\\Spiele\\Größe'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(folder + "/readme.txt"));
  EXPECT_EQ(test::ReadHostFile(folder + "/Übung/Größe.txt"), "read me");
  EXPECT_TRUE(fs::is_regular_file(folder + "/Hard_install.log"));
  const ToolRun removed = Run(folder + "/Hard_Uninstall.exe", "--ui=headless --unattended");
  EXPECT_EQ(removed.status, 0) << removed.err;
  // The finaliser removes the uninstaller and then the empty folder.
  for (int i = 0; i < 1200 && fs::exists(folder); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(Harden, PrefixAndOutfileMustBePlainFileNames) {
  for (const char* bad : {"..\\..\\evil", "a/b", "C:evil", "x?y", ".."}) {
    SCOPED_TRACE(bad);
    test::WriteHostFile(dir_.file("setup.kys"), std::string(kHeader) + "prefix \"" + bad +
                                                    "\"\noutfile ok.exe\nfile src\n");
    ToolRun run = Run(test::BuildDir() + "/wizpak", "build " + Quote(dir_.file("setup.kys")) +
                                                        " -o " + Quote(dir_.file("o.exe")));
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("prefix must be a plain file name"), std::string::npos) << run.err;
    test::WriteHostFile(dir_.file("setup.kys"),
                        std::string(kHeader) + "outfile \"" + bad + "\"\nfile src\n");
    run = Run(test::BuildDir() + "/wizpak",
              "build " + Quote(dir_.file("setup.kys")) + " -o " + Quote(dir_.file("o.exe")));
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
  const std::string dead = dir_.file("hard.exe.partial-" + std::to_string(child));
  const std::string alive = dir_.file("hard.exe.partial-" + std::to_string(::getpid()));
  test::WriteHostFile(dead, "partial");
  test::WriteHostFile(alive, "partial");
  ASSERT_EQ(Build("file src\n").status, 0);
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));
}

// SIGTERM or SIGINT at any moment of a build: the partial output never
// stays (either the build finished, or it stopped and removed it).
TEST_F(Harden, StoppedBuildRemovesItsPartialOutput) {
  for (int file = 0; file < 400; ++file) {
    std::string bytes(32 * 1024, static_cast<char>(file));
    for (size_t i = 0; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(i * 31 + file);
    test::WriteHostFile(dir_.file("src/many/f" + std::to_string(file) + ".bin"), bytes);
  }
  test::WriteHostFile(dir_.file("setup.kys"), std::string(kHeader) + "file src\n");
  std::mt19937 random(7);
  std::uniform_int_distribution<int> delay_us(1000, 400000);
  int stopped = 0;
  for (const int signal : {SIGTERM, SIGINT, SIGTERM, SIGINT}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string wizpak = test::BuildDir() + "/wizpak";
      const std::string script = dir_.file("setup.kys");
      const std::string out = dir_.file("stopped.exe");
      ::execl(wizpak.c_str(), wizpak.c_str(), "build", script.c_str(), "-o", out.c_str(), nullptr);
      _exit(127);
    }
    usleep(static_cast<useconds_t>(delay_us(random)));
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0)) ++stopped;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
      EXPECT_EQ(entry.path().filename().string().find(".partial-"), std::string::npos)
          << entry.path();
    fs::remove(dir_.file("stopped.exe"));
  }
  std::printf("%d of 4 builds stopped part-way\n", stopped);
}

// Source names the package cannot hold stop the build with the file named.
TEST_F(Harden, SourceNamesWindows1252CannotHoldAreBuildErrors) {
  test::WriteHostFile(dir_.file("src/日本.txt"), "x");
  ToolRun run = Build("file src\n");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("Windows-1252 has no character"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("日本.txt"), std::string::npos) << run.err;
  fs::remove(dir_.file("src/日本.txt"));
  test::WriteHostFile(dir_.file("src/tab\there.txt"), "x");
  run = Build("file src\n");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("control character"), std::string::npos) << run.err;
}

// Another process holds the hive's lock: the setup gives up after the wait
// (shortened here) with a line naming the lock, instead of hanging.
TEST_F(Harden, HeldHiveLockIsGivenUpWithAMessage) {
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  const std::string lock_path = machine_.hive() + ".lock";
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  const test::ScopedEnv wait("WIZPAK_LOCK_WAIT_MS", "300");
  const ToolRun run = Install();
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
  const std::string lock_path = machine_.hive() + ".lock";
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  const test::ScopedEnv wait("WIZPAK_LOCK_WAIT_MS", "3600000");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    const std::string setup = dir_.file("hard.exe");
    ::execl(setup.c_str(), setup.c_str(), "--ui=headless", "--unattended", nullptr);
    _exit(127);
  }
  // Until the setup has reached the registry (it waits for the lock then),
  // or has ended by itself.
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 600 && ended == 0 && !fs::exists(Game() + "/readme.txt"); ++i) {
    ended = waitpid(child, &status, WNOHANG);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (ended == 0) ::kill(child, SIGTERM);
  for (int i = 0; i < 600 && ended == 0; ++i) {
    ended = waitpid(child, &status, WNOHANG);
    if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (ended == 0) {
    ::kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  ::close(fd);
  EXPECT_NE(ended, 0) << "the setup ignored SIGTERM while waiting for the lock";
}

// Nothing stays behind a finished install and uninstall: no lock files in
// the temporary folder or beside the hive, no empty cache folder. With the
// temporary folder unwritable, the lock goes beside the folder's parent
// (and goes again).
TEST_F(Harden, InstallAndUninstallLeaveNoLocksOrEmptyCacheFolders) {
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  ASSERT_EQ(Install().status, 0);
  ASSERT_EQ(Uninstall().status, 0);
  EXPECT_TRUE(fs::is_empty(dir_.file("tmp")));
  EXPECT_FALSE(fs::exists(machine_.hive() + ".lock"));
  // The finaliser removes itself and then its folder, after the uninstaller
  // has ended.
  for (int i = 0; i < 1200 && fs::exists(dir_.file("cache/wizpak")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(dir_.file("cache/wizpak")));

  const test::ScopedEnv unwritable("TMPDIR", dir_.file("no-such-folder"));
  fs::create_directories(machine_.drive_c() + "/Games");
  const ToolRun run = Install();
  EXPECT_EQ(run.status, 0) << run.err;
  for (const auto& entry : fs::directory_iterator(machine_.drive_c() + "/Games"))
    EXPECT_EQ(entry.path().filename(), "Hard");
}

// Every file and folder below `root`: relative path, kind, size and a hash
// of the content.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).string();
    if (entry.is_symlink()) {
      out[relative] = "link";
    } else if (entry.is_directory()) {
      out[relative] = "folder";
    } else {
      const std::string bytes = test::ReadHostFile(entry.path().string());
      out[relative] =
          std::to_string(bytes.size()) + ":" + std::to_string(std::hash<std::string>{}(bytes));
    }
  }
  return out;
}

// Installs killed with SIGKILL at random moments, then one whole install
// and its uninstall: the drive is as it was before the first run (no
// part-written file, no hidden temporary, no empty folder). The folder
// above the install folder exists beforehand: a killed run leaves no
// record of the parent folders it made.
TEST_F(Harden, SigkilledInstallsThenARerunAndUninstallLeaveTheDriveAsBefore) {
  constexpr int kKills = 12;
  for (int folder = 0; folder < 8; ++folder) {
    for (int file = 0; file < 40; ++file) {
      std::string bytes(64 * 1024 + 97 * file, static_cast<char>('a' + folder));
      for (size_t i = 0; i < bytes.size(); i += 61) bytes[i] = static_cast<char>(file * 7 + i);
      test::WriteHostFile(
          dir_.file("src/d" + std::to_string(folder) + "/f" + std::to_string(file) + ".bin"),
          bytes);
    }
  }
  ASSERT_EQ(Build("file src\nwriteregstr HKCU \"Software\\Hard\" Edition full\n").status, 0);
  fs::create_directories(machine_.drive_c() + "/Games");
  const auto before = Snapshot(machine_.drive_c());

  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> delay_us(2000, 1500000);
  int killed = 0;
  for (int run = 0; run < kKills; ++run) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string setup = dir_.file("hard.exe");
      ::execl(setup.c_str(), setup.c_str(), "--ui=headless", "--unattended", nullptr);
      _exit(127);
    }
    usleep(static_cast<useconds_t>(delay_us(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WIFSIGNALED(status)) ++killed;
  }
  std::printf("%d of %d runs killed part-way\n", killed, kKills);
  EXPECT_GT(killed, 0);

  ASSERT_EQ(Install().status, 0);
  const std::string uninstaller = Game() + "/Hard_Uninstall.exe";
  ASSERT_EQ(Run(uninstaller, "--ui=headless --unattended").status, 0);
  // The finaliser removes the uninstaller and then the empty folder.
  for (int i = 0; i < 1200 && fs::exists(Game()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Snapshot(machine_.drive_c()), before);
}

}  // namespace
}  // namespace wizpak
