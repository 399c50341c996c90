// The host file operations the undo journal (journal.cc) is built on, one
// implementation per platform (journal_posix.cc, win32/journal_win32.cc).
// Paths are host paths as ToHostPath gives them: '/' between levels
// ("/home/a/c/App", or "C:/Program Files/App" in UTF-8 on Windows). Each
// call that fails records why in LastErrorText.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform::journal_host {

enum class Kind { Missing, File, Folder };
// What is at `host`, a link not followed (a link is a File, even to a folder).
Kind KindOf(const std::string& host);
// Moves `from` to `to`, replacing a file (not a folder) at `to`.
bool Rename(const std::string& from, const std::string& to);
// Removes a file or link; true when it is gone (or was never there).
bool RemoveFile(const std::string& host);
// Removes an empty folder; true when it is gone (or was never there).
bool RemoveEmptyFolder(const std::string& host);
// Removes a folder and all in it, never following a link.
void RemoveTree(const std::string& host);
// The names in a folder ("." and ".." left out); nullopt when unreadable.
std::optional<std::vector<std::string>> Names(const std::string& folder);
std::optional<std::string> ReadWhole(const std::string& host);
// Writes a whole file under a temporary name, flushes it and renames it over
// `host`.
bool WriteWhole(const std::string& host, std::string_view bytes);
// Cuts `host` at `offset`, writes `tail` there and flushes it.
bool RestoreTail(const std::string& host, int64_t offset, std::string_view tail);
// Flushes a folder's entries (where the host has such a flush).
void SyncFolder(const std::string& folder);
// The temporary folder, as a host path without a trailing '/'.
std::string TempFolderHost();
// The host path of a program path ("C:\App"), without a trailing '/'
// (unless it is a root); the text itself when it names no host path.
std::string HostOfProgram(std::string_view program_path);

// The journal file: created empty (never through a link), appended to,
// flushed. Handles are -1 when not open. Fails when `host` exists: a
// journal there was not undone and stays (the caller writes elsewhere).
intptr_t CreateJournalFile(const std::string& host);
// A journal file's bytes, read only when this user wrote it: a file of
// another user (planted where a setup looks for journals), a link, or one
// that others may write is not read, since its notes would be carried out
// with this user's rights. nullopt then, with `foreign` set.
std::optional<std::string> ReadJournalFile(const std::string& host, bool& foreign);
// Writes all of `text` at the end; when only part of it got there the file
// is cut back to `size_before`, so it holds whole lines only.
bool AppendJournalFile(intptr_t handle, std::string_view text, uint64_t size_before);
bool SyncJournalFile(intptr_t handle);
void CloseJournalFile(intptr_t handle);

}  // namespace wizpak::platform::journal_host
