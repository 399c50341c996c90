#include <cstdio>

#include "tools/subcommands.h"

namespace wizpak::tools {

int RunBuild(const Args&) {
  std::fprintf(stderr, "wizpak build: not available in this build yet\n");
  return 2;
}

}  // namespace wizpak::tools
