// wizpak list / verify / extract: look into a package or a built setup.
#include <cstdio>
#include <memory>
#include <string>

#include "package/pak.h"
#include "platform/files.h"
#include "platform/safe_files.h"
#include "tools/progress.h"
#include "tools/output_folder.h"
#include "tools/subcommands.h"

namespace wizpak::tools {
namespace {

constexpr const char* kListUsage =
    "usage: wizpak list FILE\n"
    "\n"
    "Lists every entry of the package in FILE (a package file or a setup\n"
    "executable): index, group, content size, stored size, raw or zlib, CRC-32\n"
    "and name. Entries that fail the directory checks are marked DAMAGED.\n";
constexpr const char* kVerifyUsage =
    "usage: wizpak verify FILE\n"
    "\n"
    "Checks every entry as a setup does when it starts: stored bytes against\n"
    "their CRC-32, zlib streams against their content size (large entries of\n"
    "70 MiB or more are not checked, as at start). Exit status 1 names the\n"
    "first bad entry by index and name.\n";
constexpr const char* kExtractUsage =
    "usage: wizpak extract FILE DIR [--group N]\n"
    "\n"
    "Writes the entries of the package below DIR: with --group N the entries of\n"
    "group N under their names, otherwise each group in a folder of its number.\n"
    "Names that would leave DIR are refused.\n";

std::unique_ptr<TPak> OpenPackage(const char* command, const std::string& path) {
  auto pak = std::make_unique<TPak>(path, false, false);
  if (!pak->IsOpen()) {
    std::fprintf(stderr, "wizpak %s: cannot open %s: %s\n", command, path.c_str(),
                 platform::LastErrorText().c_str());
    return nullptr;
  }
  if (!pak->HasPackage()) {
    std::fprintf(stderr, "wizpak %s: %s holds no package (or its directory is damaged)\n", command,
                 path.c_str());
    return nullptr;
  }
  return pak;
}

bool WantsHelp(const Args& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

}  // namespace

int RunList(const Args& args) {
  if (WantsHelp(args)) return std::fputs(kListUsage, stdout), 0;
  if (args.size() != 1) return std::fputs(kListUsage, stderr), 2;
  const auto pak = OpenPackage("list", args[0]);
  if (!pak) return 1;
  std::printf("%5s %5s %12s %12s %-4s %-8s  %s\n", "index", "group", "size", "stored", "form",
              "crc", "name");
  for (size_t i = 0; i < pak->Entries.size(); ++i) {
    const TPakEntry& e = pak->Entries[i];
    std::printf("%5zu %5u %12u %12u %-4s %08x  %s%s\n", i, e.Group, e.OrigSize, e.StoredLength(),
                e.StoredSize ? "zlib" : "raw", e.CRC, e.Name.c_str(), e.Damaged ? "  DAMAGED" : "");
  }
  std::printf("%zu entries, package starts at %u, directory at %u\n", pak->Entries.size(),
              pak->PackageStart, pak->DirectoryOffset);
  return 0;
}

int RunVerify(const Args& args) {
  if (WantsHelp(args)) return std::fputs(kVerifyUsage, stdout), 0;
  if (args.size() != 1) return std::fputs(kVerifyUsage, stderr), 2;
  const auto pak = OpenPackage("verify", args[0]);
  if (!pak) return 1;
  uint64_t total = 0;
  for (const TPakEntry& e : pak->Entries) total += e.StoredLength();
  ProgressBar bar("verifying", total);
  for (uint32_t i = 0; i < pak->Entries.size(); ++i) {
    // The stored bytes against their CRC, then a compressed entry inflated
    // to its content size; an empty entry passes, as at start-up.
    const TPakEntry& e = pak->Entries[i];
    bool good = pak->VerifyEntry(i);
    if (good && e.StoredSize != 0 && e.OrigSize != 0) good = pak->Unpack(i).content.has_value();
    if (!good) {
      bar.Finish();
      std::fprintf(stderr, "wizpak verify: entry %u (%s) is damaged\n", i,
                   pak->Entries[i].Name.c_str());
      return 1;
    }
    bar.Advance(pak->Entries[i].StoredLength());
  }
  bar.Finish();
  std::printf("%s: %zu entries ok\n", args[0].c_str(), pak->Entries.size());
  return 0;
}

namespace {

// Opens the file at `path` below `dir` for replacing, refusing a link in
// any level below `dir` or at the file's own name, so an extraction never
// writes outside the folder it was given.
platform::ReplacingFile BeginBelow(const std::string& dir, const std::string& path) {
  const size_t cut = path.find_last_of('/');
  const platform::Folder folder =
      platform::Folder::Open(path.substr(0, cut), /*create=*/true, {}, dir);
  if (!folder) return platform::ReplacingFile();
  return platform::ReplacingFile::Begin(folder, path.substr(cut + 1));
}

bool WriteBelow(const std::string& dir, const std::string& path, std::string_view bytes) {
  platform::ReplacingFile file = BeginBelow(dir, path);
  return file && file.Write(bytes.data(), static_cast<int64_t>(bytes.size())) &&
         file.Commit(/*sync=*/false);
}

// Large entries are raw: copied straight from the package in chunks.
bool CopyRaw(TPak& pak, const TPakEntry& e, const std::string& dir, const std::string& path) {
  platform::ReplacingFile out = BeginBelow(dir, path);
  if (!out) return false;
  std::string buffer(kLargeChunkSize, '\0');
  for (uint64_t done = 0; done < e.OrigSize;) {
    const int64_t chunk =
        static_cast<int64_t>(std::min<uint64_t>(e.OrigSize - done, buffer.size()));
    if (pak.File().ReadAt(static_cast<int64_t>(e.Offset + done), buffer.data(), chunk) != chunk ||
        !out.Write(buffer.data(), chunk))
      return false;
    done += static_cast<uint64_t>(chunk);
  }
  return out.Commit(/*sync=*/false);
}

}  // namespace

int RunExtract(const Args& args) {
  if (WantsHelp(args)) return std::fputs(kExtractUsage, stdout), 0;
  std::string file, dir;
  int group = -1;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--group" && i + 1 < args.size()) {
      const std::string& text = args[++i];
      if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
          text.size() > 5 || std::stoi(text) > 0xFFFF)
        return std::fprintf(stderr, "wizpak extract: bad group '%s'\n", text.c_str()), 2;
      group = std::stoi(text);
    } else if (file.empty()) {
      file = args[i];
    } else if (dir.empty()) {
      dir = args[i];
    } else {
      return std::fputs(kExtractUsage, stderr), 2;
    }
  }
  if (file.empty() || dir.empty()) return std::fputs(kExtractUsage, stderr), 2;
  const auto pak = OpenPackage("extract", file);
  if (!pak) return 1;
  if (!platform::DirectoryExists(dir) && !platform::CreateDirectory(dir)) {
    std::fprintf(stderr, "wizpak extract: cannot create %s: %s\n", dir.c_str(),
                 platform::LastErrorText().c_str());
    return 1;
  }
  int written = 0;
  for (uint32_t i = 0; i < pak->Entries.size(); ++i) {
    const TPakEntry& e = pak->Entries[i];
    if (group >= 0 && e.Group != group) continue;
    if (!IsSafeRelativeName(e.Name)) {
      // A setup's change log is a group-0 entry named by the author's path
      // to it: the setup only looks it up, and it has no place below `dir`.
      if (e.Group == 0 && (e.Name.starts_with("/") || (e.Name.size() > 2 && e.Name[1] == ':'))) {
        std::fprintf(stderr, "wizpak extract: skipping entry %u: its name is a path - %s\n", i,
                     e.Name.c_str());
        continue;
      }
      std::fprintf(stderr, "wizpak extract: refusing entry %u with unsafe name %s\n", i,
                   e.Name.c_str());
      return 1;
    }
    const std::string relative =
        (group >= 0 ? std::string() : std::to_string(e.Group) + "/") + HostRelativePath(e.Name);
    const std::string path = dir + "/" + relative;
    bool ok = true;
    if (ok && e.OrigSize >= kLargeEntrySize && !e.Damaged) {
      ok = CopyRaw(*pak, e, dir, path);
    } else if (ok) {
      PakBlock content;
      try {
        content = pak->ExtractEntry(i);
      } catch (const DecompressionError&) {
      }
      if (!content && e.OrigSize != 0) {
        std::fprintf(stderr, "wizpak extract: entry %u (%s) is damaged\n", i, e.Name.c_str());
        return 1;
      }
      ok = WriteBelow(dir, path, content ? *content : std::string());
    }
    if (!ok) {
      std::fprintf(stderr, "wizpak extract: cannot write %s: %s\n", path.c_str(),
                   platform::LastErrorText().c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%d entries written to %s\n", written, dir.c_str());
  return 0;
}

}  // namespace wizpak::tools
