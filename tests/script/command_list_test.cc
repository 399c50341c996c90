// The command registry: numbering, flags, keyword lookup and group kinds.
#include "script/command_class.h"

#include <gtest/gtest.h>

namespace wizpak {
namespace {

TCompLine Line(int32_t command, int32_t position) {
  TCompLine line;
  line.Command = command;
  line.LineNumber = position;
  return line;
}

TEST(CommandRegistry, KeywordsAreNumberedInStoredOrder) {
  TCommandList list;
  RegisterCommands(list);
  const char* expected[] = {"goto",
                            "name",
                            "outfile",
                            "installdir",
                            "installdirregkey",
                            "iffileexists",
                            "file",
                            "delete",
                            "writeregstr",
                            "changelog",
                            "kypupdate",
                            "rmdir",
                            "createdirectory",
                            "createshortcut",
                            "message",
                            "messagebox",
                            "copyfile",
                            "language",
                            "failure",
                            "pages",
                            "shortname",
                            "uninstallpages",
                            "uninstalllanguage",
                            "prefix",
                            "uninstalllogload",
                            "uninstalllogsave",
                            "kypofficial"};
  ASSERT_EQ(list.Items.size(), 27u);
  for (int number = 1; number <= 27; ++number) {
    EXPECT_EQ(list.ByNumber(number)->Keyword, expected[number - 1]) << number;
    EXPECT_EQ(list.NumberOfKeyword(expected[number - 1]), number);
  }
  EXPECT_EQ(list.NumberOfKeyword("failure"), kCmdFailure);
  EXPECT_EQ(kCmdFailure, 19);
  EXPECT_EQ(list.NumberOfKeyword("kypofficial"), 27);
  EXPECT_EQ(list.NumberOfKeyword("CreateDirectory"), kCmdCreateDirectory);
  EXPECT_EQ(list.NumberOfKeyword("nosuch"), 0);
  EXPECT_EQ(list.NumberOfKeyword(""), 0);
  EXPECT_EQ(list.ByNumber(0), nullptr);
  EXPECT_EQ(list.ByNumber(28), nullptr);
  EXPECT_EQ(list.ByNumber(-1), nullptr);

  // Registering again replaces the items rather than appending a second set.
  RegisterCommands(list);
  EXPECT_EQ(list.Items.size(), 27u);
}

TEST(CommandRegistry, CompileOnlyAndPayloadFlags) {
  TCommandList list;
  RegisterCommands(list);
  std::vector<std::string> compile_only;
  for (const auto& item : list.Items) {
    if (item->CompileOnly) compile_only.push_back(item->Keyword);
    const int32_t number = list.NumberOfKeyword(item->Keyword);
    const uint8_t kind = item->PayloadKind();
    EXPECT_EQ(kind, number == kCmdFile ? 1 : number == kCmdKypUpdate ? 2 : 0) << item->Keyword;
  }
  EXPECT_EQ(compile_only, (std::vector<std::string>{"name", "outfile", "installdir",
                                                    "installdirregkey", "changelog", "pages",
                                                    "shortname", "uninstallpages", "prefix"}));
}

TEST(CommandRegistry, AddReturnsThePosition) {
  TCommandList list;
  EXPECT_EQ(list.Add(std::make_unique<TCommandClass>("one", false)), 0);
  EXPECT_EQ(list.Add(std::make_unique<TCommandClass>("two", true)), 1);
  EXPECT_EQ(list.NumberOfKeyword("TWO"), 2);
}

TEST(GroupKindList, FollowsTheFileCarryingLines) {
  TCommandList list;
  RegisterCommands(list);
  TCompLines lines;
  EXPECT_EQ(GroupKinds(lines, list), std::vector<uint8_t>{0});

  lines.Lines = {Line(kInertCommand, -1),  Line(kLabelCommand, 1), Line(kCmdFile, 2),
                 Line(kCmdKypOfficial, 3),  // carries no files
                 Line(kCmdKypUpdate, 4),   Line(kCmdCopyFile, 5),  Line(kCmdFile, 6)};
  EXPECT_EQ(GroupKinds(lines, list), (std::vector<uint8_t>{0, 0, 1, 0}));

  // Against an empty registry nothing but group 0 is known.
  EXPECT_EQ(GroupKinds(lines, TCommandList()), std::vector<uint8_t>{0});
}

}  // namespace
}  // namespace wizpak
