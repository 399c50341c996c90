// wizpak-inspect: reads back what a Windows setup wrote, through the
// shell's own interfaces, for scripts/test-windows.sh.
//   wizpak-inspect lnk FILE.lnk   prints "target|arguments|working folder"
//   wizpak-inspect icon FILE.exe  prints "groups=N size=WxH centre=BBGGRR"
#include "platform/win32/windows_api.h"
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "icon_reader.h"

namespace {

int PrintLink(const char* path) {
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  int status = 1;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(wizpak::platform::win32::AcpToWide(path).c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, args[MAX_PATH] = {}, folder[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetArguments(args, MAX_PATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
        std::printf("%s|%s|%s\n", wizpak::platform::win32::WideToUtf8String(target).c_str(),
                    wizpak::platform::win32::WideToUtf8String(args).c_str(),
                    wizpak::platform::win32::WideToUtf8String(folder).c_str());
        status = 0;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  if (status != 0) std::fprintf(stderr, "wizpak-inspect: cannot read the link %s\n", path);
  return status;
}

int PrintIcon(const char* path) {
  const wizpak::test::ExeIcon icon =
      wizpak::test::ReadExeIcon(wizpak::platform::win32::AcpToWide(path));
  std::printf("groups=%d size=%dx%d centre=%06lx\n", icon.groups, icon.width, icon.height,
              static_cast<unsigned long>(icon.centre));
  return icon.groups > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "lnk") == 0) return PrintLink(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "icon") == 0) return PrintIcon(argv[2]);
  std::fputs("usage: wizpak-inspect lnk FILE.lnk | icon FILE.exe\n", stderr);
  return 2;
}
