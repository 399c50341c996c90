// Verifying TPak entries: one pass over the stored bytes of each against
// its CRC (or, for a large entry, the check record), reading small entries
// through a window so that a run of them reads the package in large pieces.
#include "package/pak.h"

#include <algorithm>

#include "package/zlib_stream.h"

namespace wizpak {

namespace {
constexpr uint32_t kReadWindowSize = 1u << 20;
constexpr uint32_t kWindowedEntrySize = 256u << 10;  // stored bytes read through the window
}  // namespace

const char* TPak::StoredBytesThroughWindow(const TPakEntry& e) {
  const uint64_t length = e.StoredLength();
  if (e.Offset < window_offset_ || e.Offset + length > window_offset_ + read_window_.size()) {
    read_window_.resize(kReadWindowSize);
    const int64_t got =
        file_.ReadAt(static_cast<int64_t>(e.Offset), read_window_.data(), kReadWindowSize);
    read_window_.resize(got > 0 ? static_cast<size_t>(got) : 0);
    window_offset_ = e.Offset;
    if (length > read_window_.size()) return nullptr;
  }
  return read_window_.data() + (e.Offset - window_offset_);
}

std::optional<uint32_t> TPak::StoredCrc(uint32_t index) {
  const TPakEntry& e = Entries[index];
  if (e.StoredLength() <= kWindowedEntrySize) {
    const char* bytes = StoredBytesThroughWindow(e);
    if (bytes == nullptr) return std::nullopt;
    return Crc32Continue(0, bytes, e.StoredLength());
  }
  constexpr uint32_t kPiece = 4u << 20;
  std::string buffer(std::min(kPiece, e.StoredLength()), '\0');
  uint32_t crc = 0;
  for (uint64_t done = 0; done < e.StoredLength();) {
    const int64_t piece = static_cast<int64_t>(std::min<uint64_t>(kPiece, e.StoredLength() - done));
    if (file_.ReadAt(static_cast<int64_t>(e.Offset + done), buffer.data(), piece) != piece)
      return std::nullopt;
    crc = Crc32Continue(crc, buffer.data(), static_cast<size_t>(piece));
    done += static_cast<uint64_t>(piece);
  }
  return crc;
}

bool TPak::VerifyEntry(uint32_t index) {
  if (index >= Entries.size() || Entries[index].Damaged) return false;
  const TPakEntry& e = Entries[index];
  // An empty file has nothing to check.
  if (e.OrigSize == 0) return true;
  // The CRC covers the stored bytes, so one pass over them checks the entry;
  // extraction checks that a stream inflates to its content size. A large
  // entry is checked against the package's check record when it has one.
  if (e.OrigSize >= kLargeEntrySize) {
    const auto check = large_checks_.find(index);
    return check == large_checks_.end() || StoredCrc(index) == check->second;
  }
  return StoredCrc(index) == e.CRC;
}

}  // namespace wizpak
