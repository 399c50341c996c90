#include "script/archive_commands.h"

#include <stdexcept>

#include "gamearchive/pak_system.h"
#include "package/pak.h"
#include "platform/codepage.h"
#include "script/script_run.h"
#include "script/setup_run.h"
#include "text/digit_cipher.h"
#include "text/language.h"
#include "text/replace_all.h"
#include "text/status_progress.h"

namespace wizpak {

using gamearchive::ArchiveCancelled;
using gamearchive::PatchFeedback;
using gamearchive::TPakSystem;

namespace {

// The package the script extracts from, seen as a patch source.
class SetupPackage : public gamearchive::PatchSource {
 public:
  explicit SetupPackage(TPak* pak) : pak_(pak) {}
  uint32_t CountInGroup(uint16_t group) override { return Pak().CountInGroup(group); }
  void ForEachInGroup(uint16_t group, const std::function<void(uint32_t)>& fn) override {
    Pak().ForEachInGroup(group, fn);
  }
  std::string EntryName(uint32_t index) override { return Pak().Entries[index].Name; }
  uint32_t EntrySize(uint32_t index) override { return Pak().Entries[index].OrigSize; }
  std::optional<std::string> Extract(uint32_t index) override { return Pak().ExtractEntry(index); }

 private:
  TPak& Pak() {
    if (!pak_) throw std::runtime_error("No package is open for the archive commands");
    return *pak_;
  }
  TPak* pak_;
};

constexpr uint16_t kPatchingString = 19;
constexpr uint16_t kPatchedString = 20;

std::u16string Number(uint32_t n) {
  return AnsiToWide(std::to_string(n));
}

// Status texts through the wizard's status label and gauge.
PatchFeedback WizardFeedback(SetupRun& setup_run) {
  PatchFeedback feedback;
  feedback.progress = [&setup_run](const std::string& archive, uint32_t done, uint32_t total) {
    std::u16string text = setup_run.languages.GetString(kPatchingString);
    text = ReplaceAllText(text, u"<%KYPNAME%>", AnsiToWide(archive));
    text = ReplaceAllText(text, u"<%FNUM%>", Number(done));
    text = ReplaceAllText(text, u"<%FTOTAL%>", Number(total));
    setup_run.status.ShowStatus(text, true);
  };
  feedback.finished = [&setup_run](const std::string& archive) {
    setup_run.status.ShowStatus(ReplaceAllText(setup_run.languages.GetString(kPatchedString),
                                               u"<%KYPNAME%>", AnsiToWide(archive)),
                                true);
  };
  feedback.step = [&setup_run](bool repaint) { setup_run.status.StepProgress(repaint); };
  return feedback;
}

std::string Param(const std::vector<std::string>& params, size_t i) {
  return i < params.size() ? params[i] : std::string();
}

}  // namespace

void ExecuteKypUpdate(SetupRun& setup_run, const std::vector<std::string>& params, uint16_t group) {
  const std::string password = DecryptWithDigitKey(kGameArchiveKey, Param(params, 1));
  try {
    SetupPackage source(setup_run.package.pak);
    setup_run.archives.UpdateArchive(source, group, setup_run.record.InstallDir, Param(params, 2),
                                     password, WizardFeedback(setup_run));
  } catch (const ArchiveCancelled&) {
    // Cancel in the retry box cancels the run: it stops before its next
    // line and ends as cancelled, saving the log of what was done.
    setup_run.script.CancelRequested = true;
  }
}

void ExecuteKypOfficial(SetupRun& setup_run, const std::vector<std::string>& params) {
  const std::string code = DecryptWithDigitKey(kGameArchiveKey, Param(params, 1));
  try {
    setup_run.archives.SetOfficial(setup_run.record.InstallDir, Param(params, 0), code,
                                   Param(params, 2));
  } catch (const ArchiveCancelled&) {
    setup_run.script.CancelRequested = true;
  }
}

}  // namespace wizpak
