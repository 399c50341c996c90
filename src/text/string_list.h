// TStringList of the layout parser: the ANSI line list that the layout and
// page-set readers fill with SplitLinesInto.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak {

class TStringList {
 public:
  // Appends at the tail.
  void Add(std::string text) { items_.push_back(std::move(text)); }
  // The text at `index`; empty for an index below 0 or not below Count().
  const std::string& Get(int32_t index) const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::string> items_;
};

// Appends the lines of `text` to `list`: the text is split at every CR and
// each part is trimmed (codes 0..32 at both ends, so the LF of a CR LF pair
// goes too). Text after the last CR becomes a final item when not empty; so a
// text ending in CR LF yields a final empty item, one ending in CR doesn't.
// The text ends at its first zero byte, like the zero-terminated text it
// stands for.
void SplitLinesInto(TStringList& list, std::string_view text);

}  // namespace wizpak
