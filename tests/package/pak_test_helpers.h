// Small builders the package tests share: deterministic content, packages
// written through the real writer, and a recorder for the package hooks and
// message boxes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/message_box.h"
#include "package/package_hooks.h"
#include "package/pak.h"

namespace wizpak::test {

// Deterministic bytes that deflate cannot shrink.
inline std::string NoiseBytes(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : out) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    c = static_cast<char>(state >> 11);
  }
  return out;
}

// Text-like bytes that compress well.
inline std::string TextBytes(size_t size) {
  static const char* const kWords[] = {"setup ", "install ", "folder ", "file ", "group ", "\r\n"};
  std::string out;
  for (size_t i = 0; out.size() < size; ++i) out += kWords[(i * 7 + i / 5) % 6];
  out.resize(size);
  return out;
}

// The names in a host folder, sorted.
inline std::vector<std::string> Names(const std::string& host_folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(host_folder))
    names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct PakInput {
  std::string name;
  std::string content;
  uint16_t group = 0;
};

// Writes `image` followed by a package of `entries` to `host_path` and
// returns the writer's directory.
inline std::vector<TPakEntry> WritePackage(const std::string& host_path, const std::string& image,
                                           const std::vector<PakInput>& entries) {
  {
    platform::File f = platform::File::Open(host_path, platform::OpenMode::Create);
    if (!image.empty()) f.Write(image);
  }
  TPak pak(host_path, true, false);
  for (const PakInput& in : entries) {
    const uint32_t index = pak.AddEntry(in.name, "", in.group);
    pak.StoreFromMemory(index, in.content.data(), in.content.size());
  }
  pak.WriteDirectory();
  pak.Close();
  return pak.Entries;
}

// Collects what the package reports to `hooks` while it writes files, and
// the boxes shown; restores the previous box handler when it goes.
class PakRecorder {
 public:
  PakRecorder() {
    hooks.show_extract_status = [this](std::string_view t) { statuses.emplace_back(t); };
    hooks.step_progress = [this] { ++steps; };
    hooks.add_file = [this](std::string_view p) { files.emplace_back(p); };
    hooks.add_directory = [this](std::string_view p) { directories.emplace_back(p); };
    hooks.format_byte_size = [](uint64_t bytes) {
      return std::to_string(bytes / (1024 * 1024)) + " MiB";
    };
    previous_box_ = gui::SetMessageBoxHandler([this](const gui::MessageBoxRequest& r) {
      boxes.push_back(r);
      return gui::Answer::Ok;
    });
  }
  ~PakRecorder() { gui::SetMessageBoxHandler(previous_box_); }
  PakRecorder(const PakRecorder&) = delete;
  PakRecorder& operator=(const PakRecorder&) = delete;

  // Pass these to the extraction; a test may add stop_requested or
  // keep_responsive.
  PackageHooks hooks;
  std::vector<std::string> statuses;
  std::vector<std::string> files;
  std::vector<std::string> directories;
  std::vector<gui::MessageBoxRequest> boxes;
  int steps = 0;

 private:
  gui::MessageBoxHandler previous_box_;
};

}  // namespace wizpak::test
