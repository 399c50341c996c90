// Reads back the icon an executable carries, the way the shell finds it:
// the first RT_GROUP_ICON, its best image for a size, made into an HICON.
// Shared by the platform tests and the Windows end-to-end inspector.
#pragma once

#include "platform/win32/windows_api.h"

#include <string>

namespace wizpak::test {

struct ExeIcon {
  int groups = 0;  // RT_GROUP_ICON resources
  int width = 0;   // of the icon made from the first group's image, 0 if none
  int height = 0;
  COLORREF centre = 0;  // colour of the middle pixel (for telling icons apart)
};

ExeIcon ReadExeIcon(const std::wstring& exe);

}  // namespace wizpak::test
