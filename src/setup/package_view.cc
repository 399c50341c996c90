#include "setup/package_view.h"

#include "package/pak.h"

namespace wizpak::setup {

std::unique_ptr<TPak> OpenPackage(const std::string& path) {
  return std::make_unique<TPak>(path, false, false);
}

std::string PackageId(const TPak& pak) {
  return pak.IdText();
}
uint16_t PackageVersion(const TPak& pak) {
  return pak.Version;
}

uint32_t PackageEntryCount(const TPak& pak) {
  // The directory holds at most File Count records.
  return static_cast<uint32_t>(std::min<size_t>(pak.Entries.size(), pak.FileCount));
}

EntryInfo PackageEntry(const TPak& pak, uint32_t index) {
  if (index >= pak.Entries.size()) return {};
  const TPakEntry& entry = pak.Entries[index];
  return EntryInfo{entry.Name, entry.Group, entry.OrigSize, entry.StoredSize};
}

bool VerifyPackageEntry(TPak& pak, uint32_t index) {
  return pak.VerifyEntry(index);
}

std::optional<std::string> FindGroup0Entry(TPak& pak, const std::string& name) {
  uint32_t size = 0;
  return pak.FindEntry(name, 0, size);
}

void ForEachGroup0Entry(
    TPak& pak,
    const std::function<void(const std::string& name, const std::string& content)>& visit) {
  uint32_t size = 0;
  std::string name;
  for (PakBlock block = pak.FindFirst(0, size, true, name); block && !name.empty();
       block = pak.FindNext(0, size, true, name)) {
    visit(name, *block);
  }
}

}  // namespace wizpak::setup
