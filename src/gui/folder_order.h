// The order folder trees list folders in, as Explorer does: letters without
// regard to case, runs of digits by their value ("Title 2" before
// "Title 10").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizpak::gui {

bool NaturalLess(std::string_view a, std::string_view b);
void SortNaturally(std::vector<std::string>& names);

}  // namespace wizpak::gui
