// ByteReader: the one reader of stored little-endian data. A value over
// bytes it does not own (pointer and length) with a read position. A read
// that would pass the end fails as a result (nullopt) and leaves the
// position where it was: nothing is ever read past the bytes, and a count
// read from them is only ever a view of what is really there, so no read
// allocates for what the bytes merely claim. After a failed read Ok() stays
// false, so a record of many fields can be read straight through and
// checked once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace wizpak {

class ByteReader {
 public:
  constexpr ByteReader() = default;
  constexpr explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  // Null data reads as no bytes, whatever `size` says.
  ByteReader(const void* data, size_t size)
      : bytes_(data == nullptr ? std::string_view()
                               : std::string_view(static_cast<const char*>(data), size)) {}

  size_t Size() const { return bytes_.size(); }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return bytes_.size() - pos_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  // True while no read has failed.
  bool Ok() const { return ok_; }
  std::string_view Whole() const { return bytes_; }

  // Moves to `position` (at most the end) or `count` bytes on; false when
  // that lies past the end.
  bool Seek(uint64_t position) {
    if (position > bytes_.size()) return Fail();
    pos_ = static_cast<size_t>(position);
    return true;
  }
  bool Skip(uint64_t count) {
    if (count > Remaining()) return Fail();
    pos_ += static_cast<size_t>(count);
    return true;
  }

  std::optional<uint8_t> U8() { return Next<uint8_t>(); }
  std::optional<uint16_t> U16() { return Next<uint16_t>(); }
  std::optional<uint32_t> U32() { return Next<uint32_t>(); }
  std::optional<uint64_t> U64() { return Next<uint64_t>(); }
  std::optional<int16_t> I16() { return Signed<int16_t>(U16()); }
  std::optional<int32_t> I32() { return Signed<int32_t>(U32()); }

  // The next `count` bytes.
  std::optional<std::string_view> Take(uint64_t count) {
    if (count > Remaining()) {
      Fail();
      return std::nullopt;
    }
    const std::string_view out = bytes_.substr(pos_, static_cast<size_t>(count));
    pos_ += out.size();
    return out;
  }
  // A 2-byte count, then that many bytes: both are read, or neither.
  std::optional<std::string_view> Counted16() {
    const size_t start = pos_;
    const auto count = U16();
    if (!count) return std::nullopt;
    const auto text = Take(*count);
    if (!text) pos_ = start;
    return text;
  }
  // Everything from the position on.
  std::string_view Rest() {
    const std::string_view out = bytes_.substr(pos_);
    pos_ = bytes_.size();
    return out;
  }

  // Reads at `at` bytes from the start, leaving the position and Ok() as
  // they are.
  std::optional<uint8_t> U8At(uint64_t at) const { return At<uint8_t>(at); }
  std::optional<uint16_t> U16At(uint64_t at) const { return At<uint16_t>(at); }
  std::optional<uint32_t> U32At(uint64_t at) const { return At<uint32_t>(at); }
  std::optional<uint64_t> U64At(uint64_t at) const { return At<uint64_t>(at); }
  std::optional<std::string_view> TakeAt(uint64_t at, uint64_t count) const {
    if (at > bytes_.size() || count > bytes_.size() - at) return std::nullopt;
    return bytes_.substr(static_cast<size_t>(at), static_cast<size_t>(count));
  }
  // A reader over `count` bytes at `at`; nullopt when they are not all there.
  std::optional<ByteReader> Part(uint64_t at, uint64_t count) const {
    const auto part = TakeAt(at, count);
    if (!part) return std::nullopt;
    return ByteReader(*part);
  }

 private:
  bool Fail() {
    ok_ = false;
    return false;
  }
  template <typename T>
  static T Decode(const char* p) {
    T value = 0;
    for (size_t i = sizeof(T); i-- > 0;)
      value = static_cast<T>(value << 8 | static_cast<uint8_t>(p[i]));
    return value;
  }
  template <typename T>
  std::optional<T> At(uint64_t at) const {
    if (at > bytes_.size() || bytes_.size() - at < sizeof(T)) return std::nullopt;
    return Decode<T>(bytes_.data() + at);
  }
  template <typename T>
  std::optional<T> Next() {
    const auto value = At<T>(pos_);
    if (!value) {
      Fail();
      return std::nullopt;
    }
    pos_ += sizeof(T);
    return value;
  }
  template <typename S, typename U>
  static std::optional<S> Signed(std::optional<U> value) {
    if (!value) return std::nullopt;
    return static_cast<S>(*value);
  }

  std::string_view bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace wizpak
