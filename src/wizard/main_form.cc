#include "wizard/main_form.h"

#include <cstdint>
#include <exception>

#include "gui/message_box.h"
#include "gui/transcript.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/path_bounds.h"
#include "platform/paths.h"
#include "text/language.h"
#include "text/path_helpers.h"
#include "text/folder_rules.h"
#include "text/run_texts.h"
#include "text/text_routines.h"

namespace wizpak::wizard {

namespace {

constexpr uint16_t kBackCaption = 12;
constexpr uint16_t kNextCaption = 13;
constexpr uint16_t kCancelCaption = 14;
constexpr uint16_t kUninstallTitle = 26;
constexpr uint16_t kQuitText = 27;
constexpr uint16_t kQuitCaption = 28;
constexpr uint16_t kBoxOk = 50;
constexpr uint16_t kBoxCancel = 51;
constexpr uint16_t kBoxYes = 52;
constexpr uint16_t kBoxNo = 53;
constexpr uint16_t kBoxRetry = 54;
constexpr uint16_t kLanguageWord = 31;
// The front-end's own words (key hints, prompt titles) start here.
constexpr uint16_t kFirstFrontEndWord = 60;

std::u16string String(const TLanguages& languages, uint16_t number) {
  return languages.GetString(number);
}

// A string of the current language in UTF-8; "" when the language has none
// (language files made before the string was added).
std::string OptionalString(const TLanguages& languages, uint16_t number) {
  const TLanguage* language = languages.CurrentLanguage();
  const std::u16string* text = language ? language->Find(number) : nullptr;
  return text ? WideToUtf8(*text) : std::string();
}

// Message boxes speak the wizard's language.
void UseLanguageForBoxes(const TLanguages& languages) {
  gui::SetMessageBoxCaptions(
      gui::ButtonCaptions{OptionalString(languages, kBoxOk), OptionalString(languages, kBoxCancel),
                          OptionalString(languages, kBoxYes), OptionalString(languages, kBoxNo),
                          OptionalString(languages, kBoxRetry)});
}

// The words the front-end writes on its own, in the current language; a
// string the language file lacks keeps the English default.
gui::FrontEndWords FrontEndWordsOfLanguage(const TLanguages& languages) {
  gui::FrontEndWords words;
  std::string gui::FrontEndWords::*const fields[] = {
      &gui::FrontEndWords::browse_folders,
      &gui::FrontEndWords::read_whole_text,
      &gui::FrontEndWords::read_lines,
      &gui::FrontEndWords::change,
      &gui::FrontEndWords::choice,
      &gui::FrontEndWords::folder,
      &gui::FrontEndWords::drives,
      &gui::FrontEndWords::folders_in,
      &gui::FrontEndWords::no_folders,
      &gui::FrontEndWords::no_such_folder,
      &gui::FrontEndWords::enter_key,
      &gui::FrontEndWords::escape_key,
      &gui::FrontEndWords::close_hint,
      &gui::FrontEndWords::open_field,
      &gui::FrontEndWords::open_fields,
      &gui::FrontEndWords::more_below,
      &gui::FrontEndWords::scroll,
      &gui::FrontEndWords::line_prompt_hint,
      &gui::FrontEndWords::folder_prompt_hint,
      &gui::FrontEndWords::menu_hint,
      &gui::FrontEndWords::pager_hint,
      &gui::FrontEndWords::end_of_text,
  };
  uint16_t number = kFirstFrontEndWord;
  for (std::string gui::FrontEndWords::*field : fields) {
    std::string text = OptionalString(languages, number++);
    if (!text.empty()) words.*field = std::move(text);
  }
  if (std::string text = OptionalString(languages, kLanguageWord); !text.empty())
    words.language = text;
  return words;
}

}  // namespace

TFrmMain::TFrmMain(gui::Toolkit& toolkit, gui::MainForm& form, RunTexts& texts, WizardHost host)
    : toolkit_(toolkit), form_(form), texts_(texts), host_(std::move(host)) {
  if (!host_.install_dir) host_.install_dir = &own_install_dir_;
  texts_.status.ProgressHook = [this] { toolkit_.ProcessMessages(); };
  texts_.status.Controls = &status_controls_;
  pages_ = std::make_unique<TSEPageControl>(form_.BackButton(), form_.NextButton(),
                                            form_.CancelButton(), form_.LanguageButton(),
                                            form_.Pages(), texts_, host_.find_entry);
  pages_->OnPageShown = [this] { PageShown(); };
  form_.BackButton().SetOnClick([this] { BackButtonClick(); });
  form_.NextButton().SetOnClick([this] { NextButtonClick(); });
  form_.CancelButton().SetOnClick([this] { CancelButtonClick(); });
  form_.LanguageButton().SetOnClick([this] { LanguageButtonClick(); });
  form_.LanguageButton().SetDropDownMark(true);
  form_.SetOnCloseQuery([this] { return FormCloseQuery(); });
  form_.SetOnClose([this] { FormClose(); });
}

TFrmMain::~TFrmMain() {
  // The shared references must not outlive the controls they point at.
  texts_.status.ProgressHook = nullptr;
  texts_.status.Detach();
  form_.SetOnCloseQuery(nullptr);
  form_.SetOnClose(nullptr);
  gui::SetMessageBoxCaptions({});
}

bool TFrmMain::SetPagesUp() {
  std::u16string title = host_.is_uninstaller ? AnsiToWide(host_.short_name) + u" " +
                                                    String(texts_.languages, kUninstallTitle)
                                              : AnsiToWide(host_.setup_name);
  toolkit_.SetApplicationTitle(title);
  form_.SetCaption(title);
  // The page set's icon, which the package carries for the uninstaller.
  if (host_.find_entry) {
    if (std::optional<std::string> icon = host_.find_entry("UNINSTALL_ICON.ICO")) {
      form_.SetIcon(*icon);
    }
  }

  if (!pages_->LoadPageSet("Pages.txt")) return false;
  if (pages_->PageCount() == 0) {
    // Every handler needs a current page: a set without pages cannot run.
    gui::MessageBox("Error File Missing: Pages.txt", "Missing File");
    return false;
  }
  form_.Pages().SetColour(pages_->Colour);

  FindControlReferences();

  std::string& install_dir = *host_.install_dir;
  install_dir = ExpandPathVariables(texts_, install_dir);
  // Start-up measures the drive only for a folder that begins with its
  // letter; one that began with a variable ("$PROGRAMFILES\Game") has a
  // drive only now. Without a folder page nothing would measure it later, and
  // the patch page would take the unknown figure for a full drive.
  if (texts_.figures.SpaceAvailableText.empty()) texts_.figures.UpdateSpaceAvailable(install_dir);

  if (folder_tree_) {
    folder_tree_->SetOnChange([this] { ShellTreeViewChange(); });
    folder_tree_->SetVisible(true);
    ShowFolderInTree(install_dir, false);
    folder_tree_->SetVisible(false);
  }
  if (install_dir_edit_) {
    install_dir_edit_->SetOnChange(nullptr);
    install_dir_edit_->SetText(AnsiToWide(ExpandPathVariables(texts_, install_dir)));
    install_dir_edit_->SetOnChange([this] { InstallDir_Edit_Change(); });
  }

  if (!install_dir_edit_ && !preset_folder_.empty()) {
    install_dir = IncludeBackslash(preset_folder_);
    texts_.figures.UpdateSpaceAvailable(install_dir);
    preset_folder_.clear();
  }

  form_.BackButton().SetText(String(texts_.languages, kBackCaption));
  form_.NextButton().SetText(String(texts_.languages, kNextCaption));
  form_.CancelButton().SetText(String(texts_.languages, kCancelCaption));
  SetupLanguages();
  return true;
}

void TFrmMain::FindControlReferences() {
  folder_tree_ = nullptr;
  install_dir_edit_ = nullptr;
  space_label_ = nullptr;
  refusal_labels_.clear();
  StatusControls& status = status_controls_;
  status.Clear();
  // A later match replaces an earlier one. A control whose kind does not fit
  // its reference is not taken: the wizard would otherwise treat a label as a
  // gauge.
  for (const auto& page : pages_->PageList()) {
    for (gui::Widget* control : page->Controls()) {
      const std::string name = AsciiLower(control->Name());
      const gui::WidgetKind kind = control->Kind();
      if (name == "patching_statuslabel" && kind == gui::WidgetKind::Label) {
        status.StatusLabel = static_cast<gui::Label*>(control);
      } else if (name == "patching_progressbar" && kind == gui::WidgetKind::Gauge) {
        status.Gauge = page->GaugeOf(control);
        status.GaugeArea = &form_.Pages();
      } else if (name == "finishtext" && kind == gui::WidgetKind::Label) {
        status.SubStatusLabel = static_cast<gui::Label*>(control);
      } else if (name == "installdir_edit" && kind == gui::WidgetKind::Edit) {
        install_dir_edit_ = static_cast<gui::Edit*>(control);
      } else if (name == "installdir_shelltreeview" && kind == gui::WidgetKind::FolderTree) {
        folder_tree_ = static_cast<gui::FolderTree*>(control);
      } else if (name == "spaceavalible" && kind == gui::WidgetKind::Label) {
        space_label_ = static_cast<gui::Label*>(control);
      } else if (name.ends_with("_refusal") && kind == gui::WidgetKind::Label) {
        refusal_labels_.push_back(static_cast<gui::Label*>(control));
      }
    }
  }
}

std::string TFrmMain::EditText() const {
  return install_dir_edit_ ? WideToAnsi(install_dir_edit_->Text()) : std::string();
}

void TFrmMain::BackButtonClick() {
  pages_->ShowPage(pages_->CurrentPage - 1);
}

void TFrmMain::NextButtonClick() {
  pages_->ShowPage(pages_->CurrentPage + 1);
  switch (pages_->CurrentType()) {
    case TPageType::ptInstallDir:
      if (!install_dir_shown_) {
        install_dir_shown_ = true;
        if (install_dir_edit_) install_dir_edit_->SetText(AnsiToWide(*host_.install_dir));
        if (install_dir_edit_ && !preset_folder_.empty()) {
          install_dir_edit_->SetText(AnsiToWide(preset_folder_));
          preset_folder_.clear();
        }
      }
      InstallDir_Edit_Change();
      break;
    case TPageType::ptPatch:
      CheckFreeSpace();
      break;
    case TPageType::ptPatching:
      InstallationRun();
      break;
    case TPageType::ptFinish:
      form_.Close();
      break;
    case TPageType::ptUninstall:
      UninstallRun();
      break;
    default:
      break;
  }
}

void TFrmMain::CheckFreeSpace() {
  SetRefusal(u"");
  // Without a folder page nobody has checked the folder the setup record
  // (or the registry) gives; the uninstaller installs nothing.
  if (!host_.is_uninstaller && !install_dir_edit_) {
    const FolderVerdict verdict = CheckFolder(*host_.install_dir);
    if (!verdict.ok()) {
      form_.NextButton().SetEnabled(false);
      SetRefusal(RefusalLine(verdict));
    }
  }
  if (refusal_.empty() && TooLittleSpace()) form_.NextButton().SetEnabled(false);
  if (space_label_) space_label_->SetText(ExpandWizardText(texts_, u"<LANG7>"));
}

bool TFrmMain::TooLittleSpace() {
  const RunFigures& figures = texts_.figures;
  const int64_t required = figures.SpaceRequired > static_cast<uint64_t>(INT64_MAX)
                               ? INT64_MAX
                               : static_cast<int64_t>(figures.SpaceRequired);
  // A set that needs no bytes (the uninstaller) is never blocked, even
  // when the drive's free space cannot be read (-1).
  if (required <= 0 || figures.SpaceAvailable >= required) return false;
  const std::string& folder = *host_.install_dir;
  const std::u16string drive = folder.size() >= 2 ? AnsiToWide(folder.substr(0, 2)) : u"";
  SetRefusal(ExpandWizardText(
      texts_, TLanguages::ReplaceAllText(String(texts_.languages, kStringTooLittleSpace),
                                         u"<%DRIVE%>", drive)));
  return true;
}

FolderVerdict TFrmMain::CheckFolder(std::string_view text) {
  return CheckInstallFolder(text, [this](const std::string& existing) {
    if (existing != probed_folder_) {
      probed_folder_ = existing;
      probed_ok_ = ProbeWritable(existing);
    }
    return probed_ok_;
  });
}

std::u16string TFrmMain::RefusalLine(const FolderVerdict& verdict) const {
  if (verdict.ok()) return u"";
  const std::u16string drive =
      verdict.drive ? std::u16string(1, static_cast<char16_t>(verdict.drive)) + u":" : u"";
  return ExpandWizardText(
      texts_,
      TLanguages::ReplaceAllText(String(texts_.languages, FolderProblemString(verdict.problem)),
                                 u"<%DRIVE%>", drive));
}

void TFrmMain::SetRefusal(std::u16string reason) {
  if (reason == refusal_) return;
  refusal_ = std::move(reason);
  for (gui::Label* label : refusal_labels_) label->SetText(refusal_);
  gui::TranscriptRefusal(WideToUtf8(refusal_));
}

void TFrmMain::PageShown() {
  const TPageType type = pages_->CurrentType();
  if (type != TPageType::ptInstallDir && type != TPageType::ptPatch) SetRefusal(u"");
  gui::Button& forward = type == TPageType::ptFinish ? form_.CancelButton() : form_.NextButton();
  form_.SetDefaultButton(&forward);
  if (type == TPageType::ptInstallDir && install_dir_edit_ && install_dir_edit_->Visible()) {
    form_.SetFocus(*install_dir_edit_);
  } else {
    form_.SetFocus(forward);
  }
}

void TFrmMain::CancelButtonClick() {
  form_.Close();
}

void TFrmMain::InstallDir_Edit_Change() {
  if (!install_dir_edit_) return;
  const std::string text = EditText();
  if (pages_->CurrentType() == TPageType::ptInstallDir) {
    const FolderVerdict verdict = CheckFolder(text);
    // A folder the rules accept can still be beyond the host's path bounds.
    const std::string fault = verdict.ok() ? platform::InstallFolderFault(verdict.folder) : "";
    if (!verdict.ok() || !fault.empty()) {
      form_.NextButton().SetEnabled(false);
      SetRefusal(verdict.ok() ? AnsiToWide(fault) : RefusalLine(verdict));
      // A drive that exists still shows where the typed folder would go.
      if (folder_tree_ && verdict.problem != FolderProblem::NotFullPath) {
        ShowFolderInTree(verdict.folder, true);
      }
      return;
    }
    SetRefusal(u"");
    if (install_dir_shown_) *host_.install_dir = verdict.folder;
    texts_.figures.UpdateSpaceAvailable(*host_.install_dir);
    form_.NextButton().SetEnabled(!install_dir_shown_ || !TooLittleSpace());
    if (folder_tree_) ShowFolderInTree(verdict.folder, true);
    return;
  }
  if (folder_tree_) ShowFolderInTree(text, true);
}

void TFrmMain::ShellTreeViewChange() {
  // Positioning the tree from the folder box must not write the tree's
  // (shorter, existing) folder back into the box the user is typing in.
  if (positioning_tree_ || !install_dir_edit_ || !folder_tree_) return;
  if (pages_->CurrentType() != TPageType::ptInstallDir) return;
  // Any folder chosen goes into the box, where the page says whether it
  // can take the installation.
  const std::string path = folder_tree_->SelectedFolder();
  if (path.empty()) return;
  install_dir_edit_->SetText(AnsiToWide(path));
}

void TFrmMain::ShowFolderInTree(std::string_view path_text, bool expand) {
  if (!folder_tree_) return;
  std::string path(path_text);
  if (!path.empty() && path.back() == '\\') path.pop_back();
  while (!path.empty() && !platform::DirectoryExists(path)) {
    if (path.size() <= 2) break;
    size_t cut = path.find_last_of('\\');
    path = cut == std::string::npos ? std::string() : path.substr(0, cut);
  }
  if (path.empty() || !platform::DirectoryExists(path)) return;
  positioning_tree_ = true;
  folder_tree_->SelectFolder(path + "\\", expand);
  positioning_tree_ = false;
}

void TFrmMain::SetupLanguages() {
  const TLanguages& languages = texts_.languages;
  gui::Button& button = form_.LanguageButton();
  if (const TLanguage* current = languages.CurrentLanguage()) button.SetText(current->Name);
  if (languages.Items.size() < 2) button.SetVisible(false);
  std::vector<gui::MenuItem> items;
  for (size_t i = 0; i < languages.Items.size(); ++i) {
    gui::MenuItem item;
    item.caption = languages.Items[i]->Name;
    item.tag = static_cast<int>(i);
    item.checked = static_cast<int32_t>(i) == languages.Current;
    int tag = item.tag;
    item.on_click = [this, tag] { English1Click(tag); };
    items.push_back(std::move(item));
  }
  form_.SetMenuItems(std::move(items));
  UseLanguageForBoxes(texts_.languages);
  toolkit_.SetOwnWords(FrontEndWordsOfLanguage(texts_.languages));
}

void TFrmMain::SetupCheckedLanguage() {
  form_.CheckMenuItemWithTag(texts_.languages.Current);
}

void TFrmMain::LanguageButtonClick() {
  form_.PopupMenuBelow(form_.LanguageButton());
}

void TFrmMain::English1Click(int tag) {
  TLanguages& languages = texts_.languages;
  if (tag < 0 || static_cast<size_t>(tag) >= languages.Items.size()) return;
  languages.Current = tag;
  form_.LanguageButton().SetText(languages.Items[static_cast<size_t>(tag)]->Name);
  SetupCheckedLanguage();
  UseLanguageForBoxes(texts_.languages);
  toolkit_.SetOwnWords(FrontEndWordsOfLanguage(texts_.languages));
  form_.BackButton().SetText(String(texts_.languages, kBackCaption));
  form_.NextButton().SetText(String(texts_.languages, kNextCaption));
  form_.CancelButton().SetText(String(texts_.languages, kCancelCaption));
  pages_->ShowPage(pages_->CurrentPage);
  pages_->RetranslatePages();
  // ShowPage enables Next again: the folder and space pages decide anew.
  if (pages_->CurrentType() == TPageType::ptInstallDir) InstallDir_Edit_Change();
  if (pages_->CurrentType() == TPageType::ptPatch) CheckFreeSpace();
}

bool TFrmMain::FormCloseQuery() {
  if (terminating_ || run_cancelled_ || run_ended_set_) return true;
  if (working_) {
    // Only the script run can stop part-way (its loop polls the request);
    // the form closes once the run has saved what it did.
    if (pages_->CurrentType() == TPageType::ptPatching && host_.cancel_script &&
        gui::MessageBoxW(String(texts_.languages, kQuitText),
                         String(texts_.languages, kQuitCaption), gui::Buttons::YesNo,
                         gui::Icon::Question) == gui::Answer::Yes) {
      host_.cancel_script();
    }
    return false;
  }
  if (pages_->CurrentType() == TPageType::ptFinish) return true;
  return gui::MessageBoxW(String(texts_.languages, kQuitText),
                          String(texts_.languages, kQuitCaption), gui::Buttons::YesNo,
                          gui::Icon::Question) == gui::Answer::Yes;
}

void TFrmMain::FormClose() {
  if (terminating_) {
    outcome_ = WizardOutcome::Error;
    return;
  }
  const bool on_finish = pages_->CurrentType() == TPageType::ptFinish || run_ended_set_;
  if (!on_finish) {
    outcome_ = WizardOutcome::Cancelled;
    return;
  }
  outcome_ = failure_reported_ ? WizardOutcome::FailureReported : WizardOutcome::Finished;
  if (host_.is_uninstaller && finaliser_starts_ == 0 && host_.start_finaliser) {
    ++finaliser_starts_;
    host_.start_finaliser();
  }
}

void TFrmMain::SetWorkingState(bool working) {
  working_ = working;
}

void TFrmMain::Terminate() {
  terminating_ = true;
  working_ = false;
  outcome_ = WizardOutcome::Error;
  if (!form_.IsClosed()) form_.Close();
}

void TFrmMain::InstallationRun() {
  SetWorkingState(true);
  // The script may run long or loop: Cancel stays usable and asks, as the
  // close button does.
  if (host_.cancel_script) form_.CancelButton().SetEnabled(true);
  try {
    StatusView& status = texts_.status;
    status.ProgressTotal = host_.count_grouped ? host_.count_grouped() : 0;
    const std::string text = "Status: 0 of " +
                             DecimalText(static_cast<uint64_t>(status.ProgressTotal)) +
                             " files extracted";
    status.ShowStatus(AnsiToWide(text), true);
    status.SetGaugePosition(0);
    status.SetGaugeMaximum(
        static_cast<int32_t>(status.ProgressTotal > INT32_MAX ? INT32_MAX : status.ProgressTotal));
    RunResult result = host_.run_script ? host_.run_script() : RunResult::Completed;
    if (result == RunResult::Error) {
      // The run has written its report already.
      Terminate();
      return;
    }
    if (result == RunResult::Cancelled) {
      SetWorkingState(false);
      run_cancelled_ = true;
      if (!form_.IsClosed()) form_.Close();
      return;
    }
    if (result == RunResult::FailureReported) failure_reported_ = true;
    SetWorkingState(false);
    ShowPageAfterRun();
  } catch (const std::exception& error) {
    if (host_.write_error_report) host_.write_error_report(error.what());
    Terminate();
  }
}

void TFrmMain::UninstallRun() {
  SetWorkingState(true);
  try {
    if (host_.run_uninstall) host_.run_uninstall();
  } catch (const std::exception& error) {
    // The walk has no error handling of its own: report and end, as the
    // installation run does.
    if (host_.write_error_report) host_.write_error_report(error.what());
    Terminate();
    return;
  }
  SetWorkingState(false);
  ShowPageAfterRun();
}

void TFrmMain::ShowPageAfterRun() {
  if (pages_->CurrentPage + 1 < pages_->PageCount()) {
    pages_->ShowPage(pages_->CurrentPage + 1);
    return;
  }
  // The set ends on its run page: the work is done, so the wizard ends as
  // it would on a finish page.
  run_ended_set_ = true;
  if (!form_.IsClosed()) form_.Close();
}

std::vector<std::string> TFrmMain::DebugDumpLines() const {
  DebugFacts facts = host_.debug_facts ? host_.debug_facts() : DebugFacts{};
  std::vector<std::string> lines;
  lines.push_back("Header");
  lines.push_back("ID: " + facts.package_id);
  lines.push_back("Version: " + DecimalText(static_cast<uint64_t>(facts.package_version)));
  lines.push_back("File Count: " + DecimalText(static_cast<uint64_t>(facts.entries.size())));
  lines.push_back("");
  lines.push_back("Files:");
  for (const auto& [name, group] : facts.entries) {
    lines.push_back("\"" + name + "\" Group: " + DecimalText(static_cast<uint64_t>(group)));
  }
  lines.push_back("");
  lines.push_back("SetupInfo:");
  lines.push_back("SetupName: " + facts.setup_name);
  lines.push_back("SetupExeName: " + facts.setup_exe_name);
  lines.push_back("InstallDir: " + facts.install_dir);
  lines.push_back("InstallDirRegKey.HKEY: " + facts.install_dir_root_key);
  lines.push_back("InstallDirRegKey.Path: " + facts.install_dir_path);
  lines.push_back("InstallDirRegKey.Key: " + facts.install_dir_key);
  lines.push_back("Changelog: " + facts.changelog);
  return lines;
}

std::vector<std::u16string> TFrmMain::Button2Click() {
  std::vector<std::u16string> shown;
  for (const std::string& line : DebugDumpLines()) shown.push_back(AnsiToWide(line));
  std::unique_ptr<gui::DebugWindow> window = toolkit_.CreateDebugWindow();
  if (window) {
    window->Content().Clear();
    for (const std::u16string& line : shown) window->Content().AddLine(line);
    window->ShowModal();
  }
  return shown;
}

}  // namespace wizpak::wizard
