// The "file" command: parameter counts, the registry condition and its
// senses, and the file-group counter, run as whole scripts.
#include <gtest/gtest.h>

#include "package/package_hooks.h"
#include "platform/registry.h"
#include "uninstall/uninstall_list.h"

#include <algorithm>
#include <filesystem>
#include "script_fixture.h"

namespace wizpak::test {
namespace {

using FileCommand = ScriptTest;
using platform::Registry;
using platform::RootKey;

// A "file" line with the registry condition: root, key, value, expected, sense.
std::vector<std::string> Conditional(const std::string& root, const std::string& key,
                                     const std::string& value, const std::string& expected,
                                     const std::string& sense) {
  return {"data", "sub", root, key, value, expected, sense};
}

// Runs one conditional "file" line and tells whether it extracted anything:
// a run that tried to extract either fails (no group in this package) or
// logs files; one that did not completes with nothing logged.
class Condition : public ScriptTest {
 protected:
  bool Holds(const std::vector<std::string>& params) {
    run_.script.Reset();
    ScriptBuilder s;
    s.Command(kCmdFile, params);
    const ScriptRunResult result = Run(s);
    EXPECT_EQ(run_.script.FileGroupCounter, 1u);
    return result.outcome != ScriptOutcome::Completed || !LoggedFiles().empty();
  }
};

TEST_F(Condition, SensesThatNegateAndThoseThatDoNot) {
  Registry().WriteString(RootKey::CurrentUser, "Software\\Game", "Version", "1.2");
  // The value matches: only a negating sense makes the condition false.
  for (const std::string sense : {"0", "F", "f", "FALSE", "False", "false"}) {
    EXPECT_FALSE(Holds(Conditional("HKCU", "Software\\Game", "Version", "1.2", sense))) << sense;
  }
  // The value differs: a sense that does not negate keeps the condition false.
  for (const std::string sense : {"no", "", "1", "true", "FALSE ", "00"}) {
    EXPECT_FALSE(Holds(Conditional("hkcu", "Software\\Game", "Version", "1.3", sense))) << sense;
  }
  // The data compare byte for byte: case and blanks count.
  Registry().WriteString(RootKey::CurrentUser, "Software\\Game", "Edition", "Gold");
  EXPECT_FALSE(Holds(Conditional("HKCU", "Software\\Game", "Edition", "gold", "yes")));
  EXPECT_FALSE(Holds(Conditional("HKCU", "Software\\Game", "Edition", "Gold ", "yes")));
}

TEST_F(Condition, MissingKeyIsCreatedAndAMissingValueReadsEmpty) {
  Registry registry;
  ASSERT_FALSE(registry.KeyExists(RootKey::LocalMachine, "Software\\New Game"));
  EXPECT_FALSE(Holds(Conditional("HKLM", "Software\\New Game", "Path", "C:\\x", "1")));
  EXPECT_TRUE(registry.KeyExists(RootKey::LocalMachine, "Software\\New Game"));
  EXPECT_TRUE(registry.ValueNames(RootKey::LocalMachine, "Software\\New Game").empty());
  // A missing value equals only the empty text: negated, that is false.
  EXPECT_FALSE(Holds(Conditional("HKLM", "Software\\New Game", "Path", "", "F")));
  // An unknown root name means HKEY_LOCAL_MACHINE.
  EXPECT_FALSE(Holds(Conditional("HKXX", "Software\\Other", "Path", "C:\\x", "1")));
  EXPECT_TRUE(registry.KeyExists(RootKey::LocalMachine, "Software\\Other"));
}

TEST_F(FileCommand, FalseConditionStillAdvancesTheGroup) {
  ScriptBuilder s;
  s.Command(kCmdFile, Conditional("HKLM", "Software\\Nothing", "v", "never", "1"));
  s.Command(kCmdFile, Conditional("HKLM", "Software\\Nothing", "v", "never", "yes"));
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_EQ(run_.script.FileGroupCounter, 2u);
  EXPECT_TRUE(LoggedFiles().empty());
}

const std::vector<ScriptTest::PackageFile> kTwoGroups = {
    {"SetupInfo", 0, "record"},
    {"readme.txt", 1, "group one"},
    {"maps\\level1.map", 1, "map"},
    {"patch.dat", 2, "group two"},
};

TEST_F(FileCommand, ExtractsItsGroupIntoTheInstallFolderAndLogsIt) {
  UsePackage(kTwoGroups);
  ScriptBuilder s;
  s.Command(kCmdFile, {"payload"});
  s.Command(kCmdFile, {"patch", "update"});
  const ScriptRunResult result = Run(s);
  ASSERT_EQ(result.outcome, ScriptOutcome::Completed) << result.error;
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test\\readme.txt")), "group one");
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test\\maps\\level1.map")), "map");
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test\\update\\patch.dat")), "group two");
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\SetupInfo"));
  EXPECT_EQ(LoggedFiles(),
            (std::vector<std::string>{"$INSTDIR\\readme.txt", "$INSTDIR\\maps\\level1.map",
                                      // the folder ends in "\\": doubled, collapsed
                                      // again when the uninstaller expands it
                                      "$INSTDIR\\update\\\\patch.dat"}));
  const std::vector<std::string> dirs = LoggedDirectories();
  EXPECT_NE(std::find(dirs.begin(), dirs.end(), "C:\\Games\\Test\\maps\\"), dirs.end());
}

// A damaged setup: an entry whose stream inflates to another size than its
// record says (its stored bytes match their CRC) shows the "DecompSize" box
// and ends the run on the error path; it never installs an empty file and
// never ends in success.
TEST_F(FileCommand, EntryInflatingToAnotherSizeEndsTheRunAsDamaged) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i % 7) + "\r\n";
  UsePackage({{"SetupInfo", 0, "record"}, {"readme.txt", 1, text}, {"after.txt", 1, "after"}});
  ChangeRecordedSize(1, static_cast<uint32_t>(text.size()) + 500);
  ScriptBuilder s;
  s.Command(kCmdFile, {"payload"});
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\reached"});
  const ScriptRunResult result = Run(s);
  EXPECT_EQ(result.outcome, ScriptOutcome::Error);
  EXPECT_NE(result.error.find("damaged"), std::string::npos) << result.error;
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Error");
  EXPECT_EQ(boxes_[0].text, "readme.txt\r\rError: DecompSize - " + std::to_string(text.size()) +
                                " OrigSize - " + std::to_string(text.size() + 500));
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\readme.txt"));
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\after.txt"));
  EXPECT_FALSE(HostFolderExists("C:\\Games\\Test\\reached"));
  EXPECT_TRUE(LoggedFiles().empty());
}

// Names that differ only in letter case are one file, as on Windows: an
// existing file found in another case is written over, and the log names it
// as it is stored, so the uninstaller removes exactly that file.
TEST_F(FileCommand, AFileFoundInAnotherLetterCaseIsLoggedAsStored) {
  UsePackage(kTwoGroups);
  test::WriteHostFile(Host("C:\\Games\\Test") + "/README.TXT", "old");
  test::WriteHostFile(Host("C:\\Games\\Test") + "/Copy.Txt", "old copy");
  ScriptBuilder s;
  s.Command(kCmdFile, {"payload"});
  s.Command(kCmdCopyFile, {"$INSTDIR\\readme.txt", "$INSTDIR\\COPY.TXT"});
  ASSERT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test") + "/README.TXT"), "group one");
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test") + "/Copy.Txt"), "group one");
  // No second file in the script's spelling.
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Games\\Test") + "/readme.txt"));
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Games\\Test") + "/COPY.TXT"));
  const std::vector<std::string> logged = LoggedFiles();
  EXPECT_NE(std::find(logged.begin(), logged.end(), "$INSTDIR\\README.TXT"), logged.end());
  EXPECT_NE(std::find(logged.begin(), logged.end(), "$INSTDIR\\Copy.Txt"), logged.end());
}

TEST_F(FileCommand, FalseConditionLeavesItsGroupToTheNextLine) {
  UsePackage(kTwoGroups);
  platform::Registry().WriteString(RootKey::LocalMachine, "Software\\Game", "Edition", "Gold");
  ScriptBuilder s;
  s.Command(kCmdFile, Conditional("HKLM", "Software\\Game", "Edition", "Gold", "FALSE"));
  s.Command(kCmdFile, Conditional("HKLM", "Software\\Game", "Edition", "Gold", "no"));
  ASSERT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  // Group 1 was skipped; the second line extracted group 2 into "sub".
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\sub\\readme.txt"));
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test\\sub\\patch.dat")), "group two");
  EXPECT_EQ(LoggedFiles(), std::vector<std::string>{"$INSTDIR\\sub\\\\patch.dat"});
}

TEST_F(FileCommand, KypOfficialBetweenFileLinesTakesNoGroup) {
  UsePackage(kTwoGroups);
  ScriptBuilder s;
  s.Command(kCmdFile, {"payload", "one"});
  // A code that is not the official one: the archive is left alone.
  s.Command(kCmdKypOfficial, {"data.kyp", "not the code", "1"});
  s.Command(kCmdFile, {"patch", "two"});
  ASSERT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_EQ(run_.script.FileGroupCounter, 2u);
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test\\two\\patch.dat")), "group two");
}

// Cancel in the game-archive retry box cancels the run: the lines after it
// do not run, the files already written stay logged, and the run ends as
// cancelled (the program's status 6), never as a success.
TEST_F(FileCommand, CancelInTheArchiveRetryBoxCancelsTheRun) {
  UsePackage(kTwoGroups);
  ScriptBuilder s;
  s.Command(kCmdFile, {"payload"});
  s.Command(kCmdKypUpdate, {"patch", "", "missing.kyp"});
  s.Command(kCmdCreateDirectory, {"C:\\after"});
  Answer(gui::Answer::Retry);
  Answer(gui::Answer::Cancel);
  const ScriptRunResult result = Run(s);
  EXPECT_EQ(result.outcome, ScriptOutcome::Cancelled) << result.error;
  ASSERT_EQ(boxes_.size(), 2u);
  for (const gui::MessageBoxRequest& box : boxes_) {
    EXPECT_EQ(box.text, "File not found: \"C:\\Games\\Test\\missing.kyp\".");
    EXPECT_EQ(box.buttons, gui::Buttons::RetryCancel);
    EXPECT_EQ(box.icon, gui::Icon::Warning);
  }
  EXPECT_FALSE(HostFolderExists("C:\\after"));
  // A cancelled run is rolled back: the files of the first line went again.
  EXPECT_TRUE(result.rolled_back);
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\readme.txt"));
  EXPECT_FALSE(HostFolderExists(kInstallDir));
}

TEST_F(FileCommand, WrongParameterCountsShowTheBoxAndGoOn) {
  ScriptBuilder s;
  s.Command(kCmdFile, {"a", "b", "c"});
  s.Command(kCmdFile, {"a", "b", "c", "d", "e", "f"});
  s.Command(kCmdFile, {"a", "b", "c", "d", "e", "f", "g", "h"});
  s.Command(kCmdFile, {});  // nothing at all, no box
  s.Command(kCmdCreateDirectory, {"C:\\after"});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  ASSERT_EQ(boxes_.size(), 3u);
  for (const gui::MessageBoxRequest& box : boxes_) {
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "TFileCommand.SFXProcess - Param Count Invalid!!!");
    EXPECT_EQ(box.buttons, gui::Buttons::Ok);
  }
  EXPECT_EQ(run_.script.FileGroupCounter, 4u);
  EXPECT_TRUE(HostFolderExists("C:\\after"));
}

TEST_F(FileCommand, GroupCounterKeepsCountingAcrossRuns) {
  ScriptBuilder s;
  s.Command(kCmdFile, {"a", "b", "c"});
  s.Command(kCmdFile, {"a", "b", "c", "d"});
  Run(s);
  EXPECT_EQ(run_.script.FileGroupCounter, 2u);
  Run(s);  // never reset between runs
  EXPECT_EQ(run_.script.FileGroupCounter, 4u);
  run_.script.FileGroupCounter = 0xFFFF;
  EXPECT_EQ(run_.script.CurrentGroup(), 0xFFFF);
  run_.script.FileGroupCounter = 0x10001;
  EXPECT_EQ(run_.script.CurrentGroup(), 1);
}

// Cancel answered Yes while the last line extracts: the group stops between
// files, the run counts as cancelled (not finished), and the file it had
// written is taken away again with everything else.
TEST_F(FileCommand, CancelDuringTheLastLinesExtractionEndsTheRunCancelled) {
  SetRecord(kInstallDir, /*create_uninstaller=*/true, "Game_");
  UsePackage({{"UNINSTALL_Pages.txt", 0, "welcome\r\n"},
              {"UNINSTALL_FINALISE.EXE", 0, "finaliser"},
              {"one.dat", 1, "first"},
              {"two.dat", 1, "second"},
              {"three.dat", 1, "third"}});
  PackageHooks& hooks = run_.package_hooks;
  int written = 0;
  hooks.step_progress = [this, &written] {
    ++written;
    run_.script.CancelRequested = true;
  };
  hooks.stop_requested = [this] { return run_.script.CancelRequested; };
  ScriptBuilder s;
  s.Command(kCmdFile, {"payload"});
  const ScriptRunResult result = Run(s);
  EXPECT_EQ(result.outcome, ScriptOutcome::Cancelled) << result.error;
  EXPECT_EQ(written, 1);
  EXPECT_TRUE(result.rolled_back);
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\one.dat"));
  EXPECT_FALSE(HostFolderExists(kInstallDir));
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\Game_install.log"));
}

}  // namespace
}  // namespace wizpak::test
