#include "gamearchive/sound_form.h"

#include <algorithm>
#include <vector>

#include "gamearchive/ima_adpcm.h"
#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace wizpak::gamearchive {

namespace {

bool Tag(std::string_view b, size_t at, std::string_view tag) {
  return b.substr(at, 4) == tag;
}

int16_t Sample(const ByteReader& b, size_t at) {
  return static_cast<int16_t>(b.U16At(at).value_or(0));
}

void PutState(std::string& out, size_t at, const AdpcmState& one, const AdpcmState& two) {
  StoreLe16(out, at, static_cast<uint16_t>(one.predicted));
  out[at + 2] = static_cast<char>(one.index);
  StoreLe16(out, at + 3, static_cast<uint16_t>(two.predicted));
  out[at + 5] = static_cast<char>(two.index);
}

// Encodes the D sample bytes at offset 44 of `wav` into blocks at `out`.
void EncodeBlocks(std::string_view bytes, const WaveHeader& h, char* out) {
  const ByteReader wav(bytes);
  AdpcmState left, right;
  std::vector<int16_t> samples, second;
  const size_t total = static_cast<size_t>(h.data_size);
  for (size_t done = 0, block = 0; done < total; done += kAdpcmInputBlock, ++block) {
    const size_t l = std::min(kAdpcmInputBlock, total - done);
    const size_t n = l / 2;
    auto* codes = reinterpret_cast<uint8_t*>(out + block * kAdpcmStoredBlock);
    if (h.channels == 2) {
      samples.clear();
      second.clear();
      for (size_t i = 0; i < n; ++i) {
        (i % 2 == 0 ? samples : second).push_back(Sample(wav, kWaveHeaderSize + done + 2 * i));
      }
      EncodeAdpcm(left, samples, codes);
      EncodeAdpcm(right, second, codes + n / 4);
    } else {
      samples.resize(n);
      for (size_t i = 0; i < n; ++i) samples[i] = Sample(wav, kWaveHeaderSize + done + 2 * i);
      EncodeAdpcm(left, samples, codes);
    }
    std::string state(6, '\0');
    PutState(state, 0, left, h.channels == 2 ? right : AdpcmState{});
    std::copy(state.begin(), state.end(), out + block * kAdpcmStoredBlock + l / 4);
  }
}

}  // namespace

std::optional<WaveHeader> ParseWaveHeader(std::string_view wav) {
  if (wav.size() < kWaveHeaderSize) return std::nullopt;
  const ByteReader in(wav);
  if (!Tag(wav, 0, "RIFF") || !Tag(wav, 8, "WAVE") || !Tag(wav, 12, "fmt ") ||
      in.U32At(16) != 16u || !Tag(wav, 36, "data"))
    return std::nullopt;
  WaveHeader h;
  h.channels = in.U16At(22).value_or(0);
  h.sample_rate = in.U32At(24).value_or(0);
  h.bytes_per_second = in.U32At(28).value_or(0);
  h.bits_per_sample = in.U16At(34).value_or(0);
  h.data_size = static_cast<int32_t>(in.U32At(40).value_or(0));
  if (h.data_size <= 0) return std::nullopt;
  // A data size larger than the samples really there is declined rather than
  // read past the end of the file.
  if (static_cast<uint64_t>(h.data_size) > wav.size() - kWaveHeaderSize) return std::nullopt;
  return h;
}

LoopPoints FindLoopPoints(std::string_view wav, const WaveHeader& h) {
  LoopPoints loop;
  bool have_start = false, have_end = false;
  // The loop points are counted in bytes: bytes-per-second div sample rate is
  // the size of one sample frame. A zero sample rate has no frame size.
  const int64_t frame = h.sample_rate ? h.bytes_per_second / h.sample_rate : 0;
  const ByteReader in(wav);
  uint64_t pos = kWaveHeaderSize + static_cast<uint64_t>(h.data_size);
  while (pos < wav.size()) {
    const auto id = in.TakeAt(pos, 4);
    const auto size = in.U32At(pos + 4);
    if (!id || !size) break;
    if (*id == "cue ") {
      const uint32_t points = in.U32At(pos + 8).value_or(0);
      for (uint32_t i = 0; i < points && i < 2; ++i) {
        const auto position = in.U32At(pos + 12 + 24ull * i + 4);
        if (!position) break;
        const auto bytes = static_cast<int32_t>(frame * static_cast<int64_t>(*position));
        if (i == 0) {
          loop.start = bytes;
          have_start = true;
        } else {
          loop.end = bytes;
          have_end = true;
        }
      }
    }
    pos += 8ull + *size;
  }
  if (have_start && have_end && loop.start > loop.end) std::swap(loop.start, loop.end);
  if (have_start && !have_end) {
    loop.end = h.data_size;
    loop.end_from_single_cue = true;
  }
  return loop;
}

std::optional<std::string> BuildSoundForm(std::string_view wav, std::string_view entry_name) {
  auto parsed = ParseWaveHeader(wav);
  if (!parsed) return std::nullopt;
  WaveHeader h = *parsed;
  const LoopPoints loop = FindLoopPoints(wav, h);
  const bool adpcm = h.bits_per_sample == 16 && loop.start == -1 && loop.end == -1 &&
                     entry_name.find("\\Effects\\") == std::string_view::npos;
  int32_t stored_size = h.data_size;
  if (adpcm) {
    h.data_size &= (h.channels == 1) ? ~3 : ~7;
    const int32_t blocks =
        static_cast<int32_t>((h.data_size + kAdpcmInputBlock - 1) / kAdpcmInputBlock);
    stored_size = (h.data_size + 3) / 4 + 6 * blocks;
  }
  std::string out(kSoundHeaderSize + static_cast<size_t>(stored_size), '\0');
  std::copy(wav.begin(), wav.begin() + kWaveHeaderSize, out.begin());
  StoreLe32(out, 40, static_cast<uint32_t>(h.data_size));
  out[44] = adpcm ? 1 : 0;
  StoreLe32(out, 45, static_cast<uint32_t>(loop.start));
  StoreLe32(out, 49, static_cast<uint32_t>(loop.end));
  out[53] = loop.end_from_single_cue ? 1 : 0;
  StoreLe32(out, 54, static_cast<uint32_t>(stored_size));
  if (adpcm) {
    if (h.data_size > 0) EncodeBlocks(wav, h, out.data() + kSoundHeaderSize);
  } else {
    std::copy_n(wav.begin() + kWaveHeaderSize, h.data_size, out.begin() + kSoundHeaderSize);
  }
  return out;
}

std::optional<SoundFormInfo> ParseSoundForm(std::string_view stored) {
  if (stored.size() < kSoundHeaderSize) return std::nullopt;
  SoundFormInfo info;
  const ByteReader in(stored);
  info.header.channels = in.U16At(22).value_or(0);
  info.header.sample_rate = in.U32At(24).value_or(0);
  info.header.bytes_per_second = in.U32At(28).value_or(0);
  info.header.bits_per_sample = in.U16At(34).value_or(0);
  info.header.data_size = static_cast<int32_t>(in.U32At(40).value_or(0));
  info.adpcm = in.U8At(44) == 1u;
  info.loop.start = static_cast<int32_t>(in.U32At(45).value_or(0));
  info.loop.end = static_cast<int32_t>(in.U32At(49).value_or(0));
  info.loop.end_from_single_cue = in.U8At(53) == 1u;
  info.sample_bytes = static_cast<int32_t>(in.U32At(54).value_or(0));
  if (info.sample_bytes < 0 ||
      static_cast<uint64_t>(info.sample_bytes) != stored.size() - kSoundHeaderSize ||
      info.header.data_size < 0)
    return std::nullopt;
  if (info.adpcm) {
    const uint64_t d = static_cast<uint64_t>(info.header.data_size);
    const uint64_t blocks = (d + kAdpcmInputBlock - 1) / kAdpcmInputBlock;
    if ((d + 3) / 4 + 6 * blocks != static_cast<uint64_t>(info.sample_bytes)) return std::nullopt;
  }
  return info;
}

std::optional<std::string> DecodeSoundForm(std::string_view stored) {
  const auto info = ParseSoundForm(stored);
  if (!info) return std::nullopt;
  const std::string_view samples = stored.substr(kSoundHeaderSize);
  std::string out(stored.substr(0, kWaveHeaderSize));
  if (!info->adpcm) {
    StoreLe32(out, 40, static_cast<uint32_t>(samples.size()));
    StoreLe32(out, 4, static_cast<uint32_t>(36 + samples.size()));
    out.append(samples);
    return out;
  }
  const size_t total = static_cast<size_t>(info->header.data_size);
  out.resize(kWaveHeaderSize + total);
  AdpcmState left, right;
  std::vector<int16_t> decoded;
  for (size_t done = 0, block = 0; done < total; done += kAdpcmInputBlock, ++block) {
    const size_t l = std::min(kAdpcmInputBlock, total - done);
    const size_t n = l / 2;
    const auto* codes =
        reinterpret_cast<const uint8_t*>(samples.data() + block * kAdpcmStoredBlock);
    decoded.assign(n, 0);
    if (info->header.channels == 2) {
      std::vector<int16_t> l_ch(n / 2), r_ch(n / 2);
      DecodeAdpcm(left, codes, n / 2, l_ch.data());
      DecodeAdpcm(right, codes + n / 4, n / 2, r_ch.data());
      for (size_t i = 0; i < n / 2; ++i) {
        decoded[2 * i] = l_ch[i];
        decoded[2 * i + 1] = r_ch[i];
      }
    } else {
      DecodeAdpcm(left, codes, n, decoded.data());
    }
    for (size_t i = 0; i < n; ++i)
      StoreLe16(out, kWaveHeaderSize + done + 2 * i, static_cast<uint16_t>(decoded[i]));
  }
  StoreLe32(out, 4, static_cast<uint32_t>(36 + total));
  return out;
}

}  // namespace wizpak::gamearchive
