#include "gamearchive/ima_adpcm.h"

#include <algorithm>

namespace wizpak::gamearchive {

namespace {

constexpr int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr int kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

int16_t Clamp16(int value) {
  return static_cast<int16_t>(std::clamp(value, -32768, 32767));
}

void AdvanceIndex(AdpcmState& state, uint8_t code) {
  state.index = static_cast<uint8_t>(std::clamp(state.index + kIndexTable[code], 0, 88));
}

}  // namespace

uint8_t EncodeAdpcmSample(AdpcmState& state, int16_t sample) {
  int diff = sample - state.predicted;
  uint8_t sign = 0;
  if (diff < 0) {
    sign = 8;
    diff = -diff;
  }
  int step = kStepTable[state.index];
  uint8_t code = 0;
  int delta = step >> 3;
  if (diff >= step) {
    code |= 4;
    diff -= step;
    delta += step;
  }
  step >>= 1;
  if (diff >= step) {
    code |= 2;
    diff -= step;
    delta += step;
  }
  step >>= 1;
  if (diff >= step) {
    code |= 1;
    delta += step;
  }
  state.predicted = Clamp16(sign ? state.predicted - delta : state.predicted + delta);
  code |= sign;
  AdvanceIndex(state, code);
  return code;
}

int16_t DecodeAdpcmSample(AdpcmState& state, uint8_t code) {
  int step = kStepTable[state.index];
  int delta = step >> 3;
  if (code & 4) delta += step;
  if (code & 2) delta += step >> 1;
  if (code & 1) delta += step >> 2;
  state.predicted = Clamp16((code & 8) ? state.predicted - delta : state.predicted + delta);
  AdvanceIndex(state, code & 15);
  return state.predicted;
}

void EncodeAdpcm(AdpcmState& state, std::span<const int16_t> samples, uint8_t* out) {
  for (size_t i = 0; i < samples.size(); ++i) {
    const uint8_t code = EncodeAdpcmSample(state, samples[i]);
    if (i % 2 == 0)
      out[i / 2] = static_cast<uint8_t>(code << 4);
    else
      out[i / 2] = static_cast<uint8_t>(out[i / 2] | code);
  }
}

void DecodeAdpcm(AdpcmState& state, const uint8_t* codes, size_t count, int16_t* out) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t byte = codes[i / 2];
    const uint8_t code = (i % 2 == 0) ? byte >> 4 : byte & 15;
    out[i] = DecodeAdpcmSample(state, code);
  }
}

}  // namespace wizpak::gamearchive
