// Reading the names of temporary files back: which process made one, so a
// sweep can tell the leftovers of a killed run from files being written.
// The same on every host.
#include <string_view>

#include "platform/safe_files.h"

namespace wizpak::platform {

long TemporaryFileOwner(std::string_view name) {
  // ".NAME.<pid>-<10 hex digits>.tmp", NAME not empty.
  if (name.size() < 18 || name[0] != '.' || !name.ends_with(".tmp")) return 0;
  const std::string_view stem = name.substr(0, name.size() - 4);
  const size_t dot = stem.rfind('.');
  if (dot == std::string_view::npos || dot <= 1) return 0;
  const std::string_view tag = stem.substr(dot + 1);
  const size_t dash = tag.find('-');
  if (dash == std::string_view::npos || dash == 0 || tag.size() - dash - 1 != 10) return 0;
  long pid = 0;
  for (const char c : tag.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 100000000) return 0;
    pid = pid * 10 + (c - '0');
  }
  for (const char c : tag.substr(dash + 1))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return 0;
  return pid;
}

}  // namespace wizpak::platform
