// Requests from outside to stop a run that can end cleanly: SIGINT (Ctrl+C)
// and SIGTERM (kill, a service manager) while a StopSignalScope is alive
// only raise a flag; the run polls it, finishes the line it is on, saves
// what it did and ends with the cancelled status. Outside a scope the
// signals keep their usual effect.
#pragma once

namespace wizpak::platform {

// Catches SIGINT and SIGTERM for its lifetime and puts the previous
// handlers back when it ends. Clears the flag when it begins. Not nested.
class StopSignalScope {
 public:
  StopSignalScope();
  ~StopSignalScope();
  StopSignalScope(const StopSignalScope&) = delete;
  StopSignalScope& operator=(const StopSignalScope&) = delete;
};

// True once SIGINT or SIGTERM arrived inside the current scope.
bool StopRequested();

}  // namespace wizpak::platform
