// Whole compiled scripts exercising the file-system, registry and shortcut
// commands against a private machine, and what they leave in the install log.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/registry.h"
#include "script_fixture.h"
#include "uninstall/uninstall_list.h"

#include <algorithm>

namespace wizpak::test {
namespace {

using Commands = ScriptTest;
using platform::Registry;
using platform::RootKey;

TEST_F(Commands, CreateDirectoryLogsEachNewFolderAndThePathOnceMore) {
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\data\\maps"});
  s.Command(kCmdCreateDirectory, {"$INSTDIR\\data"});  // exists by now: logged all the same
  Run(s);
  EXPECT_TRUE(HostFolderExists("C:\\Games\\Test\\data\\maps"));
  EXPECT_EQ(LoggedDirectories(),
            (std::vector<std::string>{kInstallDir, "C:\\Games\\", "C:\\Games\\Test\\",
                                      "C:\\Games\\Test\\data\\", "C:\\Games\\Test\\data\\maps\\",
                                      "C:\\Games\\Test\\data\\maps", "C:\\Games\\Test\\data"}));
}

TEST_F(Commands, CreateDirectoryOfUncOrRelativePathLogsThePathOnly) {
  // Path expansion turns the leading "\\\\" into one backslash.
  for (const std::string path : {"\\server\\share\\dir", "relative\\dir"}) {
    run_.install_log.Clear();
    ScriptBuilder s;
    s.Command(kCmdCreateDirectory, {path == "relative\\dir" ? path : "\\" + path});
    Run(s);
    std::vector<std::string> dirs = LoggedDirectories();
    ASSERT_GE(dirs.size(), 2u) << path;
    EXPECT_EQ(std::count(dirs.begin(), dirs.end(), path), 1) << path;
    // Nothing but the path itself and the install folder's chain.
    for (const std::string& d : dirs) {
      EXPECT_TRUE(d == path || (std::string(kInstallDir) + "\\").find(d) == 0) << d;
    }
  }
}

TEST_F(Commands, CopyFileReplacesAndIsLoggedOnce) {
  WriteHostFile(Host("C:\\source\\readme.txt"), "new text");
  WriteHostFile(Host("C:\\Games\\Test\\docs\\readme.txt"), "old");
  ScriptBuilder s;
  s.Command(kCmdCopyFile, {"C:\\source\\readme.txt", "$INSTDIR\\docs\\readme.txt"});
  s.Command(kCmdCopyFile, {"C:\\source\\readme.txt", "$INSTDIR\\DOCS\\readme.txt"});
  s.Command(kCmdCopyFile, {"C:\\source\\missing.txt", "$INSTDIR\\new\\missing.txt"});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_EQ(ReadHostFile(Host("C:\\Games\\Test\\docs\\readme.txt")), "new text");
  // A failed copy is quiet but still logged, and its folder was created.
  EXPECT_EQ(LoggedFiles(),
            (std::vector<std::string>{"$INSTDIR\\docs\\readme.txt", "$INSTDIR\\new\\missing.txt"}));
  EXPECT_TRUE(HostFolderExists("C:\\Games\\Test\\new"));
}

TEST_F(Commands, CopyFileShowsTheSourceNameInTheStatus) {
  WriteHostFile(Host("C:\\source\\a.txt"), "a");
  ScriptBuilder s;
  s.Command(kCmdCopyFile, {"C:\\source\\a.txt", "C:\\dest\\b.txt"});
  Run(s);
  // Without a language the string lookup answers "NOT FOUND 17"; with one
  // the placeholder carries the name. Either way no placeholder is left over.
  EXPECT_EQ(captions_.status.find(u"<%FILENAME%>"), std::u16string::npos);
  EXPECT_EQ(ReadHostFile(Host("C:\\dest\\b.txt")), "a");
}

TEST_F(Commands, DeleteRemovesFilesOnlyAndLogsNothing) {
  WriteHostFile(Host("C:\\Games\\Test\\old.dat"), "x");
  WriteHostFile(Host("C:\\Games\\Test\\folder\\keep.txt"), "x");
  ScriptBuilder s;
  s.Command(kCmdDelete, {"$INSTDIR\\old.dat"});
  s.Command(kCmdDelete, {"$INSTDIR\\folder"});
  s.Command(kCmdDelete, {"$INSTDIR\\never-there.dat"});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_FALSE(HostFileExists("C:\\Games\\Test\\old.dat"));
  EXPECT_TRUE(HostFileExists("C:\\Games\\Test\\folder\\keep.txt"));
  EXPECT_TRUE(LoggedFiles().empty());
}

TEST_F(Commands, RmDirRemovesTheTreeAndIgnoresAMissingFolder) {
  WriteHostFile(Host("C:\\Games\\Test\\cache\\a\\b.txt"), "x");
  WriteHostFile(Host("C:\\Games\\Test\\cache\\c.txt"), "x");
  ScriptBuilder s;
  s.Command(kCmdRmDir, {"$INSTDIR\\cache", "0"});  // the flag does not spare the contents
  s.Command(kCmdRmDir, {"$INSTDIR\\not-there", "1"});
  s.Command(kCmdRmDir, {"C:\\"});  // a drive root is never removed
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_FALSE(HostFolderExists("C:\\Games\\Test\\cache"));
  EXPECT_TRUE(HostFolderExists("C:\\Games\\Test"));
  EXPECT_FALSE(HostFolderExists("C:\\Games\\Test\\not-there"));
}

TEST_F(Commands, WriteRegStrExpandsTheDataAndLogsItAsWritten) {
  ScriptBuilder s;
  s.Command(kCmdWriteRegStr, {"hkcu", "Software\\Test Game", "Path", "$INSTDIR\\game.exe"});
  s.Command(kCmdWriteRegStr, {"hkcu", "Software\\Test Game", "Path", "$INSTDIR\\game.exe"});
  s.Command(kCmdWriteRegStr, {"bogus", "Software\\Test Game", "Version", "1.0"});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  Registry registry;
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, "Software\\Test Game", "Path"),
            "C:\\Games\\Test\\game.exe");
  // Any other root name means HKEY_LOCAL_MACHINE.
  EXPECT_EQ(registry.ReadString(RootKey::LocalMachine, "Software\\Test Game", "Version"), "1.0");
  EXPECT_EQ(
      LoggedRegistryEntries(),
      (std::vector<std::string>{"\"hkcu\" \"Software\\Test Game\" \"Path\" \"$INSTDIR\\game.exe\"",
                                "\"bogus\" \"Software\\Test Game\" \"Version\" \"1.0\""}));
}

TEST_F(Commands, WriteRegStrThatCannotBeSavedEndsTheRun) {
  ScriptBuilder s;
  s.Command(kCmdCreateDirectory, {"C:\\before"});
  s.Command(kCmdWriteRegStr, {"HKLM", "Software\\Test", "Key Name", "x"});
  s.Command(kCmdCreateDirectory, {"C:\\after"});
  ScriptRunResult result;
  {
    // The key opens (first hive access); saving the value (second) fails.
    int registry_calls = 0;
    platform::ScopedFaultHook fail_registry([&](platform::FileOp op, std::string_view) {
      return op == platform::FileOp::Registry && ++registry_calls == 2 ? 28 /* ENOSPC */ : 0;
    });
    result = Run(s);
  }
  EXPECT_EQ(result.outcome, ScriptOutcome::Error);
  EXPECT_EQ(result.error, "Failed to set data for 'Key Name'");
  // The run ended there and was rolled back: the folder made before is gone.
  EXPECT_TRUE(result.rolled_back);
  EXPECT_FALSE(HostFolderExists("C:\\before"));
  EXPECT_FALSE(HostFolderExists("C:\\after"));
}

TEST_F(Commands, WriteRegStrIntoAHiveThatCannotBeWrittenEndsTheRun) {
  // A new key in a hive that cannot be saved: the key does not open, and
  // the value is not set; the run must not go on to "done".
  ScriptBuilder s;
  s.Command(kCmdWriteRegStr, {"HKCU", "Software\\New Key", "Value", "x"});
  s.Command(kCmdCreateDirectory, {"C:\\after"});
  ScriptRunResult result;
  {
    platform::ScopedFaultHook fail_registry([&](platform::FileOp op, std::string_view) {
      return op == platform::FileOp::Registry ? 13 /* EACCES */ : 0;
    });
    result = Run(s);
  }
  EXPECT_EQ(result.outcome, ScriptOutcome::Error);
  EXPECT_EQ(result.error, "Failed to set data for 'Value'");
  EXPECT_FALSE(HostFolderExists("C:\\after"));
  EXPECT_FALSE(Registry().KeyExists(RootKey::CurrentUser, "Software\\New Key"));
}

TEST_F(Commands, CreateShortcutWritesADesktopEntryAndLogsIt) {
  ScriptBuilder s;
  s.Command(kCmdCreateShortcut,
            {"$SMPROGRAMS\\Test Game\\Play.lnk", "$INSTDIR\\game.exe", "-window"});
  s.Command(kCmdCreateShortcut, {"$INSTDIR\\NoArgs.lnk", "$INSTDIR\\game.exe", ""});
  EXPECT_EQ(Run(s).outcome, ScriptOutcome::Completed);
  EXPECT_NE(ReadHostFile(Host("C:\\ProgramData\\Start Menu\\Programs\\Test Game\\Play.lnk"))
                .find("-window"),
            std::string::npos);
  const std::string link = ReadHostFile(Host("C:\\Games\\Test\\NoArgs.lnk"));
  EXPECT_NE(link.find("[Desktop Entry]"), std::string::npos);
  EXPECT_NE(link.find("game.exe"), std::string::npos);
  EXPECT_EQ(LoggedFiles(),
            (std::vector<std::string>{"$SMPROGRAMSTest Game\\Play.lnk", "$INSTDIR\\NoArgs.lnk"}));
  // The new start-menu folder is logged, so the uninstaller removes it again.
  const std::vector<std::string> dirs = LoggedDirectories();
  EXPECT_NE(
      std::find(dirs.begin(), dirs.end(), "C:\\ProgramData\\Start Menu\\Programs\\Test Game\\"),
      dirs.end());
}

}  // namespace
}  // namespace wizpak::test
