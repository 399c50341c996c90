#include "uninstall/desktop_record.h"

#include <algorithm>

namespace wizpak {
namespace {

bool Storable(std::string_view text) {
  if (text.empty() || text.size() + 2 > kMaxDesktopRecordLine) return false;
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 32 || u == 127;
  });
}

bool StorablePath(std::string_view path) {
  return Storable(path) && path.front() == '/';
}

void AddOnce(std::vector<std::string>& list, std::string_view item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.emplace_back(item);
}

}  // namespace

bool DesktopRecord::HasFile(std::string_view path) const {
  return std::find(files.begin(), files.end(), path) != files.end();
}

void DesktopRecord::AddFile(std::string_view path) {
  AddOnce(files, path);
}

void DesktopRecord::AddFolder(std::string_view path) {
  AddOnce(folders, path);
}

std::string DesktopRecordPath(std::string_view folder, std::string_view prefix) {
  return std::string(folder) + "\\" + std::string(prefix) + "desktop.log";
}

std::string EncodeDesktopRecord(const DesktopRecord& record) {
  std::string text(kDesktopRecordHeader);
  text += '\n';
  if (Storable(record.submenu)) text += "S " + record.submenu + "\n";
  for (const std::string& path : record.files) {
    if (StorablePath(path)) text += "F " + path + "\n";
  }
  for (const std::string& path : record.folders) {
    if (StorablePath(path)) text += "D " + path + "\n";
  }
  return text;
}

std::optional<DesktopRecord> DecodeDesktopRecord(const char* data, size_t size) {
  if (data == nullptr || size > kMaxDesktopRecordBytes) return std::nullopt;
  const std::string_view text(data, size);
  DesktopRecord record;
  size_t start = 0;
  size_t items = 0;
  bool header = true;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    // Every line ends in a line break; a last line without one is cut off.
    if (end == std::string_view::npos || end - start > kMaxDesktopRecordLine) return std::nullopt;
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (header) {
      if (line != kDesktopRecordHeader) return std::nullopt;
      header = false;
      continue;
    }
    if (line.size() < 3 || line[1] != ' ' || ++items > kMaxDesktopRecordItems) return std::nullopt;
    const std::string_view value = line.substr(2);
    if (!Storable(value)) return std::nullopt;
    switch (line[0]) {
      case 'S':
        record.submenu = std::string(value);
        break;
      case 'F':
        if (value.front() != '/') return std::nullopt;
        record.files.emplace_back(value);
        break;
      case 'D':
        if (value.front() != '/') return std::nullopt;
        record.folders.emplace_back(value);
        break;
      default:
        return std::nullopt;
    }
  }
  if (header) return std::nullopt;
  return record;
}

}  // namespace wizpak
