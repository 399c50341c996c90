// Fuzz target: decoding a "CompiledLines" entry. A successful load must write
// back to exactly the bytes it consumed; a failed one leaves no lines.
#include <cstdlib>

#include "fuzz_target.h"
#include "script/comp_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wizpak::TCompLines lines;
  const wizpak::CompLinesLoadResult result = lines.LoadFromBuffer(data, size);
  if (!result.ok) {
    if (!lines.Lines.empty()) std::abort();
    return 0;
  }
  std::string written;
  if (!lines.SaveToBuffer(written)) std::abort();
  // Trailing bytes are ignored by the reader, so compare the consumed prefix.
  if (written.size() > size ||
      written.compare(0, written.size(), reinterpret_cast<const char*>(data), written.size()) !=
          0) {
    std::abort();
  }
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  using wizpak::TCompLine;
  auto line = [](int32_t command, int32_t position, std::vector<std::string> params) {
    TCompLine l;
    l.Command = command;
    l.LineNumber = position;
    l.ParamCount = static_cast<int32_t>(params.size());
    l.Params = std::move(params);
    return l;
  };
  wizpak::TCompLines empty;
  wizpak::TCompLines script;
  script.Lines = {line(-1, -1, {}),
                  line(0, 1, {"start"}),
                  line(7, 2, {"data", "sub", "HKLM", "Software\\X", "Path", "", "F"}),
                  line(13, 3, {"$INSTDIR"}),
                  line(16, 4, {"Continue?", "Setup", "1", "-1"}),
                  line(9, 5, {"HKCU", "Software\\X", "", "$INSTDIR\\game.exe"}),
                  line(1, 6, {"1"}),
                  line(19, 7, {})};
  return {empty.SaveToBuffer(), script.SaveToBuffer()};
}
