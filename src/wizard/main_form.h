// TFrmMain: the wizard's logic on top of the toolkit's main form. Owns the
// page set, the set-up after start-up (title, pages, control references,
// folder box and tree, captions, languages), Back/Next/Cancel, the folder
// box with its drive and free-space checks, the language menu, closing, the
// working state, the installation and uninstall runs started from their
// pages, and the diagnostic dump. What it needs of the rest of the program
// (package entries, the setup record, the script run, the uninstall walk,
// the finaliser, the error report) comes through WizardHost, so tests can
// drive it with stand-ins.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui/widgets.h"
#include "text/folder_rules.h"
#include "wizard/page_control.h"
#include "wizard/status_controls.h"

namespace wizpak {
class RunTexts;
}

namespace wizpak::wizard {

// How a run ended, as the installation run reports it.
enum class RunResult {
  Completed,
  FailureReported,  // the script ran a "failure" line
  Cancelled,        // the user cancelled, or a stop signal came; the log is saved
  Error,            // an error ended the run; its report is written
};

// What the diagnostic dump lists.
struct DebugFacts {
  std::string package_id;  // four characters
  uint32_t package_version = 0;
  std::vector<std::pair<std::string, uint16_t>> entries;  // name, group
  std::string setup_name;
  std::string setup_exe_name;
  std::string install_dir;
  std::string install_dir_root_key;  // "HKEY_LOCAL_MACHINE", ...
  std::string install_dir_path;
  std::string install_dir_key;
  std::string changelog;
};

struct WizardHost {
  EntryLookup find_entry;
  bool is_uninstaller = false;
  std::string setup_name;
  std::string short_name;
  // The setup record's InstallDir, which the folder page changes. Must stay
  // valid for the form's life.
  std::string* install_dir = nullptr;
  // Package entries outside group 0.
  std::function<uint32_t()> count_grouped;
  // The script run of the installation page.
  std::function<RunResult()> run_script;
  // Asks the running script to stop before its next line (Cancel or the
  // close button during the run). Without it a run cannot be cancelled.
  std::function<void()> cancel_script;
  // The uninstall walk of the uninstall page.
  std::function<void()> run_uninstall;
  std::function<void()> start_finaliser;
  // Writes the error report for `message`.
  std::function<void(const std::string& message)> write_error_report;
  std::function<DebugFacts()> debug_facts;
};

// How the wizard ended.
enum class WizardOutcome {
  Open,             // still running
  Finished,         // closed on the finish page
  FailureReported,  // finished, but the script reported a failure
  Cancelled,        // closed before the finish page
  Error,            // ended by an error report
};

class TFrmMain {
 public:
  // FormCreate: wires the buttons and close handlers, sets the progress hook
  // to the toolkit's message pump and creates the page set.
  // `texts` is the run's (its languages, figures and status view); it must
  // outlive the form.
  TFrmMain(gui::Toolkit& toolkit, gui::MainForm& form, RunTexts& texts, WizardHost host);
  ~TFrmMain();
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  // Called once everything is loaded. Returns false when the page
  // description is missing or lists no pages (reported in a message box);
  // throws WizardError on a fatal layout value or name.
  bool SetPagesUp();

  void NextButtonClick();
  void BackButtonClick();
  void CancelButtonClick();
  void InstallDir_Edit_Change();
  void ShellTreeViewChange();
  void ShowFolderInTree(std::string_view path, bool expand);
  void LanguageButtonClick();
  void English1Click(int tag);
  void SetupLanguages();
  void SetupCheckedLanguage();
  bool FormCloseQuery();
  void FormClose();
  void SetWorkingState(bool working);
  // Fills and shows the debug window; returns the lines it shows.
  std::vector<std::u16string> Button2Click();
  // The lines of the diagnostic dump.
  std::vector<std::string> DebugDumpLines() const;

  // Ends the program after an error report: closes without a question.
  void Terminate();
  // Writes the error report for a fatal error of set-up.
  void ReportError(const std::string& message) {
    if (host_.write_error_report) host_.write_error_report(message);
  }
  // A folder to put into the folder box when its page is first entered, as
  // if the user had typed it (--dir). Without a folder box it becomes the
  // installation folder at set-up.
  void PresetFolder(std::string folder) { preset_folder_ = std::move(folder); }

  // The line of the current language that says why `verdict` is refused.
  std::u16string RefusalLine(const FolderVerdict& verdict) const;
  // Why Next is disabled on the current page ("" when it is not, or when the
  // page does not check anything).
  const std::u16string& Refusal() const { return refusal_; }

  bool Working() const { return working_; }
  bool InstallDirShown() const { return install_dir_shown_; }
  WizardOutcome Outcome() const { return outcome_; }
  TSEPageControl& Pages() { return *pages_; }
  gui::MainForm& Form() { return form_; }
  RunTexts& Texts() { return texts_; }
  gui::Edit* InstallDirEdit() const { return install_dir_edit_; }
  gui::FolderTree* FolderTree() const { return folder_tree_; }
  gui::Label* SpaceLabel() const { return space_label_; }
  // The status labels and gauge the run's status view shows on.
  const StatusControls& Status() const { return status_controls_; }
  int FinaliserStarts() const { return finaliser_starts_; }

 private:
  void InstallationRun();
  void UninstallRun();
  // Disables Next when the drive lacks the space needed; sets the space label.
  // On a page without a folder box the installation folder is checked too.
  void CheckFreeSpace();
  // The folder rules with a probe that remembers its last answer.
  FolderVerdict CheckFolder(std::string_view text);
  // Whether the installation needs more than the drive has; sets the line.
  bool TooLittleSpace();
  // Shows `reason` in the page's refusal labels ("" clears them).
  void SetRefusal(std::u16string reason);
  // The default button and the focus of the page just shown.
  void PageShown();
  // The page after a run, or the end of the wizard when the set has none.
  void ShowPageAfterRun();
  void FindControlReferences();
  std::string EditText() const;

  gui::Toolkit& toolkit_;
  gui::MainForm& form_;
  RunTexts& texts_;
  WizardHost host_;
  std::unique_ptr<TSEPageControl> pages_;
  bool install_dir_shown_ = false;
  bool working_ = false;
  bool terminating_ = false;
  bool run_cancelled_ = false;  // the run stopped on a cancel: close without asking
  bool run_ended_set_ = false;  // a run finished on the set's last page
  bool positioning_tree_ = false;
  bool failure_reported_ = false;
  int finaliser_starts_ = 0;
  std::string own_install_dir_;
  std::string preset_folder_;  // used when the host names no record field
  WizardOutcome outcome_ = WizardOutcome::Open;
  gui::Edit* install_dir_edit_ = nullptr;
  gui::FolderTree* folder_tree_ = nullptr;
  gui::Label* space_label_ = nullptr;
  std::vector<gui::Label*> refusal_labels_;  // labels named "..._Refusal", on any page
  StatusControls status_controls_;           // the run's status view points here
  std::u16string refusal_;
  std::string probed_folder_;  // the folder the last write probe was made in
  bool probed_ok_ = false;
};

}  // namespace wizpak::wizard
