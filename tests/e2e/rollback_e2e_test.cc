// Rollback with the real programs: an upgrade whose registry cannot be
// written ends with an error and leaves version 1 exactly as it was (its
// uninstaller still works); a run killed part-way is undone by the next
// start of the setup or of the uninstaller, before anything else.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/journal.h"
#include "platform/process.h"
#include "support/setup_rig.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

class RollbackE2e : public ::testing::Test {
 protected:
  RollbackE2e()
      : no_open_("WIZPAK_NO_OPEN", "1"),
        transcript_("WIZPAK_TRANSCRIPT", machine_.root().file("transcript.txt")),
        answers_("WIZPAK_ANSWERS", std::nullopt),
        language_("WIZPAK_LANGID", "0409"),
        display_("DISPLAY", std::nullopt),
        temp_("TMPDIR", machine_.root().file("tmp")) {
    fs::create_directories(machine_.root().file("tmp"));
  }

  std::string Program(const std::string& name) const { return test::BuildDir() + "/" + name; }
  std::string Folder() const { return machine_.drive_c() + "/Program Files/Wizpak Demo"; }
  std::string Uninstaller() const { return Folder() + "/WizpakDemo_Uninstall.exe"; }

  // Runs a program with these arguments (separated by blanks) to its end;
  // returns its status, keeps stderr.
  int Run(const std::string& program, const std::string& arguments) {
    std::vector<std::string> words;
    std::istringstream split(arguments);
    for (std::string word; split >> word;) words.push_back(word);
    const test::Ran ran = test::RunKept(program, words, machine_.root().path());
    stderr_ = ran.err;
    return ran.status;
  }

  std::string BuildAndInstallDemo() {
    const std::string setup = machine_.root().file("WizpakDemoSetup.exe");
    EXPECT_EQ(platform::RunProgram(
                  Program("wizpak"),
                  {"build", test::SourceDir() + "/examples/demo/setup.kys", "-o", setup}),
              0);
    EXPECT_EQ(Run(setup, "--ui=headless --unattended"), 0) << stderr_;
    return setup;
  }

  // The drive and the hive: every path with its mode, size and bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> shot;
    for (auto it = fs::recursive_directory_iterator(machine_.drive_c());
         it != fs::recursive_directory_iterator(); ++it) {
      struct stat info {};
      if (::lstat(it->path().c_str(), &info) != 0) continue;
      std::string facts = std::to_string(info.st_mode) + " " + std::to_string(info.st_size);
      if (S_ISREG(info.st_mode)) facts += " " + test::ReadHostFile(it->path());
      shot[it->path().string()] = facts;
    }
    shot["hive"] = test::ReadHostFile(machine_.hive());
    return shot;
  }

  bool Built() const {
    for (const char* program : {"wizpak", "wizpak-stub", "wizpak-finalise"})
      if (!fs::exists(Program(program))) return false;
    return true;
  }

  // What a setup killed during an upgrade leaves: files replaced, deleted
  // and added, and its journal, never committed.
  void LeaveAKilledRun() {
    auto journal = platform::Journal::Begin("C:\\Program Files\\Wizpak Demo");
    ASSERT_TRUE(journal);
    const platform::JournalScope scope(*journal);
    const std::string folder = "C:\\Program Files\\Wizpak Demo\\";
    ASSERT_TRUE(platform::WriteFileAtomic(folder + "readme.txt", "version 2"));
    ASSERT_TRUE(platform::WriteFileAtomic(folder + "WizpakDemo_install.log", "half a log"));
    ASSERT_TRUE(platform::DeleteFile(folder + "demo.sh"));
    ASSERT_TRUE(platform::WriteFileAtomic(folder + "new in 2.txt", "new"));
  }

  test::TestMachine machine_;
  test::ScopedEnv no_open_, transcript_, answers_, language_, display_, temp_;
  std::string stderr_;
};

TEST_F(RollbackE2e, AnUpgradeWhoseRegistryCannotBeWrittenLeavesVersion1AsItWas) {
  if (!Built()) GTEST_SKIP() << "the programs are not built";
  const std::string setup = BuildAndInstallDemo();
  const auto before = Snapshot();
  // The hive can be read but no longer saved: its lock cannot be taken.
  const std::string lock = machine_.hive() + ".lock";
  fs::remove(lock);
  fs::create_directory(lock);
  EXPECT_EQ(Run(setup, "--ui=headless --unattended"), 5) << stderr_;
  EXPECT_NE(stderr_.find("rolled back"), std::string::npos) << stderr_;
  const std::string transcript = test::ReadHostFile(machine_.root().file("transcript.txt"));
  EXPECT_NE(transcript.find("STATUS text=\"Rolling back the installation...\""), std::string::npos);
  EXPECT_NE(transcript.find("The installation was rolled back"), std::string::npos);
  EXPECT_EQ(Snapshot(), before);
  // Version 1's uninstaller still removes version 1.
  fs::remove(lock);
  EXPECT_EQ(Run(Uninstaller(), "--ui=headless --unattended"), 0) << stderr_;
  EXPECT_FALSE(fs::exists(Folder() + "/readme.txt"));
}

TEST_F(RollbackE2e, TheNextStartOfTheUninstallerUndoesAKilledRunFirst) {
  if (!Built()) GTEST_SKIP() << "the programs are not built";
  BuildAndInstallDemo();
  const auto before = Snapshot();
  LeaveAKilledRun();
  EXPECT_NE(Snapshot(), before);
  // The uninstaller reads version 1's log again, so it removes everything.
  EXPECT_EQ(Run(Uninstaller(), "--ui=headless --unattended"), 0) << stderr_;
  EXPECT_NE(stderr_.find("was rolled back"), std::string::npos) << stderr_;
  EXPECT_FALSE(fs::exists(Folder() + "/readme.txt"));
  EXPECT_FALSE(fs::exists(Folder() + "/demo.sh"));
  EXPECT_FALSE(fs::exists(Folder() + "/new in 2.txt"));
}

TEST_F(RollbackE2e, TheNextStartOfTheSetupUndoesAKilledRunFirst) {
  if (!Built()) GTEST_SKIP() << "the programs are not built";
  const std::string setup = BuildAndInstallDemo();
  LeaveAKilledRun();
  EXPECT_EQ(Run(setup, "--ui=headless --unattended"), 0) << stderr_;
  EXPECT_NE(stderr_.find("was rolled back"), std::string::npos) << stderr_;
  EXPECT_FALSE(fs::exists(Folder() + "/new in 2.txt"));
  EXPECT_TRUE(fs::exists(Folder() + "/demo.sh"));
  for (const auto& entry : fs::recursive_directory_iterator(machine_.drive_c()))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".wz")) << entry.path();
}

}  // namespace
}  // namespace wizpak
