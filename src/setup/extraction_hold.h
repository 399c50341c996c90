// A seam for tests of the graphical front-end: WIZPAK_TEST_HOLD=NAME:RELEASE
// holds the extraction when it reaches the package entry NAME (its status
// shown, its bytes not yet written) until the file RELEASE exists, keeping
// the window responsive meanwhile. So a test can click Cancel while the
// extraction is surely running, whatever the machine's speed, instead of
// racing it. Nothing happens when the variable is unset.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace wizpak::setup {

struct ExtractionHold {
  std::string entry_name;    // as the package names it ("data\blob300")
  std::string release_path;  // host path; RELEASE.held is created on holding
};

// The hold `value` asks for ("NAME:RELEASE"); nothing for an empty value or
// one without both parts. The release path is what follows the last ':'
// that is followed by a '/'.
std::optional<ExtractionHold> ParseExtractionHold(std::string_view value);

// Creates RELEASE.held, then runs `pump` until RELEASE exists. The pump
// (the message loop's hook) is what lets the person click meanwhile.
void HoldExtraction(const ExtractionHold& hold, const std::function<void()>& pump);

}  // namespace wizpak::setup
