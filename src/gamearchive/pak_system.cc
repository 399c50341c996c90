#include "gamearchive/pak_system.h"

#include <unordered_map>

#include "gamearchive/sound_form.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/journal.h"
#include "text/digit_cipher.h"
#include "text/marl_encryption.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace wizpak::gamearchive {

namespace {

constexpr std::string_view kJournalMagic = "WZJ1";

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// Installation folder + "\" + archive name. A folder given as a host path
// (starting with "/") is joined the host's way, since host paths pass the
// platform layer untranslated.
std::string JoinArchivePath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder[0] != '/') return folder + "\\" + name;
  std::string joined = folder + "/" + name;
  for (char& c : joined)
    if (c == '\\') c = '/';
  return joined;
}

bool EndsWithWav(const std::string& name) {
  return name.size() >= 4 && AnsiUpper(name.substr(name.size() - 4)) == ".WAV";
}

bool ReadExact(platform::File& file, uint64_t offset, size_t size, std::string& out) {
  out.assign(size, '\0');
  if (file.Seek(static_cast<int64_t>(offset)) < 0) return false;
  return file.Read(out.data(), static_cast<int64_t>(size)) == static_cast<int64_t>(size);
}

// Journal layout: magic, table start (8 bytes), original size (8 bytes),
// the saved tail, CRC-32 of everything before it.
std::string JournalBytes(uint64_t table_start, uint64_t original_size, const std::string& tail) {
  std::string j(kJournalMagic);
  AppendLe(j, table_start);
  AppendLe(j, original_size);
  j += tail;
  AppendLe32(j, Crc32(j));
  return j;
}

struct Journal {
  uint64_t table_start = 0;
  uint64_t original_size = 0;
  std::string tail;
};

std::optional<Journal> ParseJournal(std::string_view j) {
  if (j.size() < 24) return std::nullopt;
  ByteReader in(j.substr(0, j.size() - 4));
  if (in.Take(4) != kJournalMagic || ByteReader(j).U32At(j.size() - 4) != Crc32(in.Whole()))
    return std::nullopt;
  Journal out;
  out.table_start = in.U64().value_or(0);
  out.original_size = in.U64().value_or(0);
  out.tail.assign(in.Rest());
  if (!in.Ok() || out.original_size != out.table_start + out.tail.size()) return std::nullopt;
  return out;
}

// Puts the saved tail back at its place and cuts the file after it.
bool RestoreTail(platform::File& file, const Journal& journal) {
  return file.Truncate(static_cast<int64_t>(journal.table_start)) &&
         file.Seek(static_cast<int64_t>(journal.table_start)) >= 0 && file.Write(journal.tail) &&
         file.Sync();
}

}  // namespace

// The state of one open archive during UpdateArchive or SetOfficial.
struct TPakSystem::OpenArchiveState {
  std::string path;
  platform::File file;
  ArchiveIndex index;
  // Table in insertion order; removed entries leave an empty slot.
  std::vector<std::optional<TableEntry>> table;
  std::unordered_map<std::string, size_t> by_name;  // ANSI lower-case name -> slot
  uint64_t next_offset = 0;
  bool write_failed = false;

  void BuildTable() {
    for (const TableEntry& e : index.entries) Append(e);
  }
  void Append(const TableEntry& e) {
    by_name[AnsiLower(e.name())] = table.size();
    table.push_back(e);
  }
  std::optional<size_t> Find(const std::string& name) const {
    auto it = by_name.find(AnsiLower(name));
    if (it == by_name.end()) return std::nullopt;
    return it->second;
  }
  std::vector<TableEntry> Entries() const {
    std::vector<TableEntry> out;
    for (const auto& slot : table)
      if (slot) out.push_back(*slot);
    return out;
  }
};

std::string TPakSystem::JournalPath(const std::string& path) {
  return path + ".journal";
}

bool TPakSystem::RecoverFromJournal(const std::string& path) {
  const std::string journal_path = JournalPath(path);
  if (!platform::FileExists(journal_path)) return false;
  const auto bytes = platform::ReadFileBytes(journal_path, 1u << 30);
  const auto journal = bytes ? ParseJournal(*bytes) : std::nullopt;
  if (journal) {
    platform::File file = platform::File::Open(path, platform::OpenMode::ReadWrite);
    if (!file || !RestoreTail(file, *journal)) return false;
  }
  // A journal that is incomplete was being written when the program stopped:
  // the archive had not been cut yet, so it is simply discarded.
  platform::DeleteFile(journal_path);
  return true;
}

void TPakSystem::FailArchive(const std::string& message) {
  if (fail_handler) fail_handler(message);
  throw ArchiveFailure(message);
}

namespace {

// Opens `path` for reading and writing with the retry box of the archive
// commands; throws ArchiveCancelled when the user gives up.
platform::File OpenWithRetry(const std::string& path,
                             const std::function<bool(const std::string&)>& retry) {
  for (;;) {
    std::string message;
    const uint32_t attributes = platform::GetFileAttributes(path);
    if (!platform::FileExists(path)) {
      message = "File not found: " + Quoted(path) + ".";
    } else if (attributes & platform::kAttributeReadOnly &&
               !platform::SetFileAttributes(path, attributes & ~platform::kAttributeReadOnly)) {
      message = "Unable to modify " + Quoted(path) + " attributes";
    } else {
      platform::File file = platform::File::Open(path, platform::OpenMode::ReadWrite);
      if (file) return file;
      message = "Unable to modify file:" + Quoted(path) +
                ", file may be in use or drive is write protected...";
    }
    if (!retry || !retry(message)) throw ArchiveCancelled();
  }
}

}  // namespace

std::optional<StoredEntry> MakeStoredEntry(const std::string& name, const std::string& content) {
  if (EndsWithWav(name)) {
    auto sound = BuildSoundForm(content, name);
    if (!sound) return std::nullopt;
    return StoredEntry{StorageKind::Sound, std::move(*sound)};
  }
  return StoredEntry{StorageKind::Stamped, StampedStream(content)};
}

void TPakSystem::UpdateArchive(PatchSource& source, uint16_t group,
                               const std::string& install_folder, const std::string& name,
                               const std::string& password, const PatchFeedback& feedback) {
  OpenArchiveState a;
  a.path = JoinArchivePath(install_folder, name);
  RecoverFromJournal(a.path);
  a.file = OpenWithRetry(a.path, retry_handler);
  const int64_t size = a.file.Size();
  auto index = ReadArchiveIndex(static_cast<uint64_t>(size < 0 ? 0 : size),
                                [&](uint64_t offset, size_t n, std::string& out) {
                                  return ReadExact(a.file, offset, n, out);
                                });
  if (!index) FailArchive("File " + a.path + " has corrupted header.");
  a.index = std::move(*index);
  extra_ = a.index.extra;
  a.BuildTable();

  // Password rule: an archive with a password takes only that password; one
  // without takes the first it is given.
  if (extra_.password.empty()) extra_.has_password = false;
  if (extra_.has_password) {
    if (password != extra_.password) FailArchive("Error Incorrect Password\rFile: " + name);
  } else {
    // The long trailer must stay within the last 56 bytes of the file, or the
    // archive could never be read again: refuse before anything changes.
    if (password.size() > kMaxPasswordLength) FailArchive("Error Password Too Long\rFile: " + name);
    extra_.password = password;
    extra_.has_password = true;
  }

  // Save the tail, then cut it off.
  std::string tail;
  if (!ReadExact(a.file, a.index.table_start, static_cast<size_t>(size) - a.index.table_start,
                 tail) ||
      !platform::WriteFileAtomic(
          JournalPath(a.path),
          JournalBytes(a.index.table_start, static_cast<uint64_t>(size), tail)) ||
      // The installation run keeps the old tail until it ends, to undo it.
      !platform::NoteFileTailChange(a.path, static_cast<int64_t>(a.index.table_start), tail))
    FailArchive("Unable to modify file:" + Quoted(a.path) +
                ", file may be in use or drive is write protected...");
  Crash("journal");
  auto fail = [&](const std::string& message) {
    a.file.Close();
    RecoverFromJournal(a.path);
    FailArchive(message);
  };
  if (!a.file.Truncate(static_cast<int64_t>(a.index.table_start)))
    fail("Unable to modify file:" + Quoted(a.path) +
         ", file may be in use or drive is write protected...");
  a.next_offset = a.index.table_start;
  Crash("truncated");

  const uint32_t total = source.CountInGroup(group);
  uint32_t done = 0;
  uint32_t last_percent = 0;
  if (feedback.progress) feedback.progress(name, 0, total);
  const uint32_t date = TodayDosDate();
  std::exception_ptr error;
  try {
    source.ForEachInGroup(group, [&](uint32_t k) {
      const uint32_t percent =
          total ? static_cast<uint32_t>(static_cast<double>(done) / total * 100.0) : 0;
      const bool updated = percent > last_percent;
      if (updated) {
        if (feedback.progress) feedback.progress(name, done, total);
        last_percent = percent;
      }
      const std::string entry_name = source.EntryName(k);
      const uint32_t unpacked = source.EntrySize(k);
      auto content = source.Extract(k);
      // An empty package entry extracts to nothing; any other entry that
      // yields nothing is damaged and is skipped rather than stored empty
      // over the game's file.
      if (!content && unpacked == 0) content = std::string();
      if (!content) {
        if (feedback.step) feedback.step(updated);
        ++done;
        return;
      }
      // Unchanged check, fast path: a zlib entry of the same name and size
      // whose stored bytes inflate to exactly the new content would be
      // stored again as the same bytes, so it stays without compressing the
      // file anew (inflating is several times faster than level-9 deflate).
      const auto existing_entry = a.Find(entry_name);
      if (existing_entry && !EndsWithWav(entry_name)) {
        const TableEntry& old = *a.table[*existing_entry];
        std::string old_bytes;
        if (old.kind() == static_cast<uint8_t>(StorageKind::Stamped) &&
            old.unpacked_size() == unpacked && content->size() == unpacked &&
            ReadExact(a.file, old.offset(), old.stored_size(), old_bytes)) {
          const auto old_content = UnstampStream(old_bytes, unpacked);
          if (old_content && *old_content == *content) {
            if (feedback.step) feedback.step(updated);
            ++done;
            return;
          }
        }
      }
      const auto stored = MakeStoredEntry(entry_name, *content);
      if (stored) {
        const auto existing = a.Find(entry_name);
        bool unchanged = false;
        if (existing) {
          const TableEntry& old = *a.table[*existing];
          std::string old_bytes;
          unchanged = old.stored_size() == stored->bytes.size() &&
                      old.unpacked_size() == unpacked &&
                      ReadExact(a.file, old.offset(), old.stored_size(), old_bytes) &&
                      Crc32(old_bytes) == Crc32(stored->bytes);
        }
        if (!unchanged) {
          if (a.file.Seek(static_cast<int64_t>(a.next_offset)) < 0 || !a.file.Write(stored->bytes))
            fail("Disk full, " + a.path + " is lost. Restore it from backup and try again. ");
          TableEntry entry =
              TableEntry::Make(stored->kind, date, static_cast<uint32_t>(stored->bytes.size()),
                               unpacked, static_cast<uint32_t>(a.next_offset), entry_name);
          a.next_offset += stored->bytes.size();
          if (existing) {
            entry.CopyNameFieldFrom(*a.table[*existing]);
            a.table[*existing].reset();
          }
          a.Append(entry);
          Crash("entry");
        }
      }
      if (feedback.step) feedback.step(updated);
      ++done;
    });
  } catch (const ArchiveFailure&) {
    throw;
  } catch (...) {
    error = std::current_exception();
  }

  if (feedback.finished) feedback.finished(name);
  // Table, header block and long trailer with fresh seeds.
  const std::string new_tail = BuildArchiveTail(
      a.Entries(), extra_, TMarlEncryptionType::RandomSeed(), TMarlEncryptionType::RandomSeed());
  Crash("table");
  a.write_failed = a.file.Seek(static_cast<int64_t>(a.next_offset)) < 0 ||
                   !a.file.Write(new_tail) || !a.file.Sync();
  if (a.write_failed)
    fail("Unable to write the table of " + a.path + ". The archive was left unchanged.");
  Crash("synced");
  a.file.Close();
  platform::DeleteFile(JournalPath(a.path));
  if (error) std::rethrow_exception(error);
}

void TPakSystem::SetOfficial(const std::string& install_folder, const std::string& name,
                             const std::string& code, const std::string& mark) {
  if (AsciiLower(code) != kOfficialCode) return;
  const std::string path = JoinArchivePath(install_folder, name);
  RecoverFromJournal(path);
  platform::File file = OpenWithRetry(path, retry_handler);
  const int64_t size = file.Size();
  auto index = ReadArchiveIndex(
      static_cast<uint64_t>(size < 0 ? 0 : size),
      [&](uint64_t offset, size_t n, std::string& out) { return ReadExact(file, offset, n, out); });
  if (!index) FailArchive("File " + path + " has corrupted header.");
  extra_ = index->extra;
  const std::string lower = AsciiLower(mark);
  extra_.official = lower == "t" || lower == "true" || mark == "1";

  std::string tail;
  if (!ReadExact(file, index->table_start, static_cast<size_t>(size) - index->table_start, tail) ||
      !platform::WriteFileAtomic(
          JournalPath(path), JournalBytes(index->table_start, static_cast<uint64_t>(size), tail)) ||
      !platform::NoteFileTailChange(path, static_cast<int64_t>(index->table_start), tail))
    FailArchive("Unable to modify file:" + Quoted(path) +
                ", file may be in use or drive is write protected...");
  Crash("journal");
  const std::string new_tail = BuildArchiveTail(
      index->entries, extra_, TMarlEncryptionType::RandomSeed(), TMarlEncryptionType::RandomSeed());
  const bool ok = file.Truncate(static_cast<int64_t>(index->table_start)) &&
                  file.Seek(static_cast<int64_t>(index->table_start)) >= 0 &&
                  file.Write(new_tail) && file.Sync();
  file.Close();
  if (!ok) {
    RecoverFromJournal(path);
    FailArchive("Unable to write the table of " + path + ". The archive was left unchanged.");
  }
  Crash("synced");
  platform::DeleteFile(JournalPath(path));
}

}  // namespace wizpak::gamearchive
