// <windows.h> without the generic A/W name macros that would rename wizpak's
// own functions of the same names (DeleteFile, CopyFile, DrawText,
// MessageBox, ...): Windows functions are called by their W names. Every
// unit that needs <windows.h> takes it through here.
#pragma once

#include <windows.h>

#undef DeleteFile
#undef CopyFile
#undef CreateDirectory
#undef RemoveDirectory
#undef GetFileAttributes
#undef SetFileAttributes
#undef GetDriveType
#undef AnsiLower
#undef AnsiUpper
#undef DrawText
#undef MessageBox
