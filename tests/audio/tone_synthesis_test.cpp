#include "audio/tone_synthesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

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

}  // namespace
}  // namespace sonavel
