// The author's tool and a built setup against awkward sources and planted
// links: empty files verify, extract and install; pipes in a source folder
// are skipped instead of hanging the build; links leading out of a source
// are named; extraction and installation never write through a link.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/setup_rig.h"

namespace wizpak {
namespace {

namespace fs = std::filesystem;
using test::Ran;

class HostileDisk : public ::testing::Test {
 protected:
  HostileDisk() {
    test::WriteHostFile(rig_.File("src/readme.txt"), "read me");
    test::WriteHostFile(rig_.File("src/empty.txt"), "");
    test::WriteHostFile(rig_.File("src/docs/manual.txt"), "manual");
    test::WriteHostFile(rig_.File("setup.kys"),
                        "name Hostile\noutfile hostile.exe\ninstalldir \"C:\\Hostile\"\n"
                        "prefix Hostile\npages default\nuninstallpages uninstall\n"
                        "language install\\english\nuninstalllanguage uninstall\\english\n"
                        "file src\n");
  }
  void SetUp() override {
    if (!test::SetupRig::Built()) GTEST_SKIP() << "the programs are not built";
  }
  Ran Build(std::vector<std::string> extra = {}) {
    return rig_.Build(rig_.File("setup.kys"), setup_, std::move(extra));
  }
  Ran Wizpak(const std::vector<std::string>& arguments) {
    return rig_.Run(test::SetupRig::Program("wizpak"), arguments);
  }

  test::SetupRig rig_{{.transcript = false}};
  std::string setup_ = rig_.File("hostile.exe");
};

TEST_F(HostileDisk, EmptyFilesVerifyExtractAndInstall) {
  ASSERT_EQ(Build().status, 0);
  const Ran verify = Wizpak({"verify", setup_});
  EXPECT_EQ(verify.status, 0) << verify.err;
  const Ran extract = Wizpak({"extract", setup_, rig_.File("out")});
  EXPECT_EQ(extract.status, 0) << extract.err;
  EXPECT_TRUE(fs::is_regular_file(rig_.File("out/1/empty.txt")));
  EXPECT_EQ(rig_.RunUnattended(setup_).status, 0);
  EXPECT_TRUE(fs::is_regular_file(rig_.drive_c() + "/Hostile/empty.txt"));
  EXPECT_EQ(fs::file_size(rig_.drive_c() + "/Hostile/empty.txt"), 0u);
}

TEST_F(HostileDisk, PipesAreSkippedAndLinksOutOfTheSourceAreNamed) {
  ASSERT_EQ(::mkfifo(rig_.File("src/pipe").c_str(), 0644), 0);
  test::TempDir outside;
  test::WriteHostFile(outside.file("secret.txt"), "secret");
  fs::create_symlink(outside.file("secret.txt"), rig_.File("src/secret.txt"));
  const Ran build = Build();
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_NE(build.err.find("pipe: not a regular file, skipped"), std::string::npos) << build.err;
  EXPECT_NE(build.err.find("secret.txt: link leads outside the source folder"), std::string::npos)
      << build.err;
  const Ran quiet = Build({"--follow-links"});
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err.find("link leads outside"), std::string::npos) << quiet.err;
  EXPECT_NE(quiet.err.find("not a regular file, skipped"), std::string::npos) << quiet.err;

  const Ran pack = Wizpak({"pack", rig_.File("src"), "-o", rig_.File("src.pak")});
  EXPECT_EQ(pack.status, 0) << pack.err;
  EXPECT_NE(pack.err.find("pipe: not a regular file, skipped"), std::string::npos) << pack.err;
}

TEST_F(HostileDisk, ExtractAndInstallRefuseAFolderHoldingALink) {
  ASSERT_EQ(Build().status, 0);
  test::TempDir outside;
  fs::create_directories(rig_.File("out/1"));
  fs::create_symlink(outside.path(), rig_.File("out/1/docs"));
  const Ran extract = Wizpak({"extract", setup_, rig_.File("out")});
  EXPECT_NE(extract.status, 0);
  EXPECT_NE(extract.err.find("docs is a link"), std::string::npos) << extract.err;
  EXPECT_TRUE(fs::is_empty(outside.path()));

  fs::create_directories(rig_.drive_c() + "/Hostile");
  fs::create_symlink(outside.path(), rig_.drive_c() + "/Hostile/docs");
  test::WriteHostFile(outside.file("target.txt"), "keep");
  fs::create_symlink(outside.file("target.txt"), rig_.drive_c() + "/Hostile/readme.txt");
  const Ran install = rig_.RunUnattended(setup_);
  EXPECT_NE(install.status, 0);
  EXPECT_EQ(test::ReadHostFile(outside.file("target.txt")), "keep");
  EXPECT_EQ(fs::directory_iterator(outside.path())->path().filename(), "target.txt");
}

}  // namespace
}  // namespace wizpak
