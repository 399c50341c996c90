// The programs copied into every setup and every uninstaller (the setup
// runtime and the finaliser): stripped, their debug information kept beside
// them, and needing nothing at run time beyond the C library, so a setup
// runs on a machine with an older or no C++ runtime, and without X.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace wizpak {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[512];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

// The shared libraries ldd names that the program may need: the C library,
// its maths library and the loader. The display libraries of the graphical
// front-end are opened only when it is used.
bool Allowed(const std::string& library) {
  static const std::regex allowed(
      R"((linux-vdso\.so\.\d+|libc\.so\.6|libm\.so\.6|/.*ld-linux[-\w.]*\.so\.\d+))");
  return std::regex_match(library, allowed);
}

class ShippedProgram : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (kSanitized) GTEST_SKIP() << "sanitizer builds keep their runtimes dynamic";
    path_ = test::BuildDir() + "/" + GetParam();
    ASSERT_TRUE(std::filesystem::exists(path_)) << path_;
  }
  std::string path_;
};

TEST_P(ShippedProgram, NeedsOnlyTheCLibrary) {
  const std::string listing = Output("ldd '" + path_ + "' 2>&1");
  ASSERT_FALSE(listing.empty());
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string library;
    words >> library;
    EXPECT_TRUE(Allowed(library)) << GetParam() << " needs " << line;
  }
}

TEST_P(ShippedProgram, IsStrippedWithItsDebugInformationBeside) {
  const std::string image = test::ReadHostFile(path_);
  EXPECT_EQ(image.find(".debug_info"), std::string::npos) << "debug information in the image";
  EXPECT_NE(image.find(".gnu_debuglink"), std::string::npos) << "no link to the debug file";
  const std::string debug = path_ + ".debug";
  ASSERT_TRUE(std::filesystem::exists(debug)) << debug;
  EXPECT_NE(test::ReadHostFile(debug).find(".debug_info"), std::string::npos);
#ifdef __OPTIMIZE__
  // Every setup and every installed uninstaller carries this image: 1 MiB at
  // most, 3 MiB with the graphical front-end linked in.
  const bool graphical = image.find("libX11.so") != std::string::npos;
  EXPECT_LT(image.size(), graphical ? 3u << 20 : 1u << 20)
      << GetParam() << " is " << image.size() << " bytes";
#endif
}

// A run without the window loads no X library, not even by dlopen: the
// loader's own trace lists every library it loads.
TEST(ShippedStub, HeadlessRunLoadsNoXLibrary) {
  if (kSanitized) GTEST_SKIP() << "sanitizer builds link the X libraries";
  const std::string stub = test::BuildDir() + "/wizpak-stub";
  const std::string trace =
      Output("DISPLAY=:0 WIZPAK_NO_OPEN=1 LD_DEBUG=files '" + stub + "' --unattended 2>&1");
  ASSERT_NE(trace.find("file=libc.so.6"), std::string::npos) << trace;
  EXPECT_EQ(trace.find("file=libX"), std::string::npos) << trace;
  EXPECT_EQ(trace.find("file=libfontconfig"), std::string::npos) << trace;
}

// What every setup carries besides its own files (the runtime, the
// finaliser, the page sets and languages) stays under 3 MB: a setup of one
// empty file.
TEST(ShippedStub, ASetupOfOneEmptyFileStaysUnderThreeMegabytes) {
  if (kSanitized) GTEST_SKIP() << "sanitizer builds are not shipped";
  const test::TempDir dir;
  test::WriteHostFile(dir.file("one/empty.txt"), "");
  test::WriteHostFile(dir.file("one.kys"),
                      "name \"One\"\noutfile one.exe\ninstalldir \"C:\\One\"\n"
                      "prefix One\npages default\nuninstallpages uninstall\n"
                      "language install\\english\n"
                      "uninstalllanguage uninstall\\english\nfile \"" +
                          dir.file("one") + "\"\n");
  const std::string setup = dir.file("one.exe");
  Output("'" + test::BuildDir() + "/wizpak' build '" + dir.file("one.kys") + "' -o '" + setup +
         "' 2>&1");
  ASSERT_TRUE(std::filesystem::exists(setup));
  EXPECT_LT(std::filesystem::file_size(setup), 3'000'000u);
}

INSTANTIATE_TEST_SUITE_P(Programs, ShippedProgram,
                         ::testing::Values("wizpak-stub", "wizpak-finalise"), [](const auto& info) {
                           std::string name = info.param;
                           name.erase(0, name.find('-') + 1);
                           return name;
                         });

}  // namespace
}  // namespace wizpak
