// Fuzz target for the script compiler: any source text compiles to an error
// list or to compiled lines that store and load back unchanged, with every
// jump target resolved to a number.
#include <charconv>
#include <cstdlib>

#include "compiler/compiler.h"
#include "fuzz_target.h"
#include "script/command_class.h"

namespace {

bool IsNumber(const std::string& s) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

void CheckTarget(const wizpak::TCompLine& line, std::size_t index) {
  if (index < line.Params.size() && !IsNumber(line.Params[index])) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Folders that do not exist: file and language lines only report.
  const wizpak::compiler::CompilerSettings settings{"/nonexistent-wizpak-fuzz/script",
                                                    "/nonexistent-wizpak-fuzz/tool"};
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const wizpak::compiler::TCompiler c = wizpak::compiler::CompileSource(text, settings);
  if (c.lines.Lines.size() > wizpak::compiler::kMaxSourceLines) std::abort();
  if (c.HasErrors()) return 0;
  for (const wizpak::TCompLine& line : c.lines.Lines) {
    if (static_cast<std::size_t>(line.ParamCount) != line.Params.size()) std::abort();
    const bool complete = line.ParamCount >= wizpak::compiler::RequiredParams(line.Command);
    if (line.Command == wizpak::kCmdGoto) CheckTarget(line, 0);
    if (line.Command == wizpak::kCmdIfFileExists && complete) {
      CheckTarget(line, 1);
      CheckTarget(line, 2);
    }
    if (line.Command == wizpak::kCmdMessageBox && complete) {
      CheckTarget(line, 2);
      CheckTarget(line, 3);
    }
  }
  std::string stored;
  if (!c.lines.SaveToBuffer(stored)) std::abort();
  wizpak::TCompLines back;
  if (!back.LoadFromBuffer(stored.data(), stored.size()) || back.Lines != c.lines.Lines) {
    std::abort();
  }
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  return {
      "name \"A B\"\nstart:\nmessage 'hi there'\ngoto start\n",
      "a:\nA:\niffileexists `$INSTDIR\\x` a 0\nmessagebox t c 0 a\ngoto a\n",
      "; comment\n# other\n\ninstalldirregkey hkcu Software\\X Path\nprefix Game\n",
      "kypofficial $INSTDIR\\a.kyp wizmark 1\nwriteregstr HKLM k v \"\"\n",
      "goto\nmessagebox only\niffileexists x 5 -1\nfailure\n",
      "\xEF\xBB\xBFname \"Gr\xC3\xBC\xC3\x9F"
      "e\"\nmessage \xC5\x91\n",
      std::string("\xFF\xFEn\0a\0m\0e\0 \0\x51\x01\n\0", 16),
  };
}
