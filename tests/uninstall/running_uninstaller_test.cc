// The uninstaller as the program builds it: from a real installer package
// read and written with TPak, and the setup record of the run.
#include "uninstall/running_uninstaller.h"

#include "package/package_hooks.h"
#include "package/pak.h"
#include "package/setup_info.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wizpak {
namespace {

constexpr std::string_view kImage = "MZ-program-image";

// The image followed by a package of (name, group, content) entries.
std::string WriteInstaller(
    const test::TempDir& dir,
    const std::vector<std::tuple<std::string, uint16_t, std::string>>& entries) {
  const std::string path = dir.file("setup.exe");
  test::WriteHostFile(path, std::string(kImage));
  TPak pak(path, /*append=*/true, /*create_new=*/false);
  for (const auto& [name, group, content] : entries) {
    EXPECT_TRUE(
        pak.StoreFromMemory(pak.AddEntry(name, name, group), content.data(), content.size()));
  }
  EXPECT_TRUE(pak.WriteDirectory());
  pak.Close();
  return path;
}

class RunningUninstallerTest : public ::testing::Test {
 protected:
  test::TestMachine machine_;
  test::TempDir dir_;
};

TEST_F(RunningUninstallerTest, BuildsTheUninstallerPackageInOrderWithTheRecordLast) {
  const std::string installer =
      WriteInstaller(dir_, {{"SetupInfo", 0, "installer record"},
                            {"CompiledLines", 0, std::string(300, 'c')},
                            {"UNINSTALL_Pages.txt", 0, "welcome\nready\nuninstall\nfinish\n"},
                            {"UNINSTALL_Layout.txt", 0, std::string(500, 'L')},
                            {"UNINSTALL_ICON.ICO", 0, "icon"},
                            {"UNINSTALL_FINALISE.EXE", 0, "finaliser"},
                            {"UNINSTALL_payload.txt", 1, "group one"}});
  TPak running(installer, false, false);
  TSetupInfoFile record;
  record.ShortName = "Demo";
  record.UninstallPrefix = "Demo_";
  record.UninstallExeName = "Demo_Uninstall.exe";
  record.InstallDir = "C:\\Games\\Demo";
  record.CreateUninstaller = 1;

  // The install folder it makes goes to the run's install log.
  std::vector<std::string> logged;
  PackageHooks hooks;
  hooks.add_directory = [&](std::string_view folder) { logged.emplace_back(folder); };
  const UninstallerBuildResult result =
      BuildUninstaller(RunningPackage{&running, installer, false}, record, hooks);
  ASSERT_TRUE(result.built) << result.message;
  EXPECT_EQ(record.IsUninstaller, 0);
  EXPECT_EQ(logged, (std::vector<std::string>{"C:\\Games\\", "C:\\Games\\Demo\\"}));

  TPak built(result.path, false, false);
  ASSERT_TRUE(built.HasPackage());
  std::vector<std::string> names;
  for (const TPakEntry& e : built.Entries) {
    names.push_back(e.Name);
    EXPECT_EQ(e.Group, 0);
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Pages.txt", "Layout.txt", "FINALISE.EXE", "SetupInfo"}));
  EXPECT_EQ(built.Entries[0].Offset, kImage.size());
  EXPECT_EQ(built.ExtractEntry(1), std::string(500, 'L'));
  const std::optional<std::string> info = built.ExtractEntry(3);
  ASSERT_TRUE(info);
  TSetupInfoFile loaded;
  ASSERT_TRUE(loaded.LoadFromBuffer(info->data(), info->size()));
  EXPECT_EQ(loaded.IsUninstaller, 1);
  EXPECT_EQ(loaded.InstallDir, "C:\\Games\\Demo");
  EXPECT_EQ(loaded.UninstallPrefix, "Demo_");
  const std::string bytes =
      test::ReadHostFile(machine_.drive_c() + "/Games/Demo/Demo_Uninstall.exe");
  EXPECT_EQ(bytes.substr(0, kImage.size()), kImage);
}

TEST_F(RunningUninstallerTest, ImageOfAPackageFromTheCommandLineIsTheRunningProgram) {
  const std::string installer = WriteInstaller(dir_, {{"SetupInfo", 0, "record"}});
  TPak running(installer, false, false);
  const std::optional<ExecutableImage> own = RunningExecutableImage(running, installer, false);
  ASSERT_TRUE(own);
  EXPECT_EQ(own->path, installer);
  EXPECT_EQ(own->size, kImage.size());
  // The test program carries no package: all of it is the image.
  const std::optional<ExecutableImage> stub = RunningExecutableImage(running, installer, true);
  ASSERT_TRUE(stub);
  EXPECT_EQ(stub->path, platform::ExecutablePath());
  EXPECT_EQ(stub->size,
            test::ReadHostFile(*platform::ToHostPath(platform::ExecutablePath())).size());
}

TEST_F(RunningUninstallerTest, AnEmptyFirstEntryDoesNotCutTheImageShort) {
  // An empty entry stores no bytes and records offset 0.
  const std::string installer =
      WriteInstaller(dir_, {{"Empty.txt", 0, ""}, {"SetupInfo", 0, "record"}});
  TPak running(installer, false, false);
  ASSERT_EQ(running.Entries.at(0).Offset, 0u);
  const std::optional<ExecutableImage> image = RunningExecutableImage(running, installer, false);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size, kImage.size());

  const std::string only_empty = WriteInstaller(dir_, {{"Empty.txt", 0, ""}});
  TPak empty(only_empty, false, false);
  const std::optional<ExecutableImage> whole = RunningExecutableImage(empty, only_empty, false);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->size, kImage.size());
}

TEST_F(RunningUninstallerTest, WithoutARunningPackageOnlyTheRegistrationIsWritten) {
  TSetupInfoFile record;
  record.ShortName = "Solo";
  record.InstallDir = "C:\\Solo";
  record.UninstallExeName = "Solo_Uninstall.exe";
  const UninstallerBuildResult result = BuildUninstaller(RunningPackage{}, record, PackageHooks{});
  EXPECT_FALSE(result.built);
  EXPECT_EQ(platform::Registry().ReadString(platform::RootKey::LocalMachine,
                                            UninstallKeyPath("Solo"), "UninstallString"),
            "C:\\Solo\\Solo_Uninstall.exe");
  RemoveUninstallRegistration(record.ShortName);
  EXPECT_FALSE(
      platform::Registry().KeyExists(platform::RootKey::LocalMachine, UninstallKeyPath("Solo")));
  EXPECT_FALSE(StartFinaliser(RunningPackage{}));
}

}  // namespace
}  // namespace wizpak
