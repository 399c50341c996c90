// The setup program's command line: the front-end options (--ui=,
// --unattended, --dir=, --help) and the optional package argument. Options
// are never taken as the package argument.
#pragma once

#include <string>
#include <vector>

namespace wizpak::setup {

struct SetupOptions {
  std::string ui;  // "", "fltk" or "headless"
  bool unattended = false;
  std::string dir;  // --dir=FOLDER, as if typed into the folder box; "" = not given
  bool help = false;
  // The first argument that is not an option ("" when there is none).
  std::string package_argument;
  // A one-line message for a bad option; "" when the command line is fine.
  std::string error;
};

// `arguments` is argv with argument 0 first.
SetupOptions ParseSetupOptions(const std::vector<std::string>& arguments);

// The --help text.
std::string SetupUsage(const std::string& program_name);

}  // namespace wizpak::setup
