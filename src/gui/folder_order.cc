#include "gui/folder_order.h"

#include <algorithm>

namespace wizpak::gui {
namespace {

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (Digit(a[i]) && Digit(b[j])) {
      // Compare the numbers' values: without leading zeros the longer run
      // is the larger; of equal length, the first differing digit decides.
      size_t si = i;
      size_t sj = j;
      while (si < a.size() && a[si] == '0') ++si;
      while (sj < b.size() && b[sj] == '0') ++sj;
      size_t ei = si;
      size_t ej = sj;
      while (ei < a.size() && Digit(a[ei])) ++ei;
      while (ej < b.size() && Digit(b[ej])) ++ej;
      if (ei - si != ej - sj) return ei - si < ej - sj;
      const int order = a.substr(si, ei - si).compare(b.substr(sj, ej - sj));
      if (order != 0) return order < 0;
      i = ei;
      j = ej;
      continue;
    }
    const char ca = Lower(a[i]);
    const char cb = Lower(b[j]);
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
    ++i;
    ++j;
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  // Equal but for case or leading zeros: a fixed order all the same.
  return a < b;
}

void SortNaturally(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), NaturalLess);
}

}  // namespace wizpak::gui
