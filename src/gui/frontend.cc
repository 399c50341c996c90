#include "gui/frontend.h"

#include <map>
#include <mutex>

#include "gui/headless/headless_toolkit.h"
#include "platform/system.h"
#include "platform/terminal.h"
#ifndef _WIN32
#include "gui/text/text_toolkit.h"
#endif

namespace wizpak::gui {
namespace {

constexpr const char* kNoDisplay =
    "No display and no terminal: run the setup with --unattended (or --ui=headless).";

std::map<std::string, ToolkitFactory, std::less<>>& Factories() {
  static std::map<std::string, ToolkitFactory, std::less<>> factories;
  return factories;
}

Toolkit*& Active() {
  static Toolkit* active = nullptr;
  return active;
}

std::string KnownNames(const FrontEndFacts& facts) {
  std::string names;
  if (!facts.graphical.empty()) names += "--ui=" + facts.graphical + ", ";
  if (facts.text) names += "--ui=text, ";
  return names + "or --ui=headless";
}

std::unique_ptr<Toolkit> MakeBuiltIn(std::string_view ui, const FrontEndOptions& options) {
  if (ui == "headless") return std::make_unique<headless::HeadlessToolkit>(options);
#ifndef _WIN32
  if (ui == "text") return std::make_unique<text::TextToolkit>(options);
#endif
  return nullptr;
}

}  // namespace

FrontEndChoice ChooseFrontEnd(const FrontEndFacts& facts) {
  if (!facts.ui.empty()) return FrontEndChoice{facts.ui, ""};
  if (facts.unattended) return FrontEndChoice{"headless", ""};
  // Only the Windows build has it, and Windows always has a desktop.
  if (facts.graphical == "win32") return FrontEndChoice{"win32", ""};
  if (facts.display && !facts.graphical.empty()) return FrontEndChoice{facts.graphical, ""};
  if (facts.terminal && facts.text) return FrontEndChoice{"text", ""};
  if (facts.display) {
    return FrontEndChoice{
        "", "This setup has no graphical front-end built in: run it with --unattended."};
  }
  return FrontEndChoice{"", kNoDisplay};
}

FrontEndChoice FallBackFrontEnd(const FrontEndFacts& facts, std::string_view why) {
  if (facts.terminal && facts.text) return FrontEndChoice{"text", ""};
  return FrontEndChoice{"", "The graphical front-end cannot start (" + std::string(why) +
                                "), and there is no terminal: run the setup with --unattended."};
}

FrontEndFacts CurrentFrontEndFacts(const FrontEndOptions& options) {
  FrontEndFacts facts;
  facts.ui = options.ui;
  facts.unattended = options.unattended;
  facts.display = platform::DisplayConfigured();
  facts.terminal = platform::StdinAndStdoutAreTerminals();
  if (Factories().count("win32"))
    facts.graphical = "win32";
  else if (Factories().count("fltk"))
    facts.graphical = "fltk";
#ifndef _WIN32
  facts.text = true;
#endif
  return facts;
}

void RegisterToolkit(std::string name, ToolkitFactory factory) {
  Factories()[std::move(name)] = std::move(factory);
}

bool ToolkitRegistered(std::string_view name) {
#ifndef _WIN32
  if (name == "text") return true;
#endif
  return name == "headless" || Factories().find(name) != Factories().end();
}

std::unique_ptr<Toolkit> CreateToolkit(const FrontEndOptions& options, std::string& error,
                                       std::string* notice) {
  error.clear();
  if (notice) notice->clear();
  const FrontEndFacts facts = CurrentFrontEndFacts(options);
  const FrontEndChoice choice = ChooseFrontEnd(facts);
  if (choice.ui.empty()) {
    error = choice.error;
    return nullptr;
  }
  if (std::unique_ptr<Toolkit> built_in = MakeBuiltIn(choice.ui, options)) return built_in;
  auto it = Factories().find(choice.ui);
  if (it == Factories().end()) {
    error = "Unknown front-end '" + choice.ui + "': use " + KnownNames(facts) + ".";
    return nullptr;
  }
  std::string why;
  std::unique_ptr<Toolkit> toolkit = it->second(options, why);
  if (toolkit) return toolkit;
  if (why.empty()) why = "no display?";
  if (!options.ui.empty()) {
    error = "The " + choice.ui + " front-end cannot start (" + why + "): run with --unattended.";
    return nullptr;
  }
  // DISPLAY names a display that cannot be reached, or the X libraries are
  // not installed: the person at a terminal still gets the wizard.
  const FrontEndChoice fallback = FallBackFrontEnd(facts, why);
  if (fallback.ui.empty()) {
    error = fallback.error;
    return nullptr;
  }
  if (notice) {
    *notice = "The graphical front-end cannot start (" + why + "): using the terminal wizard.";
  }
  return MakeBuiltIn(fallback.ui, options);
}

Toolkit* ActiveToolkit() {
  return Active();
}
void SetActiveToolkit(Toolkit* toolkit) {
  Active() = toolkit;
}

}  // namespace wizpak::gui
