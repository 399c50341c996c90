// The author's tool and a built setup against awkward sources and planted
// links: empty files verify, extract and install; pipes in a source folder
// are skipped instead of hanging the build; links leading out of a source
// are named; extraction and installation never write through a link.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/process.h"
#include "support/test_support.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string err;
};

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

// Runs `program arguments`, stdout dropped; a hang ends after 60 s.
ToolRun RunTool(const test::TempDir& dir, const std::string& program,
                const std::string& arguments) {
  const std::string err = dir.file("stderr.txt");
  const std::string command = "timeout 60 " + Quote(program) + " " + arguments + " >/dev/null 2>" +
                              Quote(err) + " </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadHostFile(err)};
}

std::string Wizpak() {
  return test::BuildDir() + "/wizpak";
}

class HostileDisk : public ::testing::Test {
 protected:
  HostileDisk()
      : no_open_("WIZPAK_NO_OPEN", "1"),
        language_("WIZPAK_LANGID", "0409"),
        display_("DISPLAY", std::nullopt),
        transcript_("WIZPAK_TRANSCRIPT", std::nullopt) {
    test::WriteHostFile(dir_.file("src/readme.txt"), "read me");
    test::WriteHostFile(dir_.file("src/empty.txt"), "");
    test::WriteHostFile(dir_.file("src/docs/manual.txt"), "manual");
    test::WriteHostFile(dir_.file("setup.kys"),
                        "name Hostile\noutfile hostile.exe\ninstalldir \"C:\\Hostile\"\n"
                        "prefix Hostile\npages default\nuninstallpages uninstall\n"
                        "language install\\english\nuninstalllanguage uninstall\\english\n"
                        "file src\n");
  }
  ToolRun Build(const std::string& extra = "") {
    return RunTool(dir_, Wizpak(),
                   "build " + Quote(dir_.file("setup.kys")) + " -o " + Quote(setup_) + extra);
  }

  test::TestMachine machine_;
  test::TempDir dir_;
  test::ScopedEnv no_open_, language_, display_, transcript_;
  std::string setup_ = dir_.file("hostile.exe");
};

TEST_F(HostileDisk, EmptyFilesVerifyExtractAndInstall) {
  ASSERT_EQ(Build().status, 0);
  const ToolRun verify = RunTool(dir_, Wizpak(), "verify " + Quote(setup_));
  EXPECT_EQ(verify.status, 0) << verify.err;
  const ToolRun extract =
      RunTool(dir_, Wizpak(), "extract " + Quote(setup_) + " " + Quote(dir_.file("out")));
  EXPECT_EQ(extract.status, 0) << extract.err;
  EXPECT_TRUE(fs::is_regular_file(dir_.file("out/1/empty.txt")));
  EXPECT_EQ(RunTool(dir_, setup_, "--ui=headless --unattended").status, 0);
  EXPECT_TRUE(fs::is_regular_file(machine_.drive_c() + "/Hostile/empty.txt"));
  EXPECT_EQ(fs::file_size(machine_.drive_c() + "/Hostile/empty.txt"), 0u);
}

TEST_F(HostileDisk, PipesAreSkippedAndLinksOutOfTheSourceAreNamed) {
  ASSERT_EQ(::mkfifo(dir_.file("src/pipe").c_str(), 0644), 0);
  test::TempDir outside;
  test::WriteHostFile(outside.file("secret.txt"), "secret");
  fs::create_symlink(outside.file("secret.txt"), dir_.file("src/secret.txt"));
  const ToolRun build = Build();
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_NE(build.err.find("pipe: not a regular file, skipped"), std::string::npos) << build.err;
  EXPECT_NE(build.err.find("secret.txt: link leads outside the source folder"), std::string::npos)
      << build.err;
  const ToolRun quiet = Build(" --follow-links");
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err.find("link leads outside"), std::string::npos) << quiet.err;
  EXPECT_NE(quiet.err.find("not a regular file, skipped"), std::string::npos) << quiet.err;

  const ToolRun pack = RunTool(
      dir_, Wizpak(), "pack " + Quote(dir_.file("src")) + " -o " + Quote(dir_.file("src.pak")));
  EXPECT_EQ(pack.status, 0) << pack.err;
  EXPECT_NE(pack.err.find("pipe: not a regular file, skipped"), std::string::npos) << pack.err;
}

TEST_F(HostileDisk, ExtractAndInstallRefuseAFolderHoldingALink) {
  ASSERT_EQ(Build().status, 0);
  test::TempDir outside;
  fs::create_directories(dir_.file("out/1"));
  fs::create_symlink(outside.path(), dir_.file("out/1/docs"));
  const ToolRun extract =
      RunTool(dir_, Wizpak(), "extract " + Quote(setup_) + " " + Quote(dir_.file("out")));
  EXPECT_NE(extract.status, 0);
  EXPECT_NE(extract.err.find("docs is a link"), std::string::npos) << extract.err;
  EXPECT_TRUE(fs::is_empty(outside.path()));

  fs::create_directories(machine_.drive_c() + "/Hostile");
  fs::create_symlink(outside.path(), machine_.drive_c() + "/Hostile/docs");
  test::WriteHostFile(outside.file("target.txt"), "keep");
  fs::create_symlink(outside.file("target.txt"), machine_.drive_c() + "/Hostile/readme.txt");
  const ToolRun install = RunTool(dir_, setup_, "--ui=headless --unattended");
  EXPECT_NE(install.status, 0);
  EXPECT_EQ(test::ReadHostFile(outside.file("target.txt")), "keep");
  EXPECT_EQ(fs::directory_iterator(outside.path())->path().filename(), "target.txt");
}

}  // namespace
}  // namespace wizpak
