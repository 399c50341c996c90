// `wizpak build --target`: a Windows setup is the Windows runtime followed by
// the same package a Linux setup carries; both read back with list/verify.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/test_support.h"

namespace wizpak {
namespace {

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

int RunWizpak(const test::TempDir& dir, const std::string& arguments, std::string* err = nullptr) {
  const std::string command = Quote(test::BuildDir() + "/wizpak") + " " + arguments +
                              " >/dev/null 2>" + Quote(dir.file("stderr.txt"));
  const int raw = std::system(command.c_str());
  if (err) *err = test::ReadHostFile(dir.file("stderr.txt"));
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Demo() {
  return Quote(test::SourceDir() + "/examples/demo/setup.kys");
}

TEST(BuildTarget, WindowsRuntimeFromTheStubFolderCarriesTheSamePackage) {
  test::TempDir dir;
  // With the Linux programs standing in for the Windows ones the two
  // setups must be the same bytes: only the programs differ by target.
  const std::string same = dir.file("same");
  std::filesystem::create_directories(same);
  std::filesystem::copy_file(test::BuildDir() + "/wizpak-stub", same + "/wizpak-stub.exe");
  std::filesystem::copy_file(test::BuildDir() + "/wizpak-finalise", same + "/wizpak-finalise.exe");
  ASSERT_EQ(RunWizpak(dir, "build " + Demo() + " -o " + Quote(dir.file("linux.exe"))), 0);
  ASSERT_EQ(RunWizpak(dir, "build " + Demo() + " --target=windows --stub-dir " + Quote(same) +
                               " -o " + Quote(dir.file("windows.exe"))),
            0);
  const std::string linux_setup = test::ReadHostFile(dir.file("linux.exe"));
  ASSERT_FALSE(linux_setup.empty());
  EXPECT_TRUE(linux_setup == test::ReadHostFile(dir.file("windows.exe")));

  // A PE runtime: the setup starts with it and still verifies.
  const std::string pe = dir.file("pe");
  const std::string runtime = "MZ" + std::string(4000, 'w');
  test::WriteHostFile(pe + "/wizpak-stub.exe", runtime);
  test::WriteHostFile(pe + "/wizpak-finalise.exe", "MZ finaliser");
  ASSERT_EQ(RunWizpak(dir, "build " + Demo() + " --target=windows --stub-dir " + Quote(pe) +
                               " -o " + Quote(dir.file("pe.exe"))),
            0);
  const std::string pe_setup = test::ReadHostFile(dir.file("pe.exe"));
  EXPECT_EQ(pe_setup.substr(0, runtime.size()), runtime);
  EXPECT_EQ(RunWizpak(dir, "verify " + Quote(dir.file("pe.exe"))), 0);
  EXPECT_EQ(RunWizpak(dir, "list " + Quote(dir.file("pe.exe"))), 0);
}

TEST(BuildTarget, UnknownTargetsAndMissingRuntimesAreRefused) {
  test::TempDir dir;
  std::string err;
  EXPECT_EQ(
      RunWizpak(dir, "build " + Demo() + " --target=macos -o " + Quote(dir.file("a.exe")), &err),
      2);
  EXPECT_NE(err.find("--target takes linux or windows"), std::string::npos) << err;
  EXPECT_EQ(RunWizpak(dir,
                      "build " + Demo() + " --target=windows --stub-dir " + Quote(dir.path()) +
                          " -o " + Quote(dir.file("a.exe")),
                      &err),
            1);
  EXPECT_NE(err.find("no Windows setup runtime"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("a.exe")));
}

}  // namespace
}  // namespace wizpak
