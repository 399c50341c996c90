// The real programs on a private machine, for the end-to-end tests: a
// TestMachine whose environment makes a setup ask nobody (no display, no
// answers file, no error report window, English), with its own temporary
// and cache folders; runs of `wizpak` and of built setups with standard
// error kept; started processes; snapshots of folders to compare.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace wizpak::test {

// How a program ended: its exit status (-1 when a signal ended it) and
// what it wrote on standard output and standard error.
struct Ran {
  int status = -1;
  std::string out, err;
};

// Starts `program` with `arguments`, standard input on /dev/null, standard
// output and error into `out_path` and `err_path` (/dev/null when empty).
pid_t Spawn(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& out_path = {}, const std::string& err_path = {});
// Runs `program arguments` to its end, its output kept in `folder`
// (stdout.txt, stderr.txt).
Ran RunKept(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& folder);
// Whether `pid` has ended; it stays to be waited for.
bool HasEnded(pid_t pid);
// Waits for `pid` to end and returns its wait status. A process still
// running after the hang guard of WaitUntil is killed first.
int WaitExit(pid_t pid);

// The bytes `pid` has handed to write calls so far (also once it has ended,
// until it is waited for); 0 when they cannot be read.
uint64_t BytesWritten(pid_t pid);
// Starts `program arguments`, sends `signal` once it has written `bytes`
// (see BytesWritten), and returns its wait status. A program that ends
// before it has written that much is not signalled.
int SignalAtByte(const std::string& program, const std::vector<std::string>& arguments,
                 uint64_t bytes, int signal);
// Runs `program arguments` to its end; the bytes it wrote in all, its wait
// status in `status`.
uint64_t BytesOfWholeRun(const std::string& program, const std::vector<std::string>& arguments,
                         int& status);

// Every file, folder and link below `root` by path relative to it: its
// kind, mode, size and a hash of its bytes (a link: its target). Empty
// when `root` does not exist.
std::map<std::string, std::string> Snapshot(const std::string& root);

class SetupRig : public TestMachine {
 public:
  struct Options {
    // Whether the programs write a transcript (File("transcript.txt"));
    // without one, an unattended run reports on standard error.
    bool transcript = true;
  };
  SetupRig() : SetupRig(Options{}) {}
  explicit SetupRig(Options options);

  // root().file(relative)
  std::string File(const std::string& relative) const { return root().file(relative); }
  static std::string Program(const std::string& name) { return BuildDir() + "/" + name; }
  // Whether the programs are built (an end-to-end test skips otherwise).
  static bool Built(std::initializer_list<const char*> programs = {"wizpak", "wizpak-stub",
                                                                   "wizpak-finalise"});

  // Runs `program arguments` to its end.
  Ran Run(const std::string& program, const std::vector<std::string>& arguments) const;
  // A setup or an uninstaller without a window or questions, plus `extra`.
  Ran RunUnattended(const std::string& program, std::vector<std::string> extra = {}) const;
  // `wizpak build SCRIPT -o OUT` plus `extra`.
  Ran Build(const std::string& script, const std::string& out,
            std::vector<std::string> extra = {}) const;
  // The demo built to File(name) (a failure is a test failure); its path.
  std::string BuildDemo(const std::string& name = "WizpakDemoSetup.exe") const;

  std::string Transcript() const { return ReadHostFile(File("transcript.txt")); }
  // The private temporary folder (TMPDIR) and the error reports in it.
  std::string TempFolder() const { return File("tmp"); }
  std::string Reports() const;

 private:
  ScopedEnv no_open_, language_, display_, answers_, transcript_, tmpdir_, cache_, runtime_;
};

}  // namespace wizpak::test
