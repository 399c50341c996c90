#include "text/string_list.h"

#include "text/text_routines.h"

namespace wizpak {

const std::string& TStringList::Get(int32_t index) const {
  static const std::string kEmpty;
  if (index < 0 || index >= Count()) return kEmpty;
  return items_[static_cast<size_t>(index)];
}

void SplitLinesInto(TStringList& list, std::string_view text) {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  while (!text.empty()) {
    const size_t cr = text.find('\r');
    if (cr == std::string_view::npos) {
      list.Add(TrimText(text));
      return;
    }
    list.Add(TrimText(text.substr(0, cr)));
    text = text.substr(cr + 1);
  }
}

}  // namespace wizpak
