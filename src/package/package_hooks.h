// Where the package's writers report while they write files out: the
// status text, the progress step, the install log and the byte-size text.
// The run owns its hooks and passes them to every extraction and forced
// folder or file write; start-up connects them to the wizard's status
// label, the progress gauge and the install log. Unset hooks mean nobody is
// listening, and are skipped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace wizpak {

struct PackageHooks {
  // Shows the extraction status for `file_text` (string 18 of the language
  // with "<%FILENAME%>" replaced by it), repainted at once.
  std::function<void(std::string_view file_text)> show_extract_status;
  // One progress step, repainted.
  std::function<void()> step_progress;
  // A file written / a folder created, for the install log.
  std::function<void(std::string_view path)> add_file;
  std::function<void(std::string_view path)> add_directory;
  // Byte counts as text ("25.00 MB"); without it the plain number is shown.
  std::function<std::string(uint64_t bytes)> format_byte_size;
  // Asked before each entry and between the pieces of a large one: true
  // stops the extraction there. Every file written so far stays, complete
  // and logged; a large file cut off part-way is discarded, never committed.
  std::function<bool()> stop_requested;
  // Called between entries and between the pieces of a large one: lets the
  // window handle its events when it has not for a while.
  std::function<void()> keep_responsive;

  // True when stop_requested is set and asks to stop.
  bool StopRequested() const { return stop_requested && stop_requested(); }
};

}  // namespace wizpak
