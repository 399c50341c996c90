// Start-up hook of the libFuzzer builds: with WIZPAK_FUZZ_WRITE_SEEDS=DIR the
// target writes its seed inputs (made by the project's own writers) into DIR
// as seed-N and exits, so fuzz/run.sh can start every run from them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz_target.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  const char* folder = std::getenv("WIZPAK_FUZZ_WRITE_SEEDS");
  if (folder == nullptr || *folder == '\0') return 0;
  const std::vector<std::string> seeds = wizpak_fuzz_seeds();
  for (size_t i = 0; i < seeds.size(); ++i) {
    const std::string path = std::string(folder) + "/seed-" + std::to_string(i);
    std::ofstream out(path, std::ios::binary);
    out.write(seeds[i].data(), static_cast<std::streamsize>(seeds[i].size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      std::exit(1);
    }
  }
  std::exit(0);
}
