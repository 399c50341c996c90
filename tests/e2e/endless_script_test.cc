// A setup whose script loops for ever ("start:" then "goto start"), run
// unattended and stopped with SIGTERM: it ends with the cancelled status and
// leaves the install log of what it did, so the uninstaller can remove it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

constexpr int kExitCancelled = 6;

// Starts `program` with `args`; the child's pid.
pid_t Start(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

// The exit status of `pid`, or -1 when it has not ended within `seconds`.
int WaitFor(pid_t pid, int seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

TEST(EndlessScript, StopSignalEndsTheRunCancelledAndRolledBack) {
  for (const char* program : {"wizpak", "wizpak-stub"}) {
    if (!fs::exists(test::BuildDir() + "/" + program)) GTEST_SKIP() << program << " is not built";
  }
  test::TestMachine machine;
  test::ScopedEnv transcript("WIZPAK_TRANSCRIPT", machine.root().file("transcript.txt"));
  test::ScopedEnv display("DISPLAY", std::nullopt);
  const std::string script = machine.root().file("loop/setup.kys");
  test::WriteHostFile(script,
                      "name Loop\n"
                      "outfile LoopSetup.exe\n"
                      "installdir \"$PROGRAMFILES\\Loop\"\n"
                      "prefix Loop\n"
                      "pages default\n"
                      "uninstallpages uninstall\n"
                      "language install\\english\n"
                      "uninstalllanguage uninstall\\english\n"
                      "createdirectory $INSTDIR\\made\n"
                      "start:\n"
                      "goto start\n");
  const std::string setup = machine.root().file("LoopSetup.exe");
  ASSERT_EQ(platform::RunProgram(test::BuildDir() + "/wizpak", {"build", script, "-o", setup}), 0);

  const pid_t pid = Start(setup, {"--ui=headless", "--unattended"});
  ASSERT_GT(pid, 0);
  const std::string folder = machine.drive_c() + "/Program Files/Loop";
  // Wait until the run is inside its loop (the folder exists), then stop it.
  for (int i = 0; i < 500 && !fs::exists(folder + "/made"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(fs::exists(folder + "/made"));
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  const int status = WaitFor(pid, 30);
  if (status < 0) ::kill(pid, SIGKILL), WaitFor(pid, 5);
  EXPECT_EQ(status, kExitCancelled);
  // The stopped run was undone: the folders it made are gone again.
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(machine.drive_c() + "/Program Files"));
}

}  // namespace
}  // namespace wizpak
