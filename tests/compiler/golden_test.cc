// A small script compiled to the exact "CompiledLines" and "SetupInfo" bytes.
#include <gtest/gtest.h>

#include <string>

#include "compiler/compiler.h"
#include "support/test_support.h"

namespace wizpak::compiler {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// A 2-byte length and the text.
std::string Str(const std::string& text) {
  return Bytes({static_cast<int>(text.size() & 0xFF), static_cast<int>(text.size() >> 8)}) + text;
}

TEST(Golden, SmallScriptCompilesToKnownBytes) {
  test::TempDir dir;
  const CompilerSettings settings{dir.path(), dir.path()};
  const TCompiler c = CompileSource(
      "; golden\n"                                   // 0 inert
      "Name \"Demo Game\"\n"                         // 1 inert
      "outfile demo.exe\n"                           // 2 inert
      "prefix Game\n"                                // 3 inert
      "installdirregkey HKCU Software\\Demo Path\n"  // 4 inert
      "top:\n"                                       // 5 label
      "IfFileExists \"$INSTDIR\\a.txt\" top 0\n"     // 6 command 6
      "goto top\n",                                  // 7 command 1
      settings);
  ASSERT_TRUE(c.diagnostics.empty());

  const std::string inert = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
  const std::string expected_lines = Bytes({8, 0}) + inert + inert + inert + inert + inert +
                                     Bytes({0, 0, 0, 0, 5, 0, 0, 0, 1, 0, 0, 0}) + Str("top") +
                                     Bytes({6, 0, 0, 0, 6, 0, 0, 0, 3, 0, 0, 0}) +
                                     Str("$INSTDIR\\a.txt") + Str("5") + Str("-1") +
                                     Bytes({1, 0, 0, 0, 7, 0, 0, 0, 1, 0, 0, 0}) + Str("5");
  std::string lines;
  ASSERT_TRUE(c.lines.SaveToBuffer(lines));
  EXPECT_EQ(lines, expected_lines);

  const std::string expected_info = Str("Demo Game") + Str("Demo Game") + Str("demo.exe") +
                                    Str("Game_Uninstall.exe") + Str("Game_") + Str("") + Str("") +
                                    Bytes({1}) + Str("Software\\Demo") + Str("Path") + Str("") +
                                    Str("") + Bytes({0, 0});
  EXPECT_EQ(c.setup_info.SaveToBuffer(), expected_info);
}

}  // namespace
}  // namespace wizpak::compiler
