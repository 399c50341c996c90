// Replay driver for fuzz targets without libFuzzer. It feeds every seed, every
// truncation of it (all lengths up to 4 KiB, then a spread), and deterministic
// byte flips through the target, so ctest (under the sanitizers) exercises
// each reader on damaged data. Files named on the command line are replayed
// too; `--write-seeds DIR` writes the seeds as a corpus for libFuzzer.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "fuzz_target.h"

namespace {

void run(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

void replay_seed(const std::string& seed) {
  run(seed);
  const size_t n = seed.size();
  for (size_t len = 0; len < n; ++len) {
    if (len <= 4096 || len % (n / 64 + 1) == 0) run(seed.substr(0, len));
  }
  uint32_t state = 2463534242u;
  for (int round = 0; round < 512 && n > 0; ++round) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    std::string mutated = seed;
    const size_t pos = state % n;
    switch (round % 4) {
      case 0:
        mutated[pos] = static_cast<char>(mutated[pos] ^ (1 << (state >> 8) % 8));
        break;
      case 1:
        mutated[pos] = static_cast<char>(0xFF);
        break;
      case 2:
        mutated[pos] = 0;
        break;
      default:
        mutated[pos] = static_cast<char>(state >> 16);
        break;
    }
    run(mutated);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> seeds = wizpak_fuzz_seeds();
  if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0) {
    for (size_t i = 0; i < seeds.size(); ++i) {
      std::ofstream out(std::string(argv[2]) + "/seed" + std::to_string(i), std::ios::binary);
      out << seeds[i];
    }
    return 0;
  }
  for (const std::string& seed : seeds) replay_seed(seed);
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    run(std::string(std::istreambuf_iterator<char>(in), {}));
  }
  std::printf("replayed %zu seeds\n", seeds.size());
  return 0;
}
