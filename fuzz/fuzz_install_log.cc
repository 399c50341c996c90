// Fuzz target for the install log reader: any bytes either decode to lists
// that encode back to exactly those bytes, or are reported as damaged.
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "uninstall/install_log_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const wizpak::InstallLogDecoding decoded = wizpak::DecodeInstallLog(bytes);
  if (decoded.ok) {
    const wizpak::InstallLogEncoding again = wizpak::EncodeInstallLog(decoded.lists);
    if (!again.ok || again.bytes != bytes) std::abort();
  } else if (decoded.error.empty()) {
    std::abort();
  }
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  std::vector<std::string> seeds;
  seeds.push_back(wizpak::EncodeInstallLog({}).bytes);
  wizpak::InstallLogLists lists;
  lists.files = {"$INSTDIR\\readme.txt", "$INSTDIR\\data\\game.dat", "$SMPROGRAMS\\Demo\\Demo"};
  lists.registry_entries = {"\"HKCU\" \"Software\\Demo\" \"Path\" \"$INSTDIR\""};
  lists.directories = {"C:\\Games\\Demo", "C:\\Games\\Demo\\data"};
  seeds.push_back(wizpak::EncodeInstallLog(lists).bytes);
  return seeds;
}
