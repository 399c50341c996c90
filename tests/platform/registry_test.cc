#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/files.h"
#include "platform/hive_format.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

using test::ReadHostFile;
using test::ScopedEnv;
using test::TempDir;
using test::TestMachine;
using test::WriteHostFile;

constexpr RootKey HKLM = RootKey::LocalMachine;
constexpr RootKey HKCU = RootKey::CurrentUser;
const char* const kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Game";

TEST(HiveText, ParsesStringsEscapesDefaultsAndKeepsOtherLines) {
  const std::string text =
      "REGEDIT4\r\n\r\n"
      "; exported by hand\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Game]\r\n"
      "\"Path\"=\"C:\\\\Games\\\\Game\"\r\n"
      "\"Quote \\\"q\\\"\"=\"say \\\"hi\\\"\"\r\n"
      "@=\"default\"\r\n"
      "\"Count\"=dword:0000002a\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "garbage line\r\n"
      "\"Unterminated\"=\"abc\r\n"
      "  ; note\r\n"
      "\r\n"
      "[broken\r\n"
      "\"Lost\"=\"value under a broken header\"\r\n"
      "[HKEY_CURRENT_USER\\A\\\\B\\]\n"
      "\"x\"  =  \"y\"  \n";
  const auto hive = ParseHive(text);
  ASSERT_TRUE(hive);
  ASSERT_EQ(hive->preamble.size(), 1u);
  ASSERT_EQ(hive->keys.size(), 2u);
  const HiveKey& game = hive->keys[0];
  EXPECT_EQ(game.path, "HKEY_LOCAL_MACHINE\\Software\\Game");
  ASSERT_EQ(game.values.size(), 6u);
  EXPECT_EQ(game.values[0].name, "Path");
  EXPECT_EQ(game.values[0].data, "C:\\Games\\Game");
  EXPECT_EQ(game.values[1].name, "Quote \"q\"");
  EXPECT_EQ(game.values[1].data, "say \"hi\"");
  EXPECT_EQ(game.values[2].name, "");
  EXPECT_EQ(game.values[2].data, "default");
  EXPECT_EQ(game.values[3].kind, HiveValue::Kind::Other);
  EXPECT_EQ(game.values[3].name, "Count");
  EXPECT_EQ(game.values[4].kind, HiveValue::Kind::Other);
  EXPECT_EQ(game.values[4].data, "\"Blob\"=hex:01,02,\\\n  03,04");
  EXPECT_EQ(game.values[5].kind, HiveValue::Kind::Comment);
  EXPECT_EQ(hive->keys[1].path, "HKEY_CURRENT_USER\\A\\B");
  ASSERT_EQ(hive->keys[1].values.size(), 1u);
  EXPECT_EQ(hive->keys[1].values[0].data, "y");

  // Formatting and parsing again changes nothing.
  const std::string formatted = FormatHive(*hive);
  EXPECT_EQ(formatted.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(formatted.find("\"Blob\"=hex:01,02,\\\r\n  03,04\r\n"), std::string::npos);
  const auto again = ParseHive(formatted);
  ASSERT_TRUE(again);
  EXPECT_EQ(FormatHive(*again), formatted);
}

TEST(HiveText, EmptyInputIsAnEmptyHiveAndForeignTextIsRefused) {
  EXPECT_TRUE(ParseHive("")->keys.empty());
  EXPECT_TRUE(ParseHive("\r\n  \n")->keys.empty());
  EXPECT_TRUE(ParseHive("\xEF\xBB\xBFREGEDIT4\n[HKEY_USERS\\x]\n"));
  EXPECT_FALSE(ParseHive("Windows Registry Editor Version 5.00\r\n"));
  EXPECT_FALSE(
      ParseHive("\x7F"
                "ELF"));
}

TEST(HiveText, ABlankLineEndsAContinuedValue) {
  const auto hive = ParseHive("REGEDIT4\n[HKEY_USERS\\k]\n\"Bin\"=hex:01,\\\n\n\"s\"=\"v\"\n");
  ASSERT_TRUE(hive);
  ASSERT_EQ(hive->keys[0].values.size(), 2u);
  EXPECT_EQ(hive->keys[0].values[0].data, "\"Bin\"=hex:01,");
  EXPECT_EQ(hive->keys[0].values[1].data, "v");
  const auto again = ParseHive(FormatHive(*hive));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->keys[0].values.size(), 2u);
}

TEST(HiveText, DuplicateSectionsMergeCaseInsensitively) {
  const auto hive = ParseHive(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft]\n\"a\"=\"1\"\n[HKEY_USERS\\x]\n"
      "[hkey_local_machine\\SOFT]\n\"b\"=\"2\"\n");
  ASSERT_TRUE(hive);
  ASSERT_EQ(hive->keys.size(), 2u);
  EXPECT_EQ(hive->keys[0].path, "HKEY_LOCAL_MACHINE\\Soft");
  EXPECT_EQ(hive->keys[0].values.size(), 2u);
}

TEST(HiveText, ValuesThatNoLineCanHoldSurviveARoundTrip) {
  Hive hive;
  const std::string nasty = std::string("line1\r\nline2\\\"end\0x", 20);
  hive.keys.push_back({"HKEY_LOCAL_MACHINE\\K", {{HiveValue::Kind::String, "n\"\\", nasty}}});
  const std::string text = FormatHive(hive);
  EXPECT_EQ(text.find("line1\r"), std::string::npos);  // no raw line break inside a value
  const auto back = ParseHive(text);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->keys.size(), 1u);
  EXPECT_EQ(back->keys[0].values[0].name, "n\"\\");
  EXPECT_EQ(back->keys[0].values[0].data, nasty);
}

TEST(Registry, WritesReadsAndSavesRegedit4Text) {
  TestMachine machine;
  Registry registry;
  EXPECT_EQ(registry.HivePath(), machine.hive());
  EXPECT_FALSE(registry.ReadString(HKLM, kUninstall, "DisplayName"));  // no hive yet
  EXPECT_FALSE(registry.KeyExists(HKLM, kUninstall));
  EXPECT_TRUE(registry.KeyExists(HKLM, ""));

  ASSERT_TRUE(registry.WriteString(HKLM, kUninstall, "DisplayName", "Game \"Deluxe\""));
  ASSERT_TRUE(registry.WriteString(HKLM, kUninstall, "UninstallString", "C:\\Games\\un.exe"));
  ASSERT_TRUE(registry.WriteString(HKLM, kUninstall, "", "default"));
  EXPECT_EQ(registry.ReadString(HKLM, kUninstall, "DisplayName"), "Game \"Deluxe\"");
  EXPECT_EQ(registry.ReadString(HKLM, kUninstall, "UninstallString"), "C:\\Games\\un.exe");
  EXPECT_EQ(registry.ReadString(HKLM, kUninstall, ""), "default");
  EXPECT_FALSE(registry.ReadString(HKCU, kUninstall, "DisplayName"));  // other root
  EXPECT_TRUE(registry.KeyExists(HKLM, "SOFTWARE\\Microsoft"));

  const std::string text = ReadHostFile(machine.hive());
  EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                      "\\Game]\r\n\"DisplayName\"=\"Game \\\"Deluxe\\\"\"\r\n"
                      "\"UninstallString\"=\"C:\\\\Games\\\\un.exe\"\r\n@=\"default\"\r\n"),
            std::string::npos);
  // Every parent has its own section, as regedit exports them.
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows]\r\n"), std::string::npos);

  const std::vector<std::string> names = {"DisplayName", "UninstallString", ""};
  EXPECT_EQ(registry.ValueNames(HKLM, kUninstall), names);
}

TEST(Registry, NamesCompareCaseInsensitivelyAndKeepTheFirstWritersCase) {
  TestMachine machine;
  Registry registry;
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\\xC4rger", "InstallDir", "C:\\A"));
  ASSERT_TRUE(registry.WriteString(HKLM, "SOFTWARE\\\xE4RGER", "INSTALLDIR", "C:\\B"));
  ASSERT_TRUE(registry.WriteString(HKLM, "software\\\xe4rger\\Sub\\", "v", "1"));
  EXPECT_EQ(registry.ReadString(HKLM, "software\\\xE4rger", "installdir"), "C:\\B");
  EXPECT_EQ(registry.ValueNames(HKLM, "Software\\\xC4rger"),
            std::vector<std::string>{"InstallDir"});
  const std::string text = ReadHostFile(machine.hive());
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\\xC4rger\\Sub]"), std::string::npos);
  EXPECT_EQ(text.find("SOFTWARE"), std::string::npos);
  EXPECT_TRUE(registry.OpenKey(HKLM, "SOFTWARE\\\xC4RGER\\sub", false));
}

TEST(Registry, OpenKeyCreatesMissingParentsOnlyWhenAsked) {
  TestMachine machine;
  Registry registry;
  EXPECT_FALSE(registry.OpenKey(HKCU, "A\\B\\C", false));
  EXPECT_FALSE(std::filesystem::exists(machine.hive()));  // reading never creates the hive
  EXPECT_TRUE(registry.OpenKey(HKCU, "A\\B\\C", true));
  EXPECT_TRUE(registry.OpenKey(HKCU, "A\\B\\C", false));
  EXPECT_TRUE(registry.KeyExists(HKCU, "a\\b"));
  EXPECT_FALSE(registry.KeyExists(HKCU, "A\\B\\C\\D"));
  EXPECT_FALSE(registry.KeyExists(HKCU,
                                  "A\\B\\"
                                  "CC"));
  EXPECT_TRUE(registry.ValueNames(HKCU, "A\\B\\C").empty());
  EXPECT_FALSE(registry.OpenKey(HKCU, "bad\nname", true));
  EXPECT_FALSE(registry.WriteString(HKCU, "A", "bad\rname", "x"));
}

TEST(Registry, DeletesValuesAndWholeSubtrees) {
  TestMachine machine;
  Registry registry;
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\Game", "a", "1"));
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\Game", "b", "2"));
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\Game\\Sub\\Deep", "c", "3"));
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\GameTwo", "d", "4"));

  EXPECT_TRUE(registry.DeleteValue(HKLM, "software\\game", "A"));
  EXPECT_FALSE(registry.ReadString(HKLM, "Software\\Game", "a"));
  EXPECT_EQ(registry.ReadString(HKLM, "Software\\Game", "b"), "2");
  EXPECT_FALSE(registry.DeleteValue(HKLM, "Software\\Game", "a"));  // already gone
  EXPECT_FALSE(registry.DeleteValue(HKLM, "Software\\Nothing", "a"));

  EXPECT_TRUE(registry.DeleteKey(HKLM, "SOFTWARE\\GAME"));
  EXPECT_FALSE(registry.KeyExists(HKLM, "Software\\Game"));
  EXPECT_FALSE(registry.KeyExists(HKLM, "Software\\Game\\Sub\\Deep"));
  EXPECT_EQ(registry.ReadString(HKLM, "Software\\GameTwo", "d"), "4");  // a sibling, not a child
  EXPECT_FALSE(registry.DeleteKey(HKLM, "Software\\Game"));
  EXPECT_FALSE(registry.DeleteKey(HKLM, ""));  // a root is never deleted
  EXPECT_TRUE(registry.KeyExists(HKLM, "Software"));
}

TEST(Registry, ValuesOfOtherKindsAndCommentsSurviveChanges) {
  TestMachine machine;
  WriteHostFile(machine.hive(),
                "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                "\"Flags\"=dword:00000001\r\n; keep me\r\n\"Bin\"=hex:00,\\\r\n  01\r\n"
                "\"Text\"=\"t\"\r\n\r\n[HKEY_DYN_DATA\\Foreign]\r\n\"z\"=\"1\"\r\n");
  Registry registry;
  EXPECT_FALSE(registry.ReadString(HKLM, "Software\\Other", "Flags"));  // not a string
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\New", "n", "v"));
  const std::string text = ReadHostFile(machine.hive());
  EXPECT_NE(text.find("\"Flags\"=dword:00000001\r\n; keep me\r\n\"Bin\"=hex:00,\\\r\n  01\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("[HKEY_DYN_DATA\\Foreign]\r\n\"z\"=\"1\""), std::string::npos);
  EXPECT_EQ(registry.ValueNames(HKLM, "Software\\Other"),
            (std::vector<std::string>{"Flags", "Bin", "Text"}));
  // Writing a string over a value of another kind replaces it, as on Windows.
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\Other", "flags", "now text"));
  EXPECT_EQ(registry.ReadString(HKLM, "Software\\Other", "Flags"), "now text");
  EXPECT_EQ(ReadHostFile(machine.hive()).find("dword"), std::string::npos);
}

TEST(Registry, AForeignFileIsNeverOverwritten) {
  TestMachine machine;
  WriteHostFile(machine.hive(), "not a registry file\n");
  Registry registry;
  EXPECT_FALSE(registry.WriteString(HKLM, "Software\\X", "a", "b"));
  EXPECT_FALSE(registry.ReadString(HKLM, "Software\\X", "a"));
  EXPECT_EQ(ReadHostFile(machine.hive()), "not a registry file\n");
}

TEST(Registry, HiveDefaultsBesideDriveCAndParentsAreCreated) {
  TempDir dir;
  ScopedEnv hive("WIZPAK_REGISTRY", std::nullopt);
  ScopedEnv drives("WIZPAK_DRIVES", "C=" + dir.path() + "/machine/drive_c");
  Registry registry;
  EXPECT_EQ(registry.HivePath(), dir.path() + "/machine/registry.reg");
  ASSERT_TRUE(registry.WriteString(HKLM, "K", "v", "1"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "/machine/registry.reg"));

  ScopedEnv deep("WIZPAK_REGISTRY", dir.path() + "/a/b/c/hive.reg");
  ASSERT_TRUE(registry.WriteString(HKLM, "K", "v", "2"));
  EXPECT_EQ(registry.ReadString(HKLM, "K", "v"), "2");
}

TEST(Registry, FailedSaveLeavesTheHiveAsItWas) {
  TestMachine machine;
  Registry registry;
  ASSERT_TRUE(registry.WriteString(HKLM, "Software\\Game", "a", "1"));
  const std::string before = ReadHostFile(machine.hive());
  for (FileOp failing : {FileOp::Write, FileOp::Rename, FileOp::Registry}) {
    ScopedFaultHook hook([&](FileOp op, std::string_view) { return op == failing ? EIO : 0; });
    EXPECT_FALSE(registry.WriteString(HKLM, "Software\\Game", "a", "2"));
    EXPECT_FALSE(registry.DeleteKey(HKLM, "Software\\Game"));
  }
  EXPECT_EQ(ReadHostFile(machine.hive()), before);
  EXPECT_EQ(registry.ReadString(HKLM, "Software\\Game", "a"), "1");
  {
    ScopedFaultHook hook(
        [](FileOp op, std::string_view) { return op == FileOp::Registry ? EACCES : 0; });
    EXPECT_FALSE(registry.ReadString(HKLM, "Software\\Game", "a"));
  }
}

TEST(Registry, SeesChangesMadeByOthersBetweenCalls) {
  TestMachine machine;
  Registry registry;
  ASSERT_TRUE(registry.WriteString(HKLM, "K", "v", "mine"));
  EXPECT_EQ(registry.ReadString(HKLM, "K", "v"), "mine");
  // Another program rewrites the hive (same size, so only the identity tells).
  WriteHostFile(machine.hive() + ".new",
                "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"them\"\r\n\r\n");
  std::filesystem::rename(machine.hive() + ".new", machine.hive());
  EXPECT_EQ(registry.ReadString(HKLM, "K", "v"), "them");
  ASSERT_TRUE(registry.WriteString(HKLM, "K", "w", "x"));
  EXPECT_EQ(registry.ReadString(HKLM, "K", "v"), "them");
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNothing) {
  TestMachine machine;
  constexpr int kValuesEach = 200;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      bool ok = true;
      for (int i = 0; i < kValuesEach; ++i) {
        ok = Registry().WriteString(HKLM, "Software\\Race",
                                    "p" + std::to_string(child) + "_" + std::to_string(i),
                                    std::to_string(i)) &&
             ok;
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  Registry registry;
  EXPECT_EQ(registry.ValueNames(HKLM, "Software\\Race").size(), 2u * kValuesEach);
  for (int child = 0; child < 2; ++child) {
    for (int i = 0; i < kValuesEach; i += 37) {
      EXPECT_EQ(registry.ReadString(HKLM, "Software\\Race",
                                    "p" + std::to_string(child) + "_" + std::to_string(i)),
                std::to_string(i));
    }
  }
}

}  // namespace
}  // namespace wizpak::platform
