// install_log_dump LOG: prints an install log as the setup's own reader sees
// it, one entry a line ("file PATH", "registry ENTRY", "folder PATH"), for
// the walks that check what a run left behind. Exits 1 when the file cannot
// be read and 2 when the reader refuses it.
#include <cstdio>
#include <optional>
#include <string>

#include "platform/files.h"
#include "uninstall/install_log_format.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: install_log_dump LOG\n");
    return 1;
  }
  const std::optional<std::string> bytes = wizpak::platform::ReadFileBytes(argv[1]);
  if (!bytes) {
    std::fprintf(stderr, "install_log_dump: cannot read %s\n", argv[1]);
    return 1;
  }
  const wizpak::InstallLogDecoding log = wizpak::DecodeInstallLog(*bytes);
  if (!log.ok) {
    std::fprintf(stderr, "install_log_dump: %s: %s\n", argv[1], log.error.c_str());
    return 2;
  }
  for (const std::string& file : log.lists.files) std::printf("file %s\n", file.c_str());
  for (const std::string& entry : log.lists.registry_entries)
    std::printf("registry %s\n", entry.c_str());
  for (const std::string& folder : log.lists.directories)
    std::printf("folder %s\n", folder.c_str());
  return 0;
}
