// The game-archive system: opens an archive of the installed game, checks its
// password, patches it with the entries of one package file group (zlib
// entries and sound entries), sets its official mark, and rewrites its table
// and trailer.
//
// Crash safety: before the old table is cut off, the archive's tail (table,
// header block and trailer) is saved to a journal beside the archive
// ("<archive>.journal") and flushed. On any failure, and at the next open if a
// journal is found, the tail is put back, so the archive always reads with its
// old or its new table. Bytes before the old table are never changed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gamearchive/archive_format.h"

namespace wizpak::gamearchive {

// What patching needs of the package: the entries of a group, in order.
class PatchSource {
 public:
  virtual ~PatchSource() = default;
  virtual uint32_t CountInGroup(uint16_t group) = 0;
  virtual void ForEachInGroup(uint16_t group, const std::function<void(uint32_t index)>& fn) = 0;
  virtual std::string EntryName(uint32_t index) = 0;
  virtual uint32_t EntrySize(uint32_t index) = 0;
  // The entry's content; nullopt when it cannot be read.
  virtual std::optional<std::string> Extract(uint32_t index) = 0;
};

// How patching talks to the user. Every member may be empty.
struct PatchFeedback {
  // Status while patching: files done of total (string 19 of the language).
  std::function<void(const std::string& archive, uint32_t done, uint32_t total)> progress;
  // Status once the archive is written (string 20).
  std::function<void(const std::string& archive)> finished;
  // One step of the installation gauge, after every entry; `repaint` when
  // the status text was just updated.
  std::function<void(bool repaint)> step;
};

// Thrown after a fatal archive error once the fatal handler has returned
// (tests install a handler that returns; the program's handler never does).
class ArchiveFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Thrown when the user cancels the retry box (the program then ends with 0).
class ArchiveCancelled : public std::runtime_error {
 public:
  ArchiveCancelled() : std::runtime_error("cancelled") {}
};

class TPakSystem {
 public:
  // The program-wide instance.
  static TPakSystem& Instance();

  // Patches archive `name` (relative to `install_folder`) with `group`.
  void UpdateArchive(PatchSource& source, uint16_t group, const std::string& install_folder,
                     const std::string& name, const std::string& password,
                     const PatchFeedback& feedback = {});
  // Sets or clears the official mark when `code` is the program's code.
  void SetOfficial(const std::string& install_folder, const std::string& name,
                   const std::string& code, const std::string& mark);

  // Puts back the tail saved in a journal beside `path`, if there is one.
  // Returns true when a journal was found and applied (or discarded because
  // the archive had not been touched yet).
  static bool RecoverFromJournal(const std::string& path);
  static std::string JournalPath(const std::string& path);

  // What the system asks of a person, given by its caller: the archive
  // system itself shows nothing. A fatal error goes to fail_handler (the
  // setup shows it and ends the program); when it returns, or there is none,
  // ArchiveFailure is thrown.
  std::function<void(const std::string& message)> fail_handler;
  // The retry box; true = retry. Without one, nothing is retried.
  std::function<bool(const std::string& message)> retry_handler;
  // Test seam: called with a step name at each point where a crash could
  // happen ("journal", "truncated", "entry", "table", "synced").
  std::function<void(const char* point)> crash_point;

  // Extra information as last read (for tools and tests).
  const ExtraInfo& Extra() const { return extra_; }

 private:
  struct OpenArchiveState;
  [[noreturn]] void FailArchive(const std::string& message);
  void Crash(const char* point) {
    if (crash_point) crash_point(point);
  }

  ExtraInfo extra_;
};

// Adds the stored form of `content` under `name`: kind 1 for ".WAV" (nullopt
// when the sound is declined), else kind 2.
struct StoredEntry {
  StorageKind kind;
  std::string bytes;
};
std::optional<StoredEntry> MakeStoredEntry(const std::string& name, const std::string& content);

}  // namespace wizpak::gamearchive
