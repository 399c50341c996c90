// `wizpak build` as an author runs it: the demo example, and bad scripts
// that must give one clear error line and leave no setup behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/setup_rig.h"

namespace wizpak {
namespace {

test::Ran RunWizpak(const test::TempDir& dir, const std::vector<std::string>& arguments) {
  return test::RunKept(test::BuildDir() + "/wizpak", arguments, dir.path());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(BuildDemo, ListShowsSupportEntriesThenFileGroupsInOrder) {
  test::TempDir dir;
  const std::string setup = dir.file("demo.exe");
  const test::Ran build =
      RunWizpak(dir, {"build", test::SourceDir() + "/examples/demo/setup.kys", "-o", setup});
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_TRUE(build.err.empty()) << build.err;  // the demo compiles without warnings
  const auto perms = std::filesystem::status(setup).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);

  const test::Ran list = RunWizpak(dir, {"list", setup});
  ASSERT_EQ(list.status, 0) << list.err;
  // Each of these names appears, in this order, in the listing.
  const std::vector<std::string> expected = {
      "SetupInfo",
      "CompiledLines",
      "LANGUAGE-install\\english",
      "LANGUAGE-install\\german",
      "UNINSTALL_LANGUAGE-uninstall\\english",
      "UNINSTALL_LANGUAGE-uninstall\\german",
      "Pages.txt",
      "UNINSTALL_Pages.txt",
      "UNINSTALL_FINALISE.EXE",
      "UNINSTALL_ICON.ICO",
      "demo.sh",
      "docs\\licence.txt",
      "readme.txt",
      "manual.txt",
      "wallpaper.txt",
  };
  std::size_t from = 0;
  for (const std::string& name : expected) {
    const std::size_t at = list.out.find(name, from);
    ASSERT_NE(at, std::string::npos) << name << " missing or out of order in:\n" << list.out;
    from = at + name.size();
  }
}

TEST(BuildDemo, BadScriptsGiveOneErrorLineAndNoSetup) {
  struct Case {
    std::string script;
    std::string message;  // part of the one line on stderr
  };
  const std::vector<Case> cases = {
      {"outfile s.exe\nfile missing.txt\n", "setup.kys:2: Source file not found - "},
      {"outfile s.exe\nlanguage ..\\..\\etc\n", "setup.kys:2: Language name must be a path"},
      {"outfile s.exe\n\ngoto done\n", "setup.kys:3: Label not found - done"},
      {"outfile s.exe\nmessage " + std::string(70000, 'x') + "\n", "setup.kys:2: Line is 70,008"},
      {"outfile s.exe\n" + std::string(70000, '\n'), "setup.kys:65536: Script has more than"},
      {"outfile s.exe\nfrobnicate\n", "setup.kys:2: Unknown command - frobnicate"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    test::WriteHostFile(dir.file("setup.kys"), c.script);
    const test::Ran run = RunWizpak(dir, {"build", dir.file("setup.kys")});
    EXPECT_EQ(run.status, 1) << c.message;
    const std::vector<std::string> lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_NE(lines[0].find(c.message), std::string::npos) << lines[0];
    EXPECT_FALSE(std::filesystem::exists(dir.file("s.exe"))) << c.message;
  }
}

TEST(BuildDemo, MissingScriptIsOneErrorLine) {
  test::TempDir dir;
  const test::Ran run = RunWizpak(dir, {"build", dir.file("nothing.kys")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
  EXPECT_NE(run.err.find("cannot read the script"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace wizpak
