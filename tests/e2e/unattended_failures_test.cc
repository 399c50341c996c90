// An unattended run that fails says so: without a transcript, every way
// the demo setup can end badly leaves its one line on standard error,
// starting with the program's name, next to its exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "package/pak.h"
#include "support/setup_rig.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;
using test::Ran;

class UnattendedFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::SetupRig::Built({"wizpak", "wizpak-stub"})) GTEST_SKIP() << "not built";
  }
  // Runs `setup --unattended EXTRA`: no transcript, so the lines go to
  // standard error.
  Ran Run(const std::string& setup, const std::string& extra = "") {
    std::vector<std::string> arguments = {"--unattended"};
    if (!extra.empty()) arguments.push_back(extra);
    return rig_.Run(setup, arguments);
  }

  test::SetupRig rig_{{.transcript = false}};
};

TEST_F(UnattendedFailure, RenamedSetupNamesTheExpectedName) {
  const std::string setup = rig_.BuildDemo("Renamed.exe");
  const Ran run = Run(setup);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Renamed.exe: message box \"Error\": "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("WizpakDemoSetup.exe"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("[OK] -> ok\n"), std::string::npos) << run.err;
}

TEST_F(UnattendedFailure, DamagedEntryNamesTheEntry) {
  const std::string setup = rig_.BuildDemo();
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
  const Ran run = Run(setup);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("WizpakDemoSetup.exe: message box \"Verification Error\": "),
            std::string::npos)
      << run.err;
  const std::string file_name = damaged_name.substr(damaged_name.find_last_of('\\') + 1);
  EXPECT_NE(run.err.find(file_name), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(rig_.drive_c() + "/Program Files/Wizpak Demo"));
}

TEST_F(UnattendedFailure, StuckPageSaysWhyNextStaysDisabled) {
  // The test machine's drive D is a CD-ROM drive.
  const std::string setup = rig_.BuildDemo();
  const Ran run = Run(setup, "--dir=D:\\Wizpak Demo");
  EXPECT_EQ(run.status, 8);
  // A folder given with --dir= is checked before the wizard starts: the
  // line names the program, the folder and the reason.
  EXPECT_NE(run.err.find("WizpakDemoSetup.exe: --dir=D:\\Wizpak Demo: Drive D: is a "
                         "CD-ROM drive"),
            std::string::npos)
      << run.err;
}

TEST_F(UnattendedFailure, ScriptFailureIsReportedWithItsText) {
  const std::string script = rig_.root().file("failing/setup.kys");
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
  const std::string setup = rig_.File("FailingSetup.exe");
  ASSERT_EQ(rig_.Build(script, setup).status, 0);
  const Ran run = Run(setup);
  EXPECT_EQ(run.status, 7);
  EXPECT_NE(run.err.find("FailingSetup.exe: message box \"Failing\": Go on with the "
                         "failing part? [OKCANCEL] -> ok\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("FailingSetup.exe: the setup script reported a failure: Setup "
                         "failed to install."),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace wizpak
