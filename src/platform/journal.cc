#include "platform/journal.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/journal_host.h"
#include "platform/registry.h"
#include "platform/safe_files.h"

namespace wizpak::platform {

namespace {

Journal* active_journal = nullptr;

constexpr std::string_view kHeader = "WIZPAK-JOURNAL 1";
constexpr std::string_view kAsidePrefix = ".wzaside";
// Notes that only add something are flushed after this many.
constexpr size_t kFlushBatch = 1024;

// Clears the journal in scope while the journal itself undoes or tidies, so
// its own registry and file calls are not noted again.
class NoJournal {
 public:
  NoJournal() : saved_(std::exchange(active_journal, nullptr)) {}
  ~NoJournal() { active_journal = saved_; }
  NoJournal(const NoJournal&) = delete;
  NoJournal& operator=(const NoJournal&) = delete;

 private:
  Journal* saved_;
};

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
  }
  return out;
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(
        Unescape(line.substr(start, tab == std::string_view::npos ? tab : tab - start)));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

namespace host = journal_host;

// The folder a host path is in: "/" and "C:/" are roots.
std::string FolderOfHost(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

std::string JoinHost(const std::string& folder, std::string_view name) {
  return (folder.ends_with('/') ? folder : folder + "/") + std::string(name);
}

std::string AsideNameFor(const std::string& path) {
  return JoinHost(FolderOfHost(path), std::string(kAsidePrefix) + UniqueSuffix());
}

bool IsFolder(const std::string& path) {
  return host::KindOf(path) == host::Kind::Folder;
}

bool Exists(const std::string& path) {
  return host::KindOf(path) != host::Kind::Missing;
}

std::string JournalName(std::string_view key) {
  return ".wizpak-journal-" + std::string(key);
}

void RemoveAside(const std::string& aside) {
  if (IsFolder(aside)) {
    host::RemoveTree(aside);
  } else {
    host::RemoveFile(aside);
  }
}

bool RestoreTail(const std::string& path, int64_t offset, const std::string& tail_file) {
  if (!Exists(tail_file)) return true;  // restored already
  const auto tail = host::ReadWhole(tail_file);
  if (!tail || !host::RestoreTail(path, offset, *tail)) return false;
  host::RemoveFile(tail_file);
  return true;
}

// Undoes one record; false when it could not be put back.
bool Undo(const std::vector<std::string>& r) {
  const std::string& kind = r[0];
  if (kind == "N" && r.size() >= 2) {
    const host::Kind what = host::KindOf(r[1]);
    if (what == host::Kind::Missing) return true;
    if (what == host::Kind::Folder) return false;
    return host::RemoveFile(r[1]);
  }
  if (kind == "D" && r.size() >= 2) {
    return host::RemoveEmptyFolder(r[1]);
  }
  if ((kind == "A" || kind == "R") && r.size() >= 3) {
    if (!Exists(r[2])) return true;  // never moved, or moved back already
    if (kind == "R" && IsFolder(r[1])) host::RemoveEmptyFolder(r[1]);
    return host::Rename(r[2], r[1]);
  }
  if (kind == "M" && r.size() >= 3) {
    if (!Exists(r[2]) || Exists(r[1])) return !Exists(r[2]);
    return host::Rename(r[2], r[1]);
  }
  if (kind == "V" && r.size() >= 6) {
    Registry registry;
    const auto root = static_cast<RootKey>(std::atoi(r[1].c_str()));
    if (r[4] == "1") return registry.WriteString(root, r[2], r[3], r[5]);
    if (r[4] == "2") return registry.WriteStored(root, r[2], r[3], r[5]);
    return !registry.ReadString(root, r[2], r[3]) || registry.DeleteValue(root, r[2], r[3]);
  }
  if (kind == "K" && r.size() >= 3) {
    return Registry().DeleteEmptyKey(static_cast<RootKey>(std::atoi(r[1].c_str())), r[2]);
  }
  if (kind == "H" && r.size() >= 2) {
    return Registry().RemoveHiveIfEmpty();
  }
  if (kind == "T" && r.size() >= 4) {
    return RestoreTail(r[1], std::atoll(r[2].c_str()), r[3]);
  }
  return true;
}

// Removes what a finished run set aside.
void Tidy(const std::vector<std::string>& r) {
  if ((r[0] == "A" || r[0] == "R") && r.size() >= 3) RemoveAside(r[2]);
  if (r[0] == "T" && r.size() >= 4) host::RemoveFile(r[3]);
}

struct ParsedJournal {
  std::vector<std::vector<std::string>> records;
  bool committed = false;
};

std::optional<ParsedJournal> ParseJournal(const std::string& bytes) {
  ParsedJournal parsed;
  size_t start = 0;
  bool header = true;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;  // a note cut off as it was written
    const std::string_view line(bytes.data() + start, end - start);
    start = end + 1;
    if (header) {
      if (line.substr(0, kHeader.size()) != kHeader) return std::nullopt;
      header = false;
      continue;
    }
    std::vector<std::string> fields = Fields(line);
    if (fields[0] == "X") {
      if (!parsed.records.empty()) parsed.records.pop_back();
    } else if (fields[0] == "C") {
      parsed.committed = true;
    } else {
      parsed.records.push_back(std::move(fields));
    }
  }
  if (header) return std::nullopt;
  return parsed;
}

bool UndoAll(const std::vector<std::vector<std::string>>& records,
             const std::function<void(size_t, size_t)>& step) {
  const NoJournal quiet;
  bool all = true;
  for (size_t i = records.size(); i-- > 0;) {
    if (!Undo(records[i])) all = false;
    if (step) step(records.size() - i, records.size());
  }
  return all;
}

void TidyAll(const std::vector<std::vector<std::string>>& records) {
  const NoJournal quiet;
  for (const auto& record : records) Tidy(record);
}

}  // namespace

std::string InstallFolderKey(std::string_view install_folder) {
  const std::string path = host::HostOfProgram(install_folder);
  uint64_t hash = 1469598103934665603ull;  // FNV-1a over the folder, any case
  for (char c : path) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<uint8_t>(lower == '/' ? '\\' : lower)) * 1099511628211ull;
  }
  char key[24];
  std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
  return key;
}

Journal::Journal(intptr_t handle, std::string path, std::string install_host)
    : handle_(handle), path_(std::move(path)), install_host_(std::move(install_host)) {}

Journal::~Journal() {
  host::CloseJournalFile(handle_);
}

std::unique_ptr<Journal> Journal::Begin(std::string_view install_folder) {
  const std::string install = host::HostOfProgram(install_folder);
  const std::string name = JournalName(InstallFolderKey(install_folder));
  // The nearest existing folder above the install folder, then the install
  // folder itself, then the temporary folder.
  std::vector<std::string> places;
  for (std::string above = install;;) {
    const std::string parent = FolderOfHost(above);
    if (parent == above || parent == ".") break;
    above = parent;
    if (IsFolder(above)) {
      places.push_back(above);
      break;
    }
  }
  if (IsFolder(install)) places.push_back(install);
  places.push_back(host::TempFolderHost());
  std::string reason;
  for (const std::string& place : places) {
    const std::string path = JoinHost(place, name);
    const intptr_t handle = host::CreateJournalFile(path);
    if (handle < 0) {
      reason = LastErrorText();
      continue;
    }
    std::unique_ptr<Journal> journal(new Journal(handle, path, install));
    if (journal->Append(std::string(kHeader) + "\t" + Escape(install), /*flush=*/true)) {
      host::SyncFolder(place);
      journal->records_ = 0;
      return journal;
    }
    reason = LastErrorText();
    host::CloseJournalFile(journal->handle_);
    journal->handle_ = -1;
    host::RemoveFile(path);
  }
  SetLastErrorText("the undo journal of " + std::string(install_folder) +
                   " cannot be written: " + reason);
  return nullptr;
}

bool Journal::Append(std::string_view lines, bool flush, size_t notes) {
  std::string text(lines);
  text += '\n';
  if (!host::AppendJournalFile(handle_, text, text_.size())) return false;
  text_ += text;
  records_ += notes;
  unflushed_ += notes;
  if (flush || unflushed_ >= kFlushBatch) {
    if (!host::SyncJournalFile(handle_)) return false;
    unflushed_ = 0;
  }
  return true;
}

bool Journal::NoteNewFile(const std::string& path) {
  return Append("N\t" + Escape(path), false);
}

bool Journal::NoteNewFiles(const std::string& first, const std::string& second) {
  return Append("N\t" + Escape(first) + "\nN\t" + Escape(second), false, 2);
}

bool Journal::NoteNewFolder(const std::string& path) {
  return Append("D\t" + Escape(path), false);
}

bool Journal::MoveAside(char kind, const std::string& path) {
  const std::string aside = AsideNameFor(path);
  if (!Append(std::string(1, kind) + "\t" + Escape(path) + "\t" + Escape(aside), /*flush=*/false))
    return false;
  if (!host::Rename(path, aside)) {
    // The rename did not happen: void its note, but report why it failed.
    const std::string reason = LastErrorText();
    Cancel();
    SetLastErrorText(reason);
    return false;
  }
  return true;
}

bool Journal::MoveFileAside(const std::string& path) {
  return MoveAside('A', path);
}

bool Journal::MoveFolderAside(const std::string& path) {
  // Only a folder that is empty but for what was moved aside goes: any
  // other content means the folder is not empty, as removing it would say.
  const auto names = host::Names(path);
  if (!names) return false;
  for (const std::string& entry : *names) {
    if (!entry.starts_with(kAsidePrefix)) {
      SetLastErrorText(path + " is not empty");
      return false;
    }
  }
  return MoveAside('R', path);
}

bool Journal::NoteMove(const std::string& from, const std::string& to) {
  return Append("M\t" + Escape(from) + "\t" + Escape(to), false);
}

bool Journal::NoteRegistryValue(int root, std::string_view key, std::string_view name,
                                const std::string* old_data) {
  return Append("V\t" + std::to_string(root) + "\t" + Escape(key) + "\t" + Escape(name) + "\t" +
                    (old_data ? "1\t" + Escape(*old_data) : std::string("0\t")),
                /*flush=*/true);
}

bool Journal::NoteRegistryStoredValue(int root, std::string_view key, std::string_view name,
                                      std::string_view stored) {
  return Append("V\t" + std::to_string(root) + "\t" + Escape(key) + "\t" + Escape(name) + "\t2\t" +
                    Escape(stored),
                /*flush=*/true);
}

bool Journal::NoteRegistryKeyCreated(int root, std::string_view key) {
  return Append("K\t" + std::to_string(root) + "\t" + Escape(key), /*flush=*/true);
}

bool Journal::NoteHiveCreated(const std::string& hive_host) {
  return Append("H\t" + Escape(hive_host), /*flush=*/true);
}

bool Journal::NoteFileTail(const std::string& path, int64_t offset, std::string_view tail) {
  const std::string tail_file = path_ + ".tail" + std::to_string(++tails_);
  if (!host::WriteWhole(tail_file, tail)) return false;
  return Append("T\t" + Escape(path) + "\t" + std::to_string(offset) + "\t" + Escape(tail_file),
                /*flush=*/true);
}

void Journal::Cancel() {
  if (Append("X", false) && records_ >= 2) records_ -= 2;
}

bool Journal::Rollback(const std::function<void(size_t, size_t)>& step) {
  host::SyncJournalFile(handle_);
  const auto parsed = ParseJournal(text_);
  if (!parsed) return false;
  const bool all = UndoAll(parsed->records, step);
  if (!all) return false;
  host::CloseJournalFile(handle_);
  handle_ = -1;
  host::RemoveFile(path_);
  return true;
}

bool Journal::Commit() {
  // Marked finished first: a kill while tidying up must not undo a run
  // that ended well. Where even that mark cannot be written, the journal
  // goes before anything is tidied, for the same reason.
  const bool marked = Append("C", /*flush=*/true);
  const auto parsed = ParseJournal(text_);
  host::CloseJournalFile(handle_);
  handle_ = -1;
  if (!marked) host::RemoveFile(path_);
  if (parsed) TidyAll(parsed->records);
  host::RemoveFile(path_);
  return marked;
}

void Journal::RestoreLast(const std::string& path) {
  const auto parsed = ParseJournal(text_);
  if (!parsed || parsed->records.empty()) return;
  const std::vector<std::string>& last = parsed->records.back();
  if (last.size() < 2 || last[1] != path) return;  // no note was made for it
  if ((last[0] == "A" || last[0] == "R") && last.size() >= 3) {
    const NoJournal quiet;
    Undo(last);
  }
  Cancel();
}

namespace {

// Removes the saved tails (and their half-written temporaries) that a run
// killed between writing a tail and noting it left beside its journal in
// `place`: no note refers to them, so nothing else ever would.
void RemoveLeftTails(const std::string& place, const std::string& journal_name) {
  const auto names = host::Names(place);
  if (!names) return;
  const std::string prefix = journal_name + ".tail";
  for (const std::string& entry : *names) {
    if (entry.starts_with(prefix)) host::RemoveFile(JoinHost(place, entry));
  }
}

}  // namespace

RecoveryResult RecoverInterruptedRun(std::string_view install_folder,
                                     const std::function<void(size_t, size_t)>& step) {
  const std::string install = host::HostOfProgram(install_folder);
  const std::string name = JournalName(InstallFolderKey(install_folder));
  std::vector<std::string> places{install};
  for (std::string above = install;;) {
    const std::string parent = FolderOfHost(above);
    if (parent == above || parent == ".") break;
    above = parent;
    places.push_back(above);
  }
  places.push_back(host::TempFolderHost());
  RecoveryResult result = RecoveryResult::NothingPending;
  for (const std::string& place : places) {
    const std::string path = JoinHost(place, name);
    if (!Exists(path)) {
      RemoveLeftTails(place, name);
      continue;
    }
    bool foreign = false;
    const auto bytes = host::ReadJournalFile(path, foreign);
    if (foreign || !bytes) {
      // Left as it is: not this user's to carry out, or not readable now.
      result = RecoveryResult::Incomplete;
      continue;
    }
    const auto parsed = ParseJournal(*bytes);
    if (!parsed) {
      host::RemoveFile(path);  // cut off before its first note: nothing changed
      RemoveLeftTails(place, name);
      continue;
    }
    if (parsed->committed) {
      TidyAll(parsed->records);
      host::RemoveFile(path);
      RemoveLeftTails(place, name);
      if (result == RecoveryResult::NothingPending) result = RecoveryResult::Finished;
      continue;
    }
    if (!UndoAll(parsed->records, step)) {
      result = RecoveryResult::Incomplete;
      continue;
    }
    host::RemoveFile(path);
    RemoveLeftTails(place, name);
    if (result != RecoveryResult::Incomplete) result = RecoveryResult::RolledBack;
  }
  return result;
}

JournalScope::JournalScope(Journal& journal) {
  active_journal = &journal;
}

JournalScope::~JournalScope() {
  active_journal = nullptr;
}

Journal* ActiveJournal() {
  return active_journal;
}

bool JournalBeforeWrite(const std::string& path) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr) return true;
  switch (host::KindOf(path)) {
    case host::Kind::Missing:
      return journal->NoteNewFile(path);
    case host::Kind::Folder:
      return true;  // the write refuses a folder itself
    case host::Kind::File:
      break;
  }
  return journal->MoveFileAside(path);
}

bool JournalBeforeNewFolder(const std::string& path) {
  Journal* journal = ActiveJournal();
  return journal == nullptr || journal->NoteNewFolder(path);
}

void JournalCancelLast() {
  if (Journal* journal = ActiveJournal()) journal->Cancel();
}

void JournalRestoreLast(const std::string& path) {
  if (Journal* journal = ActiveJournal()) journal->RestoreLast(path);
}

bool NoteFileTailChange(std::string_view path, int64_t offset, std::string_view tail) {
  Journal* journal = ActiveJournal();
  if (journal == nullptr) return true;
  return journal->NoteFileTail(host::HostOfProgram(path), offset, tail);
}

}  // namespace wizpak::platform
