// Reader and writer of the "CompiledLines" entry.
#include "script/comp_lines.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace wizpak {
namespace {

// Smallest record: three 4-byte integers and no strings.
constexpr size_t kRecordHeaderSize = 12;
constexpr size_t kStringHeaderSize = 2;

// A cursor over the entry bytes; every read checks what is left first.
class Cursor {
 public:
  Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t left() const { return size_ - pos_; }
  size_t pos() const { return pos_; }
  bool need(size_t n) const { return left() >= n; }
  uint16_t u16() {
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  int32_t i32() {
    uint32_t v = static_cast<uint32_t>(data_[pos_]) |
                 (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                 (static_cast<uint32_t>(data_[pos_ + 2]) << 16) |
                 (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return static_cast<int32_t>(v);
  }
  std::string bytes(size_t n) {
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

CompLinesLoadResult Reject(std::string message) {
  return {false, std::move(message)};
}

std::string RecordText(size_t index, size_t offset) {
  return "line record " + std::to_string(index) + " at offset " + std::to_string(offset);
}

void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void PutI32(std::string& out, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

const std::string& TCompLine::Param(size_t index) const {
  static const std::string kEmpty;
  return index < Params.size() ? Params[index] : kEmpty;
}

const TCompLine* TCompLines::At(int64_t position) const {
  if (position < 0 || position >= static_cast<int64_t>(Lines.size())) return nullptr;
  return &Lines[static_cast<size_t>(position)];
}

CompLinesLoadResult TCompLines::LoadFromBuffer(const void* data, size_t size) {
  Lines.clear();
  if (data == nullptr && size != 0) return Reject("compiled lines: no data");
  Cursor in(static_cast<const uint8_t*>(data), size);
  if (!in.need(2)) {
    return Reject("compiled lines: entry of " + std::to_string(size) +
                  " bytes is too short for the line count (2 bytes)");
  }
  const size_t count = in.u16();
  // Every record needs at least its 12-byte header: refuse a count the bytes
  // cannot hold before reserving anything.
  if (count > in.left() / kRecordHeaderSize) {
    return Reject("compiled lines: line count " + std::to_string(count) + " needs at least " +
                  std::to_string(count * kRecordHeaderSize) + " bytes of records, found " +
                  std::to_string(in.left()));
  }
  std::vector<TCompLine> lines;
  lines.reserve(count);
  for (size_t index = 0; index < count; ++index) {
    const size_t offset = in.pos();
    if (!in.need(kRecordHeaderSize)) {
      return Reject("compiled lines: " + RecordText(index, offset) + " is truncated (needs " +
                    std::to_string(kRecordHeaderSize) + " bytes, " + std::to_string(in.left()) +
                    " left)");
    }
    TCompLine line;
    line.Command = in.i32();
    line.LineNumber = in.i32();
    line.ParamCount = in.i32();
    if (line.Command < kInertCommand || line.Command > kCommandCount) {
      return Reject("compiled lines: " + RecordText(index, offset) + " has command " +
                    std::to_string(line.Command) + ", expected -1 to " +
                    std::to_string(kCommandCount));
    }
    if (line.ParamCount < 0) {
      return Reject("compiled lines: " + RecordText(index, offset) + " has parameter count " +
                    std::to_string(line.ParamCount));
    }
    const size_t param_count = static_cast<size_t>(line.ParamCount);
    if (param_count > in.left() / kStringHeaderSize) {
      return Reject("compiled lines: " + RecordText(index, offset) + " declares " +
                    std::to_string(param_count) + " parameters but only " +
                    std::to_string(in.left()) + " bytes follow");
    }
    line.Params.reserve(param_count);
    for (size_t p = 0; p < param_count; ++p) {
      if (!in.need(kStringHeaderSize)) {
        return Reject("compiled lines: " + RecordText(index, offset) + ", parameter " +
                      std::to_string(p + 1) + ": length is truncated");
      }
      const size_t length = in.u16();
      if (!in.need(length)) {
        return Reject("compiled lines: " + RecordText(index, offset) + ", parameter " +
                      std::to_string(p + 1) + ": length " + std::to_string(length) +
                      " runs past the end (" + std::to_string(in.left()) + " bytes left)");
      }
      line.Params.push_back(in.bytes(length));
    }
    lines.push_back(std::move(line));
  }
  Lines = std::move(lines);
  return {};
}

bool TCompLines::SaveToBuffer(std::string& out) const {
  out.clear();
  if (Lines.size() > std::numeric_limits<uint16_t>::max()) return false;
  std::string bytes;
  PutU16(bytes, static_cast<uint16_t>(Lines.size()));
  for (const TCompLine& line : Lines) {
    if (line.Params.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
    PutI32(bytes, line.Command);
    PutI32(bytes, line.LineNumber);
    PutI32(bytes, static_cast<int32_t>(line.Params.size()));
    for (const std::string& param : line.Params) {
      if (param.size() > std::numeric_limits<uint16_t>::max()) return false;
      PutU16(bytes, static_cast<uint16_t>(param.size()));
      bytes += param;
    }
  }
  out = std::move(bytes);
  return true;
}

std::string TCompLines::SaveToBuffer() const {
  std::string out;
  if (!SaveToBuffer(out)) {
    throw std::length_error(
        "compiled lines: more than 65,535 lines or a parameter longer than 65,535 bytes");
  }
  return out;
}

}  // namespace wizpak
