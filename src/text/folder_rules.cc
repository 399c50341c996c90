#include "text/folder_rules.h"

#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace wizpak {

namespace {

bool Letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A name Windows would refuse or silently change: reserved characters,
// control characters, or a trailing blank or dot (which Windows strips).
bool BadName(std::string_view name) {
  if (name == "." || name == "..") return true;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20) return true;
    if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos) return true;
  }
  return name.back() == ' ' || name.back() == '.';
}

FolderVerdict Refused(FolderProblem problem, std::string folder, char drive) {
  return FolderVerdict{problem, std::move(folder), drive};
}

}  // namespace

FolderVerdict CheckFolderSyntax(std::string_view text) {
  std::string path(text);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.size() < 3 || !Letter(path[0]) || path[1] != ':' || path[2] != '\\') {
    return Refused(FolderProblem::NotFullPath, path, 0);
  }
  const char drive = static_cast<char>(path[0] >= 'a' ? path[0] - 'a' + 'A' : path[0]);
  std::string folder = std::string(1, drive) + ":\\";
  size_t start = 3;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view name = std::string_view(path).substr(start, end - start);
    if (!name.empty()) {
      if (BadName(name)) return Refused(FolderProblem::NotFullPath, path, drive);
      folder.append(name);
      folder += '\\';
    }
    start = end + 1;
  }
  return FolderVerdict{FolderProblem::None, folder, drive};
}

FolderVerdict CheckFolderSetting(std::string_view text) {
  std::string folder(text);
  for (char& c : folder) {
    if (c == '/') c = '\\';
  }
  std::string lower = folder;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  FolderVerdict verdict;
  if (lower.starts_with("$cddrive")) {
    verdict = FolderVerdict{FolderProblem::CdRomDrive, folder, 0};
  } else {
    std::string stand_in = folder;
    for (std::string_view variable : {"$programfiles", "$smprograms", "$installdir", "$instdir"}) {
      if (lower.starts_with(variable)) {
        stand_in = "C:\\X\\" + folder.substr(variable.size());
        break;
      }
    }
    verdict = CheckFolderSyntax(stand_in);
  }
  verdict.folder = folder;
  return verdict;
}

FolderVerdict CheckInstallFolder(std::string_view text, const WritableProbe& probe) {
  FolderVerdict verdict = CheckFolderSyntax(text);
  if (!verdict.ok()) return verdict;
  const std::string root = std::string(1, verdict.drive) + ":\\";
  switch (platform::GetDriveType(root)) {
    case platform::DriveType::Removable:
    case platform::DriveType::Fixed:
    case platform::DriveType::Remote:
      break;
    case platform::DriveType::NoRootDir:
      verdict.problem = FolderProblem::NoSuchDrive;
      return verdict;
    case platform::DriveType::CdRom:
      verdict.problem = FolderProblem::CdRomDrive;
      return verdict;
    default:
      verdict.problem = FolderProblem::OtherDrive;
      return verdict;
  }
  const WritableProbe& can_write = probe ? probe : WritableProbe(ProbeWritable);
  // The folder itself, or the nearest folder above it that exists; a file
  // on the way means the folder can never be made.
  std::string path = verdict.folder.substr(0, verdict.folder.size() - 1);
  const bool exists = platform::DirectoryExists(path);
  while (!platform::DirectoryExists(path)) {
    if (path.size() <= 2 || platform::FileExists(path)) {
      verdict.problem = FolderProblem::CannotCreate;
      return verdict;
    }
    path = path.substr(0, path.find_last_of('\\'));
  }
  if (path.size() == 2) path += '\\';
  if (!can_write(path)) {
    verdict.problem = exists ? FolderProblem::CannotWrite : FolderProblem::CannotCreate;
  }
  return verdict;
}

bool ProbeWritable(const std::string& existing) {
  std::string base = existing;
  if (base.empty() || base.back() != '\\') base += '\\';
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string probe = base + "~wizpak-probe-" + std::to_string(attempt) + ".tmp";
    // An empty probe folder is one an earlier check left when its program
    // was killed between making and removing it: it is taken away and the
    // name used again, so such leftovers never add up to "cannot write".
    if (platform::DirectoryExists(probe) && !platform::RemoveDirectory(probe)) continue;
    if (platform::FileExists(probe)) continue;
    if (!platform::CreateDirectory(probe)) return false;
    platform::RemoveDirectory(probe);
    return true;
  }
  return false;
}

uint16_t FolderProblemString(FolderProblem problem) {
  switch (problem) {
    case FolderProblem::None:
      return 0;
    case FolderProblem::NotFullPath:
      return kStringNotFullPath;
    case FolderProblem::NoSuchDrive:
      return kStringNoSuchDrive;
    case FolderProblem::CdRomDrive:
      return kStringCdRomDrive;
    case FolderProblem::OtherDrive:
      return kStringOtherDrive;
    case FolderProblem::CannotCreate:
      return kStringCannotCreate;
    case FolderProblem::CannotWrite:
      return kStringCannotWrite;
  }
  return 0;
}

std::string FolderProblemEnglish(const FolderVerdict& verdict) {
  const std::string drive = verdict.drive ? std::string(1, verdict.drive) + ":" : "";
  switch (verdict.problem) {
    case FolderProblem::None:
      return "";
    case FolderProblem::NotFullPath:
      return "not a full folder path: give a drive letter, a colon and \\ first, as in "
             "C:\\Games\\Title, without . or .. folders";
    case FolderProblem::NoSuchDrive:
      return "there is no drive " + drive + " on this computer";
    case FolderProblem::CdRomDrive:
      return "drive " + drive + " is a CD-ROM drive: choose a hard, removable or network drive";
    case FolderProblem::OtherDrive:
      return "drive " + drive +
             " is a RAM disk or of unknown type: choose a hard, removable or network drive";
    case FolderProblem::CannotCreate:
      return "the folder cannot be created there (a file is in the way, or the drive is "
             "protected)";
    case FolderProblem::CannotWrite:
      return "the folder cannot be written to";
  }
  return "";
}

}  // namespace wizpak
