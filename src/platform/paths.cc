#include "platform/paths.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include "platform/codepage.h"
#include "platform/path_bounds.h"
#include "platform/host_paths.h"

namespace wizpak::platform {

namespace {

std::optional<DriveType> ParseDriveType(std::string_view word) {
  const std::string lower = AsciiLower(word);
  if (lower == "fixed") return DriveType::Fixed;
  if (lower == "removable") return DriveType::Removable;
  if (lower == "network") return DriveType::Remote;
  if (lower == "cdrom") return DriveType::CdRom;
  if (lower == "ramdisk") return DriveType::RamDisk;
  return std::nullopt;
}

// Reports a malformed WIZPAK_DRIVES entry once per process.
void ReportBadEntry(const std::string& entry, const char* why) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard<std::mutex> lock(mutex);
  if (!reported.insert(entry).second) return;
  std::fprintf(stderr, "wizpak: WIZPAK_DRIVES entry \"%s\" ignored: %s\n", entry.c_str(), why);
}

std::string TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Drive C's default host folder: $XDG_DATA_HOME/wizpak/drive_c, or
// ~/.local/share/wizpak/drive_c.
std::string DefaultDriveCRoot() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    base = HomeFolder() + "/.local/share";
  }
  return StripTrailingSlashes(base) + "/wizpak/drive_c";
}

const Drive* FindDrive(const std::vector<Drive>& map, char letter) {
  letter = AnsiUpperChar(letter);
  for (const Drive& drive : map) {
    if (drive.letter == letter) return &drive;
  }
  return nullptr;
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Splits a program path's rest ("Games\X\..\Y") into segments, resolving
// "." and ".." lexically. ".." never climbs above the drive root, as on
// Windows.
std::vector<std::string> ResolveSegments(std::string_view rest) {
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view segment = rest.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.emplace_back(segment);
    }
    start = end + 1;
  }
  return segments;
}

std::string JoinHost(const std::string& root, const std::vector<std::string>& segments) {
  std::string out = root;
  for (const std::string& segment : segments) {
    if (out.empty() || out.back() != '/') out += '/';
    out += AnsiToUtf8(segment);
  }
  return out;
}

// The drive whose host folder holds the working folder, if any.
const Drive* CurrentDrive(const std::vector<Drive>& map) {
  const std::string cwd = WorkingFolder();
  if (cwd.empty()) return nullptr;
  const std::string program = FromHostPath(cwd);
  if (program.size() >= 2 && program[1] == ':') return FindDrive(map, program[0]);
  return nullptr;
}

}  // namespace

std::vector<Drive> ParseDriveMap(std::string_view text, bool report) {
  std::vector<Drive> map;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string entry = TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (entry.empty()) continue;
    auto bad = [&](const char* why) {
      if (report) ReportBadEntry(entry, why);
    };
    if (entry.size() < 3 || !IsDriveLetter(entry[0]) || entry[1] != '=') {
      bad("expected LETTER=HOSTDIR[:TYPE]");
      continue;
    }
    Drive drive;
    drive.letter = AnsiUpperChar(entry[0]);
    std::string folder = entry.substr(2);
    const size_t colon = folder.rfind(':');
    if (colon != std::string::npos) {
      const auto type = ParseDriveType(folder.substr(colon + 1));
      if (!type) {
        bad("unknown drive type");
        continue;
      }
      drive.type = *type;
      folder.resize(colon);
    }
    if (folder.empty() || folder[0] != '/') {
      bad("the host folder must be an absolute path");
      continue;
    }
    if (FindDrive(map, drive.letter)) {
      bad("drive letter given twice");
      continue;
    }
    drive.host_root = NormaliseHostPath(folder);
    map.push_back(std::move(drive));
  }
  std::sort(map.begin(), map.end(),
            [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
  return map;
}

std::vector<Drive> DriveMap() {
  if (const char* text = std::getenv("WIZPAK_DRIVES"); text && *text) {
    return ParseDriveMap(text, true);
  }
  Drive c{'C', NormaliseHostPath(DefaultDriveCRoot()), DriveType::Fixed};
  {
    // Created on first use; remembered so every path translation does not
    // cost a chain of mkdir calls.
    static std::mutex mutex;
    static std::set<std::string> created;
    std::lock_guard<std::mutex> lock(mutex);
    if (!created.count(c.host_root) && CreateHostFolders(c.host_root)) created.insert(c.host_root);
  }
  return {c, Drive{'Z', "/", DriveType::Fixed}};
}

std::optional<std::string> ToHostPath(std::string_view program_path) {
  if (program_path.empty()) return std::nullopt;
  // A control character never reaches the host: a NUL would cut the path
  // there and turn "..\0x" into "..".
  if (HasControlCharacter(program_path)) return std::nullopt;
  if (program_path[0] == '/') {
    // Already a host path. A name made of ANSI bytes that are not UTF-8 is
    // converted so it still names the file the program means.
    if (IsValidUtf8(program_path)) return std::string(program_path);
    return AnsiToUtf8(program_path);
  }
  if (program_path.size() >= 2 && program_path[0] == '\\' &&
      (program_path[1] == '\\' || program_path[1] == '/')) {
    return std::nullopt;  // UNC paths are not supported
  }
  const std::vector<Drive> map = DriveMap();
  if (program_path.size() >= 2 && IsDriveLetter(program_path[0]) && program_path[1] == ':') {
    const Drive* drive = FindDrive(map, program_path[0]);
    if (!drive) return std::nullopt;
    return JoinHost(drive->host_root, ResolveSegments(program_path.substr(2)));
  }
  if (program_path[0] == '\\') {
    // Root of the current drive.
    const Drive* drive = CurrentDrive(map);
    if (!drive) return std::nullopt;
    return JoinHost(drive->host_root, ResolveSegments(program_path.substr(1)));
  }
  // Relative to the working folder: only the separators change.
  std::string out = AnsiToUtf8(program_path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

std::string FromHostPath(std::string_view host_path) {
  if (host_path.empty()) return std::string();
  std::string absolute(host_path);
  if (absolute[0] != '/') {
    const std::string cwd = WorkingFolder();
    if (cwd.empty()) return absolute;
    absolute = cwd + "/" + absolute;
  }
  const std::string normal = NormaliseHostPath(absolute);
  const std::vector<Drive> map = DriveMap();
  const Drive* best = nullptr;
  for (const Drive& drive : map) {
    const std::string& root = drive.host_root;
    const bool inside = root == "/" || normal == root ||
                        (normal.size() > root.size() && normal.compare(0, root.size(), root) == 0 &&
                         normal[root.size()] == '/');
    if (inside && (!best || root.size() > best->host_root.size())) best = &drive;
  }
  if (!best) return std::string(host_path);
  std::string rest = normal.substr(best->host_root == "/" ? 1 : best->host_root.size());
  if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
  std::replace(rest.begin(), rest.end(), '/', '\\');
  return std::string(1, best->letter) + ":\\" + Utf8ToAnsi(rest);
}

std::string LogicalDriveStrings() {
  std::string out;
  for (const Drive& drive : DriveMap()) {
    out += drive.letter;
    out += ":\\";
    out += '\0';
  }
  out += '\0';
  return out;
}

DriveType GetDriveType(std::string_view root) {
  if (root.size() < 2 || !IsDriveLetter(root[0]) || root[1] != ':') return DriveType::NoRootDir;
  const std::vector<Drive> map = DriveMap();
  const Drive* drive = FindDrive(map, root[0]);
  return drive ? drive->type : DriveType::NoRootDir;
}

int64_t DiskFree(int drive_number) {
  const std::vector<Drive> map = DriveMap();
  const Drive* drive = nullptr;
  if (drive_number == 0) {
    drive = CurrentDrive(map);
  } else if (drive_number >= 1 && drive_number <= 26) {
    drive = FindDrive(map, static_cast<char>('A' + drive_number - 1));
  }
  if (!drive) return -1;
  struct statvfs info {};
  if (statvfs(drive->host_root.c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
}

std::string TempFolder() {
  std::string host = "/tmp";
  if (const char* tmp = std::getenv("TMPDIR"); tmp && tmp[0] == '/') host = tmp;
  std::string program = FromHostPath(NormaliseHostPath(host));
  if (program.empty() || (program.back() != '\\' && program.back() != '/')) {
    program += program.find('\\') != std::string::npos ? '\\' : '/';
  }
  return program;
}

std::string SpecialFolder(int csidl) {
  switch (csidl) {
    case kCsidlProgramFiles:
      return "C:\\Program Files";
    case kCsidlPrograms:
      return "C:\\ProgramData\\Start Menu\\Programs";
    case kCsidlCommonDesktop:
      return "C:\\Users\\Public\\Desktop";
    default:
      return std::string();
  }
}

// ---- Host-side helpers ------------------------------------------------------

std::string NormaliseHostPath(std::string_view path) {
  const bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!segments.empty() && segments.back() != "..") {
        segments.pop_back();
        continue;
      }
      if (absolute) continue;  // "/.." is "/"
    }
    segments.emplace_back(segment);
  }
  std::string out = absolute ? "/" : "";
  for (const std::string& segment : segments) {
    if (!out.empty() && out.back() != '/') out += '/';
    out += segment;
  }
  // push_back rather than assigning a literal: GCC 12 at -O3 reports a
  // false -Wrestrict overlap for the inlined literal assignment here.
  if (out.empty()) out.push_back('.');
  return out;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    return StripTrailingSlashes(home);
  }
  return "/tmp";
}

std::string WorkingFolder() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return std::string();
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return buffer;
}

bool CreateHostFolders(const std::string& host_path) {
  if (host_path.empty()) return false;
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = host_path.find('/', pos + 1);
    partial = host_path.substr(0, pos);
    if (partial.empty()) continue;
    if (mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  struct stat info {};
  return stat(host_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace wizpak::platform
