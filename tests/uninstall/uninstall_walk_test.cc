// The uninstall walk on a private machine: what goes, what stays, the order
// of folders, registry values, progress captions and gauge positions.
#include "uninstall/uninstall_walk.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "support/test_support.h"
#include "text/path_helpers.h"
#include "text/shared_state.h"
#include "uninstall/uninstall_registration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace wizpak {
namespace {

using platform::Registry;
using platform::RootKey;

struct Recorder {
  std::vector<std::u16string> captions;
  std::vector<int32_t> positions;
  std::vector<int32_t> maxima;
  UninstallWalkView View() {
    UninstallWalkView view;
    view.set_status = [this](std::u16string_view text) { captions.emplace_back(text); };
    view.set_gauge_position = [this](int32_t p) { positions.push_back(p); };
    view.set_gauge_maximum = [this](int32_t m) { maxima.push_back(m); };
    return view;
  }
};

UninstallWalkContext Context(const std::string& install_dir) {
  UninstallWalkContext context;
  context.get_string = [](uint16_t n) -> std::u16string {
    if (n == kUninstallProgressString)
      return u"Uninstalling <%KYPNAME%>: <%FNUM%> of <%FTOTAL%> items";
    if (n == kDirectoryPhaseString) return u"directories";
    if (n == kRegistryPhaseString) return u"registary enteries";
    return u"NOT FOUND";
  };
  context.expand_path = [install_dir](std::string_view p) {
    return ExpandPathVariables(RunFigures{}, p, install_dir);
  };
  context.install_log_path = InstallLogPath(install_dir, "Demo_");
  context.short_name = "Demo";
  return context;
}

void Touch(const std::string& program_path) {
  platform::File f = platform::File::Open(program_path, platform::OpenMode::Create);
  ASSERT_TRUE(f.Write("x"));
}

TEST(RegistryEntrySplit, FourQuotedPartsAndShortEntries) {
  RegistryEntryParts parts = SplitRegistryEntry("\"HKCU\" \"Software\\Test\" \"Path\" \"C:\\X\"");
  EXPECT_EQ(parts.root, "HKCU");
  EXPECT_EQ(parts.key, "Software\\Test");
  EXPECT_EQ(parts.name, "Path");
  EXPECT_EQ(parts.data, "C:\\X");

  parts = SplitRegistryEntry(
      "  \"HKLM\" \"Software\\My App\" \"Install Dir\" \"C:\\Program Files\\A\"  ");
  EXPECT_EQ(parts.key, "Software\\My App");
  EXPECT_EQ(parts.name, "Install Dir");
  EXPECT_EQ(parts.data, "C:\\Program Files\\A");

  parts = SplitRegistryEntry("\"HKCU\" \"Key\"");
  EXPECT_EQ(parts.key, "Key");
  EXPECT_EQ(parts.name, "");
  EXPECT_EQ(parts.data, "");
}

TEST(UninstallProgressCaption, FillsTheThreePlaceholders) {
  EXPECT_EQ(UninstallProgressCaption(u"Uninstalling <%KYPNAME%>: <%FNUM%> of <%FTOTAL%> items",
                                     u"directories", 3, 12),
            u"Uninstalling directories: 3 of 12 items");
  EXPECT_EQ(UninstallProgressCaption(u"<%kypname%>[<%FNUM%>/<%FTOTAL%>]", u"", 1, 1), u"[1/1]");
}

TEST(UninstallWalk, RemovesWhatWasInstalledAndKeepsWhatTheUserAdded) {
  test::TestMachine machine;
  const std::string dir = "C:\\Games\\Demo";
  for (const char* folder : {"C:\\Games", "C:\\Games\\Demo", "C:\\Games\\Demo\\data",
                             "C:\\Games\\Demo\\saves", "C:\\Games\\Demo\\empty"}) {
    ASSERT_TRUE(platform::CreateDirectory(folder));
  }
  Touch(dir + "\\game.exe");
  Touch(dir + "\\data\\a.dat");
  Touch(dir + "\\saves\\mine.sav");  // the user's own file
  Touch(dir + "\\Demo_install.log");
  Registry registry;
  ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, "Software\\Test", "Path", "C:\\X"));
  ASSERT_TRUE(registry.WriteString(RootKey::CurrentUser, "Software\\Test", "Other", "keep"));
  ASSERT_TRUE(
      registry.WriteString(RootKey::LocalMachine, UninstallKeyPath("Demo"), "DisplayName", "Demo"));

  TUninstallList log;
  log.AddDirectory(dir);  // the install folder comes first, as the run logs it
  log.AddDirectory("C:\\Games\\Demo\\data");
  log.AddDirectory("C:\\Games\\Demo\\saves");
  log.AddDirectory("C:\\Games\\Demo\\empty");
  log.AddDirectory("C:\\Games\\Demo\\empty");  // logged twice: the second removal finds nothing
  log.AddFile(CompressPathVariables(RunFigures{}, dir + "\\game.exe", dir));
  log.AddFile(CompressPathVariables(RunFigures{}, dir + "\\data\\a.dat", dir));
  log.AddFile("$INSTDIR\\\\never-written.txt");
  log.AddRegistryEntry("\"hkcu\" \"Software\\Test\" \"Path\" \"C:\\X\"");
  log.AddRegistryEntry("\"HKCU\" \"Software\\Missing\" \"Path\" \"C:\\X\"");
  ASSERT_EQ(log.Files()[0], "$INSTDIR\\game.exe");

  Recorder recorder;
  const UninstallWalkSummary summary = WalkInstallLog(log, Context(dir), recorder.View());
  EXPECT_EQ(summary.total, 10);
  EXPECT_EQ(summary.files_deleted, 2);
  EXPECT_EQ(summary.folders_removed, 2);  // data and empty
  EXPECT_EQ(summary.values_deleted, 1);

  EXPECT_FALSE(platform::FileExists(dir + "\\game.exe"));
  EXPECT_FALSE(platform::DirectoryExists(dir + "\\data"));
  EXPECT_FALSE(platform::DirectoryExists(dir + "\\empty"));
  EXPECT_TRUE(platform::FileExists(dir + "\\saves\\mine.sav"));
  EXPECT_TRUE(platform::DirectoryExists(dir + "\\saves"));
  EXPECT_TRUE(platform::DirectoryExists(dir));  // holds the user's folder
  EXPECT_FALSE(platform::FileExists(dir + "\\Demo_install.log"));

  EXPECT_FALSE(registry.ReadString(RootKey::CurrentUser, "Software\\Test", "Path"));
  EXPECT_EQ(registry.ReadString(RootKey::CurrentUser, "Software\\Test", "Other"), "keep");
  EXPECT_TRUE(registry.KeyExists(RootKey::CurrentUser, "Software\\Test"));
  EXPECT_FALSE(registry.KeyExists(RootKey::CurrentUser, "Software\\Missing"));
  EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, UninstallKeyPath("Demo")));

  ASSERT_FALSE(recorder.captions.empty());
  EXPECT_EQ(recorder.captions.front(), u"Status: 0 of 10 items remaining");
  EXPECT_EQ(recorder.maxima, std::vector<int32_t>{10});
  const std::vector<std::u16string> captions(recorder.captions.begin() + 1,
                                             recorder.captions.end());
  const std::vector<std::u16string> expected = {
      u"Uninstalling : 1 of 3 items",
      u"Uninstalling : 2 of 3 items",
      u"Uninstalling : 3 of 3 items",
      u"Uninstalling directories: 1 of 5 items",
      u"Uninstalling directories: 2 of 5 items",
      u"Uninstalling directories: 3 of 5 items",
      u"Uninstalling directories: 4 of 5 items",
      u"Uninstalling directories: 5 of 5 items",
      u"Uninstalling registary enteries: 1 of 2 items",
      u"Uninstalling registary enteries: 2 of 2 items",
  };
  EXPECT_EQ(captions, expected);
  EXPECT_EQ(recorder.positions, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(UninstallWalk, LargePhasesReportOnlyFromTheFirstHundredthOn) {
  test::TestMachine machine;
  TUninstallList log;
  for (int i = 0; i < 250; ++i) log.AddFile("C:\\none\\f" + std::to_string(i));
  Recorder recorder;
  WalkInstallLog(log, Context("C:\\none"), recorder.View());
  // n * 100 >= 250 first holds for n = 3.
  ASSERT_EQ(recorder.positions.size(), 1u + 248u);
  EXPECT_EQ(recorder.positions[1], 3);
  EXPECT_EQ(recorder.captions[1], u"Uninstalling : 3 of 250 items");
}

TEST(UninstallWalk, EmptyLogAndNoViewStillRemoveRegistrationAndLog) {
  test::TestMachine machine;
  ASSERT_TRUE(platform::CreateDirectory("C:\\Demo"));
  Touch("C:\\Demo\\Demo_install.log");
  Recorder recorder;
  const UninstallWalkSummary summary = WalkInstallLog(TUninstallList{}, Context("C:\\Demo"), {});
  EXPECT_EQ(summary.total, 0);
  EXPECT_FALSE(platform::FileExists("C:\\Demo\\Demo_install.log"));
  WalkInstallLog(TUninstallList{}, Context("C:\\Demo"), recorder.View());
  EXPECT_EQ(recorder.captions, std::vector<std::u16string>{u"Status: 0 of 0 items remaining"});
}

TEST(UninstallWalk, EntriesThatExpandToRelativePathsAreLeftAlone) {
  // "$INSTDIR\\a.txt" with an empty install folder is "\\a.txt"; a relative
  // entry would name a file in whatever folder the uninstaller runs in.
  test::TestMachine machine;
  test::TempDir dir;
  test::WriteHostFile(dir.file("victim.txt"), "keep");
  std::filesystem::create_directory(dir.file("victim_dir"));
  std::string relative = std::filesystem::relative(dir.path(), std::filesystem::current_path());
  for (char& c : relative) c = c == '/' ? '\\' : c;
  TUninstallList log;
  log.AddFile(relative + "\\victim.txt");
  log.AddFile("$INSTDIR\\victim.txt");
  log.AddDirectory(relative + "\\victim_dir");
  ASSERT_TRUE(platform::FileExists(log.Files()[0]));
  const UninstallWalkSummary summary = WalkInstallLog(log, Context(""), {});
  EXPECT_EQ(summary.files_deleted + summary.folders_removed, 0);
  EXPECT_EQ(test::ReadHostFile(dir.file("victim.txt")), "keep");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("victim_dir")));
}

}  // namespace
}  // namespace wizpak

namespace wizpak {
namespace {

namespace fs = std::filesystem;

// What an attacker or a user may leave in the way: the walk removes only
// what the installation made, reached without following a link.
TEST(UninstallWalk, NeverDeletesThroughALinkOrOutsideTheDriveMap) {
  test::TestMachine machine;
  test::TempDir outside;
  test::WriteHostFile(outside.file("docs/manual.txt"), "user's manual");
  test::WriteHostFile(outside.file("target.txt"), "target");
  test::WriteHostFile(outside.file("host.txt"), "host file");
  fs::create_directories(outside.file("empty_outside"));
  const std::string dir = "C:\\Demo";
  const std::string host_dir = machine.drive_c() + "/Demo";
  test::WriteHostFile(host_dir + "/game.exe", "x");
  test::WriteHostFile(machine.drive_c() + "/keep.txt", "keep");
  fs::create_symlink(outside.file("docs"), host_dir + "/docs");              // folder link
  fs::create_symlink(outside.file("target.txt"), host_dir + "/readme.txt");  // file link
  fs::create_symlink(outside.file("empty_outside"), host_dir + "/saves");
  ASSERT_EQ(::mkfifo((host_dir + "/pipe").c_str(), 0644), 0);

  TUninstallList log;
  log.AddDirectory(dir);
  log.AddDirectory(dir + "\\saves");  // now a link to an empty outside folder
  log.AddFile("$INSTDIR\\game.exe");
  log.AddFile("$INSTDIR\\docs\\manual.txt");  // through the folder link
  log.AddFile("$INSTDIR\\readme.txt");        // the link itself goes
  log.AddFile("$INSTDIR\\pipe");              // not a regular file
  log.AddFile(outside.file("host.txt"));      // a host path: tampered log
  log.AddFile("$INSTDIR\\..\\keep.txt");      // climbs out after expansion
  log.AddDirectory(outside.file("empty_outside"));
  const UninstallWalkSummary summary = WalkInstallLog(log, Context(dir), {});

  EXPECT_EQ(summary.files_deleted, 2);  // game.exe and the readme link
  EXPECT_FALSE(fs::exists(host_dir + "/game.exe"));
  EXPECT_FALSE(fs::is_symlink(host_dir + "/readme.txt"));
  EXPECT_EQ(test::ReadHostFile(outside.file("target.txt")), "target");
  EXPECT_EQ(test::ReadHostFile(outside.file("docs/manual.txt")), "user's manual");
  EXPECT_EQ(test::ReadHostFile(outside.file("host.txt")), "host file");
  EXPECT_EQ(test::ReadHostFile(machine.drive_c() + "/keep.txt"), "keep");
  EXPECT_TRUE(fs::is_fifo(host_dir + "/pipe"));
  EXPECT_TRUE(fs::is_directory(outside.file("empty_outside")));
  EXPECT_TRUE(fs::is_symlink(host_dir + "/saves"));
}

// The walk keeps the folder of consecutive entries open. Entries that
// switch between folders still all go, and a folder swapped for a link
// while the walk runs never leads it outside.
TEST(UninstallWalk, KeepsFoldersOpenAcrossEntriesWithoutEverFollowingALink) {
  test::TestMachine machine;
  test::TempDir outside;
  test::WriteHostFile(outside.file("a2.txt"), "outside");
  const std::string host_dir = machine.drive_c() + "/Demo";
  for (const char* name : {"/A/a1.txt", "/A/a2.txt", "/B/b1.txt", "/A/a3.txt", "/B/b2.txt"})
    test::WriteHostFile(host_dir + name, "x");
  TUninstallList log;
  for (const char* name : {"A\\a1.txt", "A\\a2.txt", "B\\b1.txt", "A\\a3.txt", "B\\b2.txt"})
    log.AddFile(std::string("$INSTDIR\\") + name);
  // While a1.txt goes, A is moved away and a link to the outside folder
  // takes its name.
  platform::ScopedFaultHook swap([&](platform::FileOp op, std::string_view path) {
    if (op == platform::FileOp::Delete && path.find("a1.txt") != std::string_view::npos) {
      fs::rename(host_dir + "/A", host_dir + "/A.moved");
      fs::create_directory_symlink(outside.path(), host_dir + "/A");
    }
    return 0;
  });
  const UninstallWalkSummary summary = WalkInstallLog(log, Context("C:\\Demo"), {});
  EXPECT_EQ(test::ReadHostFile(outside.file("a2.txt")), "outside");
  EXPECT_FALSE(fs::exists(host_dir + "/B/b1.txt"));
  EXPECT_FALSE(fs::exists(host_dir + "/B/b2.txt"));
  EXPECT_FALSE(fs::exists(host_dir + "/A.moved/a1.txt"));
  // a3.txt is reached again from the drive root: through the link, refused.
  EXPECT_TRUE(fs::exists(host_dir + "/A.moved/a3.txt"));
  EXPECT_EQ(summary.files_deleted, 4);  // a1, a2 (in the folder held open), b1, b2
}

}  // namespace
}  // namespace wizpak

namespace wizpak {
namespace {

// The desktop items go first and the record beside the log with them, so the
// install folder that held the record is empty when the folder phase comes.
TEST(UninstallWalk, DesktopItemsAndTheirRecordGoBeforeTheFolders) {
  test::TestMachine machine;
  ASSERT_TRUE(platform::CreateDirectory("C:\\Game"));
  const std::string entry = machine.home() + "/.local/share/applications/wizpak-Demo-Play.desktop";
  test::WriteHostFile(entry, "[Desktop Entry]\n");
  test::WriteHostFile(machine.drive_c() + "/Game/Demo_desktop.log", "record");
  TUninstallList log;
  log.AddDirectory("C:\\Game");
  log.Desktop().AddFile(entry);
  UninstallWalkContext context = Context("C:\\Game");
  context.desktop_record_path = DesktopRecordPath("C:\\Game", "Demo_");
  const UninstallWalkSummary summary = WalkInstallLog(log, context, {});
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_FALSE(std::filesystem::exists(machine.drive_c() + "/Game"));
  EXPECT_EQ(summary.total, 1);  // the desktop items are not counted as log items
  EXPECT_EQ(summary.folders_removed, 1);
}

}  // namespace
}  // namespace wizpak
