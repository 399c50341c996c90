// Fuzz target: the large-entry check record reader; whatever it accepts
// must write back to the same bytes.
#include <cstdlib>

#include "fuzz_target.h"
#include "package/large_entry_checks.h"

using namespace wizpak;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto checks = ParseLargeEntryChecks(bytes);
  if (checks && LargeEntryChecksBytes(*checks).size() != bytes.size()) std::abort();
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  return {LargeEntryChecksBytes({}), LargeEntryChecksBytes({{1, 0x12345678}}),
          LargeEntryChecksBytes({{0, 1}, {5, 0xFFFFFFFF}, {65535, 7}})};
}
