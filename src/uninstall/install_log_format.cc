// Install log encoding and bounded decoding.
#include "uninstall/install_log_format.h"

#include "platform/path_bounds.h"
#include "text/digit_cipher.h"

#include <cstdint>

namespace wizpak {
namespace {

constexpr const char* kListNames[3] = {"file", "registry entry", "folder"};

void PutU16(std::string& out, size_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

// A cursor over the bytes that never moves past their end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  size_t remaining() const { return bytes_.size() - pos_; }
  size_t position() const { return pos_; }
  bool ReadU16(uint16_t& value) {
    if (remaining() < 2) return false;
    value = static_cast<uint16_t>(static_cast<unsigned char>(bytes_[pos_]) |
                                  (static_cast<unsigned char>(bytes_[pos_ + 1]) << 8));
    pos_ += 2;
    return true;
  }
  bool ReadBytes(size_t n, std::string_view& out) {
    if (remaining() < n) return false;
    out = bytes_.substr(pos_, n);
    pos_ += n;
    return true;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

}  // namespace

InstallLogEncoding EncodeInstallLog(const InstallLogLists& lists) {
  InstallLogEncoding result;
  const std::vector<std::string>* parts[3] = {&lists.files, &lists.registry_entries,
                                              &lists.directories};
  size_t total = 6;
  for (int p = 0; p < 3; ++p) {
    const auto& list = *parts[p];
    if (list.size() > kMaxInstallLogEntries) {
      result.error = "the install log holds " + std::to_string(list.size()) + " " + kListNames[p] +
                     " entries; at most " + std::to_string(kMaxInstallLogEntries) + " fit";
      return result;
    }
    for (size_t i = 0; i < list.size(); ++i) {
      if (list[i].size() > kMaxInstallLogEntryBytes) {
        result.error = std::string(kListNames[p]) + " entry " + std::to_string(i + 1) +
                       " of the install log is " + std::to_string(list[i].size()) +
                       " bytes long; at most " + std::to_string(kMaxInstallLogEntryBytes) + " fit";
        return result;
      }
      total += 2 + list[i].size();
    }
  }
  result.bytes.reserve(total);
  for (const auto* list : parts) PutU16(result.bytes, list->size());
  for (const auto* list : parts) {
    for (const std::string& entry : *list) {
      PutU16(result.bytes, entry.size());
      result.bytes += EncryptWithDigitKey(kInstallLogKey, entry);
    }
  }
  result.ok = true;
  return result;
}

InstallLogDecoding DecodeInstallLog(std::string_view bytes) {
  InstallLogDecoding result;
  Reader reader(bytes);
  uint16_t counts[3] = {0, 0, 0};
  for (uint16_t& count : counts) {
    if (!reader.ReadU16(count)) {
      result.error = "the install log is " + std::to_string(bytes.size()) +
                     " bytes long, shorter than its 6-byte header";
      return result;
    }
  }
  // Every entry needs at least its 2-byte length: refuse counts the bytes
  // cannot hold before reserving anything.
  const size_t least = 2 * (size_t{counts[0]} + counts[1] + counts[2]);
  if (least > reader.remaining()) {
    result.error = "the install log announces " + std::to_string(least / 2) + " entries but only " +
                   std::to_string(reader.remaining()) + " bytes follow its header";
    return result;
  }
  std::vector<std::string>* parts[3] = {&result.lists.files, &result.lists.registry_entries,
                                        &result.lists.directories};
  for (int p = 0; p < 3; ++p) {
    parts[p]->reserve(counts[p]);
    for (size_t i = 0; i < counts[p]; ++i) {
      uint16_t length = 0;
      std::string_view cipher;
      const size_t at = reader.position();
      if (!reader.ReadU16(length) || !reader.ReadBytes(length, cipher)) {
        result.error = std::string(kListNames[p]) + " entry " + std::to_string(i + 1) +
                       " at byte " + std::to_string(at) + " runs past the end of the " +
                       std::to_string(bytes.size()) + "-byte install log";
        result.lists = {};
        return result;
      }
      std::string entry = DecryptWithDigitKey(kInstallLogKey, cipher);
      // Files and folders are paths the uninstaller deletes: a control
      // character (a NUL would hide a ".." from every check) or a path longer
      // or deeper than Windows allows is damage, not a name.
      const std::string fault = p == 1 ? std::string() : platform::PathTextFault(entry);
      if (!fault.empty() || (p == 1 && entry.find('\0') != std::string::npos)) {
        result.error = std::string(kListNames[p]) + " entry " + std::to_string(i + 1) + " " +
                       (fault.empty() ? "holds a NUL" : fault);
        result.lists = {};
        return result;
      }
      parts[p]->push_back(std::move(entry));
    }
  }
  if (reader.remaining() != 0) {
    result.error = "the install log has " + std::to_string(reader.remaining()) +
                   " unexpected bytes after its last entry";
    result.lists = {};
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace wizpak
