// What the run does after its loop: the install log saved into the install
// folder, the log commands, and how an error ends the run.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <csignal>

#include <filesystem>
#include <optional>

#include "platform/files.h"
#include "platform/registry.h"
#include "script_fixture.h"
#include "text/language.h"
#include "text/shared_state.h"
#include "uninstall/uninstall_list.h"

namespace wizpak::test {
namespace {

using AfterTheLoop = ScriptTest;

const std::vector<ScriptTest::PackageFile> kUninstallerParts = {
    {"UNINSTALL_Pages.txt", 0, "welcome\r\n"}, {"UNINSTALL_FINALISE.EXE", 0, "finaliser"}};

TEST_F(AfterTheLoop, InstallLogIsSavedUnderThePrefixWhenAnUninstallerIsWanted) {
  SetRecord(kInstallDir, /*create_uninstaller=*/true, "Game_");
  UsePackage(kUninstallerParts);
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\saves"});
  s.Command(kCmdWriteRegStr, {"HKCU", "Software\\Game", "Path", "$INSTDIR"});
  const ScriptRunResult result = Run(s);
  ASSERT_EQ(result.outcome, ScriptOutcome::Completed) << result.error;
  ASSERT_TRUE(HostFileExists("C:\\Games\\Test\\Game_install.log"));
  // Step 5 also built and registered the uninstaller.
  EXPECT_TRUE(HostFileExists("C:\\Games\\Test\\Game_Uninstall.exe"));
  EXPECT_TRUE(platform::Registry().KeyExists(
      platform::RootKey::LocalMachine,
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Test Game"));

  const InstallLogLists written = run_.install_log.Lists();
  run_.install_log.Clear();
  ASSERT_TRUE(run_.install_log.LoadFromFile(kInstallDir, "Game_").ok());
  EXPECT_EQ(run_.install_log.Lists(), written);
  EXPECT_EQ(written.directories.front(), kInstallDir);
  EXPECT_EQ(written.registry_entries,
            std::vector<std::string>{"\"HKCU\" \"Software\\Game\" \"Path\" \"$INSTDIR\""});
}

TEST_F(AfterTheLoop, NoLogWithoutUninstaller) {
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\saves"});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\install.log"));
}

TEST_F(AfterTheLoop, FailureStillSavesTheLog) {
  SetRecord(kInstallDir, true, "");
  UsePackage(kUninstallerParts);
  ScriptBuilder s;
  s.Command(kCmdFailure, {});
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\never"});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::FailureReported);
  ASSERT_TRUE(HostFileExists("C:\\Games\\Test\\install.log"));
  run_.install_log.Clear();
  run_.install_log.LoadFromFile(kInstallDir, "");
  EXPECT_TRUE(run_.install_log.Files().empty());
  EXPECT_EQ(run_.install_log.Directories().front(), kInstallDir);
}

TEST_F(AfterTheLoop, AnErrorSkipsTheLogAndTheFolder) {
  SetRecord(kInstallDir, true, "");
  ScriptBuilder s;
  s.Command(kCmdWriteRegStr, {"HKLM", "Software\\Game", "Path", "x"});
  ScriptRunResult result;
  {
    int registry_calls = 0;
    platform::ScopedFaultHook fail([&](platform::FileOp op, std::string_view) {
      return op == platform::FileOp::Registry && ++registry_calls >= 2 ? 5 /* EIO */ : 0;
    });
    result = Run(s);
  }
  EXPECT_EQ(result.outcome, ScriptOutcome::Error);
  EXPECT_EQ(result.report_path, "");  // reports are off in these tests
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\install.log"));
  EXPECT_FALSE(HostFolderExists(kInstallDir));
}

TEST_F(AfterTheLoop, ALogThatCannotBeWrittenIsAnErrorNotASuccess) {
  SetRecord(kInstallDir, true, "");
  ScriptRunResult result;
  {
    platform::ScopedFaultHook fail([](platform::FileOp op, std::string_view path) {
      const bool log = path.find("install.log") != std::string_view::npos;
      return log && (op == platform::FileOp::Open || op == platform::FileOp::Write) ? 28 : 0;
    });
    result = Run(ScriptBuilder());
  }
  EXPECT_EQ(result.outcome, ScriptOutcome::Error);
  EXPECT_FALSE(result.error.empty());
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\install.log"));
}

TEST_F(AfterTheLoop, ErrorReportIsWrittenWithTypeUnknown) {
  ScopedEnv no_open("WIZPAK_NO_OPEN", "1");
  ScopedEnv temp("TMPDIR", machine_.root().path());
  ScriptBuilder s;
  s.Command(kCmdMessage, {"broken <LANG"});
  Load(s);
  // The tag only counts with a current language.
  UseLanguage({"English", "0409", "1 x"});
  const ScriptRunResult result = RunScript(run_);
  ASSERT_EQ(result.outcome, ScriptOutcome::Error);
  ASSERT_FALSE(result.report_path.empty());
  const std::string report = ReadHostFile(Host(result.report_path));
  EXPECT_NE(report.find("Unknown"), std::string::npos);
  EXPECT_NE(report.find(result.error), std::string::npos);
  ASSERT_FALSE(boxes_.empty());  // the report's own message box
}

TEST_F(AfterTheLoop, LogCommandsSaveAndLoadUnderTheirPrefix) {
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {"C:\\Shared\\Game"});
  s.Command(kCmdUninstallLogSave, {"C:\\Shared", "Old_"});
  s.Command(kCmdUninstallLogSave, {"C:\\Shared"});  // no prefix: install.log
  LoadAndRunLines(s);
  EXPECT_TRUE(HostFileExists("C:\\Shared\\Old_install.log"));
  EXPECT_TRUE(HostFileExists("C:\\Shared\\install.log"));
  const InstallLogLists saved = run_.install_log.Lists();

  // Loading replaces the lists; a missing log leaves them as they are.
  run_.install_log.Clear();
  run_.install_log.AddFile("C:\\somewhere\\else.txt");
  ScriptBuilder load;
  load.Command(kCmdUninstallLogLoad, {"C:\\Nowhere", "Old_"});
  LoadAndRunLines(load);
  EXPECT_EQ(run_.install_log.Files(), std::vector<std::string>{"C:\\somewhere\\else.txt"});
  ScriptBuilder load2;
  load2.Command(kCmdUninstallLogLoad, {"C:\\Shared", "Old_"});
  LoadAndRunLines(load2);
  EXPECT_EQ(run_.install_log.Lists(), saved);
}

}  // namespace
}  // namespace wizpak::test

namespace wizpak::test {
namespace {

TEST_F(AfterTheLoop, AFileThatCannotBeInstalledEndsTheRunAndEverythingIsUndone) {
  SetRecord(kInstallDir, true, "");
  std::vector<PackageFile> files = kUninstallerParts;
  files.push_back({"a.txt", 1, "first"});
  files.push_back({"docs\\b.txt", 1, "second"});
  UsePackage(files);
  TempDir outside;
  ASSERT_TRUE(platform::CreateDirectory("C:\\Games"));
  ASSERT_TRUE(platform::CreateDirectory(kInstallDir));
  std::filesystem::create_symlink(outside.path(), Host("C:\\Games\\Test\\docs"));
  ScriptBuilder s;
  s.Command(kCmdFile, {"payload"});
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\never"});
  const ScriptRunResult result = Run(s);
  EXPECT_EQ(result.outcome, ScriptOutcome::Error);
  EXPECT_EQ(result.error,
            "Cannot install C:\\Games\\Test\\docs\\b.txt: C:\\Games\\Test\\docs is a link");
  EXPECT_TRUE(result.rolled_back);
  EXPECT_TRUE(std::filesystem::is_empty(outside.path()));
  EXPECT_FALSE(HostFolderExists("C:\\Games\\Test\\never"));
  // a.txt was taken away again; no log or uninstaller names a run that was undone.
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\a.txt"));
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\install.log"));
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\Uninstall.exe"));
  EXPECT_TRUE(std::filesystem::is_symlink(Host("C:\\Games\\Test\\docs")));
}

}  // namespace
}  // namespace wizpak::test

namespace wizpak::test {
namespace {

TEST_F(AfterTheLoop, ASecondSetupForTheSameFolderStopsWithOneLineAndTouchesNothing) {
  SetRecord(kInstallDir, true, "");
  UsePackage(kUninstallerParts);
  // The second setup starts while the first one shows a message box; the
  // lock is per open file, so a second run in this process meets it as a
  // second process would.
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\mine"});
  s.Command(kCmdMessageBox, {"hold", "caption", "0", "0"});
  std::optional<ScriptRunResult> second;
  gui::MessageBoxHandler outer = gui::SetMessageBoxHandler([&](const gui::MessageBoxRequest&) {
    if (!second) {
      ScriptRunOptions quiet;
      quiet.write_error_report = false;
      second = RunScript(run_, quiet);
    }
    return gui::Answer::Ok;
  });
  const ScriptRunResult first = Run(s);
  gui::SetMessageBoxHandler(outer);
  EXPECT_EQ(first.outcome, ScriptOutcome::Completed) << first.error;
  ASSERT_TRUE(second);
  EXPECT_EQ(second->outcome, ScriptOutcome::Error);
  EXPECT_EQ(second->error,
            "Another setup is installing into C:\\Games\\Test; run this one again when it has "
            "finished");
  // Once the first run is over the folder is free again.
  EXPECT_EQ(Run(ScriptBuilder()).outcome, ScriptOutcome::Completed);
}

// "start:" then "goto start": the loop never ends by itself.
ScriptBuilder EndlessLoop() {
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\before"});
  const int start = s.Label("start");
  s.Command(kCmdGoto, {std::to_string(start)});
  return s;
}

class EndlessScript : public ScriptTest {
 protected:
  EndlessScript() {
    SetRecord(kInstallDir, /*create_uninstaller=*/true, "Game_");
    UsePackage(kUninstallerParts);
  }
  ~EndlessScript() override { run_.status.ProgressHook = nullptr; }
  int pumps_ = 0;
};

TEST_F(EndlessScript, CancelFromTheMessagePumpStopsItAndUndoesIt) {
  run_.status.ProgressHook = [this] {
    if (run_.script.CancelRequested) return;  // the rollback pumps too
    if (++pumps_ == 3) run_.script.CancelRequested = true;
  };
  const ScriptRunResult result = Run(EndlessLoop());
  EXPECT_EQ(result.outcome, ScriptOutcome::Cancelled) << result.error;
  EXPECT_EQ(pumps_, 3);
  EXPECT_TRUE(result.rolled_back);
  EXPECT_FALSE(HostFolderExists("C:\\Games\\Test\\before"));
  EXPECT_FALSE(HostFolderExists(kInstallDir));
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\Game_install.log"));
  EXPECT_EQ(captions_.status, u"The installation was rolled back: nothing it changed remains.");
}

TEST_F(EndlessScript, StopSignalsEndItCancelledAndKeepTheirEffectOutsideTheRun) {
  for (const int signal : {SIGTERM, SIGINT}) {
    run_.script.Reset();
    pumps_ = 0;
    bool raised = false;
    run_.status.ProgressHook = [this, signal, &raised] {
      if (raised) return;  // the rollback pumps too
      if (++pumps_ == 2) {
        raised = true;
        std::raise(signal);
      }
    };
    const ScriptRunResult result = Run(EndlessLoop());
    EXPECT_EQ(result.outcome, ScriptOutcome::Cancelled);
    EXPECT_TRUE(result.rolled_back);
    EXPECT_FALSE(HostFolderExists(kInstallDir));
    EXPECT_EQ(pumps_, 2);
  }
  // The run put the default handlers back.
  struct sigaction now {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace wizpak::test
