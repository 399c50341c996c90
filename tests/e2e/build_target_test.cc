// `wizpak build --target`: a Windows setup is the Windows runtime followed by
// the same package a Linux setup carries; both read back with list/verify.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/setup_rig.h"

namespace wizpak {
namespace {

int RunWizpak(const test::TempDir& dir, std::vector<std::string> arguments,
              std::string* err = nullptr) {
  const test::Ran run = test::RunKept(test::BuildDir() + "/wizpak", arguments, dir.path());
  if (err) *err = run.err;
  return run.status;
}

std::string Demo() {
  return test::SourceDir() + "/examples/demo/setup.kys";
}

TEST(BuildTarget, WindowsRuntimeFromTheStubFolderCarriesTheSamePackage) {
  test::TempDir dir;
  // With the Linux programs standing in for the Windows ones the two
  // setups must be the same bytes: only the programs differ by target.
  const std::string same = dir.file("same");
  std::filesystem::create_directories(same);
  std::filesystem::copy_file(test::BuildDir() + "/wizpak-stub", same + "/wizpak-stub.exe");
  std::filesystem::copy_file(test::BuildDir() + "/wizpak-finalise", same + "/wizpak-finalise.exe");
  ASSERT_EQ(RunWizpak(dir, {"build", Demo(), "-o", dir.file("linux.exe")}), 0);
  ASSERT_EQ(RunWizpak(dir, {"build", Demo(), "--target=windows", "--stub-dir", same, "-o",
                            dir.file("windows.exe")}),
            0);
  const std::string linux_setup = test::ReadHostFile(dir.file("linux.exe"));
  ASSERT_FALSE(linux_setup.empty());
  EXPECT_TRUE(linux_setup == test::ReadHostFile(dir.file("windows.exe")));

  // A PE runtime: the setup starts with it and still verifies.
  const std::string pe = dir.file("pe");
  const std::string runtime = "MZ" + std::string(4000, 'w');
  test::WriteHostFile(pe + "/wizpak-stub.exe", runtime);
  test::WriteHostFile(pe + "/wizpak-finalise.exe", "MZ finaliser");
  ASSERT_EQ(RunWizpak(dir, {"build", Demo(), "--target=windows", "--stub-dir", pe, "-o",
                            dir.file("pe.exe")}),
            0);
  const std::string pe_setup = test::ReadHostFile(dir.file("pe.exe"));
  EXPECT_EQ(pe_setup.substr(0, runtime.size()), runtime);
  EXPECT_EQ(RunWizpak(dir, {"verify", dir.file("pe.exe")}), 0);
  EXPECT_EQ(RunWizpak(dir, {"list", dir.file("pe.exe")}), 0);
}

TEST(BuildTarget, UnknownTargetsAndMissingRuntimesAreRefused) {
  test::TempDir dir;
  std::string err;
  EXPECT_EQ(RunWizpak(dir, {"build", Demo(), "--target=macos", "-o", dir.file("a.exe")}, &err), 2);
  EXPECT_NE(err.find("--target takes linux or windows"), std::string::npos) << err;
  EXPECT_EQ(RunWizpak(dir,
                      {"build", Demo(), "--target=windows", "--stub-dir", dir.path(), "-o",
                       dir.file("a.exe")},
                      &err),
            1);
  EXPECT_NE(err.find("no Windows setup runtime"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("a.exe")));
}

}  // namespace
}  // namespace wizpak
