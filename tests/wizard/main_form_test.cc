#include "wizard/main_form.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gui/headless/headless_toolkit.h"
#include "support/test_support.h"
#include "text/run_texts.h"
#include "wizard/wizard_run.h"
#include "wizard_fixtures.h"

namespace wizpak::wizard {
namespace {

namespace fs = std::filesystem;

// welcome -> installdir -> patch -> patching -> finish, with a main layout.
void AddInstallSet(test::FakePackage& package) {
  package.Add("Pages.txt",
              "[Pages]\r\nwelcome.txt\r\nfolder.txt\r\nready.txt\r\nwork.txt\r\ndone.txt\r\n"
              "main.txt\r\n[PageTypes]\r\nwelcome\r\ninstalldir\r\npatch\r\npatching\r\n"
              "finish\r\nmainlayout\r\n[Settings]\r\ncolour=$222222\r\n");
  package.Add("welcome.txt", "[Hello]\r\nType=TLabel\r\nCaption=<LANG99>\r\n");
  package.Add("folder.txt",
              "[InstallDir_Edit]\r\nType=TEdit\r\n[InstallDir_ShellTreeView]\r\n"
              "Type=TShellTreeView\r\n[FolderNote]\r\nType=TLabel\r\nCaption=<LANG99>!\r\n"
              "[Folder_Refusal]\r\nType=TLabel\r\n");
  package.Add("ready.txt", "[SpaceAvalible]\r\nType=TLabel\r\n[Ready_Refusal]\r\nType=TLabel\r\n");
  package.Add("work.txt",
              "[Patching_StatusLabel]\r\nType=TLabel\r\n[Patching_ProgressBar]\r\n"
              "Type=TProgressBar\r\n");
  package.Add("done.txt", "[FinishText]\r\nType=TLabel\r\nCaption=Done\r\n");
  package.Add("main.txt", "[Side]\r\nType=TImage\r\n");
}

class WizardTest : public ::testing::Test {
 protected:
  WizardTest() {
    fs::create_directories(machine_.drive_c() + "/Games");
    fs::create_directories(machine_.drive_d() + "/Disc");
    install_dir_ = "C:\\Games\\Demo\\";
    AddInstallSet(package_);
    host_.find_entry = package_.Lookup();
    host_.setup_name = "Demo Game";
    host_.short_name = "Demo";
    host_.install_dir = &install_dir_;
    host_.count_grouped = [this] { return grouped_; };
    host_.run_script = [this] {
      ++script_runs_;
      if (during_run_) during_run_();
      return result_;
    };
    host_.run_uninstall = [this] { ++walks_; };
    host_.start_finaliser = [this] { ++finalisers_; };
    host_.write_error_report = [this](const std::string& message) { reports_.push_back(message); };
  }

  TFrmMain& Make() {
    wizard_ = std::make_unique<TFrmMain>(toolkit_, form_, texts_, host_);
    return *wizard_;
  }
  TFrmMain& SetUpWizard(bool uninstaller = false) {
    host_.is_uninstaller = uninstaller;
    TFrmMain& wizard = Make();
    EXPECT_TRUE(wizard.SetPagesUp());
    return wizard;
  }
  void Next() { form_.NextButton().Click(); }
  void TypeFolder(const std::u16string& folder) { wizard_->InstallDirEdit()->SetText(folder); }

  wizpak::test::TestMachine machine_;
  RunTexts texts_;
  test::TwoLanguages languages_{texts_.languages};
  test::BoxRecorder boxes_;
  test::FakePackage package_;
  gui::headless::HeadlessToolkit toolkit_;
  gui::headless::HeadlessMainForm form_;
  std::string install_dir_;
  WizardHost host_;
  uint32_t grouped_ = 10;
  RunResult result_ = RunResult::Completed;
  std::function<void()> during_run_;
  int script_runs_ = 0;
  int walks_ = 0;
  int finalisers_ = 0;
  std::vector<std::string> reports_;
  std::unique_ptr<TFrmMain> wizard_;
};

TEST_F(WizardTest, SetUpFindsTheNamedControlsAndExpandsTheFolder) {
  install_dir_ = "$PROGRAMFILES\\Demo";
  texts_.figures.ProgramFilesFolder = "C:\\Program Files\\";
  TFrmMain& wizard = SetUpWizard();
  EXPECT_EQ(form_.Caption(), u"Demo Game");
  EXPECT_EQ(toolkit_.ApplicationTitle(), u"Demo Game");
  EXPECT_EQ(form_.Pages().Colour(), gui::Rgb(0x22, 0x22, 0x22));
  EXPECT_EQ(install_dir_, "C:\\Program Files\\Demo");
  ASSERT_NE(wizard.InstallDirEdit(), nullptr);
  EXPECT_EQ(wizard.InstallDirEdit()->Text(), u"C:\\Program Files\\Demo");
  ASSERT_NE(wizard.FolderTree(), nullptr);
  EXPECT_FALSE(wizard.FolderTree()->Visible());
  EXPECT_NE(wizard.SpaceLabel(), nullptr);
  EXPECT_NE(wizard.Status().StatusLabel, nullptr);
  EXPECT_NE(wizard.Status().Gauge, nullptr);
  EXPECT_EQ(wizard.Status().SubStatusLabel->Text(), u"Done");
  EXPECT_EQ(form_.BackButton().Text(), u"< Back");
  EXPECT_EQ(form_.CancelButton().Text(), u"Cancel");
  EXPECT_EQ(form_.LanguageButton().Text(), u"English");
  ASSERT_EQ(form_.MenuItems().size(), 2u);
  EXPECT_TRUE(form_.MenuItems()[0].checked);
}

TEST_F(WizardTest, UninstallerTitleAddsStringTwentySix) {
  texts_.languages.Items[0]->Strings.push_back({26, u"Uninstallation"});
  SetUpWizard(/*uninstaller=*/true);
  EXPECT_EQ(toolkit_.ApplicationTitle(), u"Demo Uninstallation");
}

TEST_F(WizardTest, MissingOrEmptyPageDescriptionEndsSetUp) {
  package_.Add("Pages.txt", "[Settings]\r\ncolour=1\r\n");
  EXPECT_FALSE(Make().SetPagesUp());
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Error File Missing: Pages.txt");
  host_.find_entry = [](std::string_view) { return std::nullopt; };
  EXPECT_FALSE(Make().SetPagesUp());
  EXPECT_EQ(boxes_.boxes.size(), 2u);
}

// Every refused folder disables Next and says why in the page's line.
TEST_F(WizardTest, RefusedFolderDisablesNextWithItsReasonAndAGoodOneBringsItBack) {
  TFrmMain& wizard = SetUpWizard();
  Next();
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptInstallDir);
  EXPECT_TRUE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.Refusal(), u"");
  texts_.figures.SpaceAvailableText = "stale";
  const struct {
    std::u16string typed;
    std::u16string reason;
  } refused[] = {
      {u"D:\\Disc\\Game", u"D: is a CD"},
      {u"Q:\\Nowhere", u"No drive Q:"},
      {u"", u"Not a full path"},
      {u" C:\\Games", u"Not a full path"},
      {u"Games\\Demo", u"Not a full path"},
      {u"C:Games", u"Not a full path"},
      {u"C:\\Games\\..\\Windows", u"Not a full path"},
      {u"Z:\\proc\\wizpak", u"Cannot be created"},
  };
  for (const auto& r : refused) {
    TypeFolder(r.typed);
    EXPECT_FALSE(form_.NextButton().Enabled()) << WideToUtf8(r.typed);
    EXPECT_EQ(wizard.Refusal(), r.reason) << WideToUtf8(r.typed);
    EXPECT_EQ(wizard.Pages().PageList()[1]->Controls().back()->Text(), r.reason);
  }
  EXPECT_EQ(texts_.figures.SpaceAvailableText, "stale");
  EXPECT_EQ(install_dir_, "C:\\Games\\Demo\\");
  // Slashes are read as backslashes.
  TypeFolder(u"C:/Games/Other");
  EXPECT_TRUE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.Refusal(), u"");
  EXPECT_EQ(wizard.Pages().PageList()[1]->Controls().back()->Text(), u"");
  EXPECT_EQ(install_dir_, "C:\\Games\\Other\\");
  EXPECT_NE(texts_.figures.SpaceAvailableText, "stale");
  EXPECT_GT(texts_.figures.SpaceAvailable, 0);
}

TEST_F(WizardTest, FolderBoxChangesBeforeTheFolderPageLeaveInstallDirAlone) {
  TFrmMain& wizard = SetUpWizard();
  TypeFolder(u"C:\\Elsewhere");
  EXPECT_EQ(install_dir_, "C:\\Games\\Demo\\");
  Next();
  // Entering the page puts the installation folder back into the box.
  EXPECT_EQ(wizard.InstallDirEdit()->Text(), u"C:\\Games\\Demo\\");
  EXPECT_TRUE(wizard.InstallDirShown());
}

TEST_F(WizardTest, TreeShowsTheDeepestExistingFolderWithoutRewritingTheBox) {
  TFrmMain& wizard = SetUpWizard();
  Next();
  TypeFolder(u"C:\\Games\\New\\Deeper");
  EXPECT_EQ(wizard.FolderTree()->SelectedFolder(), "C:\\Games\\");
  EXPECT_EQ(wizard.InstallDirEdit()->Text(), u"C:\\Games\\New\\Deeper");
  EXPECT_EQ(install_dir_, "C:\\Games\\New\\Deeper\\");
}

TEST_F(WizardTest, ChoosingAFolderInTheTreeFillsTheBoxAndThePageJudgesIt) {
  TFrmMain& wizard = SetUpWizard();
  Next();
  wizard.FolderTree()->SelectFolder("D:\\Disc\\", false);
  EXPECT_EQ(wizard.InstallDirEdit()->Text(), u"D:\\Disc\\");
  EXPECT_FALSE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.Refusal(), u"D: is a CD");
  EXPECT_EQ(install_dir_, "C:\\Games\\Demo\\");
  wizard.FolderTree()->SelectFolder("C:\\Games\\", false);
  EXPECT_TRUE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.InstallDirEdit()->Text(), u"C:\\Games\\");
  EXPECT_EQ(install_dir_, "C:\\Games\\");
}

// The folder page already refuses a drive with too little room, with the
// figures; the ready page checks again for page sets without a folder page.
TEST_F(WizardTest, TooLittleSpaceIsRefusedWithTheFigures) {
  texts_.figures.SetSpaceRequired(uint64_t{1} << 60);
  TFrmMain& wizard = SetUpWizard();
  Next();
  EXPECT_FALSE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.Refusal(), u"C:: " + AnsiToWide(texts_.figures.SpaceRequiredText) + u" of " +
                                  AnsiToWide(texts_.figures.SpaceAvailableText));
  EXPECT_EQ(StuckReason(wizard), WideToUtf8(wizard.Refusal()));
  texts_.figures.SetSpaceRequired(1000);
  TypeFolder(u"C:\\Games\\Demo");
  EXPECT_TRUE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.Refusal(), u"");
  Next();
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptPatch);
  EXPECT_TRUE(form_.NextButton().Enabled());
  EXPECT_EQ(form_.NextButton().Text(), u"Install");
  form_.BackButton().Click();
  texts_.figures.SetSpaceRequired(uint64_t{1} << 60);
  form_.BackButton().Click();
  Next();
  Next();
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptInstallDir);
  EXPECT_FALSE(form_.NextButton().Enabled());
}

// Without a folder page the record's folder (or the registry's) is judged on
// the ready page: a remembered folder on a CD says so there.
TEST_F(WizardTest, ReadyPageWithoutAFolderPageRefusesABadRecordFolder) {
  install_dir_ = "D:\\Disc\\Game\\";
  package_.Add("Pages.txt",
               "[Pages]\r\nwelcome.txt\r\nready.txt\r\ndone.txt\r\n[PageTypes]\r\nwelcome\r\n"
               "patch\r\nfinish\r\n");
  TFrmMain& wizard = SetUpWizard();
  Next();
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptPatch);
  EXPECT_FALSE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.Refusal(), u"D: is a CD");
}

// Enter presses the page's forward button: Next, Install, then Finish (the
// Cancel button of the finish page); the folder page starts in the box.
TEST_F(WizardTest, EveryPageNamesItsDefaultButtonAndFocus) {
  SetUpWizard();
  EXPECT_EQ(form_.DefaultButton(), &form_.NextButton());
  EXPECT_EQ(form_.FocusedWidget(), &form_.NextButton());
  Next();
  EXPECT_EQ(form_.DefaultButton(), &form_.NextButton());
  EXPECT_EQ(form_.FocusedWidget(), wizard_->InstallDirEdit());
  Next();
  EXPECT_EQ(form_.FocusedWidget(), &form_.NextButton());
  form_.BackButton().Click();
  EXPECT_EQ(form_.FocusedWidget(), wizard_->InstallDirEdit());
  Next();
  Next();
  ASSERT_EQ(wizard_->Pages().CurrentType(), TPageType::ptFinish);
  EXPECT_EQ(form_.DefaultButton(), &form_.CancelButton());
  EXPECT_EQ(form_.FocusedWidget(), &form_.CancelButton());
}

TEST_F(WizardTest, MessageBoxButtonsSpeakTheWizardsLanguage) {
  TFrmMain& wizard = SetUpWizard();
  boxes_.answers = {gui::Answer::No, gui::Answer::No};
  form_.CancelButton().Click();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].icon, gui::Icon::Question);
  EXPECT_EQ(boxes_.boxes[0].captions.yes, "");  // English: the front-end's own
  wizard.English1Click(1);
  form_.CancelButton().Click();
  ASSERT_EQ(boxes_.boxes.size(), 2u);
  EXPECT_EQ(boxes_.boxes[1].captions.yes, "&Ja");
  EXPECT_EQ(boxes_.boxes[1].captions.no, "&Nein");
  EXPECT_EQ(boxes_.boxes[1].caption, "Beenden");
}

// A record folder that begins with a variable gets no figure at start-up; the
// wizard measures its drive once the variable is expanded, so a page set
// without a folder page is not blocked on its patch page.
TEST_F(WizardTest, FolderFromAVariableIsMeasuredWithoutAFolderPage) {
  install_dir_ = "$PROGRAMFILES\\Demo";
  texts_.figures.ProgramFilesFolder = "C:\\Program Files\\";
  texts_.figures.SetSpaceRequired(1000);
  package_.Add("Pages.txt",
               "[Pages]\r\nwelcome.txt\r\nready.txt\r\ndone.txt\r\n[PageTypes]\r\nwelcome\r\n"
               "patch\r\nfinish\r\n");
  TFrmMain& wizard = SetUpWizard();
  EXPECT_GT(texts_.figures.SpaceAvailable, 1000);
  Next();
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptPatch);
  EXPECT_TRUE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.SpaceLabel()->Text(),
            u"Space available " + AnsiToWide(texts_.figures.SpaceAvailableText));
}

// A figure start-up did compute is kept as it is.
TEST_F(WizardTest, FigureFromStartUpIsKept) {
  texts_.figures.SpaceAvailable = 123;
  texts_.figures.SpaceAvailableText = "123.00 Bytes";
  SetUpWizard();
  EXPECT_EQ(texts_.figures.SpaceAvailable, 123);
  EXPECT_EQ(texts_.figures.SpaceAvailableText, "123.00 Bytes");
}

TEST_F(WizardTest, NothingRequiredNeverBlocksThePatchPage) {
  texts_.figures.SpaceAvailable = -1;
  texts_.figures.SetSpaceRequired(0);
  package_.Add("Pages.txt",
               "[Pages]\r\nwelcome.txt\r\nready.txt\r\n[PageTypes]\r\nwelcome\r\npatch\r\n");
  SetUpWizard(true);
  Next();
  EXPECT_TRUE(form_.NextButton().Enabled());
}

TEST_F(WizardTest, InstallationRunShowsStatusWorksAndAdvances) {
  TFrmMain& wizard = SetUpWizard();
  bool close_refused = false;
  during_run_ = [&] {
    EXPECT_TRUE(wizard.Working());
    EXPECT_EQ(wizard_->Status().StatusLabel->Text(), u"Status: 0 of 10 files extracted");
    EXPECT_EQ(wizard_->Status().Gauge->Max(), 10);
    EXPECT_EQ(wizard_->Status().Gauge->Progress(), 0);
    EXPECT_FALSE(form_.NextButton().Enabled());
    EXPECT_FALSE(form_.CancelButton().Enabled());
    EXPECT_FALSE(form_.BackButton().Visible());
    EXPECT_FALSE(form_.LanguageButton().Visible());
    close_refused = !form_.Close();
  };
  Next();
  Next();
  Next();
  EXPECT_EQ(script_runs_, 1);
  EXPECT_TRUE(close_refused);
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_FALSE(wizard.Working());
  EXPECT_EQ(texts_.status.ProgressTotal, 10u);
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptFinish);
  // The finish page closes without a question.
  form_.CancelButton().Click();
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(wizard.Outcome(), WizardOutcome::Finished);
  EXPECT_EQ(finalisers_, 0);
}

TEST_F(WizardTest, HookRunsEverySixPercentDuringARun) {
  grouped_ = 100;
  std::vector<uint32_t> pumped_at;
  during_run_ = [&] {
    for (int i = 0; i < 100; ++i) {
      int before = toolkit_.ProcessMessagesCount();
      texts_.status.StepProgress(true);
      if (toolkit_.ProcessMessagesCount() != before)
        pumped_at.push_back(texts_.status.ProgressPosition);
    }
  };
  SetUpWizard();
  Next();
  Next();
  Next();
  std::vector<uint32_t> expected;
  for (uint32_t p = 6; p <= 100; p += 6) expected.push_back(p);
  EXPECT_EQ(pumped_at, expected);
  EXPECT_EQ(wizard_->Status().Gauge->Caption(), "100%");
}

TEST_F(WizardTest, NoGroupedEntriesKeepsTheGaugeMaximum) {
  grouped_ = 0;
  SetUpWizard();
  Next();
  Next();
  Next();
  EXPECT_EQ(wizard_->Status().StatusLabel->Text(), u"Status: 0 of 0 files extracted");
  EXPECT_EQ(wizard_->Status().Gauge->Max(), 100);
}

TEST_F(WizardTest, AnErrorInTheRunEndsWithTheReportAndNoFinishPage) {
  during_run_ = [] { throw std::runtime_error("Registry value could not be written"); };
  TFrmMain& wizard = SetUpWizard();
  Next();
  Next();
  Next();
  EXPECT_EQ(reports_, std::vector<std::string>{"Registry value could not be written"});
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_EQ(wizard.Outcome(), WizardOutcome::Error);
  EXPECT_EQ(wizard.Pages().CurrentType(), TPageType::ptPatching);
  EXPECT_FALSE(wizard.Working());
}

TEST_F(WizardTest, ScriptFailureStillFinishesButIsReportedInTheOutcome) {
  result_ = RunResult::FailureReported;
  TFrmMain& wizard = SetUpWizard();
  for (int i = 0; i < 3; ++i) Next();
  Next();  // Next is hidden on the finish page: nothing happens
  form_.CancelButton().Click();
  EXPECT_EQ(wizard.Outcome(), WizardOutcome::FailureReported);
  EXPECT_EQ(ExitStatusFor(wizard.Outcome()), kExitFailureReported);
}

TEST_F(WizardTest, CancelAsksStringTwentySevenAndNoKeepsTheWizardOpen) {
  SetUpWizard();
  Next();
  boxes_.answers = {gui::Answer::No};
  form_.CancelButton().Click();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Quit the installation?");
  EXPECT_EQ(boxes_.boxes[0].caption, "Quit");
  EXPECT_EQ(boxes_.boxes[0].buttons, gui::Buttons::YesNo);
  EXPECT_FALSE(form_.IsClosed());
  form_.CancelButton().Click();
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_EQ(wizard_->Outcome(), WizardOutcome::Cancelled);
}

TEST_F(WizardTest, LanguageSwitchKeepsTheFolderAndRetranslatesHiddenPages) {
  TFrmMain& wizard = SetUpWizard();
  Next();
  TypeFolder(u"C:\\Games\\Mine");
  ASSERT_TRUE(form_.ChooseMenuItem(1));
  EXPECT_EQ(texts_.languages.Current, 1);
  EXPECT_EQ(form_.LanguageButton().Text(), u"Deutsch");
  EXPECT_TRUE(form_.MenuItems()[1].checked);
  EXPECT_FALSE(form_.MenuItems()[0].checked);
  EXPECT_EQ(form_.NextButton().Text(), u"Weiter >");
  EXPECT_EQ(form_.CancelButton().Text(), u"Abbrechen");
  EXPECT_EQ(wizard.InstallDirEdit()->Text(), u"C:\\Games\\Mine");
  const auto& welcome = wizard.Pages().PageList()[0]->Controls();
  EXPECT_EQ(welcome[0]->Text(), u"Hallo");
  EXPECT_FALSE(welcome[0]->Visible());
  form_.LanguageButton().Click();
  EXPECT_EQ(form_.MenuOpenCount(), 1);
}

TEST_F(WizardTest, OneLanguageHidesTheLanguageButton) {
  texts_.languages.Items.pop_back();
  SetUpWizard();
  EXPECT_FALSE(form_.LanguageButton().Visible());
}

TEST_F(WizardTest, UninstallerStartsTheFinaliserOnceWhenClosedOnItsFinishPage) {
  package_.Add("Pages.txt",
               "[Pages]\r\nwelcome.txt\r\nready.txt\r\nwork.txt\r\ndone.txt\r\n[PageTypes]\r\n"
               "welcome\r\npatch\r\nuninstall\r\nfinish\r\n");
  TFrmMain& wizard = SetUpWizard(true);
  Next();
  Next();
  EXPECT_EQ(walks_, 1);
  EXPECT_EQ(script_runs_, 0);
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptFinish);
  form_.CancelButton().Click();
  form_.Close();
  EXPECT_EQ(finalisers_, 1);
  EXPECT_EQ(wizard.Outcome(), WizardOutcome::Finished);
}

TEST_F(WizardTest, UninstallerCancelledEarlyStartsNoFinaliser) {
  SetUpWizard(true);
  form_.CancelButton().Click();
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_EQ(finalisers_, 0);
}

TEST_F(WizardTest, DebugDumpListsPackageAndRecord) {
  host_.debug_facts = [] {
    DebugFacts facts;
    facts.package_id = "WPAK";
    facts.package_version = 2;
    facts.entries = {{"SetupInfo", 0}, {"readme.txt", 1}};
    facts.setup_name = "Demo Game";
    facts.install_dir_root_key = "HKEY_LOCAL_MACHINE";
    return facts;
  };
  std::vector<std::u16string> lines = SetUpWizard().Button2Click();
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], u"Header");
  EXPECT_EQ(lines[1], u"ID: WPAK");
  EXPECT_EQ(lines[3], u"File Count: 2");
  EXPECT_EQ(lines[7], u"\"readme.txt\" Group: 1");
  EXPECT_EQ(lines[10], u"SetupName: Demo Game");
  EXPECT_EQ(lines[13], u"InstallDirRegKey.HKEY: HKEY_LOCAL_MACHINE");
  EXPECT_EQ(lines.back(), u"Changelog: ");
}

TEST_F(WizardTest, CancelDuringTheRunAsksAndStopsTheScript) {
  int cancels = 0;
  host_.cancel_script = [&] { ++cancels; };
  TFrmMain& wizard = SetUpWizard();
  during_run_ = [&] {
    // The script polls the request while it runs: Cancel is usable.
    EXPECT_TRUE(form_.CancelButton().Enabled());
    boxes_.answers = {gui::Answer::No};
    form_.CancelButton().Click();
    EXPECT_EQ(cancels, 0);
    EXPECT_FALSE(form_.Close());  // the close button asks the same question
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(form_.IsClosed());  // the form waits for the run to stop
    result_ = RunResult::Cancelled;
  };
  Next();
  Next();
  Next();
  ASSERT_EQ(boxes_.boxes.size(), 2u);
  EXPECT_EQ(boxes_.boxes[1].text, "Quit the installation?");
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_EQ(boxes_.boxes.size(), 2u);  // closing after the stop asks nothing more
  EXPECT_EQ(wizard.Outcome(), WizardOutcome::Cancelled);
  EXPECT_EQ(ExitStatusFor(wizard.Outcome()), kExitCancelled);
}

TEST_F(WizardTest, LanguageSwitchKeepsTheFolderAndSpaceChecks) {
  texts_.figures.SetSpaceRequired(1000);
  TFrmMain& wizard = SetUpWizard();
  Next();
  TypeFolder(u"D:\\Disc\\Game");
  ASSERT_FALSE(form_.NextButton().Enabled());
  wizard.English1Click(1);
  EXPECT_FALSE(form_.NextButton().Enabled());
  TypeFolder(u"C:\\Games\\Demo");
  wizard.English1Click(0);
  EXPECT_TRUE(form_.NextButton().Enabled());

  texts_.figures.SpaceAvailable = 10;
  texts_.figures.SpaceAvailableText = "10.00 Bytes";
  Next();
  ASSERT_EQ(wizard.Pages().CurrentType(), TPageType::ptPatch);
  ASSERT_FALSE(form_.NextButton().Enabled());
  wizard.English1Click(1);
  EXPECT_FALSE(form_.NextButton().Enabled());
  EXPECT_EQ(wizard.SpaceLabel()->Text(), u"Freier Platz 10.00 Bytes");
}

class UnattendedTest : public WizardTest {
 protected:
  int Run(WizardRunOptions options = {}) {
    options.unattended = true;
    return RunWizard(toolkit_, form_, Make(), options);
  }
};

TEST_F(UnattendedTest, NextOnEveryPageInstallsAndExitsZero) {
  EXPECT_EQ(Run(), kExitDone);
  EXPECT_EQ(script_runs_, 1);
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(UnattendedTest, FolderOptionIsTypedIntoTheBox) {
  WizardRunOptions options;
  options.dir = "C:\\Games\\Chosen";
  EXPECT_EQ(Run(options), kExitDone);
  EXPECT_EQ(install_dir_, "C:\\Games\\Chosen\\");
}

TEST_F(UnattendedTest, RefusedFolderOptionStopsWithThePagesLineAndStatusEight) {
  WizardRunOptions options;
  options.dir = "D:\\Disc\\Game";
  ::testing::internal::CaptureStderr();
  int status = Run(options);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, kExitStuck);
  EXPECT_EQ(script_runs_, 0);
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_EQ(err, "wizpak-stub: --dir=D:\\Disc\\Game: D: is a CD\n");
}

// Without --unattended the same: the wizard never opens.
TEST_F(WizardTest, RefusedFolderOptionEndsTheWizardBeforeItOpens) {
  WizardRunOptions options;
  options.dir = "C:/Games/../Windows";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunWizard(toolkit_, form_, Make(), options), kExitStuck);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "wizpak-stub: --dir=C:/Games/../Windows: Not a full path\n");
  EXPECT_EQ(script_runs_, 0);
}

TEST_F(UnattendedTest, FolderOptionWithSlashesIsReadWithBackslashes) {
  WizardRunOptions options;
  options.dir = "C:/Games/Slashed";
  EXPECT_EQ(Run(options), kExitDone);
  EXPECT_EQ(install_dir_, "C:\\Games\\Slashed\\");
}

TEST_F(UnattendedTest, PageSetWithoutFinishPageEndsInsteadOfLooping) {
  package_.Add("Pages.txt", "[Pages]\r\nwelcome.txt\r\nready.txt\r\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Run(), kExitStuck);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("no page after it"), std::string::npos);
}

TEST_F(UnattendedTest, PageSetEndingOnItsInstallationPageEndsWithSuccess) {
  package_.Add("Pages.txt",
               "[Pages]\r\nwelcome.txt\r\nwork.txt\r\n[PageTypes]\r\nwelcome\r\npatching\r\n");
  EXPECT_EQ(Run(), kExitDone);
  EXPECT_EQ(script_runs_, 1);
  EXPECT_TRUE(form_.IsClosed());
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(UnattendedTest, FatalLayoutErrorGoesToTheErrorReport) {
  package_.Add("welcome.txt", "[Hello]\r\nType=TLabel\r\nLeft=ten\r\n");
  EXPECT_EQ(Run(), kExitError);
  EXPECT_EQ(reports_, std::vector<std::string>{"'ten' is not a valid integer value"});
}

}  // namespace
}  // namespace wizpak::wizard
