// The setup command line and the executable-name rule.
#include <gtest/gtest.h>

#include "setup/exe_name_check.h"
#include "setup/options.h"

namespace wizpak::setup {
namespace {

TEST(SetupOptionsTest, OptionsAreNeverThePackageArgument) {
  const SetupOptions o = ParseSetupOptions({"setup.exe", "--ui=headless", "--unattended",
                                            "--dir=C:\\Games\\X", "game.pak", "second.pak"});
  EXPECT_EQ(o.ui, "headless");
  EXPECT_TRUE(o.unattended);
  EXPECT_EQ(o.dir, "C:\\Games\\X");
  EXPECT_EQ(o.package_argument, "game.pak");
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(ParseSetupOptions({"setup.exe", "--unattended"}).package_argument, "");
  // Windows-style switches are ordinary arguments.
  EXPECT_EQ(ParseSetupOptions({"setup.exe", "/s", "x"}).package_argument, "/s");
}

TEST(SetupOptionsTest, BadOptionsAreReported) {
  EXPECT_NE(ParseSetupOptions({"s", "--ui=qt"}).error.find("qt"), std::string::npos);
  EXPECT_NE(ParseSetupOptions({"s", "--silent"}).error.find("--silent"), std::string::npos);
  EXPECT_NE(ParseSetupOptions({"s", "--dir="}).error, "");
  EXPECT_TRUE(ParseSetupOptions({"s", "--help"}).help);
  const std::string usage = SetupUsage("setup");
  for (const char* word : {"--ui=fltk|text|headless", "--unattended", "--dir=FOLDER", "--help",
                           "WIZPAK_TRANSCRIPT", "WIZPAK_ANSWERS"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
}

TEST(ExecutableNameTest, AcceptedNames) {
  for (const char* name : {"setup.exe", "Setup.EXE", "setup(3).exe", "setup(12).exe", "setup().exe",
                           "SETUP(9).Exe", "setup"}) {
    EXPECT_TRUE(ExecutableNameAccepted("setup.exe", name)) << name;
  }
}

TEST(ExecutableNameTest, RefusedNames) {
  for (const char* name :
       {"setup(0).exe", "setup(10).exe", "setup(x).exe", "setup_old.exe", "mysetup.exe",
        "setup(.exe", "setup)(.exe", "setup(3)x.exe", "setu.exe", ""}) {
    EXPECT_FALSE(ExecutableNameAccepted("setup.exe", name)) << name;
  }
}

TEST(ExecutableNameTest, OnlyTheLastDotIsTheExtension) {
  EXPECT_TRUE(ExecutableNameAccepted("game.setup.exe", "GAME.SETUP(2).exe"));
  EXPECT_FALSE(ExecutableNameAccepted("game.setup.exe", "game.exe"));
  EXPECT_TRUE(ExecutableNameAccepted("Caf\xC9.exe", "caf\xE9.exe"));  // ANSI case
}

TEST(ExecutableNameTest, MessageAndFileNamePart) {
  EXPECT_EQ(RenamedExecutableMessage("Setup.exe", "setup(10).exe"),
            "Error: Setup`s filename has been renamed\r\rExpected: \rSetup.exe\r\rFound: "
            "\rsetup(10).exe");
  EXPECT_EQ(FileNamePart("C:\\a\\b.exe"), "b.exe");
  EXPECT_EQ(FileNamePart("/tmp/x/y(3).exe"), "y(3).exe");
  EXPECT_EQ(FileNamePart("plain"), "plain");
}

}  // namespace
}  // namespace wizpak::setup
