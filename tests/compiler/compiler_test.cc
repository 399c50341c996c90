#include "compiler/compiler.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "script/command_class.h"
#include "support/test_support.h"
#include "text/digit_cipher.h"

namespace wizpak::compiler {
namespace {

// A language file as the setup reads it: UTF-16 LE with its byte-order mark
// (the text is ASCII).
std::string LanguageFile(std::string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char c : text) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

class CompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.file("script"));
    test::WriteHostFile(dir_.file("tool/languages/install/english.wri"),
                        LanguageFile("English\r\n0409\r\n1 Hello\r\n"));
    test::WriteHostFile(dir_.file("tool/layout/default/Pages.txt"), "pages");
    test::WriteHostFile(dir_.file("tool/layout/default/icon.ico"), "icon");
  }

  TCompiler Compile(const std::string& text) { return CompileSource(text, settings_); }

  // Every diagnostic as "LINE: message" (1-based), errors prefixed "E ".
  static std::vector<std::string> Messages(const TCompiler& c) {
    std::vector<std::string> out;
    for (const Diagnostic& d : c.diagnostics) {
      out.push_back((d.is_error ? "E " : "W ") + std::to_string(d.line + 1) + ": " + d.message);
    }
    return out;
  }

  static std::vector<std::string> Params(const TCompiler& c, int line) {
    return c.lines.Lines.at(static_cast<std::size_t>(line)).Params;
  }

  test::TempDir dir_;
  CompilerSettings settings_{dir_.file("script"), dir_.file("tool")};
};

TEST_F(CompilerTest, EachSourceLineBecomesOneCompiledLine) {
  const TCompiler c = Compile(
      "; comment\n"
      "Name \"A B\"\n"
      "start:\n"
      "MESSAGE hello\n"
      "\n"
      "createdirectory $INSTDIR\\x\n");
  EXPECT_TRUE(c.diagnostics.empty()) << ::testing::PrintToString(Messages(c));
  ASSERT_EQ(c.lines.Lines.size(), 6u);
  const TCompLine inert;
  EXPECT_EQ(c.lines.Lines[0], inert);
  EXPECT_EQ(c.lines.Lines[1], inert);  // compile-only line
  EXPECT_EQ(c.lines.Lines[2], (TCompLine{kLabelCommand, {"start"}, 1, 2}));
  EXPECT_EQ(c.lines.Lines[3], (TCompLine{kCmdMessage, {"hello"}, 1, 3}));
  EXPECT_EQ(c.lines.Lines[4], inert);
  EXPECT_EQ(c.lines.Lines[5], (TCompLine{kCmdCreateDirectory, {"$INSTDIR\\x"}, 1, 5}));
}

TEST_F(CompilerTest, SameLabelTwiceGotoTakesFirstConditionalsTakeLast) {
  const TCompiler c = Compile(
      "again:\n"                       // 0
      "goto AGAIN\n"                   // 1
      "iffileexists a.txt again 0\n"   // 2
      "messagebox text cap 0 again\n"  // 3
      "Again:\n");                     // 4
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  EXPECT_EQ(Params(c, 1), std::vector<std::string>{"0"});
  EXPECT_EQ(Params(c, 2), (std::vector<std::string>{"a.txt", "4", "-1"}));
  EXPECT_EQ(Params(c, 3), (std::vector<std::string>{"text", "cap", "-1", "4"}));
  // The author hears about the endless goto (nothing runs between label and
  // jump) and about the ambiguity, on the second label's line.
  ASSERT_EQ(c.diagnostics.size(), 2u) << ::testing::PrintToString(Messages(c));
  EXPECT_FALSE(c.diagnostics[0].is_error);
  EXPECT_EQ(c.diagnostics[0].line, 1);
  EXPECT_FALSE(c.diagnostics[1].is_error);
  EXPECT_EQ(c.diagnostics[1].line, 4);
}

TEST_F(CompilerTest, GotoBackToItselfWithNothingBetweenWarns) {
  const TCompiler c = Compile(
      "start:\n"           // 1
      "; nothing to do\n"  // 2
      "name Title\n"       // 3 compile-time only
      "inner:\n"           // 4
      "goto start\n"       // 5 loops for ever
      "work:\n"            // 6
      "message busy\n"     // 7
      "goto work\n"        // 8 runs a command each time round
      "goto end\n"         // 9 forward
      "end:\n");           // 10
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  EXPECT_EQ(Messages(c), std::vector<std::string>{
                             "W 5: goto start leads back to itself with no command between; the "
                             "setup would loop here for ever"});
}

TEST_F(CompilerTest, LabelAtPositionZeroAndNumericTargets) {
  const TCompiler c = Compile(
      "top:\n"
      "iffileexists x top 0\n"
      "goto 0\n"
      "goto 7\n"
      "iffileexists x 3 -1\n");
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  EXPECT_EQ(Params(c, 1), (std::vector<std::string>{"x", "0", "-1"}));
  EXPECT_EQ(Params(c, 2), std::vector<std::string>{"0"});  // no label "0": stays 0
  EXPECT_EQ(Params(c, 3), std::vector<std::string>{"7"});
  EXPECT_EQ(Params(c, 4), (std::vector<std::string>{"x", "3", "-1"}));
}

TEST_F(CompilerTest, UnresolvedTargetsAreErrorsNamingLineAndTarget) {
  const TCompiler c = Compile(
      "name x\n"
      "goto nowhere\n"
      "iffileexists a here 0\n"
      "here:\n"
      "messagebox t c here missing\n");
  EXPECT_EQ(Messages(c), (std::vector<std::string>{"E 2: Label not found - nowhere",
                                                   "E 5: Label not found - missing"}));
  EXPECT_EQ(FormatDiagnostic("setup.kys", c.diagnostics[0]),
            "setup.kys:2: Label not found - nowhere");
}

// The example: a UTF-8 script with one character Windows-1252 lacks
// is refused with file, line, column and the character, never stored as "?".
TEST_F(CompilerTest, CharacterOutsideWindows1252StopsTheBuild) {
  const TCompiler bad = Compile(
      "name \"Gr\xC3\xBC\xC3\x9F"
      "e\"\n"
      "installdir \"$PROGRAMFILES\\Gr\xC3\xB6\"\n"
      "message \"Gr\xC3\xB6\xC3\x9F"
      "e Gr\xC5\x91\xC3\x9F"
      "e\"\n");
  ASSERT_TRUE(bad.HasErrors());
  ASSERT_EQ(bad.diagnostics.size(), 1u);
  EXPECT_EQ(FormatDiagnostic("setup.kys", bad.diagnostics[0]),
            "setup.kys:3:18: \"\xC5\x91\" cannot be stored in a setup script (Windows-1252)");
  EXPECT_TRUE(bad.lines.Lines.empty());
  // Without it the same script compiles to ANSI texts.
  const TCompiler good = Compile(
      "name \"Gr\xC3\xBC\xC3\x9F"
      "e\"\n"
      "message \"Gr\xC3\xB6\xC3\x9F"
      "e\"\n");
  ASSERT_FALSE(good.HasErrors());
  EXPECT_EQ(good.setup_info.SetupName,
            "Gr\xFC\xDF"
            "e");
  EXPECT_EQ(Params(good, 1), std::vector<std::string>{"Gr\xF6\xDF"
                                                      "e"});
}

TEST_F(CompilerTest, UnknownKeywordIsAnError) {
  const TCompiler c = Compile("message ok\nfrobnicate a b\n");
  EXPECT_EQ(Messages(c), std::vector<std::string>{"E 2: Unknown command - frobnicate"});

  // A quoted, empty first word is a line without a command word.
  const TCompiler empty = Compile("\"\" message\n''\n");
  EXPECT_EQ(Messages(empty),
            (std::vector<std::string>{"E 1: Unknown command - \"\" (the command word is empty)",
                                      "E 2: Unknown command - \"\" (the command word is empty)"}));
}

TEST_F(CompilerTest, TooFewParametersWarnsAndCompilesTheLineUnchanged) {
  const TCompiler c = Compile(
      "goto\n"
      "messagebox text caption\n"
      "installdirregkey hkcu Software\n"
      "copyfile only-source\n");
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  ASSERT_EQ(c.diagnostics.size(), 4u);
  EXPECT_EQ(c.diagnostics[1].message,
            "messagebox needs 4 parameters, found 2; line compiled unchanged");
  EXPECT_EQ(c.lines.Lines[0], (TCompLine{kCmdGoto, {}, 0, 0}));
  EXPECT_EQ(Params(c, 1), (std::vector<std::string>{"text", "caption"}));
  EXPECT_EQ(c.setup_info.InstallDirRegKey.HKEY, 0);  // record untouched
  EXPECT_EQ(c.setup_info.InstallDirRegKey.Path, "");
  EXPECT_EQ(Params(c, 3), std::vector<std::string>{"only-source"});

  // A short iffileexists keeps its label text, but its "0" is still no jump
  // (a jump to line 0 would run the script again from its start).
  const TCompiler short_if = Compile("start:\niffileexists $INSTDIR\\a.txt 0\n");
  EXPECT_EQ(Params(short_if, 1), (std::vector<std::string>{"$INSTDIR\\a.txt", "-1"}));
  EXPECT_EQ(Params(Compile("start:\niffileexists x start\n"), 1),
            (std::vector<std::string>{"x", "start"}));
}

TEST_F(CompilerTest, SetupPropertiesLaterLinesWin) {
  test::WriteHostFile(dir_.file("script/notes/changes.txt"), "1.1 Faster\r\n");
  const TCompiler c = Compile(
      "shortname Early\n"
      "name \"Full Title\"\n"
      "outfile Setup.exe\n"
      "installdir $PROGRAMFILES\\Game\n"
      "prefix Game\n"
      "pages default\n"
      "changelog notes\\changes.txt\n"
      "installdir $PROGRAMFILES\\Other\n");
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  const TSetupInfoFile& info = c.setup_info;
  EXPECT_EQ(info.SetupName, "Full Title");
  EXPECT_EQ(info.ShortName, "Full Title");  // "name" overwrote the earlier shortname
  EXPECT_EQ(info.SetupExeName, "Setup.exe");
  EXPECT_EQ(info.InstallDir, "$PROGRAMFILES\\Other");
  EXPECT_EQ(info.UninstallPrefix, "Game_");
  EXPECT_EQ(info.UninstallExeName, "Game_Uninstall.exe");
  EXPECT_EQ(info.Pages, "default");
  EXPECT_EQ(info.Changelog, dir_.file("script") + "/notes/changes.txt");
  EXPECT_EQ(info.CreateUninstaller, 0);
  EXPECT_EQ(Compile("name X\nshortname Y\n").setup_info.ShortName, "Y");
}

// The change log goes into the package under its path, so a missing file
// (or a folder of that name) stops the build and the message names it.
TEST_F(CompilerTest, MissingChangeLogIsAnErrorNamingIt) {
  const TCompiler missing = Compile("name X\nchangelog gone.txt\n");
  ASSERT_TRUE(missing.HasErrors());
  ASSERT_EQ(Messages(missing).size(), 1u);
  EXPECT_EQ(Messages(missing)[0],
            "E 2: Change log not found - " + dir_.file("script") + "/gone.txt");
  std::filesystem::create_directories(dir_.file("script/folder.txt"));
  EXPECT_TRUE(Compile("changelog folder.txt\n").HasErrors());
}

TEST_F(CompilerTest, WithoutNameBothTitlesStayEmpty) {
  const TCompiler c = Compile("outfile a.exe\nuninstallpages uninstall\nprefix Demo\n");
  EXPECT_EQ(c.setup_info.SetupName, "");
  EXPECT_EQ(c.setup_info.ShortName, "");
  EXPECT_EQ(c.setup_info.UninstallPages, "uninstall");
  EXPECT_EQ(c.setup_info.CreateUninstaller, 1);
}

TEST_F(CompilerTest, AnUninstallerNeedsAPrefixToBeNamedBy) {
  EXPECT_EQ(Messages(Compile("outfile a.exe\n\nuninstallpages uninstall\n")),
            std::vector<std::string>{"E 3: uninstallpages needs a prefix line: the uninstaller is "
                                     "named after the prefix (prefix Game gives "
                                     "Game_Uninstall.exe)"});
  EXPECT_FALSE(Compile("prefix Game\nuninstallpages uninstall\n").HasErrors());
  EXPECT_FALSE(Compile("prefix ''\nuninstallpages uninstall\n").HasErrors());
}

TEST_F(CompilerTest, InstallDirRegKeyRootNames) {
  const auto root = [&](const std::string& name) {
    return Compile("installdirregkey " + name + " Software\\A Path\n")
        .setup_info.InstallDirRegKey.HKEY;
  };
  EXPECT_EQ(root("hkcu"), 1);
  EXPECT_EQ(root("HkCu"), 1);
  EXPECT_EQ(root("HKCR"), 2);
  EXPECT_EQ(root("hku"), 3);
  EXPECT_EQ(root("hkcc"), 4);
  EXPECT_EQ(root("HKEY_CURRENT_USER"), 0);
  EXPECT_EQ(root("nonsense"), 0);
  const TCompiler c = Compile("installdirregkey hkcu \"Software\\My Game\" InstallPath\n");
  EXPECT_EQ(c.setup_info.InstallDirRegKey.Path, "Software\\My Game");
  EXPECT_EQ(c.setup_info.InstallDirRegKey.Key, "InstallPath");
}

TEST_F(CompilerTest, LanguagesAreGroupZeroEntriesAndMissingOnesOnlyWarn) {
  const TCompiler c = Compile(
      "language install\\english\n"
      "language install\\klingon\n"
      "uninstalllanguage install\\english\n");
  ASSERT_FALSE(c.HasErrors());
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_EQ(c.diagnostics[0].line, 1);
  EXPECT_NE(c.diagnostics[0].message.find("klingon.wri"), std::string::npos);
  ASSERT_EQ(c.files.files.size(), 2u);
  EXPECT_EQ(c.files.files[0].name, "LANGUAGE-install\\english");
  EXPECT_EQ(c.files.files[1].name, "UNINSTALL_LANGUAGE-install\\english");
  EXPECT_EQ(c.files.files[0].group, 0);
  EXPECT_EQ(c.files.files[0].source_path, dir_.file("tool") + "/languages/install/english.wri");
  EXPECT_EQ(c.files.group_counter, 0u);
  // The language lines stay live lines that do nothing when run.
  EXPECT_EQ(c.lines.Lines[0].Command, kCmdLanguage);
  EXPECT_EQ(c.lines.Lines[2].Command, kCmdUninstallLanguage);
}

TEST_F(CompilerTest, LanguageFilesTheSetupWouldRefuseStopTheBuildAtTheirLine) {
  struct Case {
    const char* name;
    std::string bytes;
    int line;
    const char* says;
  };
  const Case cases[] = {
      {"empty", "", 1, "language file is empty"},
      {"bom", "\xFF\xFE", 1, "language file is empty"},
      {"nameonly", LanguageFile("Klingon\r\n"), 2, "the name and identifier lines are needed"},
      {"badid", LanguageFile("Klingon\r\nzz;\r\n1 A\r\n"), 2, "is not a valid integer"},
      {"badnumber", LanguageFile("Klingon\r\n0409\r\n1 A\r\nx B\r\n"), 4,
       "'x' is not a valid integer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir_.file(std::string("tool/languages/install/") + c.name + ".wri");
    test::WriteHostFile(file, c.bytes);
    const TCompiler compiled = Compile(
        std::string("name X\nlanguage install\\english\nlanguage install\\") + c.name + "\n");
    ASSERT_TRUE(compiled.HasErrors());
    ASSERT_EQ(compiled.diagnostics.size(), 1u) << ::testing::PrintToString(Messages(compiled));
    const Diagnostic& d = compiled.diagnostics[0];
    EXPECT_EQ(d.line, 2);  // ordered with the script line that names the file
    const std::string shown = FormatDiagnostic("setup.kys", d);
    EXPECT_TRUE(shown.starts_with(d.file + ":" + std::to_string(c.line) + ": ")) << shown;
    EXPECT_NE(d.file.find(std::string(c.name) + ".wri"), std::string::npos) << shown;
    EXPECT_NE(shown.find(c.says), std::string::npos) << shown;
    EXPECT_EQ(shown.find(": line "), std::string::npos) << shown;  // the line is said once
  }
}

TEST_F(CompilerTest, NamesThatLeaveTheirFolderAreRefused) {
  EXPECT_EQ(Messages(Compile("language ..\\..\\secret\n")),
            std::vector<std::string>{
                "E 1: Language name must be a path below languages - ..\\..\\secret"});
  EXPECT_TRUE(Compile("pages ..\\elsewhere\n").HasErrors());
  EXPECT_TRUE(Compile("uninstallpages C:\\layouts\n").HasErrors());
}

TEST_F(CompilerTest, FileGroupsNumberEveryPayloadLineInOrder) {
  test::WriteHostFile(dir_.file("script/readme.txt"), "r");
  test::WriteHostFile(dir_.file("script/data/a.bin"), "a");
  test::WriteHostFile(dir_.file("script/data/sub/deeper/b.bin"), "b");
  test::WriteHostFile(dir_.file("script/patch/x.wav"), "x");
  const TCompiler c = Compile(
      "file readme.txt\n"
      "file data gamedata HKCU Software\\G Ver 1 true\n"
      "file\n"  // warned; still owns group 3 so later groups stay in step
      "kypupdate patch secret $INSTDIR\\data.kyp\n"
      "file ..\\script\\readme.txt docs\n");
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  std::vector<std::string> got;
  for (const TCompilerFile& f : c.files.files)
    got.push_back(std::to_string(f.group) + " " + f.name);
  EXPECT_EQ(got, (std::vector<std::string>{"1 readme.txt", "2 a.bin", "2 sub\\deeper\\b.bin",
                                           "4 x.wav", "5 readme.txt"}));
  EXPECT_EQ(c.files.group_counter, 5u);
  EXPECT_EQ(c.files.files[2].source_path, dir_.file("script") + "/data/sub/deeper/b.bin");
  // The compiled file lines keep their parameters as written.
  EXPECT_EQ(Params(c, 1).size(), 7u);
  EXPECT_EQ(Params(c, 1)[0], "data");
}

TEST_F(CompilerTest, FileWithAnUnusableParameterCountWarns) {
  test::WriteHostFile(dir_.file("script/a.txt"), "a");
  const TCompiler c = Compile("file a.txt sub HKLM key\n");
  ASSERT_FALSE(c.HasErrors());
  ASSERT_EQ(c.diagnostics.size(), 1u);
  EXPECT_NE(c.diagnostics[0].message.find("1, 2 or 7"), std::string::npos);
}

TEST_F(CompilerTest, ArchivePasswordAndCodeAreEnciphered) {
  test::WriteHostFile(dir_.file("script/patch.bin"), "p");
  const TCompiler c = Compile(
      "kypupdate patch.bin \"pass word\" $INSTDIR\\a.kyp\n"
      "kypofficial $INSTDIR\\a.kyp wizmark 1\n");
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  const std::string stored = Params(c, 0)[1];
  EXPECT_NE(stored, "pass word");
  EXPECT_EQ(DecryptWithDigitKey(kGameArchiveKey, stored), "pass word");
  EXPECT_EQ(Params(c, 0)[2], "$INSTDIR\\a.kyp");
  EXPECT_EQ(DecryptWithDigitKey(kGameArchiveKey, Params(c, 1)[1]), "wizmark");
  // Each parameter starts again at the key's first digit.
  EXPECT_EQ(Params(c, 1)[1], EncryptWithDigitKey(kGameArchiveKey, "wizmark"));
}

TEST_F(CompilerTest, MissingSourceIsAnError) {
  EXPECT_EQ(Messages(Compile("name x\nfile nothere.txt\n")),
            std::vector<std::string>{"E 2: Source file not found - " + dir_.file("script") +
                                     "/nothere.txt"});
}

TEST_F(CompilerTest, UnreadableFolderIsAnError) {
  test::WriteHostFile(dir_.file("script/locked/a.txt"), "a");
  const std::string locked = dir_.file("script/locked");
  platform::ScopedFaultHook hook([&](platform::FileOp op, std::string_view path) {
    return op == platform::FileOp::List && path == locked ? EACCES : 0;
  });
  const std::vector<std::string> messages = Messages(Compile("file locked\n"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("E 1: Cannot read folder - " + locked, 0), 0u) << messages[0];
}

TEST_F(CompilerTest, PageSetIconIsNeverAnInstalledFile) {
  test::WriteHostFile(dir_.file("tool/layout/default/Main.txt"), "m");
  settings_.source_folder = dir_.file("tool");
  const TCompiler c = Compile("file layout\\default\npages default\n");
  ASSERT_FALSE(c.HasErrors()) << ::testing::PrintToString(Messages(c));
  std::vector<std::string> names;
  for (const TCompilerFile& f : c.files.files) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Main.txt", "Pages.txt"}));

  // The same folder named through the script's own folder.
  settings_.source_folder = dir_.file("script");
  const TCompiler round = Compile("file ..\\tool\\.\\layout\\default\npages default\n");
  ASSERT_FALSE(round.HasErrors()) << ::testing::PrintToString(Messages(round));
  names.clear();
  for (const TCompilerFile& f : round.files.files) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Main.txt", "Pages.txt"}));
}

}  // namespace
}  // namespace wizpak::compiler
