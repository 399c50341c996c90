// The page sets shipped in data/layout load without a message or a fatal
// error, find the controls the wizard needs and walk to their finish pages.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>

#include <jpeglib.h>

#include "gui/headless/headless_toolkit.h"
#include "support/test_support.h"
#include "wizard/main_form.h"
#include "wizard/wizard_run.h"
#include "wizard_fixtures.h"

namespace wizpak::wizard {
namespace {

namespace fs = std::filesystem;

test::FakePackage ShippedSet(const std::string& set) {
  test::FakePackage package;
  for (const auto& entry :
       fs::directory_iterator(wizpak::test::SourceDir() + "/data/layout/" + set)) {
    package.Add(entry.path().filename().string(),
                wizpak::test::ReadHostFile(entry.path().string()));
  }
  return package;
}

struct Walk {
  std::vector<TPageType> types;
  int exit_status = -1;
  int runs = 0;
  size_t boxes = 0;
  bool found_edit = false, found_tree = false, found_space = false, found_status = false,
       found_gauge = false, found_finish_text = false;
};

Walk WalkShippedSet(const std::string& set, bool uninstaller) {
  wizpak::test::TestMachine machine;
  RunTexts texts;
  test::TwoLanguages languages(texts.languages);
  test::BoxRecorder boxes;
  test::FakePackage package = ShippedSet(set);
  gui::headless::HeadlessToolkit toolkit;
  gui::headless::HeadlessMainForm form;
  std::string install_dir = "C:\\Games\\Demo\\";
  Walk walk;
  WizardHost host;
  host.find_entry = package.Lookup();
  host.is_uninstaller = uninstaller;
  host.install_dir = &install_dir;
  host.run_script = [&] {
    ++walk.runs;
    return RunResult::Completed;
  };
  host.run_uninstall = [&] { ++walk.runs; };
  TFrmMain wizard(toolkit, form, texts, host);
  WizardRunOptions options;
  options.unattended = true;
  walk.exit_status = RunWizard(toolkit, form, wizard, options);
  for (const auto& page : wizard.Pages().PageList()) walk.types.push_back(page->PageType);
  walk.boxes = boxes.boxes.size();
  walk.found_edit = wizard.InstallDirEdit() != nullptr;
  walk.found_tree = wizard.FolderTree() != nullptr;
  walk.found_space = wizard.SpaceLabel() != nullptr;
  walk.found_status = wizard.Status().StatusLabel != nullptr;
  walk.found_gauge = wizard.Status().Gauge != nullptr;
  walk.found_finish_text = wizard.Status().SubStatusLabel != nullptr;
  return walk;
}

TEST(ShippedLayoutsTest, DefaultSetWalksFromWelcomeToFinish) {
  Walk walk = WalkShippedSet("default", false);
  EXPECT_EQ(walk.exit_status, kExitDone);
  EXPECT_EQ(walk.boxes, 0u);
  EXPECT_EQ(walk.runs, 1);
  using enum TPageType;
  EXPECT_EQ(walk.types, (std::vector<TPageType>{ptWelcome, ptChangelog, ptInstallDir, ptPatch,
                                                ptPatching, ptFinish, ptMainLayout}));
  EXPECT_TRUE(walk.found_edit && walk.found_tree && walk.found_space && walk.found_status &&
              walk.found_gauge && walk.found_finish_text);
}

TEST(ShippedLayoutsTest, UninstallSetWalksFromWelcomeToFinish) {
  Walk walk = WalkShippedSet("uninstall", true);
  EXPECT_EQ(walk.exit_status, kExitDone);
  EXPECT_EQ(walk.boxes, 0u);
  EXPECT_EQ(walk.runs, 1);
  using enum TPageType;
  EXPECT_EQ(walk.types,
            (std::vector<TPageType>{ptWelcome, ptPatch, ptUninstall, ptFinish, ptMainLayout}));
  EXPECT_TRUE(walk.found_status && walk.found_gauge && walk.found_finish_text);
}

// The side picture is a real JPEG of the size its layout gives it.
TEST(ShippedLayoutsTest, SidePictureDecodesAtItsLayoutSize) {
  for (const char* set : {"default", "uninstall"}) {
    std::string bytes =
        wizpak::test::ReadHostFile(wizpak::test::SourceDir() + "/data/layout/" + set + "/side.jpg");
    ASSERT_FALSE(bytes.empty()) << set;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    ASSERT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(info.image_width, 164u);
    EXPECT_EQ(info.image_height, 375u);
    jpeg_destroy_decompress(&info);
  }
}

TEST(ShippedLayoutsTest, IconHoldsOneThirtyTwoPixelImage) {
  std::string icon =
      wizpak::test::ReadHostFile(wizpak::test::SourceDir() + "/data/layout/default/icon.ico");
  ASSERT_GE(icon.size(), 22u);
  EXPECT_EQ(icon.substr(0, 6), std::string("\0\0\1\0\1\0", 6));
  EXPECT_EQ(static_cast<unsigned char>(icon[6]), 32);
  uint32_t size = static_cast<unsigned char>(icon[14]) | static_cast<unsigned char>(icon[15]) << 8;
  EXPECT_EQ(size + 22u, icon.size());
}

}  // namespace
}  // namespace wizpak::wizard
