// Fuzz target for the desktop record reader: any bytes either are refused or
// decode to a record that encodes to text reading back as the same record.
#include <cstdlib>
#include <string>

#include "fuzz_target.h"
#include "uninstall/desktop_record.h"

namespace {

bool Same(const wizpak::DesktopRecord& a, const wizpak::DesktopRecord& b) {
  return a.submenu == b.submenu && a.files == b.files && a.folders == b.folders;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto decoded = wizpak::DecodeDesktopRecord(reinterpret_cast<const char*>(data), size);
  if (!decoded) return 0;
  const std::string again = wizpak::EncodeDesktopRecord(*decoded);
  const auto reread = wizpak::DecodeDesktopRecord(again.data(), again.size());
  if (!reread || !Same(*decoded, *reread)) std::abort();
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  wizpak::DesktopRecord record;
  std::vector<std::string> seeds{wizpak::EncodeDesktopRecord(record)};
  record.submenu = "Wizpak Demo";
  record.AddFolder("/home/u/.local/share/applications");
  record.AddFile("/home/u/.local/share/applications/wizpak-Demo-Wizpak Demo-Read Me.desktop");
  record.AddFile("/home/u/.config/menus/applications-merged/wizpak-Demo-Wizpak Demo-Read Me.menu");
  record.AddFile("/home/u/.local/share/icons/hicolor/32x32/apps/wizpak-Demo.png");
  seeds.push_back(wizpak::EncodeDesktopRecord(record));
  return seeds;
}
