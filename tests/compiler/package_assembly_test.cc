#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/package_builder.h"
#include "support/test_support.h"

namespace wizpak::compiler {
namespace {

// Folders are listed in the platform's name order (letter case ignored).
class AssemblyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The smallest language files the setup reads: name and identifier lines.
    test::WriteHostFile(tool("languages/install/english.wri"), std::string("\xFF\xFE"
                                                                           "E\0\r\0\n\0"
                                                                           "9\0",
                                                                           10));
    test::WriteHostFile(tool("languages/uninstall/english.wri"), std::string("\xFF\xFE"
                                                                             "U\0\r\0\n\0"
                                                                             "9\0",
                                                                             10));
    test::WriteHostFile(tool("layout/default/Pages.txt"), "p");
    test::WriteHostFile(tool("layout/default/icon.ico"), "i");
    test::WriteHostFile(tool("layout/default/img/back.jpg"), "j");
    test::WriteHostFile(tool("layout/uninstall/Pages.txt"), "up");
    test::WriteHostFile(tool("layout/uninstall/icon.ico"), "ui");
    test::WriteHostFile(tool("wizpak-finalise"), "fin");
    test::WriteHostFile(dir_.file("script/a.txt"), "a");
    test::WriteHostFile(dir_.file("script/b.txt"), "b");
    layout_ = {dir_.file("tool"), tool("wizpak-stub"), tool("wizpak-finalise")};
  }
  std::string tool(const std::string& rel) const { return dir_.file("tool/" + rel); }

  std::vector<std::string> Names(const std::string& script, std::string* error_out = nullptr) {
    const TCompiler c = CompileSource(script, {dir_.file("script"), dir_.file("tool")});
    EXPECT_FALSE(c.HasErrors());
    std::vector<PackageItem> items;
    std::string error;
    const bool ok = AssemblePackage(c, layout_, items, error);
    if (error_out) *error_out = error;
    if (!ok) return {};
    std::vector<std::string> names;
    for (const PackageItem& item : items)
      names.push_back(std::to_string(item.group) + " " + item.name);
    return names;
  }

  test::TempDir dir_;
  ToolLayout layout_;
};

TEST_F(AssemblyTest, SupportEntriesComeFirstInTheirFixedOrder) {
  EXPECT_EQ(Names("file a.txt\n"
                  "uninstalllanguage uninstall\\english\n"
                  "pages default\n"
                  "file b.txt sub\n"
                  "language install\\english\n"
                  "uninstallpages uninstall\n"
                  "prefix Demo\n"),
            (std::vector<std::string>{
                "0 SetupInfo", "0 CompiledLines", "0 UNINSTALL_LANGUAGE-uninstall\\english",
                "0 LANGUAGE-install\\english", "0 icon.ico", "0 img\\back.jpg", "0 Pages.txt",
                "0 UNINSTALL_Pages.txt", "0 UNINSTALL_FINALISE.EXE", "0 UNINSTALL_ICON.ICO",
                "1 a.txt", "2 b.txt"}));
}

TEST_F(AssemblyTest, WithoutUninstallPagesNoUninstallerPartsAreCarried) {
  EXPECT_EQ(Names("pages default\n"),
            (std::vector<std::string>{"0 SetupInfo", "0 CompiledLines", "0 icon.ico",
                                      "0 img\\back.jpg", "0 Pages.txt"}));
}

// The change log is a group-0 entry named by the record's Changelog field
// (its path), which the layout's rich edit finds through "<%CHANGELOG%>".
// The name is a path, but the setup only looks it up, so it is no unsafe name.
TEST_F(AssemblyTest, ChangeLogIsCarriedUnderItsRecordedPath) {
  test::WriteHostFile(dir_.file("script/changes.txt"), "1.0 First");
  const std::string path = dir_.file("script") + "/changes.txt";
  EXPECT_EQ(Names("pages default\nchangelog changes.txt\nfile a.txt\n"),
            (std::vector<std::string>{"0 SetupInfo", "0 CompiledLines", "0 " + path, "0 icon.ico",
                                      "0 img\\back.jpg", "0 Pages.txt", "1 a.txt"}));
}

TEST_F(AssemblyTest, MissingPartsAreOneLineErrors) {
  std::string error;
  EXPECT_TRUE(Names("pages fancy\n", &error).empty());
  EXPECT_EQ(error.rfind("Page set not found - fancy", 0), 0u) << error;
  std::filesystem::remove(tool("wizpak-finalise"));
  EXPECT_TRUE(Names("pages default\nuninstallpages uninstall\nprefix Demo\n", &error).empty());
  EXPECT_EQ(error.rfind("wizpak-finalise not found", 0), 0u) << error;
}

}  // namespace
}  // namespace wizpak::compiler
