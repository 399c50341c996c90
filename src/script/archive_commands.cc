#include "script/archive_commands.h"

#include <stdexcept>

#include "gamearchive/pak_system.h"
#include "gui/message_box.h"
#include "package/pak.h"
#include "platform/codepage.h"
#include "script/script_run.h"
#include "text/digit_cipher.h"
#include "text/language.h"
#include "text/replace_all.h"
#include "text/setup_record_fields.h"
#include "text/status_progress.h"

namespace wizpak {

using gamearchive::ArchiveCancelled;
using gamearchive::PatchFeedback;
using gamearchive::TPakSystem;

namespace {

// The package the script extracts from, seen as a patch source.
class SetupPackage : public gamearchive::PatchSource {
 public:
  uint32_t CountInGroup(uint16_t group) override { return Pak().CountInGroup(group); }
  void ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& fn) override {
    Pak().ForEachInGroup(group, fn);
  }
  std::string EntryName(uint32_t index) override { return Pak().Entries[index].Name; }
  uint32_t EntrySize(uint32_t index) override { return Pak().Entries[index].OrigSize; }
  std::optional<std::string> Extract(uint32_t index) override { return Pak().ExtractEntry(index); }

 private:
  static TPak& Pak() {
    TPak* pak = ScriptPackage();
    if (!pak) throw std::runtime_error("No package is open for the archive commands");
    return *pak;
  }
};

constexpr uint16_t kPatchingString = 19;
constexpr uint16_t kPatchedString = 20;

std::u16string Number(uint32_t n) {
  return AnsiToWide(std::to_string(n));
}

// Status texts through the wizard's status label and gauge.
PatchFeedback WizardFeedback() {
  PatchFeedback feedback;
  feedback.progress = [](const std::string& archive, uint32_t done, uint32_t total) {
    std::u16string text = TLanguages::Instance().GetString(kPatchingString);
    text = ReplaceAllText(text, u"<%KYPNAME%>", AnsiToWide(archive));
    text = ReplaceAllText(text, u"<%FNUM%>", Number(done));
    text = ReplaceAllText(text, u"<%FTOTAL%>", Number(total));
    ShowStatus(text, true);
  };
  feedback.finished = [](const std::string& archive) {
    ShowStatus(ReplaceAllText(TLanguages::Instance().GetString(kPatchedString), u"<%KYPNAME%>",
                              AnsiToWide(archive)),
               true);
  };
  feedback.step = [](bool repaint) { StepProgress(repaint); };
  return feedback;
}

// The archive system asks through these: a Retry/Cancel box with a warning
// icon, and the fatal exit.
TPakSystem& ArchiveSystem() {
  TPakSystem& system = TPakSystem::Instance();
  system.retry_handler = [](const std::string& message) {
    return gui::MessageBox(message, "Error", gui::Buttons::RetryCancel, gui::Icon::Warning) ==
           gui::Answer::Retry;
  };
  system.fail_handler = [](const std::string& message) { gui::FatalExit(message); };
  return system;
}

std::string Param(const std::vector<std::string>& params, size_t i) {
  return i < params.size() ? params[i] : std::string();
}

}  // namespace

void ExecuteKypUpdate(const std::vector<std::string>& params, uint16_t group) {
  const std::string password = DecryptWithDigitKey(kGameArchiveKey, Param(params, 1));
  try {
    SetupPackage source;
    ArchiveSystem().UpdateArchive(source, group, RecordInstallDir(), Param(params, 2), password,
                                  WizardFeedback());
  } catch (const ArchiveCancelled&) {
    // Cancel in the retry box cancels the run: it stops before its next
    // line and ends as cancelled, saving the log of what was done.
    TScriptRun::Instance().CancelRequested = true;
  }
}

void ExecuteKypOfficial(const std::vector<std::string>& params) {
  const std::string code = DecryptWithDigitKey(kGameArchiveKey, Param(params, 1));
  try {
    ArchiveSystem().SetOfficial(RecordInstallDir(), Param(params, 0), code, Param(params, 2));
  } catch (const ArchiveCancelled&) {
    TScriptRun::Instance().CancelRequested = true;
  }
}

}  // namespace wizpak
