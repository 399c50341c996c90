// The table cmake/x-lazy-table.sh generates for the lazily bound X
// libraries: the libraries by soname, every function FLTK and the front-end
// call with the library that exports it, and one slot per function. A
// trampoline of the function's name jumps through its slot; until the
// libraries are loaded the slots point at wizpak_x_unbound.
#pragma once

#include <cstddef>

namespace wizpak::gui::fltk::xlazy {

struct Symbol {
  const char* name;
  unsigned library;  // index into kLibraries
};

extern const char* const kLibraries[];
extern const size_t kLibraryCount;
extern const Symbol kSymbols[];
extern const size_t kSymbolCount;

}  // namespace wizpak::gui::fltk::xlazy

extern "C" {
// Slot i holds the address of kSymbols[i].
extern void* wizpak_x_slots[];
// Where a slot points before loading: reports the call and aborts (an X
// function was called before LoadXLibraries succeeded: a program error).
[[noreturn]] void wizpak_x_unbound();
}
