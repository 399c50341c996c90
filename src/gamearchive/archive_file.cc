#include "gamearchive/archive_file.h"

#include "gamearchive/pak_system.h"
#include "package/pak.h"
#include "gamearchive/sound_form.h"
#include "platform/files.h"
#include "text/marl_encryption.h"

namespace wizpak::gamearchive {

namespace {

bool ReadAtFile(const std::string& path, uint64_t offset, size_t size, std::string& out) {
  platform::File file = platform::File::Open(path, platform::OpenMode::ReadShared);
  if (!file || file.Seek(static_cast<int64_t>(offset)) < 0) return false;
  out.assign(size, '\0');
  return file.Read(out.data(), static_cast<int64_t>(size)) == static_cast<int64_t>(size);
}

bool IsLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

bool IsSafeEntryName(const std::string& name) {
  return IsSafeRelativeName(name);
}

std::optional<ArchiveReader> OpenArchiveForReading(const std::string& path, std::string& error) {
  TPakSystem::RecoverFromJournal(path);
  platform::File file = platform::File::Open(path, platform::OpenMode::ReadShared);
  if (!file) {
    error = "cannot open " + path + ": " + platform::LastErrorText();
    return std::nullopt;
  }
  ArchiveReader reader;
  reader.path = path;
  const int64_t size = file.Size();
  reader.size = size < 0 ? 0 : static_cast<uint64_t>(size);
  auto index = ReadArchiveIndex(reader.size, [&](uint64_t offset, size_t n, std::string& out) {
    out.assign(n, '\0');
    return file.Seek(static_cast<int64_t>(offset)) >= 0 &&
           file.Read(out.data(), static_cast<int64_t>(n)) == static_cast<int64_t>(n);
  });
  if (!index) {
    error = "File " + path + " has corrupted header.";
    return std::nullopt;
  }
  reader.index = std::move(*index);
  return reader;
}

std::optional<std::string> ReadStoredBytes(const ArchiveReader& archive, const TableEntry& entry) {
  const uint64_t end = static_cast<uint64_t>(entry.offset()) + entry.stored_size();
  if (end > archive.index.table_start) return std::nullopt;
  std::string out;
  if (!ReadAtFile(archive.path, entry.offset(), entry.stored_size(), out)) return std::nullopt;
  return out;
}

std::optional<std::string> ReadEntryContent(const ArchiveReader& archive, const TableEntry& entry,
                                            std::string& error) {
  const auto stored = ReadStoredBytes(archive, entry);
  if (!stored) {
    error = "stored bytes lie outside the data region";
    return std::nullopt;
  }
  std::optional<std::string> content;
  if (entry.kind() == static_cast<uint8_t>(StorageKind::Stamped)) {
    content = UnstampStream(*stored, entry.unpacked_size());
    if (!content) error = "does not inflate to its unpacked size";
  } else if (entry.kind() == static_cast<uint8_t>(StorageKind::Sound)) {
    content = DecodeSoundForm(*stored);
    if (!content) error = "damaged sound entry";
  } else {
    error = "unknown storage kind " + std::to_string(entry.kind());
  }
  return content;
}

bool WriteNewArchive(const std::string& path, const std::vector<NewArchiveFile>& files,
                     const std::string& password, bool short_trailer, std::string& error) {
  if (short_trailer) {
    for (char c : password)
      if (!IsLetterOrDigit(c)) {
        error = "a short trailer holds only letters and digits";
        return false;
      }
    if (password.size() > 9) {
      error = "a short trailer holds at most 9 password characters";
      return false;
    }
  } else if (password.size() > kMaxPasswordLength) {
    error = "a password may have at most " + std::to_string(kMaxPasswordLength) + " characters";
    return false;
  }
  std::string archive;
  std::vector<TableEntry> entries;
  const uint32_t date = TodayDosDate();
  for (const NewArchiveFile& f : files) {
    if (!IsSafeEntryName(f.name) || f.name.size() > kMaxNameLength) {
      error = "unusable entry name: " + f.name;
      return false;
    }
    auto stored = MakeStoredEntry(f.name, f.content);
    if (!stored) stored = StoredEntry{StorageKind::Stamped, StampedStream(f.content)};
    if (uint64_t{archive.size()} + stored->bytes.size() > 0xFFFFFFFFull) {
      error = "archive larger than 4 GiB";
      return false;
    }
    entries.push_back(TableEntry::Make(
        stored->kind, date, static_cast<uint32_t>(stored->bytes.size()),
        static_cast<uint32_t>(f.content.size()), static_cast<uint32_t>(archive.size()), f.name));
    archive += stored->bytes;
  }
  ExtraInfo extra;
  extra.password = password;
  extra.has_password = !password.empty();
  archive += short_trailer ? BuildArchiveTailShort(entries, password)
                           : BuildArchiveTail(entries, extra, TMarlEncryptionType::RandomSeed(),
                                              TMarlEncryptionType::RandomSeed());
  if (!platform::WriteFileAtomic(path, archive)) {
    error = "cannot write " + path + ": " + platform::LastErrorText();
    return false;
  }
  return true;
}

}  // namespace wizpak::gamearchive
