// Fuzz target: the game-archive reader (trailers, header block, table) and
// the content reader of every entry it lists.
#include "fuzz_target.h"
#include "gamearchive/archive_format.h"

using namespace wizpak::gamearchive;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto index = ReadArchiveIndex(bytes);
  if (!index) return 0;
  for (const TableEntry& e : index->entries) {
    const uint64_t end = static_cast<uint64_t>(e.offset()) + e.stored_size();
    if (end > index->table_start) continue;
    const std::string_view stored = bytes.substr(e.offset(), e.stored_size());
    if (e.kind() == 2) UnstampStream(stored, e.unpacked_size());
  }
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  std::vector<TableEntry> entries;
  std::string data;
  for (int i = 0; i < 3; ++i) {
    const std::string stored = StampedStream(std::string(100 + i, 'a' + i));
    entries.push_back(TableEntry::Make(
        StorageKind::Stamped, 0, static_cast<uint32_t>(stored.size()), 100 + i,
        static_cast<uint32_t>(data.size()), "Data\\file" + std::to_string(i) + ".txt"));
    data += stored;
  }
  ExtraInfo extra;
  extra.password = "secret";
  extra.official = true;
  return {data + BuildArchiveTail(entries, extra, 12, 34),
          data + BuildArchiveTailShort(entries, "pw1"), BuildArchiveTail({}, {}, 1, 2)};
}
