// Host-path file primitives shared by the platform units: the fault seam
// check, errno-to-text reporting and the atomic whole-file replace. Every
// function here consults the fault seam exactly as the public calls do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/fault_seam.h"
#include "platform/files.h"

namespace wizpak::platform {

// The case-folded form two host names are compared by, as Windows compares
// them: ASCII and Windows-1252 letters. "" for a name Windows-1252 cannot
// hold (it only ever matches itself).
std::string CaseKey(std::string_view host_name);
// `host_path` as it exists when some of its levels differ only in letter
// case (as Windows finds names); unchanged when it exists as spelled, and
// the missing levels as spelled.
std::string MatchHostCase(const std::string& host_path);

// Reads a whole host file; nullopt when unreadable or larger than `limit`.
std::optional<std::string> ReadHostFileBytes(const std::string& host_path, uint64_t limit);
// Replaces a host file atomically: temporary file beside it, write, fsync,
// rename, fsync of the folder. The temporary file is removed on failure.
bool WriteHostFileAtomic(const std::string& host_path, std::string_view bytes);

}  // namespace wizpak::platform
