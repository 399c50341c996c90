// A setup whose script loops for ever ("start:" then "goto start"), run
// unattended and stopped with SIGTERM: it ends with the cancelled status and
// leaves the install log of what it did, so the uninstaller can remove it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>

#include "support/setup_rig.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

constexpr int kExitCancelled = 6;

TEST(EndlessScript, StopSignalEndsTheRunCancelledAndRolledBack) {
  if (!test::SetupRig::Built({"wizpak", "wizpak-stub"})) GTEST_SKIP() << "not built";
  test::SetupRig machine;
  const std::string script = machine.File("loop/setup.kys");
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
  const std::string setup = machine.File("LoopSetup.exe");
  ASSERT_EQ(machine.Build(script, setup).status, 0);

  const pid_t pid = test::Spawn(setup, {"--ui=headless", "--unattended"});
  ASSERT_GT(pid, 0);
  const std::string folder = machine.drive_c() + "/Program Files/Loop";
  // Wait until the run is inside its loop (the folder exists), then stop it.
  const bool looping = test::WaitUntil([&] { return fs::exists(folder + "/made"); });
  ASSERT_EQ(::kill(pid, looping ? SIGTERM : SIGKILL), 0);
  const int status = test::WaitExit(pid);
  ASSERT_TRUE(looping);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, kExitCancelled);
  // The stopped run was undone: the folders it made are gone again.
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(machine.drive_c() + "/Program Files"));
}

}  // namespace
}  // namespace wizpak
