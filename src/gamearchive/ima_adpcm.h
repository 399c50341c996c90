// IMA ADPCM for one channel: the encoder the sound form stores with, and the
// matching decoder used to turn stored sound back into PCM for inspection.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace wizpak::gamearchive {

// Encoder / decoder state of one channel, carried from block to block.
struct AdpcmState {
  int16_t predicted = 0;
  uint8_t index = 0;
};

// Encodes one sample and returns its 4-bit code, updating `state`.
uint8_t EncodeAdpcmSample(AdpcmState& state, int16_t sample);
// Decodes one 4-bit code, updating `state`, and returns the sample.
int16_t DecodeAdpcmSample(AdpcmState& state, uint8_t code);

// Encodes `samples` into (n + 1) / 2 bytes, first code of a pair in the high
// nibble; an odd count leaves the low nibble of the last byte 0.
void EncodeAdpcm(AdpcmState& state, std::span<const int16_t> samples, uint8_t* out);
// Decodes `count` codes from `codes` (high nibble first).
void DecodeAdpcm(AdpcmState& state, const uint8_t* codes, size_t count, int16_t* out);

}  // namespace wizpak::gamearchive
