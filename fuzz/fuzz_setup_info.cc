// Fuzz target: the setup information record reader. A record it accepts
// must save back to exactly the bytes it was read from.
#include <cstdlib>

#include "fuzz_target.h"
#include "package/setup_info.h"

using namespace wizpak;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSetupInfoFile record;
  if (!record.LoadFromBuffer(data, size)) return 0;
  const std::string saved = record.SaveToBuffer();
  if (saved.size() > size ||
      saved != std::string_view(reinterpret_cast<const char*>(data), saved.size()))
    std::abort();
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  TSetupInfoFile r;
  r.SetupName = "Demo Game Setup";
  r.ShortName = "Demo";
  r.SetupExeName = "setup.exe";
  r.UninstallExeName = "Demo_Uninstall.exe";
  r.UninstallPrefix = "Demo_";
  r.InstallDir = "$PROGRAMFILES\\Demo";
  r.InstallDirRegKey.HKEY = 1;
  r.InstallDirRegKey.Path = "Software\\Demo";
  r.InstallDirRegKey.Key = "Path";
  r.Pages = "default";
  r.UninstallPages = "uninstall";
  r.CreateUninstaller = 1;
  TSetupInfoFile empty;
  return {r.SaveToBuffer(), empty.SaveToBuffer()};
}
