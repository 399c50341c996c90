// TUnicodeStringList: a list of wide lines, each with an optional untyped
// reference, filled from a UTF-16 LE buffer by the language-file line rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wizpak {

struct TUniItem {
  std::u16string Text;
  const void* Obj = nullptr;  // not owned; null for loaded lines
};

class TUnicodeStringList {
 public:
  int32_t Add(std::u16string text) { return AddObject(std::move(text), nullptr); }
  int32_t AddObject(std::u16string text, const void* obj);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The text at `index`; empty for an index outside the list.
  const std::u16string& Get(int32_t index) const;
  const void* GetObject(int32_t index) const;
  void Clear() { items_.clear(); }

  // Replaces the list with the lines of a UTF-16 LE buffer of `size` bytes.
  // The first two bytes (the byte-order mark) are skipped unchecked and an
  // odd last byte is ignored. CR ends a line; LF moves the start of the next
  // line to the character after it, so CR LF and lone CR both end lines and
  // text before a lone LF is dropped. Text after the last CR is a final line
  // when not empty. Returns false (list left empty) for a null buffer.
  bool LoadFromBuffer(const void* buffer, size_t size);

 private:
  std::vector<TUniItem> items_;
};

// The message a null buffer reports.
inline constexpr std::string_view kCannotOpenFileMessage = "Cannot open file";

}  // namespace wizpak
