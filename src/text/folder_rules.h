// The rules an installation folder must meet, shared by the folder page, the
// ready page, --dir= and `wizpak build`: a drive-letter path "X:\..." ("/"
// read as "\") on a mapped drive of a kind that takes an installation,
// without "." or ".." folders, that exists or can be created, and can be
// written. A refused folder comes with the reason, which the wizard turns
// into one line of the current language.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace wizpak {

enum class FolderProblem {
  None,
  NotFullPath,  // empty, relative, "C:foo", leading blanks, "." / "..", bad characters
  NoSuchDrive,  // the letter is not mapped
  CdRomDrive,
  OtherDrive,    // RAM disk, no root, unknown type
  CannotCreate,  // a file on the way, or no folder can be made in the nearest existing one
  CannotWrite,   // the folder exists but nothing can be written into it
};

struct FolderVerdict {
  FolderProblem problem = FolderProblem::None;
  // The folder with "/" as "\", runs of "\" as one, and a trailing "\";
  // as far as it could be read when refused.
  std::string folder;
  char drive = 0;  // upper-case drive letter, 0 when there is none
  bool ok() const { return problem == FolderProblem::None; }
};

// Only the written form: "X:\" and the folder names after it. Used where the
// drives of the machine that will run the setup are unknown (wizpak build).
FolderVerdict CheckFolderSyntax(std::string_view text);

// A folder as a setup script writes it (`installdir`): CheckFolderSyntax,
// where a leading $PROGRAMFILES, $SMPROGRAMS or $INSTDIR stands for a folder
// on a drive and $CDDRIVE for a CD-ROM drive. `folder` in the verdict keeps
// the variable, with "/" read as "\".
FolderVerdict CheckFolderSetting(std::string_view text);

// Whether a folder can be made inside the existing folder `existing`; the
// wizard passes a cached probe, tests a stand-in.
using WritableProbe = std::function<bool(const std::string& existing)>;

// The whole rule set against the drive map and the file system. Without a
// probe, ProbeWritable is used.
FolderVerdict CheckInstallFolder(std::string_view text, const WritableProbe& probe = nullptr);

// Makes and removes a scratch folder inside `existing`: the only test of
// "can be written" that the file system cannot answer wrongly (permissions
// of an administrator, read-only mounts, /proc).
bool ProbeWritable(const std::string& existing);

// The language string that says why, and the language-neutral English text
// used where no language is loaded (build messages, stderr).
uint16_t FolderProblemString(FolderProblem problem);
std::string FolderProblemEnglish(const FolderVerdict& verdict);

// String numbers of the refusal lines and the message box buttons in the
// shipped language files.
inline constexpr uint16_t kStringNotFullPath = 40;
inline constexpr uint16_t kStringNoSuchDrive = 41;
inline constexpr uint16_t kStringCdRomDrive = 42;
inline constexpr uint16_t kStringOtherDrive = 43;
inline constexpr uint16_t kStringCannotCreate = 44;
inline constexpr uint16_t kStringCannotWrite = 45;
inline constexpr uint16_t kStringTooLittleSpace = 46;

}  // namespace wizpak
