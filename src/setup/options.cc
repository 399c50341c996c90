#include "setup/options.h"

#include <string_view>

#include "platform/process.h"

namespace wizpak::setup {

SetupOptions ParseSetupOptions(const std::vector<std::string>& arguments) {
  SetupOptions options;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view arg = arguments[i];
    if (!arg.starts_with("--")) {
      if (options.package_argument.empty()) options.package_argument = arguments[i];
      continue;
    }
    if (arg == "--help") {
      options.help = true;
    } else if (arg == "--unattended") {
      options.unattended = true;
    } else if (arg.starts_with("--ui=")) {
      options.ui = std::string(arg.substr(5));
      if (options.ui != "fltk" && options.ui != "headless" && options.ui != "win32" &&
          options.ui != "text") {
        options.error =
            "unknown front-end '" + options.ui + "' (use --ui=fltk, --ui=text or --ui=headless)";
      }
    } else if (arg.starts_with("--dir=")) {
      options.dir = platform::ArgumentToAnsi(arg.substr(6));
      if (options.dir.empty()) options.error = "--dir= needs a folder";
    } else {
      options.error = "unknown option " + std::string(arg) + " (see --help)";
    }
  }
  return options;
}

std::string SetupUsage(const std::string& program_name) {
  return "Usage: " + program_name +
         " [OPTIONS] [PACKAGE]\n"
         "Runs the setup carried in this program, or the package file PACKAGE.\n"
         "\n"
         "Options:\n"
         "  --ui=fltk|text|headless\n"
         "                      choose the front-end (default: fltk when a display is\n"
         "                      reachable, else text, the terminal wizard, when standard\n"
         "                      input and output are a terminal; win32, the native one,\n"
         "                      on Windows)\n"
         "  --unattended        install without questions: Next on every page; message\n"
         "                      boxes take OK, Yes, or Cancel for Retry/Cancel\n"
         "  --dir=FOLDER        installation folder, as if typed into the folder box\n"
         "  --help              show this text\n"
         "\n"
         "Environment:\n"
         "  WIZPAK_TRANSCRIPT=FILE  write every message box, page and status to FILE\n"
         "                          ('-' for stderr), one line each\n"
         "  WIZPAK_ANSWERS=a,b,...  answers for the next message boxes (ok, cancel, yes,\n"
         "                          no, retry)\n"
         "  WIZPAK_NO_OPEN=1        do not open an error report after writing it\n"
         "  WIZPAK_DRIVES, WIZPAK_REGISTRY, WIZPAK_LANGID  drive map, registry hive file\n"
         "                          and system language (see the wizpak README)\n";
}

}  // namespace wizpak::setup
