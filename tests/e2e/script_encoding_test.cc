// One script saved in the four encodings an author's editor may use: UTF-8
// without and with a byte-order mark, UTF-16 LE with one, and Windows-1252.
// `wizpak build` must make the same setup of each, and what the setup shows
// and writes (folder name, registry data, status text, message box,
// shortcut name) must read the same characters the author typed.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/codepage.h"
#include "platform/registry.h"
#include "support/setup_rig.h"

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
  // Builds the script saved as `bytes`; returns the setup's host path, or ""
  // when the build failed.
  std::string Build(const std::string& name, const std::string& bytes) {
    const std::string folder = rig_.File(name);
    test::WriteHostFile(folder + "/setup.kys", bytes);
    const std::string out = folder + "/GrSetup.exe";
    const int status =
        rig_.Run(test::SetupRig::Program("wizpak"), {"build", folder + "/setup.kys"}).status;
    return status == 0 && fs::exists(out) ? out : "";
  }

  test::SetupRig rig_;
};

TEST_F(ScriptEncodingTest, EveryEncodingBuildsTheSameSetupAndShowsTheSameText) {
  if (!test::SetupRig::Built({"wizpak", "wizpak-stub"})) GTEST_SKIP() << "not built";
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

  ASSERT_EQ(rig_.RunUnattended(setups[0]).status, 0) << rig_.Transcript();
  const std::string folder = rig_.drive_c() + "/Program Files/Gr\xC3\xB6";
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
  const std::string transcript = rig_.Transcript();
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
  if (!test::SetupRig::Built({"wizpak"})) GTEST_SKIP() << "wizpak is not built";
  // "ő" (U+0151) has no Windows-1252 byte.
  EXPECT_EQ(Build("bad", std::string(kScript) + "message \"Gr\xC5\x91\"\r\n"), "");
  EXPECT_FALSE(fs::exists(rig_.root().file("bad/GrSetup.exe")));
}

}  // namespace
}  // namespace wizpak
