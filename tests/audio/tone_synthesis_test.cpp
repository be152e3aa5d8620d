#include "audio/tone_synthesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace sonavel {
namespace {

ToneBuffer Tone(int32_t f, double a, double beep, double pause, bool ramps = true, int32_t ear = 0) {
  ToneBuffer b;
  CreateSound(f, a, beep, pause, b, ramps, ear == 0 ? 1 : 0, ear == 0 ? 0 : 1);
  return b;
}

TEST(ToneSynthesis, FrameCountsAreTruncated) {
  struct Case {
    double beep, pause;
    size_t frames;
  } cases[] = {{1, 1, 88200},   {1, 0, 44100},         {0, 1, 44100}, {0.5, 0.25, 22050 + 11025},
               {0.00003, 0, 1}, {0.00002, 0.00002, 0}, {5, 5, 441000}};
  for (const auto& c : cases) {
    const ToneBuffer b = Tone(1000, -10, c.beep, c.pause);
    EXPECT_EQ(b.FrameCount(), c.frames) << c.beep << " + " << c.pause;
    EXPECT_EQ(b.Size(), c.frames * 4);
  }
}

TEST(ToneSynthesis, WithoutToneOnlyThePauseIsWritten) {
  const ToneBuffer b = Tone(1000, 0, 0, 0.1);
  ASSERT_EQ(b.FrameCount(), 4410u);
  EXPECT_TRUE(std::all_of(b.Bytes().begin(), b.Bytes().end(), [](uint8_t v) { return v == 0; }));
}

TEST(ToneSynthesis, QuarterSampleRateAtFullScaleGivesTheExpectedBytes) {
  const ToneBuffer b = Tone(11025, 0, 1, 0);
  // The middle half of a ramped tone is at full amplitude: 0, 32767, 0, -32767, ...
  const uint8_t expected[4][2] = {{0x00, 0x00}, {0xFF, 0x7F}, {0x00, 0x00}, {0x01, 0x80}};
  for (size_t frame = 22048; frame < 22048 + 16; ++frame) {
    const uint8_t* p = b.Data() + frame * 4;
    EXPECT_EQ(p[0], expected[frame % 4][0]) << frame;
    EXPECT_EQ(p[1], expected[frame % 4][1]) << frame;
    EXPECT_EQ(p[2], 0) << frame;  // the right channel is silent
    EXPECT_EQ(p[3], 0) << frame;
  }
  for (size_t frame = 0; frame < b.FrameCount(); ++frame) ASSERT_EQ(b.Sample(frame, 1), 0);
}

TEST(ToneSynthesis, MinusTwentyDecibelsPeaksAt3277) {
  const ToneBuffer b = Tone(11025, -20, 1, 0);
  int16_t peak = 0;
  for (size_t frame = 11025; frame < 33075; ++frame) peak = std::max(peak, b.Sample(frame, 0));
  EXPECT_EQ(peak, 3277);  // 3276.7 rounded
  EXPECT_EQ(b.Sample(22049, 0), 3277);
  EXPECT_EQ(b.Sample(22051, 0), -3277);
}

TEST(ToneSynthesis, RightEarUsesTheRightChannel) {
  const ToneBuffer b = Tone(11025, 0, 1, 0, true, 1);
  EXPECT_EQ(b.Sample(22049, 1), 32767);
  for (size_t frame = 0; frame < b.FrameCount(); ++frame) ASSERT_EQ(b.Sample(frame, 0), 0);
}

TEST(ToneSynthesis, RampWeights) {
  const int64_t N = 800;
  EXPECT_EQ(RampWeight(0, N), 0.0);
  EXPECT_NEAR(RampWeight(N / 8, N), 0.5, 1e-12);
  for (int64_t n = N / 4; n <= 3 * N / 4; ++n) ASSERT_EQ(RampWeight(n, N), 1.0) << n;
  EXPECT_LT(RampWeight(N - 1, N), 1e-3);
  EXPECT_NEAR(RampWeight(7 * N / 8, N), 0.5, 1e-12);
  // Rising over the first quarter, falling over the last.
  for (int64_t n = 1; n < N / 4; ++n) ASSERT_GT(RampWeight(n, N), RampWeight(n - 1, N));
  for (int64_t n = 3 * N / 4 + 1; n < N; ++n) ASSERT_LT(RampWeight(n, N), RampWeight(n - 1, N));
}

TEST(ToneSynthesis, RampsShapeTheTone) {
  const ToneBuffer ramped = Tone(11025, 0, 1, 0, true);
  const ToneBuffer flat = Tone(11025, 0, 1, 0, false);
  EXPECT_EQ(ramped.Sample(1, 0), 0);  // weight ~0 at the start
  EXPECT_EQ(flat.Sample(1, 0), 32767);
  // At N/8 (frame 5512.5) the weight is 0.5: frame 5513 is a peak frame of the sine.
  EXPECT_NEAR(ramped.Sample(5513, 0), 32767 * 0.5, 5);
}

TEST(ToneSynthesis, AppendsToWhatTheBufferHolds) {
  ToneBuffer b;
  CreateSound(1000, -10, 0.1, 0.1, b, true, 1, 0);
  const std::vector<uint8_t> first = b.Bytes();
  CreateSound(1000, -10, 0.1, 0.1, b, true, 1, 0);
  ASSERT_EQ(b.Size(), 2 * first.size());
  // The phase restarts at 0: the second presentation is identical to the first.
  EXPECT_TRUE(std::equal(first.begin(), first.end(), b.Bytes().begin() + first.size()));
}

TEST(ToneSynthesis, LevelsAboveFullScaleSaturateInsteadOfWrapping) {
  for (double a : {0.5, 3.0, 20.0, 400.0}) {
    const ToneBuffer b = Tone(1000, a, 0.1, 0, false);
    int16_t maxSample = 0, minSample = 0;
    for (size_t frame = 0; frame < b.FrameCount(); ++frame) {
      const int16_t s = b.Sample(frame, 0);
      const double ideal = std::sin(static_cast<double>(frame) * 2 * std::numbers::pi * 1000 / 44100);
      // Wrapping would flip the sign of the loud half-waves.
      if (std::abs(ideal) > 0.5) {
        ASSERT_EQ(s > 0, ideal > 0) << "a=" << a << " frame " << frame;
      }
      maxSample = std::max(maxSample, s);
      minSample = std::min(minSample, s);
    }
    EXPECT_EQ(maxSample, 32767) << a;
    EXPECT_EQ(minSample, -32767) << a;
  }
}

TEST(ToneSynthesis, ANonNumberLevelIsSilence) {
  const ToneBuffer b = Tone(1000, std::nan(""), 0.01, 0, false);
  for (size_t frame = 0; frame < b.FrameCount(); ++frame) ASSERT_EQ(b.Sample(frame, 0), 0);
}

// --- the same frames as float samples --------------------------------------------------------

std::vector<float> Floats(const ToneBuffer& b) {
  std::vector<float> x;
  RenderFloat(b, x);
  return x;
}

// Every 16-bit sample is its float sample rounded: within half a count (and the float's own
// precision, a few thousandths of a count at full scale).
void ExpectRoundsToTheBytes(const ToneBuffer& b, const std::vector<float>& x, const std::string& what) {
  ASSERT_EQ(x.size(), 2 * b.FrameCount()) << what;
  for (size_t frame = 0; frame < b.FrameCount(); ++frame)
    for (int c = 0; c < 2; ++c)
      ASSERT_NEAR(x[2 * frame + c] * FloatSampleScale, b.Sample(frame, c), 0.5 + 2e-3)
          << what << " frame " << frame << " channel " << c;
}

TEST(FloatRendering, RoundsToTheSixteenBitSamplesOfEveryKindOfPresentation) {
  struct Case {
    const char* what;
    int32_t f;
    double a, beep, pause;
    bool ramps;
    int32_t ear;
  };
  const Case cases[] = {
      {"ramped tone and pause", 1000, -20, 0.5, 0.25, true, 0},
      {"right ear", 4000, -3, 0.3, 0.1, true, 1},
      {"no ramps", 250, -40, 0.2, 0, false, 0},
      {"near the threshold", 1000, -80, 0.2, 0.1, true, 1},
      {"above full scale", 1000, 6, 0.1, 0.05, false, 0},
      {"only a pause", 1000, 0, 0, 0.1, true, 0},
      {"truncated frame counts", 125, -10, 0.00005, 0.00007, true, 0},
  };
  for (const Case& c : cases) {
    const ToneBuffer b = Tone(c.f, c.a, c.beep, c.pause, c.ramps, c.ear);
    const std::vector<float> x = Floats(b);
    ExpectRoundsToTheBytes(b, x, c.what);
    // The silent channel and the pause are exact zeros, as in 16 bits.
    const auto toneFrames = static_cast<size_t>(c.beep * 44100);
    for (size_t frame = 0; frame < b.FrameCount(); ++frame) {
      ASSERT_EQ(x[2 * frame + (1 - c.ear)], 0.0f) << c.what << " frame " << frame;
      if (frame >= toneFrames) {
        ASSERT_EQ(x[2 * frame + c.ear], 0.0f) << c.what << " frame " << frame;
      }
    }
  }
}

TEST(FloatRendering, KeepsWhatTheRoundingTakesAway) {
  // The peak of the middle part at -20 dB is 3276.7 before rounding, at f = 11025 exactly on a
  // frame; the ramp starts at 0 and has its half weight at N/8.
  const ToneBuffer b = Tone(11025, -20, 1, 0);
  const std::vector<float> x = Floats(b);
  EXPECT_FLOAT_EQ(x[2 * 22049], static_cast<float>(3276.7 / 32768));
  EXPECT_FLOAT_EQ(x[2 * 22051], static_cast<float>(-3276.7 / 32768));
  EXPECT_EQ(x[0], 0.0f);
  EXPECT_FLOAT_EQ(x[2 * 5513], static_cast<float>(3276.7 * RampWeight(5513, 44100) / 32768));

  // At -80 dB the 16-bit tone is a few counts and misses its level; the floats hold it.
  const ToneBuffer quiet = Tone(1000, -80, 1, 0);
  const std::vector<float> q = Floats(quiet);
  double floatSum = 0, intSum = 0;
  for (size_t n = 11025; n < 33075; ++n) {  // the full-amplitude half, 500 periods
    floatSum += static_cast<double>(q[2 * n]) * q[2 * n];
    intSum += static_cast<double>(quiet.Sample(n, 0)) * quiet.Sample(n, 0);
  }
  const auto levelOf = [](double sum, double scale) {
    return 20 * std::log10(std::sqrt(2 * sum / 22050) * scale / 32767);
  };
  EXPECT_NEAR(levelOf(floatSum, 32768), -80, 1e-4);
  EXPECT_GT(std::abs(levelOf(intSum, 1) + 80), 0.05);
}

TEST(FloatRendering, SaturatesAtFullScaleAsTheSixteenBitsDo) {
  for (double a : {0.5, 20.0, 400.0, std::numeric_limits<double>::infinity()}) {
    const ToneBuffer b = Tone(1000, a, 0.05, 0, false);
    const std::vector<float> x = Floats(b);
    ExpectRoundsToTheBytes(b, x, "a = " + std::to_string(a));
    EXPECT_EQ(*std::max_element(x.begin(), x.end()), static_cast<float>(32767.0 / 32768)) << a;
    EXPECT_EQ(*std::min_element(x.begin(), x.end()), static_cast<float>(-32767.0 / 32768)) << a;
  }
  const std::vector<float> silent = Floats(Tone(1000, std::nan(""), 0.01, 0, false));
  EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](float v) { return v == 0.0f; }));
}

TEST(FloatRendering, FollowsTheBufferThroughAppendsAndClear) {
  ToneBuffer b;
  CreateSound(1000, -30, 0.1, 0.05, b, true, 1, 0);
  const std::vector<float> first = Floats(b);
  CreateSound(1000, -30, 0.1, 0.05, b, true, 1, 0);
  CreateSound(500, -50, 0.02, 0, b, false, 0, 1);
  const std::vector<float> all = Floats(b);
  ExpectRoundsToTheBytes(b, all, "three calls");
  // The phase restarts with every call: the second presentation is the first again.
  ASSERT_EQ(all.size(), 2 * first.size() + 2 * 882);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), all.begin() + static_cast<ptrdiff_t>(first.size())));
  EXPECT_EQ(b.Segments().size(), 3u);

  b.Clear();
  EXPECT_TRUE(b.Segments().empty());
  EXPECT_TRUE(Floats(b).empty());
  CreateSound(1000, -30, 0.1, 0.05, b, true, 1, 0);
  EXPECT_EQ(Floats(b), first);
}

TEST(FloatRendering, BytesThatNoToneMadeAreTheirSamplesExactly) {
  const uint8_t frames[] = {0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80};  // 1, -1; 32767, -32768
  struct Case {
    const char* what;
    size_t before;  // bytes appended before the tone
    int32_t leftGain;
    bool rendered;  // the tone's frames are rendered again, not converted
  };
  const Case cases[] = {
      {"whole frames before the tone", 8, 1, true},
      {"half a frame before the tone", 2, 1, false},
      {"a gain that wraps in 16 bits", 8, 3, false},
  };
  for (const Case& c : cases) {
    ToneBuffer b;
    b.Append(frames, c.before);
    CreateSound(1000, -10, 0.01, 0, b, false, c.leftGain, 0);
    b.Append(frames, 8);
    const std::vector<float> x = Floats(b);
    ASSERT_EQ(x.size(), 2 * b.FrameCount()) << c.what;
    bool exact = true;
    for (size_t frame = 0; frame < b.FrameCount(); ++frame)
      for (int ch = 0; ch < 2; ++ch) exact = exact && x[2 * frame + ch] * 32768.0f == b.Sample(frame, ch);
    EXPECT_EQ(exact, !c.rendered) << c.what;
    // The frames appended as bytes on whole frames are their samples exactly in every case.
    if (c.before % 4 == 0) {
      const size_t last = b.FrameCount() - 2;
      EXPECT_EQ(x[0], 1.0f / 32768) << c.what;
      EXPECT_EQ(x[1], -1.0f / 32768) << c.what;
      EXPECT_EQ(x[2 * last + 2], 32767.0f / 32768) << c.what;
      EXPECT_EQ(x[2 * last + 3], -1.0f) << c.what;
    }
  }
}

TEST(SampleFormats, SixteenBitsGoToFloatAndBackExactly) {
  std::vector<uint8_t> bytes(65536 * 2);
  for (int32_t s = -32768; s < 32768; ++s) {
    const auto u = static_cast<uint16_t>(s);
    bytes[static_cast<size_t>(s + 32768) * 2] = static_cast<uint8_t>(u & 0xFF);
    bytes[static_cast<size_t>(s + 32768) * 2 + 1] = static_cast<uint8_t>(u >> 8);
  }
  std::vector<float> x(65536);
  FloatFromSixteenBit(bytes.data(), 32768, x.data());
  EXPECT_EQ(x.front(), -1.0f);
  EXPECT_EQ(x.back(), 32767.0f / 32768);
  std::vector<uint8_t> back(bytes.size());
  SixteenBitFromFloat(x.data(), 32768, back.data());
  EXPECT_EQ(back, bytes);

  // Rounded halves to even, saturated, a non-number silent.
  const float in[] = {0.5f / 32768, 1.5f / 32768, -2.5f / 32768, 1.5f, -7.0f, std::nanf("")};
  const int16_t expected[] = {0, 2, -2, 32767, -32768, 0};
  uint8_t out[12];
  SixteenBitFromFloat(in, 3, out);
  for (size_t i = 0; i < 6; ++i)
    EXPECT_EQ(static_cast<int16_t>(out[2 * i] | (out[2 * i + 1] << 8)), expected[i]) << i;
}

}  // namespace
}  // namespace sonavel
