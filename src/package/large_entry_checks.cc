#include "package/large_entry_checks.h"

namespace wizpak {

namespace {

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

uint32_t Get32(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

}  // namespace

std::string LargeEntryChecksBytes(const LargeEntryChecks& checks) {
  std::string bytes;
  for (const auto& [index, crc] : checks) {
    Put32(bytes, index);
    Put32(bytes, crc);
  }
  return bytes;
}

std::optional<LargeEntryChecks> ParseLargeEntryChecks(std::string_view bytes) {
  if (bytes.size() % 8 != 0) return std::nullopt;
  LargeEntryChecks checks;
  for (size_t at = 0; at < bytes.size(); at += 8) {
    if (!checks.emplace(Get32(bytes, at), Get32(bytes, at + 4)).second) return std::nullopt;
  }
  return checks;
}

}  // namespace wizpak
