// wizpak: the author's tool. Builds setups from scripts and inspects
// packages and game archives.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "platform/process.h"
#include "platform/system.h"
#include "tools/subcommands.h"

namespace {

constexpr const char* kHelp =
    "usage: wizpak COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  build SCRIPT [-o OUT]          compile an install script into a setup executable\n"
    "  pack DIR -o FILE               pack a folder into a package file\n"
    "  list FILE                      list the entries of a package or setup\n"
    "  verify FILE                    check every entry as a setup does at start\n"
    "  extract FILE DIR [--group N]   write the entries of a package below DIR\n"
    "  archive list|extract|create|verify|patch ...   game data archives\n"
    "\n"
    "Run 'wizpak COMMAND --help' for the details of a command.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace wizpak::tools;
  wizpak::platform::SetCommandLine(argc, argv);
  wizpak::platform::UseClassicNumberFormatting();
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    std::fputs(kHelp, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  const Args args(argv + 2, argv + argc);
  try {
    if (command == "build") return RunBuild(args);
    if (command == "pack") return RunPack(args);
    if (command == "list") return RunList(args);
    if (command == "verify") return RunVerify(args);
    if (command == "extract") return RunExtract(args);
    if (command == "archive") return RunArchive(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wizpak %s: %s\n", command.c_str(), e.what());
    return 1;
  }
  std::fprintf(stderr, "wizpak: unknown command '%s' (see 'wizpak --help')\n", command.c_str());
  return 2;
}
