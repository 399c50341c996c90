#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>

namespace wizpak::test {

namespace fs = std::filesystem;

namespace {

// The C runtime of Windows has no setenv/unsetenv; _putenv_s with an empty
// value removes a variable.
void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
  _putenv_s(name.c_str(), "");
#else
  unsetenv(name.c_str());
#endif
}

fs::path TemporaryBase() {
#ifdef _WIN32
  // The Windows temporary folder (TMP, TEMP, ...), not a TMPDIR that Wine
  // passes through from the host.
  return fs::temp_directory_path();
#else
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
#endif
}

}  // namespace

TempDir::TempDir() {
  const fs::path base = TemporaryBase();
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = base / ("wizpak-test-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& relative) const {
  return path_ + "/" + relative;
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value)
    : name_(name) {
  if (const char* old = std::getenv(name.c_str())) old_ = old;
  if (value)
    SetEnvironment(name, *value);
  else
    UnsetEnvironment(name);
}

ScopedEnv::~ScopedEnv() {
  if (old_)
    SetEnvironment(name_, *old_);
  else
    UnsetEnvironment(name_);
}

TestMachine::TestMachine() {
  fs::create_directories(drive_c());
  fs::create_directories(drive_d());
  drives_.emplace("WIZPAK_DRIVES", "C=" + drive_c() + ":fixed;D=" + drive_d() + ":cdrom;Z=/:fixed");
  registry_.emplace("WIZPAK_REGISTRY", hive());
  fs::create_directories(home());
  home_.emplace("HOME", home());
  data_home_.emplace("XDG_DATA_HOME", home() + "/.local/share");
  config_home_.emplace("XDG_CONFIG_HOME", home() + "/.config");
}

std::string ReadHostFile(const std::string& host_path) {
  std::ifstream in(host_path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteHostFile(const std::string& host_path, const std::string& bytes) {
  fs::path p(host_path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::microseconds step,
               std::chrono::seconds limit) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(step);
  }
  return true;
}

std::string BuildDir() {
  if (const char* dir = std::getenv("WIZPAK_BUILD_DIR")) return dir;
  return WIZPAK_BUILD_DIR;
}

std::string SourceDir() {
  return WIZPAK_SOURCE_DIR;
}

}  // namespace wizpak::test
