// Running the real wizpak-stub from tests, and making the packages it reads
// with the project's package writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wizpak::test {

struct StubRun {
  int exit_status = -1;
  std::string transcript;  // WIZPAK_TRANSCRIPT lines
  std::string stderr_text;
};

// Runs `program` (host path) with `args` headless, with the transcript in
// `work_dir`, reports not opened and TMPDIR set to `work_dir`. The caller's
// environment (drive map, hive) is inherited.
StubRun RunStub(const std::string& program, const std::vector<std::string>& args,
                const std::string& work_dir, const std::string& answers = "");

struct PackageEntrySpec {
  std::string name;
  uint16_t group = 0;
  std::string content;
};

// Writes `entries` as a package appended to `image` (may be empty) at the
// host path `path`.
void WritePackage(const std::string& path, const std::string& image,
                  const std::vector<PackageEntrySpec>& entries);

// The absolute file position of entry `index`'s stored bytes and their length.
struct StoredSpan {
  uint64_t offset = 0;
  uint64_t length = 0;
};
StoredSpan StoredBytesOf(const std::string& path, uint32_t index);

struct RecordSpec {
  std::string setup_name = "Demo Game";
  std::string setup_exe_name = "setup.exe";
  std::string install_dir = "C:\\Demo";
  std::string uninstall_prefix = "demo_";
  uint8_t root_index = 0;
  std::string key_path;
  std::string key_name;
  uint8_t is_uninstaller = 0;
};
// The "SetupInfo" entry bytes, written by the record's own writer.
std::string SetupRecordBytes(const RecordSpec& fields);
// A "CompiledLines" entry with a single inert line.
std::string InertScriptBytes();
// A "CompiledLines" entry with one "file" line (file group 1).
std::string FileLineScriptBytes();

// The path of the stub program in the build tree.
std::string StubPath();

}  // namespace wizpak::test
