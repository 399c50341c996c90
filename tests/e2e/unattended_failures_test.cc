// An unattended run that fails says so: without a transcript, every way
// the demo setup can end badly leaves its one line on standard error,
// starting with the program's name, next to its exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "package/pak.h"
#include "platform/process.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

struct Ended {
  int status = -1;
  std::string stderr_text;
};

class UnattendedFailure : public ::testing::Test {
 protected:
  UnattendedFailure()
      : no_open_("WIZPAK_NO_OPEN", "1"),
        transcript_("WIZPAK_TRANSCRIPT", std::nullopt),
        answers_("WIZPAK_ANSWERS", std::nullopt),
        language_("WIZPAK_LANGID", "0409"),
        display_("DISPLAY", std::nullopt) {}

  void SetUp() override {
    for (const char* program : {"wizpak", "wizpak-stub"}) {
      if (!fs::exists(test::BuildDir() + "/" + program)) GTEST_SKIP() << program << " not built";
    }
  }

  // Builds `script` (the demo's when empty) to FOLDER/NAME; returns the path.
  std::string Build(const std::string& script, const std::string& name) {
    const std::string out = machine_.root().file(name);
    const int status =
        platform::RunProgram(test::BuildDir() + "/wizpak", {"build", script, "-o", out});
    EXPECT_EQ(status, 0);
    return out;
  }
  std::string BuildDemo(const std::string& name = "WizpakDemoSetup.exe") {
    return Build(test::SourceDir() + "/examples/demo/setup.kys", name);
  }

  // Runs `setup --unattended EXTRA` with standard error kept.
  Ended Run(const std::string& setup, const std::string& extra = "") {
    const std::string errors = machine_.root().file("stderr.txt");
    const std::string command = "TMPDIR='" + machine_.root().path() + "' '" + setup +
                                "' --unattended " + extra + " 2>'" + errors +
                                "' </dev/null >/dev/null";
    const int status = std::system(command.c_str());
    return Ended{WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadHostFile(errors)};
  }

  test::TestMachine machine_;
  test::ScopedEnv no_open_;
  test::ScopedEnv transcript_;
  test::ScopedEnv answers_;
  test::ScopedEnv language_;
  test::ScopedEnv display_;
};

TEST_F(UnattendedFailure, RenamedSetupNamesTheExpectedName) {
  const std::string setup = BuildDemo("Renamed.exe");
  const Ended run = Run(setup);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.stderr_text.find("Renamed.exe: message box \"Error\": "), std::string::npos)
      << run.stderr_text;
  EXPECT_NE(run.stderr_text.find("WizpakDemoSetup.exe"), std::string::npos) << run.stderr_text;
  EXPECT_NE(run.stderr_text.find("[OK] -> ok\n"), std::string::npos) << run.stderr_text;
}

TEST_F(UnattendedFailure, DamagedEntryNamesTheEntry) {
  const std::string setup = BuildDemo();
  std::string damaged_name;
  uint64_t offset = 0;
  {
    TPak pak(setup, false, false);
    ASSERT_TRUE(pak.IsOpen());
    for (const TPakEntry& entry : pak.Entries) {
      if (entry.StoredLength() > 16 && entry.Group != 0) {
        damaged_name = entry.Name;
        offset = entry.Offset + entry.StoredLength() / 2;
        break;
      }
    }
  }
  ASSERT_FALSE(damaged_name.empty());
  std::string bytes = test::ReadHostFile(setup);
  bytes[offset] = static_cast<char>(bytes[offset] ^ 0x5A);
  test::WriteHostFile(setup, bytes);
  const Ended run = Run(setup);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.stderr_text.find("WizpakDemoSetup.exe: message box \"Verification Error\": "),
            std::string::npos)
      << run.stderr_text;
  const std::string file_name = damaged_name.substr(damaged_name.find_last_of('\\') + 1);
  EXPECT_NE(run.stderr_text.find(file_name), std::string::npos) << run.stderr_text;
  EXPECT_FALSE(fs::exists(machine_.drive_c() + "/Program Files/Wizpak Demo"));
}

TEST_F(UnattendedFailure, StuckPageSaysWhyNextStaysDisabled) {
  // The test machine's drive D is a CD-ROM drive.
  const std::string setup = BuildDemo();
  const Ended run = Run(setup, "'--dir=D:\\Wizpak Demo'");
  EXPECT_EQ(run.status, 8);
  // A folder given with --dir= is checked before the wizard starts: the
  // line names the program, the folder and the reason.
  EXPECT_NE(run.stderr_text.find("WizpakDemoSetup.exe: --dir=D:\\Wizpak Demo: Drive D: is a "
                                 "CD-ROM drive"),
            std::string::npos)
      << run.stderr_text;
}

TEST_F(UnattendedFailure, ScriptFailureIsReportedWithItsText) {
  const std::string script = machine_.root().file("failing/setup.kys");
  test::WriteHostFile(script,
                      "name Failing\n"
                      "outfile FailingSetup.exe\n"
                      "installdir \"$PROGRAMFILES\\Failing\"\n"
                      "pages default\n"
                      "language install\\english\n"
                      "start:\n"
                      "messagebox \"Go on with the failing part?\" \"Failing\" fail 0\n"
                      "fail:\n"
                      "failure\n");
  const std::string setup = Build(script, "FailingSetup.exe");
  const Ended run = Run(setup);
  EXPECT_EQ(run.status, 7);
  EXPECT_NE(run.stderr_text.find("FailingSetup.exe: message box \"Failing\": Go on with the "
                                 "failing part? [OKCANCEL] -> ok\n"),
            std::string::npos)
      << run.stderr_text;
  EXPECT_NE(run.stderr_text.find("FailingSetup.exe: the setup script reported a failure: Setup "
                                 "failed to install."),
            std::string::npos)
      << run.stderr_text;
}

}  // namespace
}  // namespace wizpak
