// wizpak pack DIR -o FILE: packs a folder into a package file of its own.
#include <cstdio>
#include <string>
#include <vector>

#include "package/pak.h"
#include "platform/files.h"
#include "tools/progress.h"
#include "tools/subcommands.h"

namespace wizpak::tools {
namespace {

constexpr const char* kUsage =
    "usage: wizpak pack DIR -o FILE\n"
    "\n"
    "Packs every file below DIR into the package FILE. Files directly in DIR go\n"
    "to group 0 under their names; each top-level folder of DIR, in name order,\n"
    "becomes the next group (1, 2, ...), its files named by their paths relative\n"
    "to that folder with \"\\\" between folder levels. Entries are compressed at\n"
    "zlib level 9 unless that makes them larger.\n";

struct PackFile {
  std::string name;
  std::string host_path;
  uint16_t group;
  uint64_t size;
};

bool Collect(const std::string& dir, const std::string& prefix, uint16_t group,
             std::vector<PackFile>& files) {
  const auto listing = platform::ListFolder(dir);
  if (!listing) {
    std::fprintf(stderr, "wizpak pack: cannot read %s: %s\n", dir.c_str(),
                 platform::LastErrorText().c_str());
    return false;
  }
  for (const auto& item : *listing) {
    const std::string path = dir + "/" + item.name;
    const std::string name = prefix.empty() ? item.name : prefix + "\\" + item.name;
    if (item.is_other) {  // a pipe or device would block the read forever
      std::fprintf(stderr, "%s: not a regular file, skipped\n", path.c_str());
      continue;
    }
    if (item.is_folder) {
      if (!Collect(path, name, group, files)) return false;
    } else {
      files.push_back({name, path, group, item.size});
    }
  }
  return true;
}

}  // namespace

int RunPack(const Args& args) {
  std::string dir, out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help") return std::fputs(kUsage, stdout), 0;
    if (args[i] == "-o" && i + 1 < args.size())
      out = args[++i];
    else if (dir.empty() && !args[i].empty() && args[i][0] != '-')
      dir = args[i];
    else
      return std::fprintf(stderr, "wizpak pack: unexpected argument '%s'\n%s", args[i].c_str(),
                          kUsage),
             2;
  }
  if (dir.empty() || out.empty())
    return std::fprintf(stderr, "wizpak pack: needs DIR and -o FILE\n%s", kUsage), 2;

  std::vector<PackFile> files;
  const auto top = platform::ListFolder(dir);
  if (!top) {
    std::fprintf(stderr, "wizpak pack: cannot read %s: %s\n", dir.c_str(),
                 platform::LastErrorText().c_str());
    return 1;
  }
  uint16_t group = 0;
  for (const auto& item : *top) {
    if (item.is_other) {
      std::fprintf(stderr, "%s/%s: not a regular file, skipped\n", dir.c_str(), item.name.c_str());
    } else if (!item.is_folder) {
      files.push_back({item.name, dir + "/" + item.name, 0, item.size});
    }
  }
  for (const auto& item : *top) {
    if (!item.is_folder) continue;
    if (group == 0xFFFF) {
      std::fprintf(stderr, "wizpak pack: more than 65,535 folders\n");
      return 1;
    }
    if (!Collect(dir + "/" + item.name, "", ++group, files)) return 1;
  }
  if (files.size() > 0xFFFF) {
    std::fprintf(stderr, "wizpak pack: %zu files; a package holds at most 65,535\n", files.size());
    return 1;
  }

  // Written beside the target and renamed at the end: never half a package.
  const std::string temporary = out + ".partial";
  uint64_t total = 0, stored = 0;
  for (const PackFile& f : files) total += f.size;
  {
    TPak pak(temporary, false, true);
    if (!pak.IsOpen()) {
      std::fprintf(stderr, "wizpak pack: cannot create %s: %s\n", out.c_str(),
                   platform::LastErrorText().c_str());
      return 1;
    }
    ProgressBar bar("packing", total);
    for (const PackFile& f : files) {
      const uint32_t index = pak.AddEntry(f.name, f.host_path, f.group);
      if (!pak.StoreFromFile(index)) {
        std::fprintf(stderr, "wizpak pack: cannot store %s: %s\n", f.host_path.c_str(),
                     platform::LastErrorText().c_str());
        pak.Close();
        platform::DeleteFile(temporary);
        return 1;
      }
      stored += pak.Entries[index].StoredLength();
      bar.Advance(f.size);
    }
    const bool written = pak.WriteDirectory() && pak.File().Sync();
    pak.Close();
    if (!written || !platform::RenameFile(temporary, out)) {
      std::fprintf(stderr, "wizpak pack: cannot write %s: %s\n", out.c_str(),
                   platform::LastErrorText().c_str());
      platform::DeleteFile(temporary);
      return 1;
    }
  }
  std::printf("%s: %zu entries in %u groups, %llu bytes stored of %llu\n", out.c_str(),
              files.size(), group + 1u, static_cast<unsigned long long>(stored),
              static_cast<unsigned long long>(total));
  return 0;
}

}  // namespace wizpak::tools
