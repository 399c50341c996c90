// wizpak-finalise: removes an uninstaller after it has ended. Started by the
// uninstaller with its own (quoted) path while it is still running, it waits
// until no other process executes that file, deletes it and then deletes
// itself. An installation folder left empty by that is removed as well.
#include <cstdio>
#include <cstring>
#include <string>

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

void PrintUsage(FILE* out) {
  std::fputs(
      "Usage: wizpak-finalise \"UNINSTALLER\"\n"
      "Waits until no other process runs UNINSTALLER (at most 30 s), deletes it,\n"
      "removes its folder when that is now empty, then deletes this program.\n"
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
  if (argc != 2 || Unquote(argv[1]).empty()) {
    std::fputs("wizpak-finalise: expected exactly one argument, the uninstaller's path\n", stderr);
    PrintUsage(stderr);
    return 1;
  }
  const std::string target = Unquote(argv[1]);
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
  // uninstaller ran inside it; once that is gone, an empty folder goes too.
  if (status == 0) {
    std::string folder = target.substr(
        0, target.find_last_of("\\/") == std::string::npos ? 0 : target.find_last_of("\\/"));
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    const auto entries = wizpak::platform::ListFolder(folder);
    if (folder.size() > 3 && entries && entries->empty())
      wizpak::platform::RemoveFolderWalked(folder);
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
