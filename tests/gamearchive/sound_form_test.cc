#include <gtest/gtest.h>

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "gamearchive/ima_adpcm.h"
#include "gamearchive/sound_form.h"
#include "wav_builder.h"

namespace wizpak::gamearchive {
namespace {

using test::CueChunk;
using test::MakeWav;
using test::Tone;
using test::WavSpec;

int32_t I32(const std::string& s, size_t at) {
  return static_cast<int32_t>(*ByteReader(s).U32At(at));
}

TEST(SoundForm, MonoSixteenBitBecomesTwoFullAdpcmBlocks) {
  const auto stored = BuildSoundForm(MakeWav({}, Tone(4096)), "Sound\\music.wav");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->size(), 58u + 1036u);
  EXPECT_EQ((*stored)[44], 1);
  EXPECT_EQ(I32(*stored, 54), 1036);
  EXPECT_EQ(I32(*stored, 45), -1);
  EXPECT_EQ(I32(*stored, 49), -1);
  EXPECT_EQ((*stored)[53], 0);
}

TEST(SoundForm, StereoDataSizeIsRoundedToEightBytes) {
  WavSpec stereo;
  stereo.channels = 2;
  const auto stored = BuildSoundForm(MakeWav(stereo, Tone(3004)), "x.wav");
  ASSERT_TRUE(stored);
  EXPECT_EQ(I32(*stored, 40), 3000);
  EXPECT_EQ(I32(*stored, 54), 762);
  EXPECT_EQ(stored->size(), 58u + 762u);
}

TEST(SoundForm, EffectsEightBitAndCueFilesKeepTheirSamples) {
  const std::string tone = Tone(1000);
  const auto effects = BuildSoundForm(MakeWav({}, tone), "Data\\Effects\\bang.wav");
  ASSERT_TRUE(effects);
  EXPECT_EQ((*effects)[44], 0);
  EXPECT_EQ(effects->substr(58), tone);

  // The rule is case-sensitive: "\effects\" is encoded.
  const auto lower = BuildSoundForm(MakeWav({}, tone), "Data\\effects\\bang.wav");
  ASSERT_TRUE(lower);
  EXPECT_EQ((*lower)[44], 1);

  WavSpec eight;
  eight.bits = 8;
  const auto byte_samples = BuildSoundForm(MakeWav(eight, tone), "a.wav");
  ASSERT_TRUE(byte_samples);
  EXPECT_EQ((*byte_samples)[44], 0);
  EXPECT_EQ(I32(*byte_samples, 54), 1000);

  const auto cue = BuildSoundForm(MakeWav({}, tone, CueChunk({10, 100})), "a.wav");
  ASSERT_TRUE(cue);
  EXPECT_EQ((*cue)[44], 0);
  EXPECT_EQ(I32(*cue, 45), 20);  // 2 bytes per sample frame
  EXPECT_EQ(I32(*cue, 49), 200);
  EXPECT_EQ((*cue)[53], 0);
}

TEST(SoundForm, LoopPointsFromOneOrSwappedCuePoints) {
  const std::string tone = Tone(1000);
  const auto one = BuildSoundForm(MakeWav({}, tone, CueChunk({50})), "a.wav");
  ASSERT_TRUE(one);
  EXPECT_EQ(I32(*one, 45), 100);
  EXPECT_EQ(I32(*one, 49), 1000);
  EXPECT_EQ((*one)[53], 1);

  const auto swapped = BuildSoundForm(MakeWav({}, tone, CueChunk({300, 40})), "a.wav");
  ASSERT_TRUE(swapped);
  EXPECT_EQ(I32(*swapped, 45), 80);
  EXPECT_EQ(I32(*swapped, 49), 600);

  // Chunks before the cue chunk are walked over without padding.
  std::string other = "LIST";
  test::PutLE(other, 3, 4);
  other += "abc";
  const auto walked = BuildSoundForm(MakeWav({}, tone, other + CueChunk({5})), "a.wav");
  ASSERT_TRUE(walked);
  EXPECT_EQ(I32(*walked, 45), 10);
}

TEST(SoundForm, DeclinesAnythingButTheCanonicalHeader) {
  WavSpec extended;
  extended.fmt_size = 18;
  EXPECT_FALSE(BuildSoundForm(MakeWav(extended, Tone(100)), "a.wav"));
  EXPECT_FALSE(BuildSoundForm("RIFF", "a.wav"));
  EXPECT_FALSE(BuildSoundForm(MakeWav({}, ""), "a.wav"));  // D = 0
  // A data size larger than the samples that follow is declined.
  std::string cut = MakeWav({}, Tone(100));
  cut.resize(cut.size() - 10);
  EXPECT_FALSE(BuildSoundForm(cut, "a.wav"));
  std::string not_wave = MakeWav({}, Tone(100));
  not_wave[8] = 'X';
  EXPECT_FALSE(BuildSoundForm(not_wave, "a.wav"));
}

TEST(SoundForm, SilenceEncodesToZeroCodesAndKeepsStepIndex) {
  const auto stored = BuildSoundForm(MakeWav({}, std::string(2048 + 400, '\0')), "a.wav");
  ASSERT_TRUE(stored);
  const std::string samples = stored->substr(58);
  ASSERT_EQ(samples.size(), 512u + 6u + 100u + 6u);
  for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(samples[i], 0) << "byte " << i;
}

TEST(SoundForm, BlockStateBytesCarryTheEncoderState) {
  const std::string tone = Tone(2048);
  const auto stored = BuildSoundForm(MakeWav({}, tone), "a.wav");
  ASSERT_TRUE(stored);
  AdpcmState state;
  std::vector<int16_t> samples;
  for (size_t i = 0; i < 1024; ++i)
    samples.push_back(static_cast<int16_t>(*ByteReader(tone).U16At(2 * i)));
  std::vector<uint8_t> codes(512);
  EncodeAdpcm(state, samples, codes.data());
  EXPECT_EQ(std::string(codes.begin(), codes.end()), stored->substr(58, 512));
  EXPECT_EQ(static_cast<int16_t>(*ByteReader(*stored).U16At(58 + 512)), state.predicted);
  EXPECT_EQ(static_cast<uint8_t>((*stored)[58 + 514]), state.index);
  EXPECT_EQ(*ByteReader(*stored).U16At(58 + 515), 0);  // mono: channel 2 stays 0
}

TEST(Adpcm, EncoderFollowsTheStepTable) {
  AdpcmState s;
  // diff 100 against step 7: all three magnitude bits, index +8.
  EXPECT_EQ(EncodeAdpcmSample(s, 100), 7);
  EXPECT_EQ(s.predicted, 0 + (7 >> 3) + 7 + 3 + 1);
  EXPECT_EQ(s.index, 8);
  // A negative difference sets the sign bit.
  EXPECT_EQ(EncodeAdpcmSample(s, -1000) & 8, 8);
  // The index never leaves 0..88 and the prediction stays in 16 bits.
  AdpcmState loud;
  for (int i = 0; i < 200; ++i) EncodeAdpcmSample(loud, i % 2 ? 32767 : -32768);
  EXPECT_LE(loud.index, 88);
}

TEST(Adpcm, DecoderReproducesTheEncodersPredictions) {
  const std::string tone = Tone(4000);
  std::vector<int16_t> samples;
  for (size_t i = 0; i < tone.size() / 2; ++i)
    samples.push_back(static_cast<int16_t>(*ByteReader(tone).U16At(2 * i)));
  AdpcmState enc, dec;
  std::vector<int16_t> predicted;
  std::vector<uint8_t> codes;
  for (int16_t x : samples) {
    codes.push_back(EncodeAdpcmSample(enc, x));
    predicted.push_back(enc.predicted);
  }
  for (size_t i = 0; i < codes.size(); ++i)
    EXPECT_EQ(DecodeAdpcmSample(dec, codes[i]), predicted[i]);
}

TEST(SoundForm, DecodesBackToAPlayableWave) {
  WavSpec stereo;
  stereo.channels = 2;
  const std::string wav = MakeWav(stereo, Tone(5004));
  const auto stored = BuildSoundForm(wav, "a.wav");
  ASSERT_TRUE(stored);
  const auto decoded = DecodeSoundForm(*stored);
  ASSERT_TRUE(decoded);
  const auto header = ParseWaveHeader(*decoded);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->channels, 2);
  EXPECT_EQ(header->data_size, 5000);
  // Samples come back close to the originals.
  int64_t error = 0;
  for (size_t i = 0; i < 5000 / 2; ++i)
    error += std::abs(static_cast<int16_t>(*ByteReader(*decoded).U16At(44 + 2 * i)) -
                      static_cast<int16_t>(*ByteReader(wav).U16At(44 + 2 * i)));
  EXPECT_LT(error / (5000 / 2), 2000);
  // A damaged stored size is refused.
  std::string damaged = *stored;
  damaged.pop_back();
  EXPECT_FALSE(DecodeSoundForm(damaged));
}

}  // namespace
}  // namespace wizpak::gamearchive
