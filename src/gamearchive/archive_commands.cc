#include "gamearchive/archive_commands.h"

#include <cstdlib>

#include "gamearchive/package_source.h"
#include "gamearchive/pak_system.h"
#include "platform/codepage.h"
#include "text/digit_cipher.h"
#include "text/language.h"
#include "text/replace_all.h"
#include "text/setup_record_fields.h"
#include "text/status_progress.h"

namespace wizpak::gamearchive {

namespace {

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

std::string Param(const std::vector<std::string>& params, size_t i) {
  return i < params.size() ? params[i] : std::string();
}

}  // namespace

void ExecuteKypUpdate(const std::vector<std::string>& params, uint16_t group) {
  const std::string password = DecryptWithDigitKey(kGameArchiveKey, Param(params, 1));
  try {
    TPakSystem::Instance().UpdateArchive(SetupPackageSource(), group, RecordInstallDir(),
                                         Param(params, 2), password, WizardFeedback());
  } catch (const ArchiveCancelled&) {
    // Cancel in the retry box ends the program normally.
    std::exit(0);
  }
}

void ExecuteKypOfficial(const std::vector<std::string>& params) {
  const std::string code = DecryptWithDigitKey(kGameArchiveKey, Param(params, 1));
  try {
    TPakSystem::Instance().SetOfficial(RecordInstallDir(), Param(params, 0), code,
                                       Param(params, 2));
  } catch (const ArchiveCancelled&) {
    std::exit(0);
  }
}

}  // namespace wizpak::gamearchive
