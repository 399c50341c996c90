// The real setup's FLTK window, built from a script saved as UTF-8 without a
// byte-order mark: the window title the X server holds reads the characters
// the author typed, as the status texts and the folder do.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "gui/fltk/fltk_undef_x.h"
#include "platform/process.h"
#include "screen.h"
#include "support/test_support.h"

extern char** environ;

namespace wizpak::test {
namespace {

namespace fs = std::filesystem;

// A window listed a moment ago may be gone by the time it is asked for its
// title (the verification window closes): that error is expected, and
// Xlib's default handler would end the test over it.
int IgnoreXError(Display*, XErrorEvent*) {
  return 0;
}

// Set when the X server refuses a request of the stand-in window manager
// below: another manager already takes the root's map requests.
bool manager_refused = false;
int NoteRefusal(Display*, XErrorEvent*) {
  manager_refused = true;
  return 0;
}

// The UTF-8 title (_NET_WM_NAME) of `window`, or nothing.
std::optional<std::string> Title(Display* display, Window window) {
  const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) != Success ||
      data == nullptr) {
    return std::nullopt;
  }
  std::string title(reinterpret_cast<char*>(data), count);
  XFree(data);
  return title;
}

// The title of the first top-level window with a title other than the
// verification window's (the wizard, or a message box that stopped the
// setup before it), without leading blanks.
std::optional<std::string> FirstWindowTitle(Display* display) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return std::nullopt;
  }
  std::optional<std::string> found;
  for (unsigned int i = 0; i < count && !found; ++i) {
    std::optional<std::string> title = Title(display, children[i]);
    if (title) title->erase(0, title->find_first_not_of(' '));
    if (title && !title->empty() && *title != "Verifying Contents") found = title;
  }
  if (children != nullptr) XFree(children);
  return found;
}

// Starts `setup` with the FLTK front-end and waits until a window other than
// the verification window is up (the wizard, or a box that stopped the
// setup), or the setup has ended without one; the setup is then killed.
std::optional<std::string> WizardTitle(const std::string& setup) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return std::nullopt;
  XErrorHandler previous = XSetErrorHandler(IgnoreXError);
  std::string ui = "--ui=fltk";
  std::string program = setup;
  char* argv[] = {program.data(), ui.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, setup.c_str(), nullptr, nullptr, argv, environ) != 0) {
    XCloseDisplay(display);
    XSetErrorHandler(previous);
    return std::nullopt;
  }
  std::optional<std::string> title;
  int status = 0;
  bool ended = false;
  WaitUntil(
      [&] {
        title = FirstWindowTitle(display);
        ended = !title && waitpid(pid, &status, WNOHANG) == pid;
        return title || ended;
      },
      std::chrono::milliseconds(50));
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  XCloseDisplay(display);
  XSetErrorHandler(previous);
  return title;
}

// A private machine on which setups are built and shown with the FLTK
// front-end; skipped without a display or the built programs.
class SetupWindowTitle : public ::testing::Test {
 protected:
  void SetUp() override {
    WIZPAK_NEED_DISPLAY();
    for (const char* program : {"wizpak", "wizpak-stub"}) {
      if (!fs::exists(BuildDir() + "/" + program)) GTEST_SKIP() << program << " not built";
    }
  }

  // Builds a setup named `name` that installs to `folder` below the program
  // files and whose script shows `message`.
  std::string BuildSetup(const std::string& name, const std::string& folder = "Title",
                         const std::string& message = "Checking") {
    const std::string script = machine_.root().file("setup.kys");
    WriteHostFile(
        script, "name \"" + name + "\"\noutfile TitleSetup\ninstalldir \"$PROGRAMFILES\\" + folder +
                    "\"\npages default\nlanguage install\\english\nmessage \"" + message + "\"\n");
    const std::string setup = machine_.root().file("TitleSetup");
    EXPECT_EQ(platform::RunProgram(BuildDir() + "/wizpak", {"build", script, "-o", setup}), 0);
    return setup;
  }

  TestMachine machine_;
  ScopedEnv no_open_{"WIZPAK_NO_OPEN", "1"};
  ScopedEnv english_{"WIZPAK_LANGID", "0409"};
};

TEST_F(SetupWindowTitle, ReadsTheNameTheUtf8ScriptGives) {
  const std::string setup = BuildSetup(
      "Gr\xC3\xBC\xC3\x9F"
      "e",
      "Gr\xC3\xB6",
      "Gr\xC3\xB6\xC3\x9F"
      "e wird gepr\xC3\xBC"
      "ft");
  const std::optional<std::string> title = WizardTitle(setup);
  ASSERT_TRUE(title.has_value()) << "the setup ended without showing its wizard";
  EXPECT_EQ(*title,
            "Gr\xC3\xBC\xC3\x9F"
            "e");
}

TEST_F(SetupWindowTitle, WizardAppearsWhenTheRootNamesAGoneWindowManager) {
  // A window manager that died leaves _NET_SUPPORTING_WM_CHECK on the root
  // window naming its destroyed window; FLTK reads it when a window opens.
  const std::string setup = BuildSetup("Left Over");

  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window root = DefaultRootWindow(display);
  const Window gone = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  XChangeProperty(display, root, check, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&gone), 1);
  XDestroyWindow(display, gone);
  XSync(display, False);

  const std::optional<std::string> title = WizardTitle(setup);
  XDeleteProperty(display, root, check);
  XCloseDisplay(display);
  ASSERT_TRUE(title.has_value()) << "the setup ended without showing its wizard";
  EXPECT_EQ(*title, "Left Over");
}

TEST_F(SetupWindowTitle, WizardAppearsUnderAWindowManagerThatNeverMapsAWindow) {
  // A window manager that takes every map request and answers none (one
  // that hangs, or died with the requests queued): the verification window
  // is never shown, and the setup must still go on to its wizard.
  const std::string setup = BuildSetup("Never Mapped");

  Display* manager = XOpenDisplay(nullptr);
  ASSERT_NE(manager, nullptr);
  manager_refused = false;
  XErrorHandler previous = XSetErrorHandler(NoteRefusal);
  XSelectInput(manager, DefaultRootWindow(manager), SubstructureRedirectMask);
  XSync(manager, False);
  XSetErrorHandler(previous);
  if (manager_refused) {
    XCloseDisplay(manager);
    GTEST_SKIP() << "a window manager runs on this display";
  }

  const std::optional<std::string> title = WizardTitle(setup);
  XCloseDisplay(manager);
  ASSERT_TRUE(title.has_value()) << "the setup ended without making its wizard";
  EXPECT_EQ(*title, "Never Mapped");
}

}  // namespace
}  // namespace wizpak::test
