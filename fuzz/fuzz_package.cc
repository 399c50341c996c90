// Fuzz target: the package directory reader and the extraction of every
// entry it lists, from a package file (the reader works on files, so each
// input is written to one temporary file first).
#include <cstdlib>
#include <string>

#include "fuzz_target.h"
#include "gui/message_box.h"
#include "package/pak.h"
#include "platform/files.h"
#include "platform/process.h"

using namespace wizpak;

namespace {

// A host path under $TMPDIR (host paths work where program paths do).
std::string TempFile(const char* stem) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = tmp && tmp[0] == '/' ? tmp : "/tmp";
  return folder + "/" + stem + std::to_string(platform::ProcessId()) + ".bin";
}

const std::string& InputPath() {
  static const std::string path = TempFile("wizpak-fuzz-package-");
  return path;
}

void Exercise(TPak& pak) {
  uint32_t size = 0;
  for (uint32_t i = 0; i < pak.Entries.size(); ++i) {
    try {
      pak.VerifyEntry(i);
      const PakBlock content = pak.ExtractEntry(i);
      if (content && content->size() != pak.Entries[i].OrigSize) std::abort();
    } catch (const DecompressionError&) {
    }
  }
  std::string name;
  try {
    for (pak.FindFirst(1, size, true, name); !name.empty(); pak.FindNext(1, size, true, name)) {
    }
    pak.FindEntry("SetupInfo", 0, size);
  } catch (const DecompressionError&) {
  }
  pak.CountGrouped();
  pak.CountInGroup(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    gui::SetMessageBoxHandler([](const gui::MessageBoxRequest&) { return gui::Answer::Ok; });
    return true;
  }();
  (void)quiet;
  {
    platform::File f = platform::File::Open(InputPath(), platform::OpenMode::Create);
    if (!f || !f.Write(data, static_cast<int64_t>(size))) return 0;
  }
  TPak pak(InputPath(), false, false);
  Exercise(pak);
  pak.Close();
  platform::DeleteFile(InputPath());
  return 0;
}

std::vector<std::string> wizpak_fuzz_seeds() {
  const std::string path = TempFile("wizpak-fuzz-seed-");
  std::string text;
  for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i % 7) + " of the layout\r\n";
  std::vector<std::string> seeds;
  for (int variant = 0; variant < 2; ++variant) {
    {
      platform::File f = platform::File::Open(path, platform::OpenMode::Create);
      if (variant == 1) f.Write(std::string_view("MZ executable image"));
    }
    {
      TPak pak(path, true, false);
      const std::pair<const char*, std::string> entries[] = {
          {"SetupInfo", std::string("\x03\x00"
                                    "abc",
                                    5)},
          {"Pages.txt", text},
          {"data\\raw.bin", std::string("\x01\x7f\xfe\x80\x33", 5)},
          {"empty", ""}};
      uint16_t group = 0;
      for (const auto& [name, content] : entries) {
        const uint32_t i = pak.AddEntry(name, "", group);
        pak.StoreFromMemory(i, content.data(), content.size());
        group = static_cast<uint16_t>(variant + 1);
      }
      pak.WriteDirectory();
    }
    std::string bytes;
    {
      platform::File f = platform::File::Open(path, platform::OpenMode::ReadShared);
      bytes.resize(static_cast<size_t>(f.Size()));
      f.Read(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    // A seed the reader does not take whole would fuzz nothing.
    TPak check(path, false, false);
    if (check.Entries.size() != 4 || !check.VerifyEntry(1)) std::abort();
    check.Close();
    seeds.push_back(bytes);
  }
  platform::DeleteFile(path);
  return seeds;
}
