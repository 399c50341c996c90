#include <cstdio>

#include "tools/subcommands.h"

namespace wizpak::tools {

int RunArchive(const Args&) {
  std::fprintf(stderr, "wizpak archive: not available in this build yet\n");
  return 2;
}

}  // namespace wizpak::tools
