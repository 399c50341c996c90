#include "icon_reader.h"

#include <vector>

namespace wizpak::test {
namespace {

const LPCWSTR kIconType = MAKEINTRESOURCEW(3);
const LPCWSTR kIconGroupType = MAKEINTRESOURCEW(14);

BOOL CALLBACK CountAndTakeFirst(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* names = reinterpret_cast<std::vector<LPWSTR>*>(param);
  names->push_back(IS_INTRESOURCE(name) ? name : nullptr);
  return TRUE;
}

}  // namespace

ExeIcon ReadExeIcon(const std::wstring& exe) {
  ExeIcon out;
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return out;
  std::vector<LPWSTR> names;
  EnumResourceNamesW(module, kIconGroupType, CountAndTakeFirst, reinterpret_cast<LONG_PTR>(&names));
  out.groups = static_cast<int>(names.size());
  HRSRC group = names.empty() || names[0] == nullptr
                    ? nullptr
                    : FindResourceW(module, names[0], kIconGroupType);
  if (group != nullptr) {
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, 0, 0, LR_DEFAULTCOLOR);
    HRSRC image = id != 0 ? FindResourceW(module, MAKEINTRESOURCEW(id), kIconType) : nullptr;
    if (image != nullptr) {
      auto* bits = static_cast<BYTE*>(LockResource(LoadResource(module, image)));
      HICON icon = CreateIconFromResourceEx(bits, SizeofResource(module, image), TRUE, 0x00030000,
                                            0, 0, LR_DEFAULTCOLOR);
      ICONINFO info{};
      if (icon != nullptr && GetIconInfo(icon, &info)) {
        BITMAP bitmap{};
        GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap),
                   &bitmap);
        out.width = bitmap.bmWidth;
        out.height = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
        if (info.hbmColor != nullptr) {
          HDC dc = CreateCompatibleDC(nullptr);
          HGDIOBJ old = SelectObject(dc, info.hbmColor);
          out.centre = GetPixel(dc, out.width / 2, out.height / 2);
          SelectObject(dc, old);
          DeleteDC(dc);
          DeleteObject(info.hbmColor);
        }
        DeleteObject(info.hbmMask);
      }
      if (icon != nullptr) DestroyIcon(icon);
    }
  }
  FreeLibrary(module);
  return out;
}

}  // namespace wizpak::test
