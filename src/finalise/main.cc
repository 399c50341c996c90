// wizpak-finalise: removes an uninstaller after it has ended. Started by the
// uninstaller with its own (quoted) path while it is still running, it waits
// until no other process executes that file, deletes it and then deletes
// itself. An installation folder left empty by that is removed as well, and
// so are the folders above it the uninstaller names after its path (those
// its install log lists), each only when it is empty, innermost first.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/walked_paths.h"

namespace {

constexpr int kWaitLimitMilliseconds = 30000;
constexpr int kPollMilliseconds = 100;
constexpr int kDeleteAttempts = 20;

// The uninstaller passes its path in double quotes; a shell may already have
// removed them.
std::string Unquote(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 3 && IsSeparator(path.back())) path.pop_back();
  return path;
}

// A folder named after the uninstaller is taken only when it lies above the
// uninstaller's own folder (its path and a separator begin that folder) and
// is not a drive or file-system root, and when that folder has no "." or
// ".." level: nothing else of the machine can be named here.
bool IsAboveFolderOf(std::string folder, std::string own_folder) {
  // A run of separators is one: C:\Games\\Demo is C:\Games\Demo.
  for (std::string* path : {&folder, &own_folder}) {
    const auto doubled = [](char a, char b) { return IsSeparator(a) && IsSeparator(b); };
    path->erase(std::unique(path->begin(), path->end(), doubled), path->end());
  }
  if (folder.size() <= 3 || folder.size() >= own_folder.size()) return false;
  if (own_folder.compare(0, folder.size(), folder) != 0 || !IsSeparator(own_folder[folder.size()]))
    return false;
  for (size_t start = 0; start <= own_folder.size();) {
    size_t end = start;
    while (end < own_folder.size() && !IsSeparator(own_folder[end])) ++end;
    const std::string level = own_folder.substr(start, end - start);
    if (level == "." || level == "..") return false;
    start = end + 1;
  }
  return true;
}

// Removes `folder` when it holds nothing (rmdir refuses anything else too).
void RemoveIfEmpty(const std::string& folder) {
  const auto entries = wizpak::platform::ListFolder(folder);
  if (entries && entries->empty()) wizpak::platform::RemoveFolderWalked(folder);
}

void PrintUsage(FILE* out) {
  std::fputs(
      "Usage: wizpak-finalise \"UNINSTALLER\" [\"FOLDER\"...]\n"
      "Waits until no other process runs UNINSTALLER (at most 30 s), deletes it,\n"
      "removes its folder when that is now empty, then each FOLDER (which must\n"
      "lie above it) that is empty, innermost first, then deletes this program.\n"
      "Exit status: 0 done, 1 bad arguments,\n"
      "2 the uninstaller was still running or could not be deleted.\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  wizpak::platform::SetCommandLine(argc, argv);
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintUsage(stdout);
    return 0;
  }
  if (argc < 2 || Unquote(argv[1]).empty()) {
    std::fputs("wizpak-finalise: expected the uninstaller's path\n", stderr);
    PrintUsage(stderr);
    return 1;
  }
  const std::string target = Unquote(argv[1]);
  const size_t cut = target.find_last_of("\\/");
  const std::string own_folder =
      WithoutTrailingSeparators(target.substr(0, cut == std::string::npos ? 0 : cut));
  std::vector<std::string> above;
  for (int i = 2; i < argc; ++i) {
    std::string folder = WithoutTrailingSeparators(Unquote(argv[i]));
    if (!IsAboveFolderOf(folder, own_folder)) {
      std::fprintf(stderr, "wizpak-finalise: %s is not a folder above %s\n", folder.c_str(),
                   target.c_str());
      PrintUsage(stderr);
      return 1;
    }
    above.push_back(std::move(folder));
  }
  // Innermost first: a longer path above the same folder lies inside a
  // shorter one.
  std::sort(above.begin(), above.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  const std::string self = wizpak::platform::ExecutablePath();

  const uint64_t start = wizpak::platform::MonotonicMilliseconds();
  while (wizpak::platform::IsExecutedByAnotherProcess(target)) {
    if (wizpak::platform::MonotonicMilliseconds() - start >= kWaitLimitMilliseconds) {
      std::fprintf(stderr, "wizpak-finalise: %s is still running after %d s; left in place\n",
                   target.c_str(), kWaitLimitMilliseconds / 1000);
      return 2;
    }
    wizpak::platform::SleepMilliseconds(kPollMilliseconds);
  }

  int status = 0;
  if (wizpak::platform::FileExists(target)) {
    bool deleted = false;
    for (int attempt = 0; attempt < kDeleteAttempts && !deleted; ++attempt) {
      // Through the no-follow walk: a link swapped into the uninstaller's
      // path never makes this delete anything outside it.
      deleted =
          wizpak::platform::DeleteFileWalked(target) != wizpak::platform::DeleteResult::Failed;
      if (!deleted) wizpak::platform::SleepMilliseconds(kPollMilliseconds);
    }
    if (!deleted) {
      std::fprintf(stderr, "wizpak-finalise: cannot delete %s: %s\n", target.c_str(),
                   wizpak::platform::LastErrorText().c_str());
      status = 2;
    }
  }
  // The uninstall walk could not remove the installation folder while the
  // uninstaller ran inside it, nor the folders above it that the install
  // made; once it is gone, each of them that is empty goes too. One that
  // holds anything (the user's own files) stays, and so do those above it.
  if (status == 0) {
    if (own_folder.size() > 3) RemoveIfEmpty(own_folder);
    for (const std::string& folder : above) RemoveIfEmpty(folder);
  }
  // Never delete the file we were asked to keep running for, even if the
  // uninstaller named this very program.
  if (!self.empty() && self != target && wizpak::platform::DeleteFile(self)) {
    // The cache folder made for scratch programs goes too once it is empty
    // (rmdir refuses a folder that holds anything).
    const std::string scratch = wizpak::platform::SplitLastLevel(self).first;
    if (wizpak::platform::SplitLastLevel(scratch).second == "wizpak")
      wizpak::platform::RemoveFolderWalked(scratch);
  }
  return status;
}
