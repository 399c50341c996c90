#include "text/unicode_string_list.h"

namespace wizpak {

int32_t TUnicodeStringList::AddObject(std::u16string text, const void* obj) {
  items_.push_back(TUniItem{std::move(text), obj});
  return static_cast<int32_t>(items_.size() - 1);
}

const std::u16string& TUnicodeStringList::Get(int32_t index) const {
  static const std::u16string kEmpty;
  if (index < 0 || index >= Count()) return kEmpty;
  return items_[static_cast<size_t>(index)].Text;
}

const void* TUnicodeStringList::GetObject(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].Obj;
}

bool TUnicodeStringList::LoadFromBuffer(const void* buffer, size_t size) {
  Clear();
  if (buffer == nullptr) return false;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  const size_t chars = size < 2 ? 0 : (size - 2) / 2;
  auto char_at = [&](size_t i) {
    const size_t at = 2 + i * 2;
    return static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
  };
  std::u16string line;
  for (size_t i = 0; i < chars; ++i) {
    const char16_t c = char_at(i);
    if (c == u'\r') {
      Add(std::move(line));
      line.clear();
    } else if (c == u'\n') {
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) Add(std::move(line));
  return true;
}

}  // namespace wizpak
