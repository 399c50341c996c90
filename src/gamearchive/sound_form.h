// The stored form of ".WAV" entries in game archives (storage kind 1): a
// 58-byte header that keeps the canonical wave header and adds loop points,
// followed by the samples unchanged or as IMA ADPCM blocks of 518 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wizpak::gamearchive {

constexpr size_t kWaveHeaderSize = 44;
constexpr size_t kSoundHeaderSize = 58;
constexpr size_t kAdpcmInputBlock = 2048;
constexpr size_t kAdpcmStoredBlock = 518;

// The fields of the canonical 44-byte wave header that the sound form uses.
struct WaveHeader {
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint32_t bytes_per_second = 0;
  uint16_t bits_per_sample = 0;
  int32_t data_size = 0;  // D
};

// Checks the canonical header: "RIFF", "WAVE", "fmt " of size 16, "data"
// with D > 0, and D bytes of samples really present after it. nullopt when
// the file is declined.
std::optional<WaveHeader> ParseWaveHeader(std::string_view wav);

struct LoopPoints {
  int32_t start = -1;
  int32_t end = -1;
  bool end_from_single_cue = false;
};
// Loop points from a "cue " chunk after the samples (walk bounded by the file).
LoopPoints FindLoopPoints(std::string_view wav, const WaveHeader& header);

// Builds the stored form of a wave file named `entry_name` (the package
// name, for the "\Effects\" rule). nullopt when the file is declined.
std::optional<std::string> BuildSoundForm(std::string_view wav, std::string_view entry_name);

// What a stored sound says about itself, checked against its length.
struct SoundFormInfo {
  WaveHeader header;
  bool adpcm = false;
  LoopPoints loop;
  int32_t sample_bytes = 0;  // E
};
std::optional<SoundFormInfo> ParseSoundForm(std::string_view stored);

// Turns a stored sound back into a playable 16-bit (or original) PCM wave
// file: ADPCM blocks are decoded with the same tables. nullopt when damaged.
std::optional<std::string> DecodeSoundForm(std::string_view stored);

}  // namespace wizpak::gamearchive
