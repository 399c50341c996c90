// Opens the X libraries with dlopen and fills the slots of the generated
// table, so the trampolines FLTK calls reach the real functions. Nothing is
// bound until the FLTK front-end is chosen: a headless run, or a machine
// without X, never loads an X library.
#include "gui/fltk/x_libraries.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui/fltk/xlib_lazy/x_table.h"

extern "C" void wizpak_x_unbound() {
  std::fputs("wizpak: an X library function was called before the X libraries were loaded\n",
             stderr);
  std::abort();
}

namespace wizpak::gui::fltk {
namespace {

bool Bound() {
  return xlazy::kSymbolCount > 0 && wizpak_x_slots[0] != reinterpret_cast<void*>(&wizpak_x_unbound);
}

std::string LastDlError(const char* fallback) {
  const char* text = dlerror();
  return text ? text : fallback;
}

}  // namespace

bool LoadXLibraries(std::string& error) {
  error.clear();
  if (Bound()) return true;
  std::vector<void*> handles;
  auto give_up = [&handles](std::string& error, std::string text) {
    for (void* handle : handles) dlclose(handle);
    error = std::move(text);
    return false;
  };
  for (size_t i = 0; i < xlazy::kLibraryCount; ++i) {
    void* handle = dlopen(xlazy::kLibraries[i], RTLD_NOW | RTLD_LOCAL);
    if (!handle) return give_up(error, LastDlError(xlazy::kLibraries[i]));
    handles.push_back(handle);
  }
  std::vector<void*> found(xlazy::kSymbolCount);
  for (size_t i = 0; i < xlazy::kSymbolCount; ++i) {
    const xlazy::Symbol& symbol = xlazy::kSymbols[i];
    dlerror();
    found[i] = dlsym(handles[symbol.library], symbol.name);
    if (!found[i]) {
      return give_up(error, std::string(xlazy::kLibraries[symbol.library]) + " has no " +
                                symbol.name + " (too old a version?)");
    }
  }
  // The libraries stay open for the rest of the run.
  for (size_t i = 0; i < xlazy::kSymbolCount; ++i) wizpak_x_slots[i] = found[i];
  return true;
}

}  // namespace wizpak::gui::fltk
