// Building the uninstaller from an installer package, and starting the
// finaliser. The package is an in-memory list; the appender writes each
// entry as "name=content;" so the file can be checked byte for byte.
#include "uninstall/uninstaller.h"

#include "package/pak.h"
#include "uninstall/finaliser_folders.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace wizpak {
namespace {

using platform::Registry;
using platform::RootKey;

struct Entry {
  std::string name;
  uint16_t group;
  std::string content;
};

class ListSource : public PackageSource {
 public:
  explicit ListSource(std::vector<Entry> entries) : entries_(std::move(entries)) {}
  std::vector<PackageEntryRef> Entries() const override {
    std::vector<PackageEntryRef> refs;
    for (const Entry& e : entries_) refs.push_back({e.name, e.group});
    return refs;
  }
  std::optional<std::string> Extract(size_t index) const override {
    return entries_.at(index).content;
  }

 private:
  std::vector<Entry> entries_;
};

class TextAppender : public PackageAppender {
 public:
  explicit TextAppender(platform::File file) : file_(std::move(file)) {}
  bool Add(std::string_view name, uint16_t group, std::string_view content) override {
    return group == 0 && file_.Seek(0, platform::SeekFrom::End) >= 0 &&
           file_.Write(std::string(name) + "=" + std::string(content) + ";");
  }
  bool Finish() override { return file_.Write("END"); }

 private:
  platform::File file_;
};

std::unique_ptr<PackageAppender> OpenTextAppender(std::string_view path) {
  platform::File file = platform::File::Open(path, platform::OpenMode::ReadWrite);
  if (!file) return nullptr;
  return std::make_unique<TextAppender>(std::move(file));
}

class UninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteHostFile(setup_exe_, "MZ-image|package bytes");
    plan_.install_dir = "C:\\Games\\Demo";
    plan_.uninstall_exe_name = "Demo_Uninstall.exe";
    plan_.short_name = "Demo";
    plan_.setup_info = "record-with-IsUninstaller-1";
    plan_.image = {setup_exe_, 9};  // "MZ-image|"
    plan_.force_folders = [](std::string_view folder) {
      platform::CreateDirectory("C:\\Games");
      platform::CreateDirectory(folder);
    };
  }
  std::string Built() const {
    return test::ReadHostFile(machine_.drive_c() + "/Games/Demo/Demo_Uninstall.exe");
  }

  test::TestMachine machine_;
  test::TempDir dir_;
  std::string setup_exe_ = dir_.file("setup.exe");
  UninstallerPlan plan_;
};

TEST_F(UninstallerTest, CopiesTheImageAndThePrefixedGroupZeroEntriesThenSetupInfo) {
  const ListSource running({{"SetupInfo", 0, "installer record"},
                            {"CompiledLines", 0, "lines"},
                            {"UNINSTALL_Pages.txt", 0, "pages"},
                            {"UNINSTALL_ICON.ICO", 0, "icon"},
                            {"UNINSTALL_Layout.txt", 0, "layout"},
                            {"uninstall_lower.txt", 0, "small"},
                            {"UNINSTALL_FINALISE.EXE", 0, "fin"},
                            {"UNINSTALL_payload.txt", 1, "group one"},
                            {"UNINSTALL", 0, "too short for the prefix"}});
  const UninstallerBuildResult result = BuildUninstallerFrom(running, plan_, OpenTextAppender);
  ASSERT_TRUE(result.built) << result.message;
  EXPECT_EQ(result.path, "C:\\Games\\Demo\\Demo_Uninstall.exe");
  EXPECT_EQ(Built(),
            "MZ-image|Pages.txt=pages;Layout.txt=layout;lower.txt=small;FINALISE.EXE=fin;"
            "SetupInfo=record-with-IsUninstaller-1;END");
  // Nothing but the uninstaller is left in the folder.
  const auto listing = platform::ListFolder("C:\\Games\\Demo");
  ASSERT_TRUE(listing);
  ASSERT_EQ(listing->size(), 1u);
  EXPECT_EQ((*listing)[0].name, "Demo_Uninstall.exe");

  Registry registry;
  const std::string key = UninstallKeyPath("Demo");
  EXPECT_EQ(key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo");
  EXPECT_EQ(registry.ReadString(RootKey::LocalMachine, key, "DisplayName"), "Demo");
  EXPECT_EQ(registry.ReadString(RootKey::LocalMachine, key, "UninstallString"), result.path);
  RemoveUninstallRegistration("Demo");
  EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, key));
  RemoveUninstallRegistration("Demo");  // nothing there: nothing happens
}

TEST_F(UninstallerTest, AnEmptyShortNameNeverRemovesOtherProductsRegistrations) {
  Registry registry;
  const std::string other = UninstallKeyPath("Other Game");
  ASSERT_TRUE(registry.WriteString(RootKey::LocalMachine, other, "DisplayName", "Other Game"));
  for (const char* name : {"", "\\", "\\\\"}) {
    plan_.short_name = name;
    BuildUninstallerFrom(ListSource({}), plan_, OpenTextAppender);
    RemoveUninstallRegistration(name);
    EXPECT_EQ(registry.ReadString(RootKey::LocalMachine, other, "DisplayName"), "Other Game")
        << "short name \"" << name << "\"";
    // What the registration wrote is gone again.
    EXPECT_FALSE(
        registry.ReadString(RootKey::LocalMachine, UninstallKeyPath(name), "UninstallString"));
  }
}

TEST_F(UninstallerTest, RegistersEvenWhenNothingCanBeBuilt) {
  plan_.install_dir = "C:\\Games\\Demo\\";
  UninstallerBuildResult result = BuildUninstallerFrom(ListSource({}), plan_, OpenTextAppender);
  EXPECT_FALSE(result.built);
  EXPECT_TRUE(result.message.empty());
  EXPECT_FALSE(platform::FileExists(result.path));
  EXPECT_EQ(
      Registry().ReadString(RootKey::LocalMachine, UninstallKeyPath("Demo"), "UninstallString"),
      "C:\\Games\\Demo\\\\Demo_Uninstall.exe");

  plan_.image.size = 1000;  // more than the file holds
  result = BuildUninstallerFrom(ListSource({{"UNINSTALL_a", 0, "a"}}), plan_, OpenTextAppender);
  EXPECT_FALSE(result.built);
  EXPECT_NE(result.message.find("1000 bytes"), std::string::npos) << result.message;
}

TEST_F(UninstallerTest, AFailedBuildLeavesTheEarlierUninstallerWhole) {
  const ListSource running({{"UNINSTALL_Pages.txt", 0, "pages"}});
  ASSERT_TRUE(BuildUninstallerFrom(running, plan_, OpenTextAppender).built);
  const std::string before = Built();

  const ListSource changed({{"UNINSTALL_Pages.txt", 0, "new pages"}});
  UninstallerBuildResult result;
  {
    platform::ScopedFaultHook full_disk([](platform::FileOp op, std::string_view path) {
      return op == platform::FileOp::Write && path.find(".new") != std::string_view::npos &&
                     path.find("Demo") != std::string_view::npos
                 ? 28
                 : 0;
    });
    result = BuildUninstallerFrom(changed, plan_, OpenTextAppender);
  }
  EXPECT_FALSE(result.built);
  EXPECT_FALSE(result.message.empty());
  EXPECT_EQ(Built(), before);
  EXPECT_FALSE(platform::FileExists(result.path + ".new"));

  result = BuildUninstallerFrom(
      changed, plan_, [](std::string_view) { return std::unique_ptr<PackageAppender>(); });
  EXPECT_FALSE(result.built);
  EXPECT_EQ(Built(), before);
}

TEST_F(UninstallerTest, AKilledRunsTemporaryUninstallerIsRemovedByTheNextRun) {
  ASSERT_TRUE(
      BuildUninstallerFrom(ListSource({{"UNINSTALL_Pages.txt", 0, "p"}}), plan_, OpenTextAppender)
          .built);
  // What a run killed while writing leaves, and a file of the user's.
  for (const char* name : {"Demo_Uninstall.exe.4242-00deadbeef.new", "Demo_Uninstall.exe.txt"}) {
    platform::File f =
        platform::File::Open(std::string("C:\\Games\\Demo\\") + name, platform::OpenMode::Create);
    ASSERT_TRUE(f.Write("x"));
  }
  ASSERT_TRUE(
      BuildUninstallerFrom(ListSource({{"UNINSTALL_Pages.txt", 0, "p"}}), plan_, OpenTextAppender)
          .built);
  EXPECT_FALSE(platform::FileExists("C:\\Games\\Demo\\Demo_Uninstall.exe.4242-00deadbeef.new"));
  EXPECT_TRUE(platform::FileExists("C:\\Games\\Demo\\Demo_Uninstall.exe.txt"));
}

TEST(Finaliser, StartsFromTheScratchFolderWithTheQuotedPaths) {
  test::TempDir dir;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.file("run"));
  ASSERT_TRUE(platform::CreateDirectory(dir.file("run")));
  const std::string out = dir.file("args.txt");
  const ListSource running(
      {{"SetupInfo", 0, "r"},
       {"finalise.exe", 0, "#!/bin/sh\nprintf '%s|' \"$@\" > '" + out + "'\n"}});
  ASSERT_TRUE(
      StartFinaliserFrom(running, "C:\\My Games\\Demo\\Demo_Uninstall.exe", {"C:\\My Games"}));
  // A scratch name of its own each time, so two uninstallers never share one.
  const std::string scratch = *platform::ToHostPath(FinaliserPath());
  EXPECT_EQ(scratch.rfind(dir.file("run") + "/FINALISE.", 0), 0u) << scratch;
  EXPECT_NE(FinaliserPath(), FinaliserPath());
  EXPECT_TRUE(test::WaitUntil([&] { return !test::ReadHostFile(out).empty(); }));
  EXPECT_EQ(test::ReadHostFile(out),
            "\"C:\\My Games\\Demo\\Demo_Uninstall.exe\"|\"C:\\My Games\"|");

  EXPECT_FALSE(StartFinaliserFrom(ListSource({{"FINALISE.EXE", 1, "wrong group"}}), "x"));
}

// What the finaliser is given besides the uninstaller: the folders above it
// that the install log lists (in any letter case, with doubled or trailing
// separators) and that are still there, innermost first and spelled as the
// uninstaller's path has them. Never a folder the log does not list, a drive
// root, one that is gone, or one that is not above the uninstaller.
TEST(Finaliser, IsGivenTheLoggedFoldersAboveTheUninstallerThatAreStillThere) {
  test::TestMachine machine;
  for (const char* folder : {"/Games/Sub/Demo", "/Games/Other", "/Mine/Demo"})
    std::filesystem::create_directories(machine.drive_c() + folder);
  const std::vector<std::string> logged = {
      "C:\\Games\\Sub\\Demo\\", "c:\\games\\", "C:\\Games\\\\sub\\", "C:\\Games\\Other\\", "C:\\",
      "C:\\Mine\\Demo\\..\\",   "C:\\Gone\\",  "C:\\Gone\\Demo\\"};
  EXPECT_EQ(FoldersAboveUninstaller(logged, "C:\\Games\\Sub\\Demo\\\\Demo_Uninstall.exe"),
            (std::vector<std::string>{"C:\\Games\\Sub", "C:\\Games"}));
  // C:\Mine was there before the install (its log lists only the ".." form).
  EXPECT_TRUE(FoldersAboveUninstaller(logged, "C:\\Mine\\Demo\\Demo_Uninstall.exe").empty());
  EXPECT_TRUE(FoldersAboveUninstaller(logged, "C:\\Gone\\Demo\\Demo_Uninstall.exe").empty());
  EXPECT_TRUE(FoldersAboveUninstaller(logged, "/home/user/Demo_Uninstall.exe").empty());
}

}  // namespace
}  // namespace wizpak

namespace wizpak {
namespace {

// The free-space check counts the uninstaller the run will write: its image
// and the stored bytes of what goes into its package, not the icon or the
// files the script installs.
TEST(UninstallerSpace, CountsTheImageAndTheUninstallerEntries) {
  test::TempDir dir;
  const std::string path = dir.file("setup.exe");
  test::WriteHostFile(path, std::string(5000, 'I'));
  uint64_t copied = 0;
  {
    TPak writer(path, /*append=*/true, false);
    const std::vector<std::pair<std::string, uint16_t>> entries = {{"UNINSTALL_Pages.txt", 0},
                                                                   {"UNINSTALL_ICON.ICO", 0},
                                                                   {"uninstall_finalise.exe", 0},
                                                                   {"SetupInfo", 0},
                                                                   {"UNINSTALL_x.txt", 1}};
    for (const auto& [name, group] : entries) {
      const std::string content(3000 + name.size(), static_cast<char>('a' + group));
      const uint32_t index = writer.AddEntry(name, "", group);
      ASSERT_TRUE(writer.StoreFromMemory(index, content.data(), content.size()));
      if (group == 0 && name != "SetupInfo" && name != "UNINSTALL_ICON.ICO")
        copied += writer.Entries[index].StoredLength();
    }
    ASSERT_TRUE(writer.WriteDirectory());
  }
  TPak running(path, false, false);
  EXPECT_EQ(UninstallerSpace(running, path, false), 5000 + copied + 64 * 1024);
}

}  // namespace
}  // namespace wizpak
