// Install log encoding and bounded decoding.
#include "uninstall/install_log_format.h"

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/path_bounds.h"
#include "text/digit_cipher.h"

#include <cstdint>

namespace wizpak {
namespace {

constexpr const char* kListNames[3] = {"file", "registry entry", "folder"};

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
  for (const auto* list : parts) AppendLe16(result.bytes, static_cast<uint16_t>(list->size()));
  for (const auto* list : parts) {
    for (const std::string& entry : *list) {
      AppendLe16(result.bytes, static_cast<uint16_t>(entry.size()));
      result.bytes += EncryptWithDigitKey(kInstallLogKey, entry);
    }
  }
  result.ok = true;
  return result;
}

InstallLogDecoding DecodeInstallLog(std::string_view bytes) {
  InstallLogDecoding result;
  ByteReader reader(bytes);
  uint16_t counts[3] = {0, 0, 0};
  for (uint16_t& count : counts) {
    const auto read = reader.U16();
    if (!read) {
      result.error = "the install log is " + std::to_string(bytes.size()) +
                     " bytes long, shorter than its 6-byte header";
      return result;
    }
    count = *read;
  }
  // Every entry needs at least its 2-byte length: refuse counts the bytes
  // cannot hold before reserving anything.
  const size_t least = 2 * (size_t{counts[0]} + counts[1] + counts[2]);
  if (least > reader.Remaining()) {
    result.error = "the install log announces " + std::to_string(least / 2) + " entries but only " +
                   std::to_string(reader.Remaining()) + " bytes follow its header";
    return result;
  }
  std::vector<std::string>* parts[3] = {&result.lists.files, &result.lists.registry_entries,
                                        &result.lists.directories};
  for (int p = 0; p < 3; ++p) {
    parts[p]->reserve(counts[p]);
    for (size_t i = 0; i < counts[p]; ++i) {
      const size_t at = reader.Position();
      const auto cipher = reader.Counted16();
      if (!cipher) {
        result.error = std::string(kListNames[p]) + " entry " + std::to_string(i + 1) +
                       " at byte " + std::to_string(at) + " runs past the end of the " +
                       std::to_string(bytes.size()) + "-byte install log";
        result.lists = {};
        return result;
      }
      std::string entry = DecryptWithDigitKey(kInstallLogKey, *cipher);
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
  if (reader.Remaining() != 0) {
    result.error = "the install log has " + std::to_string(reader.Remaining()) +
                   " unexpected bytes after its last entry";
    result.lists = {};
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace wizpak
