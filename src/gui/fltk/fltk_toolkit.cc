#include "gui/fltk/fltk_toolkit.h"

#include <cstdio>

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/x.H>

#include "gui/fltk/fltk_message_box.h"
#include "gui/fltk/fltk_style.h"
#include "gui/fltk/fltk_windows.h"
#include "gui/fltk/x_libraries.h"

#include "gui/fltk/fltk_undef_x.h"

namespace wizpak::gui::fltk {

namespace {

// A protocol error is the answer to one request, not a lost display: a
// window manager that died leaves its marks on the root window naming a
// window that no longer exists, and reading them fails with BadWindow.
// Xlib's own handler ends the process on any error, so the wizard would
// never appear; this one reports the error and lets the request fail.
int ReportXError(Display* display, XErrorEvent* event) {
  char text[128];
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "X error ignored: %s (request %d, resource 0x%lx)\n", text,
               event->request_code, static_cast<unsigned long>(event->resourceid));
  return 0;
}

}  // namespace

bool OpenDisplay(std::string& why) {
  static bool open = false;
  if (open) return true;
  if (!LoadXLibraries(why)) return false;
  // FLTK ends the process when it cannot open a display, so ask Xlib first.
  // Opening it here skips FLTK's own error handler, so set one.
  XSetErrorHandler(ReportXError);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    const char* name = XDisplayName(nullptr);
    why = std::string("cannot open display ") + (name && *name ? name : "(none named)");
    return false;
  }
  fl_open_display(display);
  RegisterFonts();
  Fl::scheme("gtk+");
  Fl::visible_focus(1);
  Fl::background(0xF0, 0xF0, 0xF0);
  Fl::set_color(FL_SELECTION_COLOR, 0x33, 0x99, 0xFF);
  FL_NORMAL_SIZE = PixelSize(8);
  open = true;
  return true;
}

FltkToolkit::FltkToolkit(FrontEndOptions options) : options_(std::move(options)) {
  previous_handler_ = SetMessageBoxHandler(ShowMessageBox);
}

FltkToolkit::~FltkToolkit() {
  SetMessageBoxHandler(std::move(previous_handler_));
}

std::unique_ptr<MainForm> FltkToolkit::CreateMainForm() {
  return std::make_unique<FltkMainForm>();
}

std::unique_ptr<VerifyWindow> FltkToolkit::CreateVerifyWindow() {
  return std::make_unique<FltkVerifyWindow>();
}

std::unique_ptr<DebugWindow> FltkToolkit::CreateDebugWindow() {
  return std::make_unique<FltkDebugWindow>();
}

void FltkToolkit::ProcessMessages() {
  Fl::check();
}

void FltkToolkit::Run(MainForm& form) {
  form.Show();
  while (!form.IsClosed()) {
    // With no window left to wait on, nothing can close the form any more.
    if (!Fl::first_window()) {
      form.Close();
      if (!form.IsClosed()) break;
      continue;
    }
    Fl::wait(0.5);
  }
}

}  // namespace wizpak::gui::fltk
