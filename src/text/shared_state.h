// The figures one run shares between start-up, the wizard and the commands:
// the folder texts of the path variables, the space figures and their texts
// (values of "<%SPACEREQ%>" and "<%SPACEAVA%>") and the system's default
// language. Start-up fills them before the wizard opens; RunTexts owns them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wizpak {

struct RunFigures {
  // ANSI texts, empty at start.
  std::string SpaceRequiredText;
  std::string SpaceAvailableText;
  std::string ProgramsFolder;      // start-menu programs folder with trailing "\"
  std::string ProgramFilesFolder;  // program files folder with trailing "\"
  std::string CDDriveRoot;         // "D:\" or empty when there is no CD-ROM drive

  // Bytes the installation needs, and free bytes on the installation drive
  // (-1 when the drive cannot be read; 0 until known).
  uint64_t SpaceRequired = 0;
  int64_t SpaceAvailable = 0;

  // The system default language identifier, recorded first thing at start-up.
  uint16_t DefaultLangID = 0x0409;

  // Sets SpaceRequired and SpaceRequiredText together.
  void SetSpaceRequired(uint64_t bytes);
  // Sets SpaceAvailable to the free bytes of the drive `folder` begins with
  // and SpaceAvailableText to its size text, when the folder's first
  // character, upper-cased, is a letter A..Z; returns false (nothing changed)
  // otherwise. A drive that cannot be read gives -1 and the text "0.00 Bytes".
  bool UpdateSpaceAvailable(std::string_view folder);

  // Fills the folder texts as start-up does: ProgramFilesFolder and
  // ProgramsFolder from the special folders 38 and 2 plus "\" (so an unknown
  // folder gives "\"), CDDriveRoot from the first CD-ROM drive. Returns false,
  // with `error` set, when the drive list does not fit its buffer.
  bool InitialiseFolderTexts(std::string* error = nullptr);
};

}  // namespace wizpak
