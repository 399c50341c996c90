#include "gui/frontend.h"

#include <map>
#include <mutex>

#include "gui/headless/headless_toolkit.h"
#include "platform/system.h"
#include "platform/terminal.h"

namespace wizpak::gui {
namespace {

std::map<std::string, ToolkitFactory, std::less<>>& Factories() {
  static std::map<std::string, ToolkitFactory, std::less<>> factories;
  return factories;
}

Toolkit*& Active() {
  static Toolkit* active = nullptr;
  return active;
}

}  // namespace

void RegisterToolkit(std::string name, ToolkitFactory factory) {
  Factories()[std::move(name)] = std::move(factory);
}

bool ToolkitRegistered(std::string_view name) {
  return name == "headless" || Factories().find(name) != Factories().end();
}

std::unique_ptr<Toolkit> CreateToolkit(const FrontEndOptions& options, std::string& error) {
  error.clear();
  std::string ui = options.ui;
  const bool automatic = ui.empty();
  if (ui.empty()) {
    if (options.unattended) {
      ui = "headless";
    } else if (ToolkitRegistered("win32")) {
      // Only the Windows build registers it, and Windows always has a desktop.
      ui = "win32";
    } else if (!platform::DisplayConfigured()) {
      error = "No display available: run the setup with --unattended (or --ui=headless).";
      return nullptr;
    } else if (ToolkitRegistered("fltk")) {
      ui = "fltk";
    } else {
      error = "This setup has no graphical front-end built in: run it with --unattended.";
      return nullptr;
    }
  }
  if (ui == "headless") return std::make_unique<headless::HeadlessToolkit>(options);
  auto it = Factories().find(ui);
  if (it == Factories().end()) {
    error = "Unknown front-end '" + ui +
            "': use --ui=" + std::string(ToolkitRegistered("win32") ? "win32" : "fltk") +
            " or --ui=headless.";
    return nullptr;
  }
  std::string why;
  std::unique_ptr<Toolkit> toolkit = it->second(options, why);
  if (toolkit) return toolkit;
  if (why.empty()) why = "no display?";
  if (automatic) {
    // DISPLAY names a display that cannot be reached, or the X libraries
    // are not installed: the person at a terminal still gets the wizard.
    error = "The graphical front-end cannot start (" + why + ")";
    auto text = Factories().find("text");
    if (text != Factories().end() && platform::StdinAndStdoutAreTerminals()) {
      std::string text_why;
      toolkit = text->second(options, text_why);
      if (toolkit) {
        error += ": using the terminal wizard.";
        return toolkit;
      }
    }
    error += ": run the setup with --unattended (or --ui=headless).";
  } else {
    error = "The " + ui + " front-end cannot start (" + why + "): run with --unattended.";
  }
  return toolkit;
}

Toolkit* ActiveToolkit() {
  return Active();
}
void SetActiveToolkit(Toolkit* toolkit) {
  Active() = toolkit;
}

}  // namespace wizpak::gui
