// The large-entry check record: large entries (70 MiB and more) are stored
// raw with CRC 0 in their directory record, which readers of the format
// accept unread. The writer adds one more group-0 entry, "LargeEntryChecks",
// holding the CRC-32 of each large entry's stored bytes, so this reader can
// check them while it copies them; a reader that does not know the record
// sees an ordinary entry it never asks for. Packages without large entries
// carry no record and stay byte-identical.
//
// Record bytes: for each large entry, its directory index and the CRC-32 of
// its stored bytes, both 4 bytes little-endian.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace wizpak {

constexpr const char* kLargeEntryChecksName = "LargeEntryChecks";

// Directory index -> CRC-32 of the stored bytes.
using LargeEntryChecks = std::map<uint32_t, uint32_t>;

std::string LargeEntryChecksBytes(const LargeEntryChecks& checks);
// nullopt when the bytes are not a whole record (length not a multiple of 8,
// an index given twice).
std::optional<LargeEntryChecks> ParseLargeEntryChecks(std::string_view bytes);

}  // namespace wizpak
