// The shipped demo script compiles cleanly against the shipped data and uses
// every kind of command it is meant to show.
#include <gtest/gtest.h>

#include <set>

#include "compiler/compiler.h"
#include "platform/files.h"
#include "script/command_class.h"
#include "support/test_support.h"

namespace wizpak::compiler {
namespace {

TEST(DemoScript, CompilesWithoutDiagnosticsAndShowsEveryCommandKind) {
  const std::string folder = test::SourceDir() + "/examples/demo";
  const auto text = platform::ReadFileBytes(folder + "/setup.kys");
  ASSERT_TRUE(text.has_value());
  const TCompiler c = CompileSource(*text, {folder, test::SourceDir() + "/data"});
  for (const Diagnostic& d : c.diagnostics) ADD_FAILURE() << FormatDiagnostic("setup.kys", d);

  std::set<int32_t> used;
  bool file_plain = false, file_subfolder = false, file_condition = false;
  for (const TCompLine& line : c.lines.Lines) {
    used.insert(line.Command);
    if (line.Command != kCmdFile) continue;
    file_plain |= line.ParamCount == 1;
    file_subfolder |= line.ParamCount == 2;
    file_condition |= line.ParamCount == 7;
  }
  EXPECT_TRUE(file_plain && file_subfolder && file_condition);
  for (int32_t command : std::initializer_list<int32_t>{
           kLabelCommand, kCmdGoto, kCmdIfFileExists, kCmdFile, kCmdDelete, kCmdWriteRegStr,
           kCmdRmDir, kCmdCreateDirectory, kCmdCreateShortcut, kCmdMessage, kCmdMessageBox,
           kCmdCopyFile, kCmdLanguage, kCmdUninstallLanguage, kCmdFailure}) {
    EXPECT_TRUE(used.count(command)) << "command " << command;
  }
  const TSetupInfoFile& info = c.setup_info;
  EXPECT_EQ(info.Pages, "default");
  EXPECT_EQ(info.UninstallPages, "uninstall");
  EXPECT_EQ(info.CreateUninstaller, 1);
  EXPECT_EQ(info.UninstallPrefix, "WizpakDemo_");
  EXPECT_EQ(info.InstallDirRegKey.HKEY, 1);
  EXPECT_NE(info.Changelog, "");
  EXPECT_EQ(info.SetupExeName, "WizpakDemoSetup.exe");
  EXPECT_EQ(c.files.group_counter, 3u);
}

}  // namespace
}  // namespace wizpak::compiler
