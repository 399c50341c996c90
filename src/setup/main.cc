// wizpak-stub: the setup runtime. A built setup is this program with a
// package appended; see setup/startup.h.
#include <string>
#include <vector>

#include "platform/process.h"
#include "setup/startup.h"

// The wizard library connects itself when it is part of the build.
#if __has_include("wizard/connect.h")
#include "wizard/connect.h"
#define WIZPAK_HAS_WIZARD 1
#endif

int main(int argc, char** argv) {
  wizpak::platform::SetCommandLine(argc, argv);
#ifdef WIZPAK_HAS_WIZARD
  wizpak::wizard::ConnectWizard();
#endif
  return wizpak::setup::SetupMain(std::vector<std::string>(argv, argv + argc));
}
