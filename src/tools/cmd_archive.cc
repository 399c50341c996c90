// `wizpak archive`: inspect, unpack, create and check game data archives.
#include <cstdio>
#include <functional>
#include <string>

#include "gamearchive/archive_file.h"
#include "gamearchive/folder_source.h"
#include "gamearchive/pak_system.h"
#include "platform/files.h"
#include "tools/output_folder.h"
#include "tools/subcommands.h"

namespace wizpak::tools {

namespace {

using gamearchive::ArchiveReader;
using gamearchive::TableEntry;

constexpr const char* kUsage =
    "usage: wizpak archive list ARCHIVE\n"
    "       wizpak archive extract ARCHIVE DIR\n"
    "       wizpak archive create DIR -o ARCHIVE [--password P] [--short-trailer]\n"
    "       wizpak archive verify ARCHIVE\n"
    "       wizpak archive patch ARCHIVE DIR [--password P]\n"
    "\n"
    "Game data archives: files back to back, a zlib-compressed table, a header\n"
    "block and a trailer with the password and the official mark.\n"
    "  list     one line per entry: name, kind (zlib or sound), stored and\n"
    "           unpacked size, offset and date; then password and official mark\n"
    "  extract  writes every entry below DIR: zlib entries inflated, sound entries\n"
    "           decoded back to playable PCM wave files\n"
    "  create   packs every file below DIR (\".wav\" files in the sound form);\n"
    "           --password protects it, --short-trailer writes the old 13-byte\n"
    "           trailer (password of at most 9 letters and digits)\n"
    "  verify   checks every entry; exit status 1 names the first damaged one\n"
    "  patch    adds every file below DIR as a setup's patch line would: changed\n"
    "           files are appended and take over their name, unchanged ones are\n"
    "           kept; the password must match the archive's (or becomes it)\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "wizpak archive: %s\n", problem);
  std::fputs(kUsage, problem ? stderr : stdout);
  return 2;
}

std::string DosDateText(uint32_t dos) {
  const uint32_t date = dos >> 16;
  char text[16];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", 1980 + (date >> 9), (date >> 5) & 15,
                date & 31);
  return text;
}

const char* KindName(uint8_t kind) {
  return kind == 1 ? "sound" : kind == 2 ? "zlib" : "unknown";
}

std::optional<ArchiveReader> Open(const std::string& path) {
  std::string error;
  auto archive = gamearchive::OpenArchiveForReading(path, error);
  if (!archive) std::fprintf(stderr, "wizpak archive: %s\n", error.c_str());
  return archive;
}

int List(const std::string& path) {
  const auto archive = Open(path);
  if (!archive) return 1;
  std::printf("%-48s %-6s %12s %12s %12s  %s\n", "name", "kind", "stored", "unpacked", "offset",
              "date");
  for (const TableEntry& e : archive->index.entries)
    std::printf("%-48s %-6s %12u %12u %12u  %s\n", e.name().c_str(), KindName(e.kind()),
                e.stored_size(), e.unpacked_size(), e.offset(), DosDateText(e.dos_date()).c_str());
  const char* trailer = archive->index.trailer == gamearchive::TrailerForm::Long    ? "long"
                        : archive->index.trailer == gamearchive::TrailerForm::Short ? "short"
                                                                                    : "none";
  std::printf("%zu entries; trailer: %s; password: %s; official: %s\n",
              archive->index.entries.size(), trailer,
              archive->index.extra.has_password ? "yes" : "no",
              archive->index.extra.official ? "yes" : "no");
  return 0;
}

int Verify(const std::string& path) {
  const auto archive = Open(path);
  if (!archive) return 1;
  const auto& entries = archive->index.entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string error;
    if (!gamearchive::ReadEntryContent(*archive, entries[i], error)) {
      std::fprintf(stderr, "wizpak archive: entry %zu (%s): %s\n", i, entries[i].name().c_str(),
                   error.c_str());
      return 1;
    }
  }
  std::printf("%s: %zu entries ok\n", path.c_str(), entries.size());
  return 0;
}

int Extract(const std::string& path, const std::string& dir) {
  const auto archive = Open(path);
  if (!archive) return 1;
  if (!platform::DirectoryExists(dir) && !platform::CreateDirectory(dir)) {
    std::fprintf(stderr, "wizpak archive: cannot create %s: %s\n", dir.c_str(),
                 platform::LastErrorText().c_str());
    return 1;
  }
  int written = 0;
  for (const TableEntry& e : archive->index.entries) {
    const std::string name = e.name();
    if (!gamearchive::IsSafeEntryName(name)) {
      std::fprintf(stderr, "wizpak archive: skipping unsafe entry name %s\n", name.c_str());
      continue;
    }
    std::string error;
    const auto content = gamearchive::ReadEntryContent(*archive, e, error);
    if (!content) {
      std::fprintf(stderr, "wizpak archive: %s: %s\n", name.c_str(), error.c_str());
      return 1;
    }
    const std::string relative = HostRelativePath(name);
    if (!MakeParentFolders(dir, relative) ||
        !platform::WriteFileAtomic(dir + "/" + relative, *content)) {
      std::fprintf(stderr, "wizpak archive: cannot write %s: %s\n", relative.c_str(),
                   platform::LastErrorText().c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%d files written to %s\n", written, dir.c_str());
  return 0;
}

bool Collect(const std::string& host_dir, const std::string& prefix,
             std::vector<gamearchive::NewArchiveFile>& files) {
  const auto listing = platform::ListFolder(host_dir);
  if (!listing) {
    std::fprintf(stderr, "wizpak archive: cannot read %s: %s\n", host_dir.c_str(),
                 platform::LastErrorText().c_str());
    return false;
  }
  for (const auto& item : *listing) {
    const std::string host = host_dir + "/" + item.name;
    const std::string name = prefix.empty() ? item.name : prefix + "\\" + item.name;
    if (item.is_other) {  // a pipe or device would block the read forever
      std::fprintf(stderr, "%s: not a regular file, skipped\n", host.c_str());
      continue;
    }
    if (item.is_folder) {
      if (!Collect(host, name, files)) return false;
      continue;
    }
    auto content = platform::ReadFileBytes(host);
    if (!content) {
      std::fprintf(stderr, "wizpak archive: cannot read %s: %s\n", host.c_str(),
                   platform::LastErrorText().c_str());
      return false;
    }
    files.push_back({name, std::move(*content)});
  }
  return true;
}

int Create(const Args& args) {
  std::string dir, out, password;
  bool short_trailer = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size())
      out = args[++i];
    else if (args[i] == "--password" && i + 1 < args.size())
      password = args[++i];
    else if (args[i] == "--short-trailer")
      short_trailer = true;
    else if (dir.empty() && args[i][0] != '-')
      dir = args[i];
    else
      return Usage(("unexpected argument " + args[i]).c_str());
  }
  if (dir.empty() || out.empty()) return Usage("create needs DIR and -o ARCHIVE");
  std::vector<gamearchive::NewArchiveFile> files;
  if (!Collect(dir, "", files)) return 1;
  std::string error;
  if (!gamearchive::WriteNewArchive(out, files, password, short_trailer, error)) {
    std::fprintf(stderr, "wizpak archive: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %zu files\n", out.c_str(), files.size());
  return 0;
}

int Patch(const Args& args) {
  std::string archive, dir, password;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--password" && i + 1 < args.size())
      password = args[++i];
    else if (archive.empty() && args[i][0] != '-')
      archive = args[i];
    else if (dir.empty() && args[i][0] != '-')
      dir = args[i];
    else
      return Usage(("unexpected argument " + args[i]).c_str());
  }
  if (archive.empty() || dir.empty()) return Usage("patch needs ARCHIVE and DIR");
  auto source = gamearchive::FolderSource::Open(dir);
  if (!source) {
    std::fprintf(stderr, "wizpak archive: cannot read %s: %s\n", dir.c_str(),
                 platform::LastErrorText().c_str());
    return 1;
  }
  // The archive is addressed as the setup does: a folder and a name in it.
  const size_t slash = archive.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : archive.substr(0, slash);
  const std::string name = slash == std::string::npos ? archive : archive.substr(slash + 1);
  gamearchive::TPakSystem system;
  std::string failure;
  system.fail_handler = [&failure](const std::string& message) { failure = message; };
  system.retry_handler = [](const std::string& message) {
    std::fprintf(stderr, "wizpak archive: %s\n", message.c_str());
    return false;
  };
  uint32_t files = 0;
  gamearchive::PatchFeedback feedback;
  feedback.step = [&files](bool) { ++files; };
  try {
    system.UpdateArchive(*source, 1, folder, name, password, feedback);
  } catch (const gamearchive::ArchiveFailure&) {
    for (char& c : failure)
      if (c == '\r') c = ' ';
    std::fprintf(stderr, "wizpak archive: %s\n", failure.c_str());
    return 1;
  } catch (const gamearchive::ArchiveCancelled&) {
    return 1;
  }
  std::printf("%s: %u files patched\n", archive.c_str(), files);
  return 0;
}

}  // namespace

int RunArchive(const Args& args) {
  if (args.empty()) return Usage("missing command");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") return Usage(nullptr), 0;
  if (command == "create") return Create(Args(args.begin() + 1, args.end()));
  if (command == "patch") return Patch(Args(args.begin() + 1, args.end()));
  if (args.size() == 2 && command == "list") return List(args[1]);
  if (args.size() == 2 && command == "verify") return Verify(args[1]);
  if (args.size() == 3 && command == "extract") return Extract(args[1], args[2]);
  return Usage(("bad arguments for " + command).c_str());
}

}  // namespace wizpak::tools
