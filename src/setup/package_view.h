// What start-up reads from the package reader, in the few calls it needs:
// opening, the trailer, the directory, verifying and finding entries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace wizpak {
class TPak;
}

namespace wizpak::setup {

struct EntryInfo {
  std::string name;
  uint16_t group = 0;
  uint32_t orig_size = 0;
  uint32_t stored_size = 0;
};

// Opens `path` in read mode; the reader exists even when the file could not
// be opened (its ID is then not "KYPF").
std::unique_ptr<TPak> OpenPackage(const std::string& path);

std::string PackageId(const TPak& pak);
uint16_t PackageVersion(const TPak& pak);
uint32_t PackageEntryCount(const TPak& pak);
EntryInfo PackageEntry(const TPak& pak, uint32_t index);
// May throw on a stream that does not inflate.
bool VerifyPackageEntry(TPak& pak, uint32_t index);
// The content of the first entry named `name` (case ignored) in group 0.
std::optional<std::string> FindGroup0Entry(TPak& pak, const std::string& name);
// The group-0 entries in directory order with their content, until the first
// whose extraction yields nothing.
void ForEachGroup0Entry(
    TPak& pak,
    const std::function<void(const std::string& name, const std::string& content)>& visit);

}  // namespace wizpak::setup
