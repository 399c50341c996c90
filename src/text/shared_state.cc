#include "text/shared_state.h"

#include "platform/paths.h"
#include "text/number_format.h"
#include "text/path_helpers.h"

namespace wizpak {

void RunFigures::SetSpaceRequired(uint64_t bytes) {
  SpaceRequired = bytes;
  SpaceRequiredText = FormatByteSize(bytes);
}

bool RunFigures::UpdateSpaceAvailable(std::string_view folder) {
  if (folder.empty()) return false;
  char letter = folder.front();
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return false;
  SpaceAvailable = platform::DiskFree(letter - 'A' + 1);
  // An unreadable drive (-1) reads as no space at all, not as the huge
  // unsigned figure the bit pattern of -1 would give.
  SpaceAvailableText =
      FormatByteSize(SpaceAvailable < 0 ? 0 : static_cast<uint64_t>(SpaceAvailable));
  return true;
}

bool RunFigures::InitialiseFolderTexts(std::string* error) {
  ProgramFilesFolder = GetSpecialFolderPath(38) + "\\";
  ProgramsFolder = GetSpecialFolderPath(2) + "\\";
  std::string drive_error;
  CDDriveRoot = FindFirstCDDrive(&drive_error);
  if (drive_error.empty()) return true;
  if (error != nullptr) *error = drive_error;
  return false;
}

}  // namespace wizpak
