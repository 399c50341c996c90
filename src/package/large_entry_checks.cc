#include "package/large_entry_checks.h"

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace wizpak {

std::string LargeEntryChecksBytes(const LargeEntryChecks& checks) {
  std::string bytes;
  for (const auto& [index, crc] : checks) {
    AppendLe32(bytes, index);
    AppendLe32(bytes, crc);
  }
  return bytes;
}

std::optional<LargeEntryChecks> ParseLargeEntryChecks(std::string_view bytes) {
  if (bytes.size() % 8 != 0) return std::nullopt;
  LargeEntryChecks checks;
  ByteReader in(bytes);
  while (!in.AtEnd()) {
    const auto index = in.U32();
    const auto crc = in.U32();
    if (!index || !crc || !checks.emplace(*index, *crc).second) return std::nullopt;
  }
  return checks;
}

}  // namespace wizpak
