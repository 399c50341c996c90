#include "support/setup_rig.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace wizpak::test {

namespace fs = std::filesystem;

namespace {

int OpenOutput(const std::string& path, int null) {
  return path.empty() ? null : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

}  // namespace

pid_t Spawn(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& out_path, const std::string& err_path) {
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(OpenOutput(out_path, null), 1);
  ::dup2(OpenOutput(err_path, null), 2);
  ::dup2(null, 0);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

bool HasEnded(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == pid;
}

int WaitExit(pid_t pid) {
  if (!WaitUntil([pid] { return HasEnded(pid); }, std::chrono::milliseconds(2))) {
    ADD_FAILURE() << "process " << pid << " never ended; killed";
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

Ran RunKept(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& folder) {
  const std::string out = folder + "/stdout.txt";
  const std::string err = folder + "/stderr.txt";
  const int status = WaitExit(Spawn(program, arguments, out, err));
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadHostFile(out), ReadHostFile(err)};
}

uint64_t BytesWritten(pid_t pid) {
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "wchar:") return value;
  return 0;
}

int SignalAtByte(const std::string& program, const std::vector<std::string>& arguments,
                 uint64_t bytes, int signal) {
  const pid_t pid = Spawn(program, arguments);
  // Polled often: the moment is meant to land near the byte asked for.
  WaitUntil([&] { return HasEnded(pid) || BytesWritten(pid) >= bytes; },
            std::chrono::microseconds(100));
  if (!HasEnded(pid)) ::kill(pid, signal);
  return WaitExit(pid);
}

uint64_t BytesOfWholeRun(const std::string& program, const std::vector<std::string>& arguments,
                         int& status) {
  const pid_t pid = Spawn(program, arguments);
  WaitUntil([&] { return HasEnded(pid); }, std::chrono::milliseconds(2));
  const uint64_t bytes = BytesWritten(pid);
  status = WaitExit(pid);
  return bytes;
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> shot;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    struct stat info {};
    if (::lstat(it->path().c_str(), &info) != 0) continue;
    std::string facts = std::to_string(info.st_mode) + " " + std::to_string(info.st_size);
    if (S_ISLNK(info.st_mode)) facts += " -> " + fs::read_symlink(it->path(), ec).string();
    if (S_ISREG(info.st_mode))
      facts += " " + std::to_string(std::hash<std::string>{}(ReadHostFile(it->path())));
    shot[fs::relative(it->path(), root).string()] = facts;
  }
  return shot;
}

SetupRig::SetupRig(Options options)
    : no_open_("WIZPAK_NO_OPEN", "1"),
      language_("WIZPAK_LANGID", "0409"),
      display_("DISPLAY", std::nullopt),
      answers_("WIZPAK_ANSWERS", std::nullopt),
      transcript_("WIZPAK_TRANSCRIPT",
                  options.transcript ? std::optional(File("transcript.txt")) : std::nullopt),
      tmpdir_("TMPDIR", File("tmp")),
      cache_("XDG_CACHE_HOME", home() + "/.cache"),
      runtime_("XDG_RUNTIME_DIR", std::nullopt) {
  fs::create_directories(TempFolder());
}

bool SetupRig::Built(std::initializer_list<const char*> programs) {
  for (const char* program : programs)
    if (!fs::exists(Program(program))) return false;
  return true;
}

Ran SetupRig::Run(const std::string& program, const std::vector<std::string>& arguments) const {
  return RunKept(program, arguments, root().path());
}

Ran SetupRig::RunUnattended(const std::string& program, std::vector<std::string> extra) const {
  extra.insert(extra.begin(), {"--ui=headless", "--unattended"});
  return Run(program, extra);
}

Ran SetupRig::Build(const std::string& script, const std::string& out,
                    std::vector<std::string> extra) const {
  extra.insert(extra.begin(), {"build", script, "-o", out});
  return Run(Program("wizpak"), extra);
}

std::string SetupRig::BuildDemo(const std::string& name) const {
  const Ran built = Build(SourceDir() + "/examples/demo/setup.kys", File(name));
  EXPECT_EQ(built.status, 0) << built.err;
  return File(name);
}

std::string SetupRig::Reports() const {
  std::string text;
  for (const auto& entry : fs::directory_iterator(TempFolder()))
    text += ReadHostFile(entry.path().string());
  return text;
}

}  // namespace wizpak::test
