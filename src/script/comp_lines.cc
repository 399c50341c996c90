// Reader and writer of the "CompiledLines" entry.
#include "script/comp_lines.h"

#include <limits>
#include <stdexcept>

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace wizpak {
namespace {

// Smallest record: three 4-byte integers and no strings.
constexpr size_t kRecordHeaderSize = 12;
constexpr size_t kStringHeaderSize = 2;

CompLinesLoadResult Reject(std::string message) {
  return {false, std::move(message)};
}

std::string RecordText(size_t index, size_t offset) {
  return "line record " + std::to_string(index) + " at offset " + std::to_string(offset);
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
  ByteReader in(data, size);
  const auto count_field = in.U16();
  if (!count_field) {
    return Reject("compiled lines: entry of " + std::to_string(size) +
                  " bytes is too short for the line count (2 bytes)");
  }
  const size_t count = *count_field;
  // Every record needs at least its 12-byte header: refuse a count the bytes
  // cannot hold before reserving anything.
  if (count > in.Remaining() / kRecordHeaderSize) {
    return Reject("compiled lines: line count " + std::to_string(count) + " needs at least " +
                  std::to_string(count * kRecordHeaderSize) + " bytes of records, found " +
                  std::to_string(in.Remaining()));
  }
  std::vector<TCompLine> lines;
  lines.reserve(count);
  for (size_t index = 0; index < count; ++index) {
    const size_t offset = in.Position();
    if (in.Remaining() < kRecordHeaderSize) {
      return Reject("compiled lines: " + RecordText(index, offset) + " is truncated (needs " +
                    std::to_string(kRecordHeaderSize) + " bytes, " +
                    std::to_string(in.Remaining()) + " left)");
    }
    TCompLine line;
    line.Command = *in.I32();
    line.LineNumber = *in.I32();
    line.ParamCount = *in.I32();
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
    if (param_count > in.Remaining() / kStringHeaderSize) {
      return Reject("compiled lines: " + RecordText(index, offset) + " declares " +
                    std::to_string(param_count) + " parameters but only " +
                    std::to_string(in.Remaining()) + " bytes follow");
    }
    line.Params.reserve(param_count);
    for (size_t p = 0; p < param_count; ++p) {
      const auto length = in.U16();
      if (!length) {
        return Reject("compiled lines: " + RecordText(index, offset) + ", parameter " +
                      std::to_string(p + 1) + ": length is truncated");
      }
      const auto param = in.Take(*length);
      if (!param) {
        return Reject("compiled lines: " + RecordText(index, offset) + ", parameter " +
                      std::to_string(p + 1) + ": length " + std::to_string(*length) +
                      " runs past the end (" + std::to_string(in.Remaining()) + " bytes left)");
      }
      line.Params.emplace_back(*param);
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
  AppendLe16(bytes, static_cast<uint16_t>(Lines.size()));
  for (const TCompLine& line : Lines) {
    if (line.Params.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
    AppendLe32(bytes, static_cast<uint32_t>(line.Command));
    AppendLe32(bytes, static_cast<uint32_t>(line.LineNumber));
    AppendLe32(bytes, static_cast<uint32_t>(line.Params.size()));
    for (const std::string& param : line.Params) {
      if (param.size() > std::numeric_limits<uint16_t>::max()) return false;
      AppendLe16(bytes, static_cast<uint16_t>(param.size()));
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
