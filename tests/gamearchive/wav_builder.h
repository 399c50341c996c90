// Builds small wave files for the sound and archive tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wizpak::test {

inline void PutLE(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

struct WavSpec {
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  uint32_t fmt_size = 16;
};

// Canonical header + `data` bytes (+ optional chunks appended after the samples).
inline std::string MakeWav(const WavSpec& format, const std::string& data,
                           const std::string& trailing_chunks = "") {
  std::string w = "RIFF";
  PutLE(w, static_cast<uint32_t>(36 + data.size() + trailing_chunks.size()), 4);
  w += "WAVEfmt ";
  PutLE(w, format.fmt_size, 4);
  PutLE(w, 1, 2);
  PutLE(w, format.channels, 2);
  PutLE(w, format.rate, 4);
  const uint32_t frame = format.channels * format.bits / 8;
  PutLE(w, format.rate * frame, 4);
  PutLE(w, frame, 2);
  PutLE(w, format.bits, 2);
  if (format.fmt_size > 16) w.append(format.fmt_size - 16, '\0');
  w += "data";
  PutLE(w, static_cast<uint32_t>(data.size()), 4);
  return w + data + trailing_chunks;
}

// A "cue " chunk with the given sample positions.
inline std::string CueChunk(const std::vector<uint32_t>& positions) {
  std::string c = "cue ";
  PutLE(c, static_cast<uint32_t>(4 + 24 * positions.size()), 4);
  PutLE(c, static_cast<uint32_t>(positions.size()), 4);
  for (size_t i = 0; i < positions.size(); ++i) {
    PutLE(c, static_cast<uint32_t>(i + 1), 4);
    PutLE(c, positions[i], 4);
    c += "data";
    PutLE(c, 0, 4);
    PutLE(c, 0, 4);
    PutLE(c, positions[i], 4);
  }
  return c;
}

// `bytes` bytes of a 16-bit sine-like wave.
inline std::string Tone(size_t bytes) {
  std::string d;
  for (size_t i = 0; i < bytes / 2; ++i) {
    const int v = static_cast<int>((i * 1103) % 20000) - 10000;
    PutLE(d, static_cast<uint16_t>(static_cast<int16_t>(v)), 2);
  }
  if (bytes % 2) d += '\0';
  return d;
}

}  // namespace wizpak::test
