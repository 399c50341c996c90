// One script saved in the four encodings an author's editor may use: UTF-8
// without and with a byte-order mark, UTF-16 LE with one, and Windows-1252.
// `wizpak build` must make the same setup of each, and what the setup shows
// and writes (folder name, registry data, status text, message box,
// shortcut name) must read the same characters the author typed.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

// The script as the author wrote it (UTF-8 here).
constexpr const char* kScript =
    "name \"Gr\xC3\xBC\xC3\x9F"
    "e\"\r\n"
    "outfile GrSetup.exe\r\n"
    "installdir \"$PROGRAMFILES\\Gr\xC3\xB6\"\r\n"
    "pages default\r\n"
    "language install\\english\r\n"
    "message \"Gr\xC3\xB6\xC3\x9F"
    "e wird gepr\xC3\xBC"
    "ft\"\r\n"
    "createdirectory \"$INSTDIR\"\r\n"
    "writeregstr HKCU \"Software\\Gr\xC3\xBC\xC3\x9F"
    "e\" Gr\xC3\xB6\xC3\x9F"
    "e "
    "\"Gr\xC3\xB6\xC3\x9F"
    "e\"\r\n"
    "createshortcut \"$INSTDIR\\Gr\xC3\xB6\xC3\x9F"
    "e.lnk\" \"$INSTDIR\\a.txt\" \"\"\r\n"
    "messagebox \"Gr\xC3\xB6\xC3\x9F"
    "e?\" \"Gr\xC3\xBC\xC3\x9F"
    "e\" 0 0\r\n";

std::string Utf16LeWithMark(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : Utf8ToWide(utf8)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class ScriptEncodingTest : public ::testing::Test {
 protected:
  ScriptEncodingTest()
      : transcript_("WIZPAK_TRANSCRIPT", machine_.root().file("transcript.txt")),
        answers_("WIZPAK_ANSWERS", std::nullopt),
        no_open_("WIZPAK_NO_OPEN", "1"),
        display_("DISPLAY", std::nullopt) {}

  std::string Program(const std::string& name) const { return test::BuildDir() + "/" + name; }

  // Builds the script saved as `bytes`; returns the setup's host path, or ""
  // when the build failed.
  std::string Build(const std::string& name, const std::string& bytes) {
    const std::string folder = machine_.root().file(name);
    fs::create_directories(folder);
    test::WriteHostFile(folder + "/setup.kys", bytes);
    const std::string out = folder + "/GrSetup.exe";
    const int status = platform::RunProgram(Program("wizpak"), {"build", folder + "/setup.kys"});
    return status == 0 && fs::exists(out) ? out : "";
  }

  test::TestMachine machine_;
  test::ScopedEnv transcript_;
  test::ScopedEnv answers_;
  test::ScopedEnv no_open_;
  test::ScopedEnv display_;
};

TEST_F(ScriptEncodingTest, EveryEncodingBuildsTheSameSetupAndShowsTheSameText) {
  for (const char* program : {"wizpak", "wizpak-stub"}) {
    if (!fs::exists(Program(program))) GTEST_SKIP() << program << " is not built";
  }
  const std::string utf8 = kScript;
  const std::string setups[] = {
      Build("utf8", utf8),
      Build("utf8-bom", "\xEF\xBB\xBF" + utf8),
      Build("utf16", Utf16LeWithMark(utf8)),
      Build("ansi", Utf8ToAnsi(utf8)),
  };
  for (const std::string& setup : setups) ASSERT_FALSE(setup.empty());
  // The whole setup, package and compiled script included, byte for byte.
  const std::string first = test::ReadHostFile(setups[0]);
  for (const std::string& setup : setups) EXPECT_TRUE(test::ReadHostFile(setup) == first) << setup;

  ASSERT_EQ(platform::RunProgram(setups[0], {"--ui=headless", "--unattended"}), 0)
      << test::ReadHostFile(machine_.root().file("transcript.txt"));
  const std::string folder = machine_.drive_c() + "/Program Files/Gr\xC3\xB6";
  EXPECT_TRUE(fs::is_directory(folder));
  // Registry data stays Windows-1252, as the registry stores ANSI strings.
  EXPECT_EQ(platform::Registry().ReadString(platform::RootKey::CurrentUser,
                                            "Software\\Gr\xFC\xDF"
                                            "e",
                                            "Gr\xF6\xDF"
                                            "e"),
            "Gr\xF6\xDF"
            "e");
  // The shortcut's file name and the name it shows.
  const std::string link = test::ReadHostFile(folder +
                                              "/Gr\xC3\xB6\xC3\x9F"
                                              "e.lnk");
  EXPECT_NE(link.find("Name=Gr\xC3\xB6\xC3\x9F"
                      "e\n"),
            std::string::npos)
      << link;
  const std::string transcript = test::ReadHostFile(machine_.root().file("transcript.txt"));
  EXPECT_NE(transcript.find("STATUS text=\"Gr\xC3\xB6\xC3\x9F"
                            "e wird gepr\xC3\xBC"
                            "ft\""),
            std::string::npos)
      << transcript;
  EXPECT_NE(transcript.find("MESSAGEBOX caption=\"Gr\xC3\xBC\xC3\x9F"
                            "e\" text=\"Gr\xC3\xB6\xC3\x9F"
                            "e?\""),
            std::string::npos)
      << transcript;
}

TEST_F(ScriptEncodingTest, CharacterOutsideWindows1252LeavesNoSetup) {
  if (!fs::exists(Program("wizpak"))) GTEST_SKIP() << "wizpak is not built";
  // "ő" (U+0151) has no Windows-1252 byte.
  EXPECT_EQ(Build("bad", std::string(kScript) + "message \"Gr\xC5\x91\"\r\n"), "");
  EXPECT_FALSE(fs::exists(machine_.root().file("bad/GrSetup.exe")));
}

}  // namespace
}  // namespace wizpak
