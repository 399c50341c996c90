#include "text/unicode_string_list.h"

#include "platform/byte_reader.h"

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
  // The first two bytes are the byte-order mark; a last odd byte is no
  // character.
  ByteReader in(buffer, size);
  in.Skip(2);
  std::u16string line;
  for (auto unit = in.U16(); unit; unit = in.U16()) {
    const auto c = static_cast<char16_t>(*unit);
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
