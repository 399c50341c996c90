// The running process and other programs: own image path, command line,
// starting programs, opening a document with the desktop's default handler.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wizpak::platform {

// Stores argv once at the start of main; CommandLine() returns it.
void SetCommandLine(int argc, char** argv);
// A command-line argument in the program's ANSI code page: on Linux the
// terminal hands UTF-8 ("C:\Spiele\Größe"), which is converted; text that
// is not UTF-8 is taken as ANSI already. On Windows argv is ANSI.
std::string ArgumentToAnsi(std::string_view argument);
// argv as given (argument 0 first). Empty before SetCommandLine.
const std::vector<std::string>& CommandLine();

// Program-form path of the running executable (/proc/self/exe).
std::string ExecutablePath();

// Starts a program (program path) with the given arguments, detached
// (posix_spawn); does not wait. False when it could not be started.
bool StartProgram(std::string_view program, const std::vector<std::string>& args);

// Runs a program and waits; returns its exit status, or -1 when it could not
// be started.
int RunProgram(std::string_view program, const std::vector<std::string>& args);

// Opens a document with the desktop's default handler (xdg-open), detached.
// Quietly false when there is no handler.
bool OpenWithDefaultHandler(std::string_view path);

// True while some process other than this one runs the file at `path`
// (program form) as its executable (/proc/<pid>/exe).
bool IsExecutedByAnotherProcess(std::string_view path);

// Makes a host file executable (chmod +x for its owner, group and others
// that may read it).
bool MakeExecutable(std::string_view path);

// A writable folder that allows execution, for helper programs started from
// it: $XDG_RUNTIME_DIR, else ~/.cache/wizpak, else the temporary folder.
// Program form with trailing '\'.
std::string ExecutableScratchFolder();

void SleepMilliseconds(int ms);
int ProcessId();
// True while the process `pid` runs (or cannot be told apart from one that
// does); false once it has ended.
bool IsProcessRunning(int pid);

}  // namespace wizpak::platform
