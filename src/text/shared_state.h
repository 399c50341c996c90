// The shared start-up state: folder texts for the path variables, the space
// figures and their texts (values of "<%SPACEREQ%>" and "<%SPACEAVA%>"), the
// system's default language and the progress counters. Start-up fills it
// before the wizard opens; the wizard and the commands read and update it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace wizpak {

// ANSI texts, empty at start.
inline std::string SpaceRequiredText;
inline std::string SpaceAvailableText;
inline std::string ProgramsFolder;      // start-menu programs folder with trailing "\"
inline std::string ProgramFilesFolder;  // program files folder with trailing "\"
inline std::string CDDriveRoot;         // "D:\" or empty when there is no CD-ROM drive

// Bytes the installation needs, and free bytes on the installation drive
// (-1 when the drive cannot be read; 0 until known).
inline uint64_t SpaceRequired = 0;
inline int64_t SpaceAvailable = 0;

// The system default language identifier, recorded first thing at start-up.
inline uint16_t DefaultLangID = 0x0409;

// Progress counters of StepProgress (status_progress.h). ProgressHook, when
// set, runs the toolkit's message pump.
inline uint32_t ProgressPosition = 0;
inline uint32_t ProgressTotal = 0;
inline int32_t ProgressHookPercent = 0;
inline std::function<void()> ProgressHook;

// When ShowStatus last repainted the status label at once (status_progress.h),
// by StatusRepaintClock; StatusRepainted is false until it first did.
inline uint32_t StatusRepaintTick = 0;
inline bool StatusRepainted = false;

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

// Everything back to its state at program start (tests).
void ResetSharedState();

}  // namespace wizpak
