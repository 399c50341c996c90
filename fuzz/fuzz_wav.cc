// Fuzz target: the wave reader and the sound-form builder and decoder.
#include "fuzz_target.h"
#include "gamearchive/sound_form.h"

using namespace wizpak::gamearchive;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (auto stored = BuildSoundForm(bytes, "Sound\\x.wav")) DecodeSoundForm(*stored);
  DecodeSoundForm(bytes);
  return 0;
}

namespace {

void Put(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
}

std::string Wav(uint16_t channels, uint16_t bits, const std::string& samples,
                const std::string& tail) {
  std::string w = "RIFF";
  Put(w, static_cast<uint32_t>(36 + samples.size() + tail.size()), 4);
  w += "WAVEfmt ";
  Put(w, 16, 4);
  Put(w, 1, 2);
  Put(w, channels, 2);
  Put(w, 11025, 4);
  Put(w, 11025u * channels * bits / 8, 4);
  Put(w, channels * bits / 8, 2);
  Put(w, bits, 2);
  w += "data";
  Put(w, static_cast<uint32_t>(samples.size()), 4);
  return w + samples + tail;
}

}  // namespace

std::vector<std::string> wizpak_fuzz_seeds() {
  std::string samples;
  for (int i = 0; i < 3000; ++i) samples += static_cast<char>((i * 37) & 0xFF);
  std::string cue = "cue ";
  Put(cue, 52, 4);
  Put(cue, 2, 4);
  for (uint32_t p : {10u, 5u}) {
    Put(cue, 1, 4);
    Put(cue, p, 4);
    cue += "data";
    Put(cue, 0, 4);
    Put(cue, 0, 4);
    Put(cue, p, 4);
  }
  std::vector<std::string> seeds = {Wav(1, 16, samples, ""), Wav(2, 16, samples, ""),
                                    Wav(1, 8, samples, ""), Wav(1, 16, samples, cue)};
  if (auto stored = BuildSoundForm(seeds[1], "a.wav")) seeds.push_back(*stored);
  return seeds;
}
