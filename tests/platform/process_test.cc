#include "platform/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

using test::ReadHostFile;
using test::ScopedEnv;
using test::TempDir;
using test::TestMachine;
using test::WriteHostFile;

// Zombie children of this process: a child that has ended and was not
// reaped is what waitid reports with WNOHANG; WNOWAIT leaves it unreaped.
// (Scanning /proc instead races with every other process that ends.)
int ZombieChildren() {
  siginfo_t info{};
  if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0) return 0;  // no children
  return info.si_pid != 0 ? 1 : 0;
}

TEST(Process, CommandLineAndOwnImage) {
  char arg0[] = "setup.exe";
  char arg1[] = "C:\\package.bin";
  char* argv[] = {arg0, arg1, nullptr};
  SetCommandLine(2, argv);
  EXPECT_EQ(CommandLine(), (std::vector<std::string>{"setup.exe", "C:\\package.bin"}));
  const std::string self = ExecutablePath();
  EXPECT_TRUE(FileExists(self)) << self;
  EXPECT_EQ(ToHostPath(self), std::filesystem::read_symlink("/proc/self/exe").string());
}

TEST(Process, RunProgramWaitsAndReturnsTheExitStatus) {
  TestMachine machine;
  EXPECT_EQ(RunProgram("/bin/sh", {"-c", "exit 7"}), 7);
  EXPECT_EQ(RunProgram("sh", {"-c", "exit 0"}), 0);  // found through PATH
  EXPECT_EQ(RunProgram("/bin/sh", {"-c", "kill -9 $$"}), 128 + 9);
  EXPECT_EQ(RunProgram("C:\\no-such-program", {}), -1);
  EXPECT_EQ(RunProgram("Q:\\unmapped", {}), -1);

  // A program given in program form, made executable first; its arguments
  // arrive unchanged, blanks and all.
  WriteHostFile(machine.drive_c() + "/tool.sh", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$1\"\n");
  EXPECT_EQ(RunProgram("C:\\tool.sh", {}), -1);  // not executable yet
  ASSERT_TRUE(MakeExecutable("C:\\tool.sh"));
  const std::string out = machine.drive_c() + "/out.txt";
  EXPECT_EQ(RunProgram("C:\\tool.sh", {out, "two words", "C:\\x"}), 0);
  EXPECT_EQ(ReadHostFile(out), out + "|two words|C:\\x|");
}

TEST(Process, StartProgramDoesNotWaitAndLeavesNoZombie) {
  TestMachine machine;
  const std::string flag = machine.drive_c() + "/started";
  const std::string release = machine.drive_c() + "/release";
  // The program ends only once the test lets it: StartProgram returning at
  // all shows that it did not wait (waiting, it would never return).
  ASSERT_TRUE(StartProgram(
      "/bin/sh",
      {"-c", "while [ ! -e '" + release + "' ]; do sleep 0.01; done; echo done > '" + flag + "'"}));
  EXPECT_FALSE(std::filesystem::exists(flag));
  WriteHostFile(release, "");
  EXPECT_TRUE(test::WaitUntil([&] { return ReadHostFile(flag) == "done\n"; }));
  EXPECT_TRUE(test::WaitUntil([] { return ZombieChildren() == 0; }));
  EXPECT_FALSE(StartProgram("C:\\missing.exe", {}));
  EXPECT_FALSE(StartProgram("", {}));
}

TEST(Process, SeesAnotherProcessRunningAFile) {
  TestMachine machine;
  std::filesystem::copy_file("/bin/sleep", machine.drive_c() + "/uninst.exe");
  ASSERT_TRUE(MakeExecutable("C:\\uninst.exe"));
  EXPECT_FALSE(IsExecutedByAnotherProcess("C:\\uninst.exe"));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string host = machine.drive_c() + "/uninst.exe";
    execl(host.c_str(), "uninst.exe", "10", static_cast<char*>(nullptr));
    _exit(127);
  }
  EXPECT_TRUE(test::WaitUntil([] {
    return IsExecutedByAnotherProcess("c:\\UNINST.EXE") ||
           IsExecutedByAnotherProcess("C:\\uninst.exe");
  }));
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(IsExecutedByAnotherProcess("C:\\uninst.exe"));
  EXPECT_FALSE(IsExecutedByAnotherProcess("C:\\missing.exe"));
}

TEST(Process, MakeExecutableFollowsTheReadBits) {
  TestMachine machine;
  const std::string shared = machine.drive_c() + "/shared";
  const std::string owner = machine.drive_c() + "/owner";
  WriteHostFile(shared, "");
  WriteHostFile(owner, "");
  chmod(shared.c_str(), 0644);
  chmod(owner.c_str(), 0600);
  ASSERT_TRUE(MakeExecutable("C:\\shared"));
  ASSERT_TRUE(MakeExecutable("C:\\owner"));
  struct stat info {};
  stat(shared.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
  stat(owner.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_FALSE(MakeExecutable("C:\\missing"));
}

TEST(Process, ScratchFolderIsUsableForPrograms) {
  TestMachine machine;
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", machine.drive_c());
    EXPECT_EQ(ExecutableScratchFolder(), "C:\\");
  }
  ScopedEnv runtime("XDG_RUNTIME_DIR", machine.drive_c() + "/missing");
  ScopedEnv cache("XDG_CACHE_HOME", machine.drive_c() + "/cache");
  EXPECT_EQ(ExecutableScratchFolder(), "C:\\cache\\wizpak\\");
  EXPECT_TRUE(DirectoryExists("C:\\cache\\wizpak"));
}

TEST(Process, DefaultHandlerGetsTheHostPath) {
  TestMachine machine;
  TempDir bin;
  {
    ScopedEnv path("PATH", bin.path());
    EXPECT_FALSE(OpenWithDefaultHandler("C:\\readme.txt"));  // no xdg-open: quietly false
  }
  const std::string log = bin.file("opened");
  WriteHostFile(bin.file("xdg-open"), "#!/bin/sh\necho \"$1\" >> '" + log + "'\n");
  chmod(bin.file("xdg-open").c_str(), 0755);
  ScopedEnv path("PATH", bin.path() + ":/usr/bin:/bin");
  ASSERT_TRUE(OpenWithDefaultHandler("C:\\Games\\readme.txt"));
  EXPECT_TRUE(test::WaitUntil([&] { return !ReadHostFile(log).empty(); }));
  ASSERT_TRUE(OpenWithDefaultHandler("https://example.org/x"));
  EXPECT_TRUE(test::WaitUntil([&] {
    return ReadHostFile(log) == machine.drive_c() + "/Games/readme.txt\nhttps://example.org/x\n";
  })) << ReadHostFile(log);
}

}  // namespace
}  // namespace wizpak::platform
