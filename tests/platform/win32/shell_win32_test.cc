// Shell links and the icon resource, read back through the shell's own
// interfaces: IShellLinkW for links, the resource functions for icons.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "icon_reader.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "support/test_support.h"

namespace wizpak::platform {
namespace {

struct LinkFields {
  std::wstring path, arguments, folder;
};

LinkFields ReadLink(const std::string& link_file) {
  LinkFields out;
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(win32::AcpToWide(link_file).c_str(), STGM_READ))) {
        wchar_t buffer[MAX_PATH] = {};
        if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH))) out.path = buffer;
        buffer[0] = 0;
        if (SUCCEEDED(link->GetArguments(buffer, MAX_PATH))) out.arguments = buffer;
        buffer[0] = 0;
        if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH))) out.folder = buffer;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return out;
}

TEST(Win32Shell, ShellLinkResolvesToItsTargetArgumentsAndFolder) {
  test::TempDir dir;
  const std::string folder = FromHostPath(dir.path());
  const std::string target = folder + "\\game.exe";
  ASSERT_TRUE(WriteFileAtomic(target, "MZ"));
  const std::string link = folder + "\\Play.lnk";
  ASSERT_TRUE(WriteShellLink(link, target, "-w \"two words\"", folder)) << LastErrorText();
  const LinkFields fields = ReadLink(link);
  EXPECT_EQ(win32::WideToAcp(fields.path), target);
  EXPECT_EQ(fields.arguments, L"-w \"two words\"");
  EXPECT_EQ(win32::WideToAcp(fields.folder), folder);
  EXPECT_FALSE(WriteShellLink(folder + "\\no\\such\\x.lnk", target, "", folder));
}

// A 16x16, 32-bit icon image of one colour: BITMAPINFOHEADER (height doubled
// for the mask), BGRA pixels, then the AND mask.
std::string SolidIconImage(uint8_t blue, uint8_t green, uint8_t red, std::string& entry) {
  std::string image(40, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, 16);
  put32(8, 32);
  image[12] = 1;
  image[14] = 32;
  for (int i = 0; i < 16 * 16; ++i) {
    image += static_cast<char>(blue);
    image += static_cast<char>(green);
    image += static_cast<char>(red);
    image += static_cast<char>(0xFF);
  }
  image += std::string(16 * 4, '\0');
  entry = std::string("\x10\x10\0\0\x01\0\x20\0", 8);
  for (int i = 0; i < 4; ++i) entry += static_cast<char>(image.size() >> (8 * i));
  return image;
}

TEST(Win32Shell, IconResourceIsWrittenAndReplaced) {
  test::TempDir dir;
  const std::string exe = FromHostPath(dir.path()) + "\\copy.exe";
  ASSERT_TRUE(CopyFile(ExecutablePath(), exe, false));
  std::string entry;
  const std::string red = SolidIconImage(0, 0, 0xFF, entry);
  ASSERT_TRUE(WriteExeIcon(exe, entry, red)) << LastErrorText();
  test::ExeIcon icon = test::ReadExeIcon(win32::AcpToWide(exe));
  EXPECT_EQ(icon.groups, 1);
  EXPECT_EQ(icon.width, 16);
  EXPECT_EQ(icon.height, 16);
  EXPECT_EQ(icon.centre, RGB(0xFF, 0, 0));

  // A second icon replaces the first group instead of adding one.
  const std::string blue = SolidIconImage(0xFF, 0, 0, entry);
  ASSERT_TRUE(WriteExeIcon(exe, entry, blue)) << LastErrorText();
  icon = test::ReadExeIcon(win32::AcpToWide(exe));
  EXPECT_EQ(icon.groups, 1);
  EXPECT_EQ(icon.centre, RGB(0, 0, 0xFF));
  // The image still runs.
  EXPECT_EQ(RunProgram(exe, {"--gtest_filter=Nothing"}), 0);

  EXPECT_FALSE(WriteExeIcon(exe, entry.substr(0, 11), blue));
  EXPECT_FALSE(WriteExeIcon(FromHostPath(dir.path()) + "\\missing.exe", entry, blue));
}

}  // namespace
}  // namespace wizpak::platform
