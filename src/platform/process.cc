#include "platform/process.h"

#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/codepage.h"
#include "platform/host_files.h"
#include "platform/host_paths.h"
#include "platform/paths.h"

extern char** environ;

namespace wizpak::platform {

namespace {

std::vector<std::string>& StoredCommandLine() {
  static std::vector<std::string> args;
  return args;
}

// The host file to execute: a program path, or a bare name looked up in
// $PATH as the shell would.
std::optional<std::string> ResolveProgram(std::string_view program) {
  if (program.empty()) return std::nullopt;
  if (program.find_first_of("/\\:") == std::string_view::npos) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    while (true) {
      const size_t colon = folders.find(':');
      std::string folder(folders.substr(0, colon));
      if (folder.empty())
        folder.push_back('.');  // literal assignment: GCC 12 -Wrestrict false positive
      const std::string candidate = folder + "/" + std::string(program);
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
      if (colon == std::string_view::npos) break;
      folders.remove_prefix(colon + 1);
    }
  }
  return ToHostPath(program);
}

// Starts `host_program` with `args` (argument 0 is the program itself). A
// detached child gets a session of its own and stdin from /dev/null.
std::optional<pid_t> Spawn(const std::string& host_program, const std::vector<std::string>& args,
                           bool detached) {
  std::vector<std::string> argv_strings;
  argv_strings.push_back(host_program);
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_strings) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  if (detached) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  }
  pid_t pid = 0;
  const int error =
      posix_spawn(&pid, host_program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    FailWith(error);
    return std::nullopt;
  }
  return pid;
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

bool LooksLikeUrl(std::string_view text) {
  const size_t colon = text.find("://");
  if (colon != std::string_view::npos && colon > 1) return true;
  return text.rfind("mailto:", 0) == 0;
}

// A folder programs may be written to and started from.
bool IsExecutableScratch(const std::string& host_folder) {
  struct stat info {};
  if (::stat(host_folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  if (::access(host_folder.c_str(), W_OK | X_OK) != 0) return false;
  struct statvfs fs {};
  if (::statvfs(host_folder.c_str(), &fs) != 0) return false;
  return (fs.f_flag & ST_NOEXEC) == 0;
}

std::string WithTrailingSeparator(std::string program_path) {
  if (program_path.empty() || (program_path.back() != '\\' && program_path.back() != '/')) {
    program_path += program_path.find('\\') != std::string::npos ? '\\' : '/';
  }
  return program_path;
}

}  // namespace

std::string ArgumentToAnsi(std::string_view argument) {
  return IsValidUtf8(argument) ? Utf8ToAnsi(argument) : std::string(argument);
}

void SetCommandLine(int argc, char** argv) {
  std::vector<std::string>& args = StoredCommandLine();
  args.clear();
  for (int i = 0; i < argc && argv && argv[i]; ++i) args.emplace_back(argv[i]);
}

const std::vector<std::string>& CommandLine() {
  return StoredCommandLine();
}

std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) {
    // Without /proc, argument 0 is the best there is.
    const auto& args = CommandLine();
    return args.empty() ? std::string() : FromHostPath(args[0]);
  }
  buffer.resize(static_cast<size_t>(length));
  return FromHostPath(buffer);
}

bool StartProgram(std::string_view program, const std::vector<std::string>& args) {
  const auto host = ResolveProgram(program);
  if (!host) return FailWith(ENOENT);
  const auto pid = Spawn(*host, args, true);
  if (!pid) return false;
  // Reap the child when it ends so it never lingers as a zombie; the thread
  // is cut off harmlessly if this program exits first.
  std::thread([child = *pid] { WaitForExit(child); }).detach();
  return true;
}

int RunProgram(std::string_view program, const std::vector<std::string>& args) {
  const auto host = ResolveProgram(program);
  if (!host) return FailWith(ENOENT), -1;
  const auto pid = Spawn(*host, args, false);
  if (!pid) return -1;
  return WaitForExit(*pid);
}

bool OpenWithDefaultHandler(std::string_view path) {
  const auto opener = ResolveProgram("xdg-open");
  if (!opener || ::access(opener->c_str(), X_OK) != 0) return false;
  std::string target;
  if (LooksLikeUrl(path)) {
    target = std::string(path);
  } else {
    const auto host = ToHostPath(path);
    if (!host) return false;
    target = *host;
  }
  return StartProgram(*opener, {target});
}

bool IsExecutedByAnotherProcess(std::string_view path) {
  const auto host = ToHostPath(path);
  if (!host) return false;
  struct stat target {};
  if (::stat(host->c_str(), &target) != 0) return false;
  DIR* proc = ::opendir("/proc");
  if (!proc) return false;
  const pid_t self = ::getpid();
  bool found = false;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == self) continue;
    struct stat running {};
    const std::string exe = std::string("/proc/") + entry->d_name + "/exe";
    if (::stat(exe.c_str(), &running) == 0 && running.st_dev == target.st_dev &&
        running.st_ino == target.st_ino) {
      found = true;
      break;
    }
  }
  ::closedir(proc);
  return found;
}

bool MakeExecutable(std::string_view path) {
  const auto host = ToHostPath(path);
  if (!host) return FailWith(ENOENT);
  if (int fault = ConsultFaultHook(FileOp::Attributes, *host)) return FailWith(fault);
  struct stat info {};
  if (::stat(host->c_str(), &info) != 0) return FailWith(errno);
  mode_t mode = info.st_mode & 07777;
  mode |= S_IXUSR;
  if (mode & S_IRGRP) mode |= S_IXGRP;
  if (mode & S_IROTH) mode |= S_IXOTH;
  if (::chmod(host->c_str(), mode) != 0) return FailWith(errno);
  return true;
}

std::string ExecutableScratchFolder() {
  std::vector<std::string> candidates;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
    candidates.emplace_back(runtime);
  }
  const char* cache_home = std::getenv("XDG_CACHE_HOME");
  const std::string cache =
      (cache_home && cache_home[0] == '/' ? std::string(cache_home) : HomeFolder() + "/.cache") +
      "/wizpak";
  candidates.push_back(cache);
  const auto temp = ToHostPath(TempFolder());
  if (temp) candidates.push_back(*temp);
  for (const std::string& folder : candidates) {
    // The cache folder is made only when it is the one used, so a run that
    // never needs it leaves no empty folder behind.
    if (folder == cache) CreateHostFolders(cache);
    if (IsExecutableScratch(folder)) return WithTrailingSeparator(FromHostPath(folder));
  }
  return TempFolder();
}

void SleepMilliseconds(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool IsProcessRunning(int pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

int ProcessId() {
  return static_cast<int>(::getpid());
}

}  // namespace wizpak::platform
