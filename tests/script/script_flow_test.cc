// Whole compiled scripts exercising the run loop and the control-flow
// commands: jumps, labels, questions, status texts and "failure".
#include <gtest/gtest.h>

#include "script_fixture.h"
#include "text/language.h"
#include "uninstall/uninstall_list.h"

namespace wizpak::test {
namespace {

using Flow = ScriptTest;

// A folder whose presence after the run shows that its line ran.
std::string Marker(const std::string& name) {
  return std::string("C:\\marks\\") + name;
}

TEST_F(Flow, GotoSkipsToTheLineAfterItsLabel) {
  ScriptBuilder s;
  s.Command(kCmdGoto, {"3"});
  s.Command(kCmdCreateDirectory, {Marker("skipped")});
  s.Inert();
  s.Label("there");
  s.Command(kCmdCreateDirectory, {Marker("after")});
  const ScriptRunResult result = Run(s);
  EXPECT_EQ(result.outcome, ScriptOutcome::Completed) << result.error;
  EXPECT_FALSE(HostFolderExists(Marker("skipped")));
  EXPECT_TRUE(HostFolderExists(Marker("after")));
}

TEST_F(Flow, GotoToALabelOnTheLastLineEndsNormally) {
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {Marker("first")});
  s.Command(kCmdGoto, {"2"});
  s.Label("done");
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_TRUE(HostFolderExists(Marker("first")));
  EXPECT_EQ(run_.script.CurrentLine, 2);
}

TEST_F(Flow, GotoTargetsThatAreNotLabels) {
  // "done" is not a number and does nothing; "0" continues with line 1.
  // The second pass through line 1 finds the file and jumps past the end.
  ScriptBuilder guarded;
  guarded.Command(kCmdGoto, {"done"});
  guarded.Command(kCmdIfFileExists, {Marker("stop.txt"), "100000", "-1"});
  guarded.Command(kCmdCopyFile, {"C:\\src.txt", Marker("stop.txt")});
  guarded.Command(kCmdGoto, {"0"});
  guarded.Command(kCmdCreateDirectory, {Marker("never")});
  WriteHostFile(Host("C:\\src.txt"), "x");
  EXPECT_EQ(Run(guarded).outcome, ScriptOutcome::Completed);
  EXPECT_TRUE(HostFileExists(Marker("stop.txt")));
  EXPECT_FALSE(HostFolderExists(Marker("never")));
  EXPECT_EQ(run_.script.CurrentLine, 100000);
}

TEST_F(Flow, OneLineScriptRunsItsLine) {
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {Marker("only")});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_TRUE(HostFolderExists(Marker("only")));
}

TEST_F(Flow, EmptyScriptStillCreatesAndLogsTheInstallFolder) {
  const ScriptRunResult result = Run(ScriptBuilder());
  EXPECT_EQ(result.outcome, ScriptOutcome::Completed);
  EXPECT_TRUE(HostFolderExists(kInstallDir));
  // The install folder first, then the folders created for it, parents first.
  EXPECT_EQ(LoggedDirectories(),
            (std::vector<std::string>{kInstallDir, "C:\\Games\\", "C:\\Games\\Test\\"}));
}

TEST_F(Flow, FailureFirstStopsEverythingElse) {
  ScriptBuilder s;
  s.Command(kCmdFailure, {});
  s.Command(kCmdCreateDirectory, {Marker("after-failure")});
  const ScriptRunResult result = Run(s);
  EXPECT_EQ(result.outcome, ScriptOutcome::FailureReported);
  EXPECT_TRUE(run_.script.StopScript);
  EXPECT_FALSE(HostFolderExists(Marker("after-failure")));
  // Without a language the string lookup says so; the label got it all the same.
  EXPECT_EQ(captions_.sub_status, run_.languages.GetString(23));
  EXPECT_TRUE(LoggedFiles().empty());
  EXPECT_EQ(LoggedDirectories().front(), kInstallDir);
  EXPECT_TRUE(HostFolderExists(kInstallDir));  // step 4 still ran
}

TEST_F(Flow, IfFileExistsTakesTheAbsentTargetForAFolder) {
  ScriptBuilder s;
  s.Command(kCmdIfFileExists, {"$INSTDIR\\thing", "3", "5"});
  s.Command(kCmdCreateDirectory, {Marker("fell-through")});
  s.Inert();
  s.Label("present");
  s.Command(kCmdCreateDirectory, {Marker("present")});
  s.Label("absent");
  s.Command(kCmdCreateDirectory, {Marker("absent")});
  WriteHostFile(Host(std::string(kInstallDir) + "\\thing\\inside.txt"), "a folder");
  Run(s);
  EXPECT_FALSE(HostFolderExists(Marker("fell-through")));
  EXPECT_FALSE(HostFolderExists(Marker("present")));
  EXPECT_TRUE(HostFolderExists(Marker("absent")));
}

TEST_F(Flow, IfFileExistsPresentTargetAndNoJump) {
  WriteHostFile(Host(std::string(kInstallDir) + "\\game.exe"), "MZ");
  ScriptBuilder s;
  s.Command(kCmdIfFileExists, {"$INSTDIR\\game.exe", "-1", "3"});  // present: go on
  s.Command(kCmdIfFileExists, {"$INSTDIR\\game.exe", "4", "-1"});  // present: jump
  s.Command(kCmdCreateDirectory, {Marker("skipped")});
  s.Command(kCmdCreateDirectory, {Marker("skipped-too")});
  s.Label("found");
  s.Command(kCmdCreateDirectory, {Marker("found")});
  Run(s);
  EXPECT_FALSE(HostFolderExists(Marker("skipped")));
  EXPECT_FALSE(HostFolderExists(Marker("skipped-too")));
  EXPECT_TRUE(HostFolderExists(Marker("found")));
}

TEST_F(Flow, MessageBoxWithoutTargetsContinuesWhateverTheAnswer) {
  for (gui::Answer answer : {gui::Answer::Ok, gui::Answer::Cancel}) {
    run_.script.Reset();
    boxes_.clear();
    Answer(answer);
    ScriptBuilder s;
    s.Command(kCmdMessageBox, {"Install into $INSTDIR?", "Setup", "-1", "-1"});
    s.Command(kCmdCreateDirectory, {Marker(answer == gui::Answer::Ok ? "ok" : "cancel")});
    Run(s);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Install into C:\\Games\\Test?");
    EXPECT_EQ(boxes_[0].caption, "Setup");
    EXPECT_EQ(boxes_[0].buttons, gui::Buttons::OkCancel);
    EXPECT_EQ(boxes_[0].icon, gui::Icon::Question);
  }
  EXPECT_TRUE(HostFolderExists(Marker("ok")));
  EXPECT_TRUE(HostFolderExists(Marker("cancel")));
}

TEST_F(Flow, MessageBoxJumpsToTheLabelLine) {
  ScriptBuilder s;
  s.Command(kCmdMessageBox, {"Continue?", "Setup", "3", "5"});
  s.Command(kCmdCreateDirectory, {Marker("no-jump")});
  s.Inert();
  s.Label("yes");
  s.Command(kCmdGoto, {"6"});
  s.Label("no");
  s.Command(kCmdCreateDirectory, {Marker("cancelled")});
  Answer(gui::Answer::Cancel);
  Run(s);
  EXPECT_FALSE(HostFolderExists(Marker("no-jump")));
  EXPECT_TRUE(HostFolderExists(Marker("cancelled")));

  // Target 0 never jumps in a message box.
  run_.script.Reset();
  ScriptBuilder zero;
  zero.Command(kCmdMessageBox, {"Continue?", "Setup", "0", "0"});
  zero.Command(kCmdCreateDirectory, {Marker("zero")});
  Run(zero);
  EXPECT_TRUE(HostFolderExists(Marker("zero")));
}

TEST_F(Flow, MessageShowsItsTextOnTheStatusLabel) {
  ScriptBuilder s;
  s.Command(kCmdMessage, {"Copying $INSTDIR files"});  // no tag, no path expansion
  Run(s);
  EXPECT_EQ(captions_.status, u"Copying $INSTDIR files");
}

TEST_F(Flow, MessageWithABrokenTagEndsTheRunWithAnError) {
  // A current language makes the tags count.
  UseLanguage({"English", "0409", "5 hi"});
  ScriptBuilder s;
  s.Command(kCmdMessage, {"<LANG5> and <LANG"});
  s.Command(kCmdCreateDirectory, {Marker("not-reached")});
  const ScriptRunResult result = Run(s);
  EXPECT_EQ(result.outcome, ScriptOutcome::Error);
  EXPECT_FALSE(result.error.empty());
  EXPECT_FALSE(HostFolderExists(Marker("not-reached")));
  EXPECT_FALSE(HostFolderExists(kInstallDir));  // steps after the loop skipped

  ScriptBuilder good;
  good.Command(kCmdMessage, {"<LANG5>!"});
  EXPECT_EQ(Run(good).outcome, ScriptOutcome::Completed);
  EXPECT_EQ(captions_.status, u"hi!");
}

TEST_F(Flow, LinesWithCommandNumbersOutsideTheRegistryArePassedOver) {
  run_.commands.Items.resize(18);  // a registry that knows only 18 commands
  ScriptBuilder s;
  s.Command(kCmdFailure, {});  // number 19: outside this registry
  s.Command(kCmdCreateDirectory, {Marker("still-runs")});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_TRUE(HostFolderExists(Marker("still-runs")));
}

}  // namespace
}  // namespace wizpak::test
