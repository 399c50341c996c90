// Helpers shared by the tests: temporary folders, environment overrides and a
// private drive map with its own registry hive.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace wizpak::test {

// A fresh host folder under $TMPDIR, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string file(const std::string& relative) const;

 private:
  std::string path_;
};

// Sets (or with nullopt unsets) an environment variable for its lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A private machine: drive C (fixed) and D (CD-ROM) under a temporary folder,
// Z = "/", and a registry hive of its own. Sets WIZPAK_DRIVES and
// WIZPAK_REGISTRY for its lifetime.
class TestMachine {
 public:
  TestMachine();
  std::string drive_c() const { return root_.file("drive_c"); }
  std::string drive_d() const { return root_.file("drive_d"); }
  std::string hive() const { return root_.file("registry.reg"); }
  std::string home() const { return root_.file("home"); }
  const TempDir& root() const { return root_; }

 private:
  TempDir root_;
  std::optional<ScopedEnv> drives_;
  std::optional<ScopedEnv> registry_;
  // A private home with its own XDG folders: menu entries, icons and desktop
  // launchers an installation makes land there, not in the user's session.
  std::optional<ScopedEnv> home_, data_home_, config_home_;
};

// Whole host file as bytes ("" when missing) and writing one (creating parents).
std::string ReadHostFile(const std::string& host_path);
void WriteHostFile(const std::string& host_path, const std::string& bytes);

// Polls `done` every `step` until it returns true: the way tests wait for
// another process (a finaliser, a window), never for a time. False when it
// still has not after `limit`, which only turns a hang into a failure.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::microseconds step = std::chrono::milliseconds(20),
               std::chrono::seconds limit = std::chrono::seconds(300));

// Where the build put the programs (wizpak, wizpak-stub, ...).
std::string BuildDir();
std::string SourceDir();

}  // namespace wizpak::test
