// The compiled script: one TCompLine per script line, held by TCompLines, and
// the "CompiledLines" package entry that carries them (reader and writer).
//
// Entry layout (little-endian): a 2-byte line count N, then N records of
//   int32 Command, int32 LineNumber, int32 ParamCount,
//   ParamCount strings (2-byte length, then that many ANSI bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wizpak {

// Command numbers outside 1..kCommandCount mean: 0 label line, -1 inert line.
inline constexpr int32_t kInertCommand = -1;
inline constexpr int32_t kLabelCommand = 0;
inline constexpr int32_t kCommandCount = 27;

struct TCompLine {
  int32_t Command = kInertCommand;  // -1 inert, 0 label, 1..27 registry position + 1
  std::vector<std::string> Params;  // as compiled (ANSI)
  int32_t ParamCount = 0;           // number of entries in Params
  int32_t LineNumber = -1;          // own position for live lines, -1 for inert lines

  // Parameter `index` (0-based), or "" when the line has fewer parameters.
  const std::string& Param(size_t index) const;

  bool operator==(const TCompLine&) const = default;
};

// Result of decoding a "CompiledLines" entry. `ok` false means the whole
// entry was rejected; `message` then names the record and what was wrong.
struct CompLinesLoadResult {
  bool ok = true;
  std::string message;
  explicit operator bool() const { return ok; }
};

class TCompLines {
 public:
  std::vector<TCompLine> Lines;

  // Replaces Lines with the records decoded from `data` (`size` bytes; the
  // buffer stays the caller's). Never reads past `size`. A count or string
  // length running past the end, a negative ParamCount or a Command outside
  // -1..27 rejects the whole entry: Lines is left empty and the result says
  // which record failed. Bytes after the last record are ignored.
  CompLinesLoadResult LoadFromBuffer(const void* data, size_t size);

  // The entry bytes for Lines (what LoadFromBuffer reads back, byte for
  // byte). ParamCount is written as Params.size(). Lines beyond 65,535,
  // parameters longer than 65,535 bytes or more than INT32_MAX parameters
  // cannot be represented: SaveToBuffer then returns false and leaves `out`
  // empty.
  bool SaveToBuffer(std::string& out) const;
  // Convenience form; throws std::length_error where the other returns false.
  std::string SaveToBuffer() const;

  int LineCount() const { return static_cast<int>(Lines.size()); }
  // The line at `position`, or nullptr when the position is not valid.
  const TCompLine* At(int64_t position) const;
};

}  // namespace wizpak
